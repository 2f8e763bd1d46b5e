#!/usr/bin/env bash
# The i386 root's own failures, each one line and a status, never a hang: a
# root whose stamp says it is made but which has lost its Wine, and a root
# that cannot be made because the mirror does not answer. (The win32 Wine
# cases are what runs in a root that works.) Needs root and debootstrap;
# without them it skips, except under CI.
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/testlib.sh"
[ "$(id -u)" = 0 ] || missing "making a root needs root"
require debootstrap timeout

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Runs `i386_root.sh make` on the root in $work/NAME, with the mirror given;
# prints its standard error, "|" and its status.
make_root() { # name mirror
    # shellcheck disable=SC2069 # its standard error is the output
    PRIMARY_MAC_I386_ROOT=$work/$1 PRIMARY_MAC_DEBIAN_MIRROR=$2 \
        timeout 120 "$i386_root" make 2>&1 >/dev/null
    printf '|%d' $?
}

mkdir "$work/broken"
"$i386_root" recipe >"$work/broken/.primary-mac-recipe"
expect "a made root without its Wine: the one line" \
    "i386 root: $work/broken has no /usr/lib/wine/wine: remove it, and the next run makes it again"$'\n|1' \
    "$(make_root broken http://127.0.0.1:9/debian)"
made=$(make_root unmade http://127.0.0.1:9/debian)
expect "no mirror: one line that names it" \
    "i386 root: debootstrap bookworm from http://127.0.0.1:9/debian failed"$'\n|1' \
    "$(sed '1s/ failed: .*/ failed/' <<<"$made")"
exit $failed
