#!/usr/bin/env bash
# The library for Windows as programs use it. The DLL: its flavour, the two
# calls exported and nothing else, the same DLL imports as the program (so it
# reaches the adapter query as the program does), no change to where the
# process searches for DLLs, its version resource. Under Wine, each case in a
# private network namespace (root): the C consumer linked with the import
# library and a program that loads the DLL at run time, as P/Invoke does,
# print the program's answer, also beside a planted iphlpapi.dll, and its
# failure where iphlpapi.dll cannot be loaded; beside a build of the DLL whose
# query the system refuses, both fail with the cause. Where the kernel
# runs no 32-bit x86 programs, the win32 Wine cases skip with one line.
# Without root, Wine or the build the cases skip, except under CI.
#
#   win_library_test.sh BUILD FLAVOUR
set -u
source "$(dirname "$0")/../testlib.sh"
build=$1
flavour=$2
windows_flavour "$flavour" DLL
dll=$build/primary-mac.dll
programs=$build/tests/library/win
for file in "$dll" "$build/primary-mac.exe" "$programs"/{,failing/}library_{consumer,loader}.exe; do
    [ -f "$file" ] || missing "no $file (cmake --preset $flavour && cmake --build --preset $flavour)"
done
require file "$tools-objdump" "$tools-windres"

expect "$format" "$format" "$(file -b "$dll" | grep -o "$format")"
headers=$("$tools-objdump" -p "$dll")
expect "exports the calls alone" "primary_mac_get primary_mac_version" \
    "$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$headers" | xargs)"
imports() { "$tools-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | xargs; }
expect "imports the program's DLLs" "$(imports "$build/primary-mac.exe")" "$(imports "$dll")"
# Where DLLs are searched for is the host's business, not a library's.
expect "leaves the process's DLL search alone" "" \
    "$(grep -aoE 'SetDefaultDllDirectories|SetDllDirectory[AW]?' "$dll" | sort -u | xargs)"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
expect "version resource: the DLL's version and name" "$version primary-mac.dll" \
    "$("$tools-windres" -i "$dll" -O rc |
        sed -n 's/^ *VALUE "\(OriginalFilename\|FileVersion\)", "\(.*\)"/\2/p' | sort | xargs)"

[ "$(id -u)" = 0 ] || missing "the Wine cases need root"
stop_without_i386 "$flavour" "the win32 DLL's Wine cases"
work=$(mktemp -d /tmp/primary-mac-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT
wine_prefix "$work"

# The same programs and DLL beside an iphlpapi.dll planted there, which Wine
# takes as Windows would when told to (WINEDLLOVERRIDES): its address is
# 66-66-66-66-66-66.
planted=$work/planted
mkdir "$planted"
cp "$programs"/{library_consumer,library_loader}.exe "$dll" "$planted"
cp "$build/tests/platform/win/planted_iphlpapi.dll" "$planted/iphlpapi.dll" ||
    missing "no planted iphlpapi.dll in $build/tests/platform/win"

lan7='add lan7 7 02:00:00:00:00:07'
answer=$(wine_run "$lan7" "$build/primary-mac.exe")
for program in consumer loader; do
    expect "$program: the program's answer" "$answer" \
        "$(wine_run "$lan7" "$programs/library_$program.exe")"
    expect "$program: no adapter" "|0" "$(wine_run ":" "$programs/library_$program.exe")"
    expect "$program beside a planted iphlpapi.dll: the program's answer" "$answer" \
        "$(WINEDLLOVERRIDES=iphlpapi=n,b wine_run "$lan7" "$planted/library_$program.exe")"
    expect "$program, no iphlpapi.dll to load: the program's failure" \
        "$(WINEDLLOVERRIDES=iphlpapi=d wine_run "$lan7" "$build/primary-mac.exe" 2>&1)" \
        "$(WINEDLLOVERRIDES=iphlpapi=d wine_run "$lan7" "$programs/library_$program.exe" 2>&1)"
    expect "$program: a refused query, and its cause" \
        "primary-mac: cannot list network adapters: Access denied"$'\r\n|1' \
        "$(wine_run "$lan7" "$programs/failing/library_$program.exe" 2>&1)"
done
exit $failed
