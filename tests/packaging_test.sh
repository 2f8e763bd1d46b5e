#!/usr/bin/env bash
# The packages: the .deb installs (with dpkg, into a private root) a working
# program and its man page; the Windows ZIP holds the executable, the README
# and the licence. Needs dpkg, groff and unzip; without them it skips, except
# under CI.
set -u
native_build=$1
win32_build=$2
failed=0

for tool in cpack dpkg groff unzip; do
    if ! command -v $tool >/dev/null; then
        [ "${CI:-}" = true ] && { echo "FAIL: $tool is missing"; exit 1; }
        echo "SKIP: $tool is missing"
        exit 77
    fi
done

expect() { # name expected actual
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        failed=1
    fi
}

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

if [ -f "$win32_build/primary-mac.exe" ]; then
    (cd "$win32_build" && cpack -B "$work/zip" >/dev/null) || { echo "FAIL: cpack (zip)"; exit 1; }
    expect "zip holds the executable, README and licence" "LICENSE README.md primary-mac.exe" \
        "$(unzip -Z1 "$work"/zip/*.zip | sort | xargs)"
elif [ "${CI:-}" = true ]; then
    echo "FAIL: no Windows build in $win32_build"
    failed=1
fi
exit $failed
