#!/usr/bin/env bash
# What PCI slots cost: the system calls of one run (strace -f -c, execve
# included) in a private network and mount namespace holding two adapters
# alike but for their path, so that whether each sits in a slot is looked up,
# laid out on tmpfs as the real-kernel tests do, with SLOTS slots in
# /sys/bus/pci/slots. Needs root, unshare, ip and strace.
#
#   bench/slots.sh PROGRAM [SLOTS...]
set -euo pipefail
# shellcheck source=tests/lib/fake_sysfs.sh
source "$(dirname "$0")/../tests/lib/fake_sysfs.sh"

# In the private namespace (the script run again there): the adapters and
# the slots, then the count.
count_system_calls() { # program slots
    local i counts
    for i in 1 2; do
        adapter "eth$i" "$i" "pci0000:00/0000:00:0$i.0" e1000e
    done
    mkdir -p /sys/bus/pci/slots
    for i in $(seq "$2"); do
        slot "$i" "$(printf '0000:%02x:00' $((i + 16)))"
    done
    counts=$(mktemp)
    strace -f -c -o "$counts" "$1" >/dev/null
    awk '$NF == "total" { print $4 }' "$counts"
    rm -f "$counts"
}
if [ "${1:-}" = --in-namespace ]; then
    count_system_calls "$2" "$3"
    exit
fi

program=$(realpath "$1")
shift
[ $# -gt 0 ] || set -- 0 20
for slots in "$@"; do
    printf '%s slots: %s system calls\n' "$slots" \
        "$(unshare -nm "$BASH" "$0" --in-namespace "$program" "$slots")"
done
