#!/usr/bin/env bash
# The Linux build on the real kernel.
#
# In this machine's own namespace its answer must equal one worked out here
# from `ip -o link` and sysfs. In private network namespaces (root, unshare,
# ip) holding only software interfaces it must print nothing; in ones laid out
# as a big server it must list the 16 lowest adapters and choose among them.
# Without root those cases skip, except under CI, where a missing
# prerequisite fails.
#
#   netns_test.sh [RUNNER] PROGRAM
#
# RUNNER runs a program built for another architecture (qemu-user).
set -u
source "$(dirname "$0")/../../testlib.sh"
program=("$@")
bin=$(printf '%q ' "$@") # as the scripts run in the namespaces take it
[ -f "${!#}" ] || missing "no ${!#}: build it first"
require "$1"

# This namespace's device-backed interfaces as "index type description mac",
# in index order, worked out from the tools a person would use by hand.
device_links() {
    ip -o link | sort -n | while IFS= read -r line; do
        local index=${line%%:*} rest=${line#*: } name sys devtype driver type=other
        name=${rest%%:*}
        name=${name%@*}
        sys=/sys/class/net/$name
        [ -e "$sys/device" ] && [ "$(cat "$sys/ifindex")" = "$index" ] || continue
        devtype=$(sed -n 's/^DEVTYPE=//p' "$sys/uevent")
        driver=$(sed -n 's/^DRIVER=//p' "$sys/device/uevent")
        [[ $line == *" link/ether "* ]] && type=ether
        [ -e "$sys/phy80211" ] || [ -e "$sys/wireless" ] || [ "$devtype" = wlan ] ||
            [ "$devtype" = wwan ] && type=wireless
        echo "$index $type $(echo "$devtype $driver" | tr a-z A-Z | tr ' ' _)" \
            "$(sed -n 's|.* link/[a-z0-9]* \([^ ]*\) .*|\1|p' <<<"$line" | tr a-f: A-F-)"
    done
}

# The lowest-index wired Ethernet adapter among them.
expected_answer() {
    local index type description mac
    while read -r index type description mac; do
        [ "$type" = ether ] || continue
        case $description in
        VIRTUALBOX_* | *BLUETOOTH* | *WIRELESS* | *WI-FI* | *WIFI*) continue ;;
        esac
        echo "$mac"
        break
    done < <(device_links)
}

answer=$(expected_answer)
expect "own namespace: the lowest wired adapter (${answer:-none})" "$answer|0" \
    "$(outcome "${program[@]}")"

# With -h, a trace line per listed adapter, in index order, then the answer.
trace=$(outcome "${program[@]}" -h)
expect "own namespace, trace: the indices of the device-backed interfaces" \
    "$(device_links | awk '{print $1}' | xargs)" \
    "$(grep -E '^mac:[0-9A-F-]* MAC:[0-9A-F-]* index:[0-9]+ IndMac:-?[0-9]+ eth:[yn] isEth:[yn]$' \
        <<<"$trace" | sed 's/.* index:\([0-9]*\) .*/\1/' | xargs)"
expect "own namespace, trace: then the answer" "$answer|0" "$(tail -n 1 <<<"$trace")"

[ "$(id -u)" = 0 ] || missing "the private namespace cases need root"
require unshare ip

# The software interfaces a container host is full of.
software='ip link set lo up
    ip link add veth0 type veth peer name veth1
    ip link add br0 type bridge
    ip tuntap add tap0 mode tap
    ip tuntap add tun0 mode tun
    ip link add ifb9 type ifb
    ip link set veth0 master br0'
in_namespace() { # flags script
    unshare "$1" bash -euc "$(declare -f outcome adapter); $2"
}

# Makes a veth NAME with index INDEX and address 02:00:00:00:01:INDEX pass for
# an adapter of driver DRIVER (and device type DEVTYPE), its sysfs entry laid
# out on a tmpfs over /sys/class/net: for a private mount namespace.
adapter() { # name index driver [devtype]
    local entry=/sys/class/net/$1 address
    address=$(printf '02:00:00:00:01:%02x' "$2")
    mountpoint -q /sys/class/net || mount -t tmpfs tmpfs /sys/class/net
    ip link add "$1" index "$2" address "$address" type veth peer name "peer$2" index $(($2 + 1000))
    mkdir -p "$entry/device"
    printf 'INTERFACE=%s\nIFINDEX=%s\n%s' "$1" "$2" "${4:+DEVTYPE=$4$'\n'}" >"$entry/uevent"
    echo "$address" >"$entry/address"
    echo "DRIVER=$3" >"$entry/device/uevent"
}

expect "private namespace, software interfaces only: nothing" "|0" \
    "$(in_namespace -n "$software; outcome $bin")"
expect "private namespace, lookalike arguments: nothing" "|0" \
    "$(in_namespace -n "$software; outcome $bin x -H --h /h -help")"
expect "private namespace, trace: no line, software is never listed" "|0" \
    "$(in_namespace -n "$software; outcome $bin -h")"
expect "private namespace with its own sysfs: nothing" "|0" \
    "$(in_namespace -nm "mount -t sysfs sysfs /sys; $software; outcome $bin")"

# Without its own sysfs a namespace sees the host's entries: a veth given the
# name and index of a host adapter must not pass for it.
host_adapter=$(for d in /sys/class/net/*/device; do [ -e "$d" ] && basename "${d%/device}" && break; done)
if [ -n "$host_adapter" ]; then
    index=$(cat "/sys/class/net/$host_adapter/ifindex")
    expect "veth posing as host's $host_adapter (index $index): nothing" "|0" \
        "$(in_namespace -n "ip link add $host_adapter index $index type veth peer name peer0
            outcome $bin")"
fi

# Dozens of software interfaces never crowd out or overflow anything.
expect "private namespace, 60 veth interfaces: nothing" "|0" \
    "$(in_namespace -n "for i in \$(seq 30); do ip link add a\$i type veth peer name b\$i; done
        outcome $bin")"

# A big server: 20 adapters, the lowest a wireless one, the next a wired one
# whose owner named it wifi0. The 16 lowest are listed, in ascending order.
twenty='adapter wlp1s0 41 iwlwifi wlan; adapter wifi0 42 igb
    for i in $(seq 60 -1 43); do adapter enp$i $i e1000e; done'
expect "20 adapters: the lowest wired one, whatever its name" "02-00-00-00-01-2A|0" \
    "$(in_namespace -nm "$twenty; outcome $bin")"
expect "20 adapters, trace: the 16 lowest in ascending order, then the answer" \
    "$(seq 41 56 | xargs) 02-00-00-00-01-2A|0" \
    "$(in_namespace -nm "$twenty; outcome $bin -h" |
        sed 's/.* index:\([0-9]*\) .*/\1/' | xargs)"

# A reader that has gone: the answer is lost, and the program says so.
expect "standard output a pipe whose reader has gone: exit 1 and a message" \
    "primary-mac: cannot write standard output: Broken pipe"$'\n|1' \
    "$(closed_pipe "${program[@]}" 2>&1; printf '|%d' $?)"

exit $failed
