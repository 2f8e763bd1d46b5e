#!/usr/bin/env bash
# The Linux build on the real kernel.
#
# In this machine's own namespace its answer must equal one worked out here
# from `ip -o link` and sysfs. In private network namespaces (root, unshare,
# ip) holding only software interfaces it must print nothing. Without root
# those cases skip, except under CI, where a missing prerequisite fails.
set -u
bin=$1
failed=0

# Runs a command and shows its whole output, then "|" and its exit status.
outcome() { "$@"; printf '|%d' $?; }

expect() { # name expected actual
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        failed=1
    fi
}

# The lowest-index device-backed, wired Ethernet adapter of this namespace,
# worked out from the tools a person would use by hand.
expected_answer() {
    ip -o link | sort -n | while IFS= read -r line; do
        local index=${line%%:*} rest=${line#*: } name sys devtype driver
        name=${rest%%:*}
        name=${name%@*}
        sys=/sys/class/net/$name
        [ -e "$sys/device" ] && [ "$(cat "$sys/ifindex")" = "$index" ] || continue
        [[ $line == *" link/ether "* ]] || continue
        [ -e "$sys/phy80211" ] || [ -e "$sys/wireless" ] && continue
        devtype=$(sed -n 's/^DEVTYPE=//p' "$sys/uevent")
        [ "$devtype" = wlan ] || [ "$devtype" = wwan ] && continue
        driver=$(sed -n 's/^DRIVER=//p' "$sys/device/uevent")
        case $(echo "$name $devtype $driver" | tr a-z A-Z) in
        "VIRTUALBOX "* | *BLUETOOTH* | *WIRELESS* | *WI-FI* | *WIFI*) continue ;;
        esac
        sed 's|.* link/ether \([^ ]*\) .*|\1|' <<<"$line" | tr a-f: A-F-
        break
    done
}

answer=$(expected_answer)
expect "own namespace: the lowest wired adapter (${answer:-none})" "$answer|0" "$(outcome "$bin")"

if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null || ! command -v ip >/dev/null; then
    if [ "${CI:-}" = true ]; then
        echo "FAIL: private namespace cases need root, unshare and ip"
        exit 1
    fi
    echo "SKIP: private namespace cases need root, unshare and ip"
    exit 77
fi

# The software interfaces a container host is full of.
software='ip link set lo up
    ip link add veth0 type veth peer name veth1
    ip link add br0 type bridge
    ip tuntap add tap0 mode tap
    ip tuntap add tun0 mode tun
    ip link add ifb9 type ifb
    ip link set veth0 master br0'
in_namespace() { # flags script
    unshare "$1" bash -euc "$2"
}

expect "private namespace, software interfaces only: nothing" "|0" \
    "$(in_namespace -n "$software; $(declare -f outcome); outcome $bin")"
expect "private namespace, lookalike arguments: nothing" "|0" \
    "$(in_namespace -n "$software; $(declare -f outcome); outcome $bin x -H --h /h -help")"
expect "private namespace with its own sysfs: nothing" "|0" \
    "$(in_namespace -nm "mount -t sysfs sysfs /sys; $software; $(declare -f outcome); outcome $bin")"

# Without its own sysfs a namespace sees the host's entries: a veth given the
# name and index of a host adapter must not pass for it.
host_adapter=$(for d in /sys/class/net/*/device; do [ -e "$d" ] && basename "${d%/device}" && break; done)
if [ -n "$host_adapter" ]; then
    index=$(cat "/sys/class/net/$host_adapter/ifindex")
    expect "veth posing as host's $host_adapter (index $index): nothing" "|0" \
        "$(in_namespace -n "ip link add $host_adapter index $index type veth peer name peer0
            $(declare -f outcome); outcome $bin")"
fi

# Dozens of software interfaces never crowd out or overflow anything.
expect "private namespace, 60 veth interfaces: nothing" "|0" \
    "$(in_namespace -n "for i in \$(seq 30); do ip link add a\$i type veth peer name b\$i; done
        $(declare -f outcome); outcome $bin")"

exit $failed
