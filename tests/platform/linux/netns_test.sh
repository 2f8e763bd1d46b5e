#!/usr/bin/env bash
# The Linux build on the real kernel.
#
# In this machine's own namespace its answer must be one of the Ethernet
# adapters it traces. In private network namespaces (root, unshare, ip)
# holding only software interfaces it must print nothing; in ones laid out as
# real machines it must give the answer stated for each. Without root those
# cases skip, except under CI, where a missing prerequisite fails.
#
#   netns_test.sh [RUNNER] PROGRAM
#
# RUNNER runs a program built for another architecture (qemu-user).
# shellcheck source-path=SCRIPTDIR
set -u
source "$(dirname "$0")/../../lib/testlib.sh"
source "$(dirname "$0")/../../lib/fake_sysfs.sh"

# The software interfaces a container host is full of.
software() {
    ip link set lo up
    ip link add veth0 type veth peer name veth1
    ip link add br0 type bridge
    ip tuntap add tap0 mode tap
    ip tuntap add tun0 mode tun
    ip link add ifb9 type ifb
    ip link set veth0 master br0
}
an_adapter() { adapter eth0 1 pci0000:00/0000:00:03.0 e1000; }
own_sysfs() { mount -t sysfs sysfs /sys; }
sixty_veths() {
    local i
    for i in $(seq 30); do
        ip link add "a$i" type veth peer name "b$i"
    done
}
# A veth given a name and an index, then the command.
posing() { # name index command...
    ip link add "$1" index "$2" type veth peer name peer0 || exit
    "${@:3}"
}

# A big server: 20 adapters, the first a wireless one, the next a wired one
# whose owner named it wifi0, the rest registered in the reverse of their
# slots.
twenty() {
    local i
    adapter wlp1s0 41 pci0000:00/0000:00:01.0 iwlwifi wlan
    adapter wifi0 42 pci0000:00/0000:00:02.0 igb
    for i in $(seq 60 -1 43); do
        adapter "enp$i" "$i" "pci0000:00/0000:00:$i.0" e1000e
    done
}

# A server with onboard port 1 behind its firmware number, a two-port card
# behind a PCIe bridge, the management controller's hard-wired USB adapter
# (behind a root hub that says "unknown"), a USB dongle and a virtual function
# of the card, never listed: its adapters by number, then its layout.
server_adapter() { # number
    case $1 in
    1) adapter eno1 1 pci0000:00/0000:00:1f.6 e1000e ;;
    2) adapter enp2s0 2 pci0000:00/0000:00:1c.0/0000:02:00.0 mlx4_en "" 0 ;;
    3) adapter enp2s0d1 3 pci0000:00/0000:00:1c.0/0000:02:00.0 mlx4_en "" 1 ;;
    4) adapter usb0 4 pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0 cdc_ether ;;
    5) adapter enx5 5 pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0 r8152 ;;
    6) adapter enp2s0v0 6 pci0000:00/0000:00:1c.0/0000:02:00.1 mlx4_en ;;
    esac
}
server_layout() {
    device pci0000:00/0000:00:1f.6 acpi_index=1
    device pci0000:00/0000:00:14.0/usb1 removable=unknown
    device pci0000:00/0000:00:14.0/usb1/1-4 removable=fixed
    device pci0000:00/0000:00:14.0/usb1/1-2 removable=removable
    ln -s ../0000:02:00.0 /sys/devices/pci0000:00/0000:00:1c.0/0000:02:00.1/physfn
}
server() {
    local number
    for number in 1 2 3 4 5 6; do server_adapter "$number"; done
    server_layout
}
server_reversed() {
    local number
    for number in 6 5 4 3 2 1; do server_adapter "$number"; done
    server_layout
}

# A laptop (a kernel without PCI `removable`) whose dock's card sits behind
# Thunderbolt's hot-plug slot on root port 00:07.0, and a board without
# firmware numbers whose card sits in the CPU's slot, 00:01.0, before the
# chipset's port on 00:1c.3.
laptop() { adapter enp0s31f6 1 pci0000:00/0000:00:1f.6 e1000e; }
laptop_card() {
    adapter enp34s0 2 pci0000:00/0000:00:07.0/0000:20:00.0/0000:21:01.0/0000:22:00.0 igc
    slot 8-1 0000:20:00
}
board() { adapter enp5s0 1 pci0000:00/0000:00:1c.3/0000:05:00.0 igb; }
board_card() {
    adapter enp1s0 2 pci0000:00/0000:00:01.0/0000:01:00.0 ixgbe
    slot 1 0000:01:00
}
run_namespace_case "$@"

program=("$@")
[ -f "${!#}" ] || missing "no ${!#}: build it first"
require "$1" ip

