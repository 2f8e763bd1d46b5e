#!/usr/bin/env bash
# The packages. The .deb passes lintian and installs (with dpkg, into a
# private root) a working, hardened program and a lint-clean man page; each
# Windows ZIP, named for its flavour, holds the executable, the README and the
# licence; each static build's tarball holds its program, the man page, the
# README and the licence; the RPM passes rpmlint, lays out the program, man
# page, README and licence as an RPM does, and installs (with rpm, into a
# private root) a program that answers there, alone in it. Needs root, the
# packaging tools and the builds; without them it skips, except under CI.
#
#   packaging_test.sh NATIVE_BUILD [WINDOWS_BUILD...] [ARCH=STATIC_BUILD...]
set -u
source "$(dirname "$0")/testlib.sh"
packaging=$(dirname "$0")/../packaging
native_build=$1
shift
windows_builds=() static_builds=()
for build in "$@"; do
    if [[ $build == *=* ]]; then static_builds+=("$build"); else windows_builds+=("$build"); fi
done
[ "$(id -u)" = 0 ] || missing "the packages install as root"
require cpack dpkg dpkg-shlibdeps lintian hardening-check readelf mandoc unzip tar file \
    rpmbuild rpm rpmlint unshare chroot mount
for build in "${windows_builds[@]}"; do
    [ -f "$build/primary-mac.exe" ] || missing "no Windows build in $build"
done
for static in "${static_builds[@]}"; do
    [ -f "${static#*=}/primary-mac" ] || missing "no ${static%%=*} static build in ${static#*=}"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$native_build" && cpack -B "$work/deb" >/dev/null) || { echo "FAIL: cpack (deb)"; exit 1; }
deb=$(echo "$work"/deb/*.deb)
expect "lintian: no error, no warning" "|0" \
    "$(lintian --fail-on error,warning "$deb" 2>/dev/null | grep '^[EW]: '; printf '|%d' "${PIPESTATUS[0]}")"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
# The private root has no libc6 package; the real one is on this machine.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >/dev/null 2>&1
expect "deb installs" "install ok installed" \
    "$(dpkg --root="$root" -s primary-mac 2>/dev/null | sed -n 's/^Status: //p')"
program=$root/usr/bin/primary-mac
expect "installed program answers as the build does" \
    "$("$native_build/primary-mac")|0" "$("$program"; printf '|%d' $?)"
# Debian 12's C library start files carry no CET note, so nothing linked
# with them is marked for control-flow protection; where they do, it counts.
cet=
readelf -n "$(${CXX:-c++} -print-file-name=Scrt1.o)" | grep -q 'IBT, SHSTK' ||
    cet=--nocfprotection
expect "hardening-check finds every protection ${cet:+(but CET: $cet)}" "|0" \
    "$(hardening-check --quiet $cet "$program"; printf '|%d' $?)"
page=$root/usr/share/man/man1/primary-mac.1.gz
expect "man page lint-clean" "|0" \
    "$(mandoc -T lint "$page" 2>&1 | grep -F "$page"; printf '|%d' "${PIPESTATUS[0]}")"

version=$(dpkg-deb -f "$deb" Version)
for build in "${windows_builds[@]}"; do
    flavour=win32
    [[ "$(file -b "$build/primary-mac.exe")" != PE32+* ]] || flavour=win64
    (cd "$build" && cpack -B "$work/$flavour" >/dev/null) || { echo "FAIL: cpack ($flavour)"; exit 1; }
    expect "$flavour zip holds the executable, README and licence" \
        "primary-mac-$version-$flavour.zip: LICENSE README.md primary-mac.exe" \
        "$(cd "$work/$flavour" && echo "$(echo *.zip):" $(unzip -Z1 ./*.zip | sort))"
done

for static in "${static_builds[@]}"; do
    arch=${static%%=*} build=${static#*=}
    (cd "$build" && cpack -B "$work/$arch" >/dev/null) || { echo "FAIL: cpack ($arch)"; exit 1; }
    name=primary-mac-$version-linux-$arch
    expect "$arch tarball holds the program, man page, README and licence" \
        "$name.tar.gz: $name/LICENSE $name/README.md $name/primary-mac $name/primary-mac.1" \
        "$(cd "$work/$arch" && echo *.tar.gz): $(tar -tzf "$work/$arch"/*.tar.gz | sort | xargs)"
done

# The RPM, from whichever build made it.
rpm=$(echo "$work"/*/*.rpm)
[ -f "$rpm" ] || { echo "FAIL: not one RPM: $rpm"; exit 1; }
expect "rpmlint: no error" "|0" \
    "$(rpmlint -c "$packaging/rpmlint.toml" "$rpm" 2>&1 | grep ': E: '; printf '|%d' "${PIPESTATUS[0]}")"
expect "rpm: the program, man page, README (doc) and licence (license)" \
    "/usr/bin/primary-mac /usr/share/doc/primary-mac d/usr/share/doc/primary-mac/README.md \
/usr/share/licenses/primary-mac l/usr/share/licenses/primary-mac/LICENSE \
d/usr/share/man/man1/primary-mac.1.gz" \
    "$(rpm -qp --qf '[%{FILEFLAGS:fflags}%{FILENAMES}\n]' "$rpm" | xargs)"
root=$work/rpm-root
rpm --root "$root" --initdb && rpm --root "$root" -i --nodeps "$rpm" 2>/dev/null
expect "rpm installs" "primary-mac-$version-1.x86_64" "$(rpm --root "$root" -q primary-mac)"
# Alone in that root, with this network namespace's sysfs mounted.
mkdir -p "$root/sys"
expect "installed from the RPM, the program answers in its root as the build does" \
    "$("$native_build/primary-mac")|0" \
    "$(unshare -m sh -c 'mount -t sysfs sysfs "$0/sys" && chroot "$0" /usr/bin/primary-mac
        printf "|%d" $?' "$root" 2>&1)"
exit $failed
