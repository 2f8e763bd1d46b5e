#!/usr/bin/env bash
# The packages: the .deb installs (with dpkg, into a private root) a working
# program and its man page; the Windows ZIP holds the executable, the README
# and the licence; each static build's tarball holds its program, the man
# page, the README and the licence. Needs dpkg, groff, unzip, tar and the
# Windows and static builds; without them it skips, except under CI.
#
#   packaging_test.sh NATIVE_BUILD WIN32_BUILD [ARCH=STATIC_BUILD...]
set -u
source "$(dirname "$0")/testlib.sh"
native_build=$1
win32_build=$2
shift 2
static_builds=("$@")
require cpack dpkg groff unzip tar
[ -f "$win32_build/primary-mac.exe" ] || missing "no Windows build in $win32_build"
for static in "${static_builds[@]}"; do
    [ -f "${static#*=}/primary-mac" ] || missing "no ${static%%=*} static build in ${static#*=}"
done

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

version=$(dpkg-deb -f "$work"/deb/*.deb Version)
export SOURCE_DATE_EPOCH=1700000000
for static in "${static_builds[@]}"; do
    arch=${static%%=*} build=${static#*=}
    pack() { (cd "$build" && cpack -B "$1" >/dev/null) || { echo "FAIL: cpack ($arch)"; exit 1; }; }
    pack "$work/$arch"
    name=primary-mac-$version-linux-$arch
    expect "$arch tarball holds the program, man page, README and licence" \
        "$name.tar.gz: $name/LICENSE $name/README.md $name/primary-mac $name/primary-mac.1" \
        "$(cd "$work/$arch" && echo *.tar.gz): $(tar -tzf "$work/$arch"/*.tar.gz | sort | xargs)"
    # As after a rebuild: the program's time differs, the tarball does not.
    touch -r "$build/primary-mac" "$work/stamp" && touch -d @1 "$build/primary-mac"
    pack "$work/$arch-again"
    touch -r "$work/stamp" "$build/primary-mac"
    expect "$arch tarball packed again: the same bytes" \
        "$(cd "$work/$arch" && sha256sum "$name.tar.gz")" \
        "$(cd "$work/$arch-again" && sha256sum "$name.tar.gz")"
done
exit $failed