# A trace's lines as PLACE:LAST_BYTE_OF_ADDRESS, the answer as it stands.
places() { sed 's/.* MAC:.*-\(..\) index:\([0-9]*\) .*/\2:\1/' | xargs; }

# Whatever this machine holds: its adapters listed at places 1, 2, ..., and
# an answer that is nothing or the address of a listed Ethernet adapter.
answer=$(outcome "${program[@]}")
lines=$(outcome "${program[@]}" -h | sed '$d')
expect "own namespace, trace: places 1 to N" "$(seq -s ' ' "$(grep -c . <<<"$lines")")" \
    "$(sed -n 's/.* index:\([0-9]*\) .*/\1/p' <<<"$lines" | xargs)"
expect "own namespace: nothing, or a traced Ethernet adapter (${answer%|0})" yes \
    "$([ "$answer" = "|0" ] ||
        sed -n 's/.* MAC:\([^ ]*\) .* isEth:y$/\1/p' <<<"$lines" | grep -qx -- "${answer%|0}" &&
        echo yes)"

[ "$(id -u)" = 0 ] || missing "the private namespace cases need root"
require_namespaces -n -m

expect "private namespace, software interfaces only: nothing" "|0" \
    "$(in_namespace -n after software -- outcome "${program[@]}")"
expect "private namespace, software interfaces and an adapter: the adapter" "02-00-00-00-01-01|0" \
    "$(in_namespace -nm after software an_adapter -- outcome "${program[@]}")"
expect "private namespace, trace: no line, software is never listed" "|0" \
    "$(in_namespace -n after software -- outcome "${program[@]}" -h)"
expect "private namespace with its own sysfs: nothing" "|0" \
    "$(in_namespace -nm after own_sysfs software -- outcome "${program[@]}")"

# Without its own sysfs a namespace sees the host's entries: a veth given the
# name and index of a host adapter must not pass for it.
host_adapter=$(for d in /sys/class/net/*/device; do [ -e "$d" ] && basename "${d%/device}" && break; done)
if [ -n "$host_adapter" ]; then
    index=$(cat "/sys/class/net/$host_adapter/ifindex")
    expect "veth posing as host's $host_adapter (index $index): nothing" "|0" \
        "$(in_namespace -n posing "$host_adapter" "$index" outcome "${program[@]}")"
fi

# Dozens of software interfaces never crowd out or overflow anything.
expect "private namespace, 60 veth interfaces: nothing" "|0" \
    "$(in_namespace -n after sixty_veths -- outcome "${program[@]}")"

# Of 20 adapters, the first 16 in hardware order are listed, their places as
# indices.
expect "20 adapters: the first wired one, whatever its name" "02-00-00-00-01-2A|0" \
    "$(in_namespace -nm after twenty -- outcome "${program[@]}")"
expect "20 adapters, trace: the first 16 in hardware order, then the answer" \
    "$(for i in $(seq 16); do printf '%d:%02X ' "$i" $((i + 40)); done)02-00-00-00-01-2A|0" \
    "$(in_namespace -nm after twenty -- outcome "${program[@]}" -h | places)"

# The same hardware registered in two orders, so with other interface
# indices, gives the same answer and the same list.
expect "server: onboard port 1" "02-00-00-00-01-01|0" \
    "$(in_namespace -nm after server -- outcome "${program[@]}")"
expect "server, trace: onboard port 1, the others in hardware order, then the answer" \
    "1:01 2:02 3:03 4:04 5:05 02-00-00-00-01-01|0" \
    "$(in_namespace -nm after server -- outcome "${program[@]}" -h | places)"
expect "server registered in the reverse order, trace: the same" \
    "1:01 2:02 3:03 4:04 5:05 02-00-00-00-01-01|0" \
    "$(in_namespace -nm after server_reversed -- outcome "${program[@]}" -h | places)"

# The built-in port, 02-00-00-00-01-01, whichever registered first, and
# whether or not a card is fitted.
for machine in laptop board; do
    expect "$machine without its card: the built-in port" "02-00-00-00-01-01|0" \
        "$(in_namespace -nm after "$machine" -- outcome "${program[@]}")"
    expect "$machine with its card: the built-in port" "02-00-00-00-01-01|0" \
        "$(in_namespace -nm after "$machine" "${machine}_card" -- outcome "${program[@]}")"
    expect "$machine with its card, registered first: the built-in port" "02-00-00-00-01-01|0" \
        "$(in_namespace -nm after "${machine}_card" "$machine" -- outcome "${program[@]}")"
done

# A reader that has gone: the answer is lost, and the program says so.
expect "standard output a pipe whose reader has gone: exit 1 and a message" \
    "primary-mac: cannot write standard output: Broken pipe"$'\n|1' \
    "$(closed_pipe "${program[@]}" 2>&1; printf '|%d' $?)"

exit $failed
