#!/usr/bin/env bash
# The packages: the .deb installs (with dpkg, into a private root) a working
# program and its man page; the Windows ZIP holds the executable, the README
# and the licence. Needs dpkg, groff, unzip and the Windows build; without
# them it skips, except under CI.
set -u
source "$(dirname "$0")/testlib.sh"
native_build=$1
win32_build=$2
require cpack dpkg groff unzip
[ -f "$win32_build/primary-mac.exe" ] || missing "no Windows build in $win32_build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$native_build" && cpack -B "$work/deb" >/dev/null) || { echo "FAIL: cpack (deb)"; exit 1; }
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
# The private root has no libc6 package; the real one is on this machine.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$work"/deb/*.deb >/dev/null 2>&1
expect "deb installs" "install ok installed" \
    "$(dpkg --root="$root" -s primary-mac 2>/dev/null | sed -n 's/^Status: //p')"
expect "installed program answers as the build does" \
    "$("$native_build/primary-mac")|0" "$("$root/usr/bin/primary-mac"; printf '|%d' $?)"
page=$root/usr/share/man/man1/primary-mac.1
expect "man page renders without warnings" "ok" \
    "$([ -f "$page" ] && groff -man -ww -z "$page" 2>&1 && echo ok)"

(cd "$win32_build" && cpack -B "$work/zip" >/dev/null) || { echo "FAIL: cpack (zip)"; exit 1; }
expect "zip holds the executable, README and licence" "LICENSE README.md primary-mac.exe" \
    "$(unzip -Z1 "$work"/zip/*.zip | sort | xargs)"
exit $failed
