#!/usr/bin/env bash
# The packages. The .deb passes lintian, holds the program, its man page and
# the fact program, and installs (with dpkg, into a private root) a working,
# hardened program and a lint-clean man page; each Windows ZIP, named for its
# flavour, holds the executable, the README and the licence; each MSI installs
# them silently under Wine where the README says, the program answers from
# there, a later version replaces it and it is removed silently; each static
# build's tarball holds its program, the man page, the README and the
# licence; the RPM passes rpmlint, lays out the program, man page, README,
# licence and fact program as an RPM does, and installs (with rpm, into a
# private root) a program that answers there, alone in it. Needs root, Wine
# and the packaging tools and builds; without them it skips, except under CI.
# On a kernel that runs no 32-bit x86 programs the installed win32 program's
# answer is skipped; its MSI still installs and goes.
#
#   packaging_test.sh NATIVE_BUILD [WINDOWS_BUILD...] [ARCH=STATIC_BUILD...]
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/lib/testlib.sh"

# In a private mount namespace: the program installed in a root, run alone
# there with this network namespace's sysfs mounted.
installed_in_root() { # root
    mount -t sysfs sysfs "$1/sys" && outcome chroot "$1" /usr/bin/primary-mac
}
run_namespace_case "$@"

packaging=$(dirname "$0")/../packaging
native_build=$1
shift
windows_builds=() static_builds=()
for build in "$@"; do
    if [[ $build == *=* ]]; then static_builds+=("$build"); else windows_builds+=("$build"); fi
done
[ "$(id -u)" = 0 ] || missing "the packages install as root"
require cpack dpkg dpkg-shlibdeps lintian hardening-check readelf mandoc unzip tar file \
    wixl rpmbuild rpm rpmlint unshare ip chroot mount
require_namespaces -n -m
for build in "${windows_builds[@]}"; do
    [ -f "$build/primary-mac.exe" ] || missing "no Windows build in $build"
done
for static in "${static_builds[@]}"; do
    [ -f "${static#*=}/primary-mac" ] || missing "no ${static%%=*} static build in ${static#*=}"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$native_build" && cpack -B "$work/deb" >/dev/null) || { echo "FAIL: cpack (deb)"; exit 1; }
deb=$(echo "$work"/deb/primary-mac_*.deb)
version=$(dpkg-deb -f "$deb" Version)
major=${version%%.*}
expect "the .deb set: the program, the library named after its SONAME, its -dev" \
    "$(printf '%s_'"$version"'_amd64.deb\n' primary-mac "libprimary-mac$major" libprimary-mac-dev |
        sort | xargs)" \
    "$(cd "$work/deb" && ls -- *.deb | sort | xargs)"
expect "the program's .deb: the program, its man page, changelog and copyright, the fact program" \
    "-rwxr-xr-x ./usr/bin/primary-mac -rw-r--r-- ./usr/share/doc/primary-mac/changelog.gz \
-rw-r--r-- ./usr/share/doc/primary-mac/copyright -rw-r--r-- ./usr/share/man/man1/primary-mac.1.gz \
-rwxr-xr-x ./usr/share/primary-mac/facts/primary_mac" \
    "$(dpkg-deb -c "$deb" | awk '!/^d/ { print $1, $6 }' | xargs)"
expect "the runtime package holds the shared library as its SONAME names it" \
    "libprimary-mac.so.$major" \
    "$(dpkg-deb --fsys-tarfile "$work/deb/libprimary-mac$major"_*.deb | tar -t | grep -o 'libprimary-mac\.so\.[0-9]*$')"
expect "lintian: no error, no warning" "|0" \
    "$(lintian --fail-on error,warning "$work"/deb/*.deb 2>/dev/null | grep '^[EW]: '; printf '|%d' "${PIPESTATUS[0]}")"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
# The private root has no libc6 package; the real one is on this machine.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$work"/deb/*.deb >/dev/null 2>&1
expect "the debs install" "install ok installed|install ok installed|install ok installed" \
    "$(for package in primary-mac "libprimary-mac$major" libprimary-mac-dev; do
        dpkg --root="$root" -s "$package" 2>/dev/null | sed -n 's/^Status: //p'
    done | paste -sd '|')"
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
# Whether the manuals that a page refers to are installed is the machine's
# business (a minimal root has none), not the page's.
for page in man1/primary-mac.1.gz man3/primary_mac_get.3.gz man3/primary_mac_version.3.gz; do
    page=$root/usr/share/man/$page
    expect "man page ${page##*/} lint-clean" "" \
        "$(mandoc -T lint "$page" 2>&1 | grep -F "$page" | grep -v ': referenced manual not found: ')"
done
# Programs that embed the library, built against the .debs' files.
"$(dirname "$0")/library/consumers_test.sh" "$native_build/primary-mac" "$root/usr" || failed=1

