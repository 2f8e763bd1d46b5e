#!/usr/bin/env bash
# What PCI slots cost: the system calls of one run (strace -f -c, execve
# included) in a private network and mount namespace holding two adapters
# alike but for their path, so that whether each sits in a slot is looked up,
# laid out on tmpfs as the real-kernel tests do, with SLOTS slots in
# /sys/bus/pci/slots. Needs root, unshare, ip and strace.
#
#   bench/slots.sh PROGRAM [SLOTS...]
set -euo pipefail
program=$(realpath "$1")
shift
[ $# -gt 0 ] || set -- 0 20
for slots in "$@"; do
    # shellcheck disable=SC2016
    printf '%s slots: %s system calls\n' "$slots" "$(unshare -nm bash -euc '
        for directory in devices class/net bus; do mount -t tmpfs tmpfs /sys/$directory; done
        mkdir -p /sys/bus/pci/slots
        for i in 1 2; do
            device=pci0000:00/0000:00:0$i.0
            entry=/sys/devices/$device/net/eth$i
            ip link add eth$i address 02:00:00:00:00:0$i type veth peer name peer$i
            mkdir -p "$entry"
            ln -s ../../../0000:00:0$i.0 "$entry/device"
            ln -s "../../devices/$device/net/eth$i" /sys/class/net/eth$i
            printf "INTERFACE=eth%s\nIFINDEX=%s\n" $i \
                "$(ip -o link show dev eth$i | cut -d : -f 1)" >"$entry/uevent"
            echo 02:00:00:00:00:0$i >"$entry/address"
            echo DRIVER=e1000e >"/sys/devices/$device/uevent"
        done
        for i in $(seq "$1"); do
            mkdir /sys/bus/pci/slots/$i
            printf "0000:%02x:00\n" $((i + 16)) >/sys/bus/pci/slots/$i/address
        done
        counts=$(mktemp)
        strace -f -c -o "$counts" "$0" >/dev/null
        awk "\$NF == \"total\" { print \$4 }" "$counts"
        rm -f "$counts"' "$program" "$slots")"
done
