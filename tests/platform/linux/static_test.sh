#!/usr/bin/env bash
# The portable static build: one self-contained, stripped file for its
# architecture that answers as the native build does in a bare root holding
# nothing but itself (and the emulator that runs it, for another
# architecture) with /sys and /proc mounted, where the dynamic build cannot
# even start; and that fails in that root without /sys, where it has no answer
# to give. The bare root needs root; without it those cases skip, except under
# CI, where a missing prerequisite fails.
#
#   static_test.sh ARCH NATIVE_PROGRAM [RUNNER] STATIC_PROGRAM
# shellcheck source-path=SCRIPTDIR
set -u
source "$(dirname "$0")/../../lib/testlib.sh"

# In a private mount namespace: this network namespace's sysfs and a proc
# mounted in the root, then the command run there.
in_root() { # root command...
    mount -t sysfs sysfs "$1/sys" && mount -t proc proc "$1/proc" || exit
    outcome chroot "$@"
}
run_namespace_case "$@"

arch=$1
native=$2
shift 2
program=("$@")
static=${!#}
[ -f "$static" ] || missing "no $static: build it first"
require file readelf "$1"

# What file(1) calls the architecture, the size limit, and the alignment of
# the loadable segments (aarch64 kernels may use 64 KiB pages).
case $arch in
x86_64) machine=x86-64 limit=65536 alignment=0x1000 ;;
aarch64) machine="ARM aarch64" limit=81920 alignment=0x10000 ;;
*) missing "no expectations for $arch" ;;
esac

description=$(file -b "$static")
expect "static $machine executable, stripped ($description)" yes \
    "$([[ $description == "ELF 64-bit LSB executable, $machine,"*", statically linked,"*", stripped" ]] &&
        echo yes)"
expect "no interpreter, no dynamic section" "" \
    "$(readelf -lW "$static" | awk '$1 == "INTERP" || $1 == "DYNAMIC" { print $1 }')"
expect "segments aligned to $alignment" "$alignment" \
    "$(readelf -lW "$static" | awk '$1 == "LOAD" { print $NF }' | sort -u | xargs)"
size=$(stat -c %s "$static")
expect "under $((limit / 1024)) KiB ($size bytes)" yes "$([ "$size" -lt "$limit" ] && echo yes)"

[ "$(id -u)" = 0 ] || missing "the bare root cases need root"
require chroot mount
require_namespaces -m

bare=$(mktemp -d)
trap 'rm -rf "$bare"' EXIT
# Makes an empty root holding only the given programs, at its top, and the
# mount points /sys and /proc; prints its directory.
make_root() { # name program...
    local root=$bare/$1 file
    shift
    mkdir -p "$root/sys" "$root/proc"
    for file in "$@"; do
        cp "$(command -v "$file")" "$root/"
    done
    echo "$root"
}
answer=$(outcome "$native")
trace=$(outcome "$native" -h)
root=$(make_root static "${program[@]}")
command=()
for file in "${program[@]}"; do
    command+=("/${file##*/}")
done
expect "bare root: the native build's answer (${answer%|*})" "$answer" \
    "$(in_namespace -m in_root "$root" "${command[@]}" 2>&1)"
expect "bare root, trace: the native build's lines" "$trace" \
    "$(in_namespace -m in_root "$root" "${command[@]}" -h 2>&1)"
# Without sysfs every adapter would look like a software interface: there is
# no answer to give, and "no adapter" would be a wrong one.
expect "bare root without /sys: no output, a message, exit 1" \
    "|primary-mac: cannot list network adapters: sysfs is not mounted (no /sys/class/net)|1" \
    "$(chroot "$root" "${command[@]}" -h 2>"$bare/stderr"
        status=$?
        printf '|%s|%d' "$(cat "$bare/stderr")" $status)"

# The dynamic build needs its loader and C library, which a bare root lacks.
root=$(make_root dynamic "$native")
expect "bare root: the native build cannot start" "|127" \
    "$(in_namespace -m in_root "$root" "/${native##*/}" 2>/dev/null)"
exit $failed