# Runs a Windows command in a Wine session in a private network namespace
# that holds one Ethernet adapter; prints its output, "|" and its exit status.
in_wine() { wine_run lan7 "$@"; }
# Beside the program: the DLL, its import libraries for MinGW and MSVC, the
# .def of the MSVC one, the static library, the header.
library_files=$(printf '%s\n' LICENSE README.md primary-mac.exe primary-mac.dll libprimary-mac.dll.a \
    primary-mac.lib primary-mac.def libprimary-mac.a primary-mac.h | sort | xargs)
for build in "${windows_builds[@]}"; do
    # Each flavour's view of the registry.
    flavour=win32 registry=32
    [[ "$(file -b "$build/primary-mac.exe")" != PE32+* ]] || flavour=win64 registry=64
    (cd "$build" && cpack -B "$work/$flavour" >/dev/null) || { echo "FAIL: cpack ($flavour)"; exit 1; }
    expect "$flavour zip holds the executable, README, licence and library" \
        "primary-mac-$version-$flavour.zip: $library_files" \
        "$(cd "$work/$flavour" && echo "$(echo *.zip):" "$(unzip -Z1 ./*.zip | sort | xargs)")"

    # The flavour's own Wine; where the kernel runs no 32-bit programs, the
    # 64-bit one installs the win32 MSI all the same, into the folder that
    # 64-bit Windows keeps for 32-bit programs.
    wine_flavour=$flavour folder="Program Files/primary-mac"
    if [ $flavour = win32 ] && ! kernel_runs_i386; then
        wine_flavour=win64 folder="Program Files (x86)/primary-mac"
    fi
    wine_prefix "$work/wine-$flavour" "$wine_flavour" "$work"
    msi=$work/$flavour/primary-mac-$version-$flavour.msi
    windows_folder="C:\\${folder//\//\\}"
    expect "$flavour msi installs silently" "|0" "$(in_wine msiexec /i "$msi" /qn)"
    expect "$flavour msi: the executable, README, licence and library in $windows_folder" \
        "$library_files" "$(ls "$WINEPREFIX/drive_c/$folder" 2>&1 | sort | xargs)"
    if [ $wine_flavour = $flavour ]; then
        expect "$flavour msi: the installed program answers" "02-00-00-00-00-07|0" \
            "$(in_wine "$windows_folder\\primary-mac.exe")"
    else
        no_i386_cases "the installed win32 program's answer"
    fi
    # The same package as a later version, which replaces this one.
    later=$((${version%%.*} + 1)).0.0
    (cd "$build" && cpack -G External -D CPACK_PACKAGE_VERSION="$later" \
        -D CPACK_PACKAGE_FILE_NAME=later -B "$work/$flavour-later" >/dev/null) ||
        { echo "FAIL: cpack ($flavour, $later)"; exit 1; }
    in_wine msiexec /i "$work/$flavour-later/later.msi" /qn >/dev/null
    expect "$flavour msi: version $later replaces it" "$later" \
        "$(in_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s \
            /reg:$registry |
            tr -d '\r' | sed -n 's/^ *DisplayVersion *REG_SZ *//p')"
    expect "$flavour msi: removed silently, with its folder" "|0 gone" \
        "$(in_wine msiexec /x "$work/$flavour-later/later.msi" /qn
            [ -e "$WINEPREFIX/drive_c/$folder" ] || echo " gone")"
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
expect "rpm: the program, man page, README (doc), licence (license) and the fact program" \
    "-rwxr-xr-x /usr/bin/primary-mac drwxr-xr-x /usr/share/doc/primary-mac \
-rw-r--r-- d/usr/share/doc/primary-mac/README.md drwxr-xr-x /usr/share/licenses/primary-mac \
-rw-r--r-- l/usr/share/licenses/primary-mac/LICENSE -rw-r--r-- d/usr/share/man/man1/primary-mac.1.gz \
drwxr-xr-x /usr/share/primary-mac drwxr-xr-x /usr/share/primary-mac/facts \
-rwxr-xr-x /usr/share/primary-mac/facts/primary_mac" \
    "$(rpm -qp --qf '[%{FILEMODES:perms} %{FILEFLAGS:fflags}%{FILENAMES}\n]' "$rpm" | xargs)"
root=$work/rpm-root
rpm --root "$root" --initdb && rpm --root "$root" -i --nodeps "$rpm" 2>/dev/null
expect "rpm installs" "primary-mac-$version-1.x86_64" "$(rpm --root "$root" -q primary-mac)"
mkdir -p "$root/sys"
expect "installed from the RPM, the program answers in its root as the build does" \
    "$("$native_build/primary-mac")|0" "$(in_namespace -m installed_in_root "$root" 2>&1)"
exit $failed
