#!/usr/bin/env bash
# The library for Windows as programs use it. The DLL: its flavour, the two
# calls exported and nothing else, the same DLL imports as the program (so it
# reaches the adapter query as the program does), no change to where the
# process searches for DLLs, its version resource; a program linked as MSVC
# links (lld-link) with primary-mac.lib imports the two calls. Under Wine,
# each case in a private network namespace (root): the C consumer linked with
# the MinGW import library, a program that loads the DLL at run time, as
# P/Invoke does, and the MSVC-linked one print the program's answer, also
# beside a planted iphlpapi.dll, and its failure where iphlpapi.dll cannot be
# loaded; beside a build of the DLL whose query the system refuses, they fail
# with the cause. Where the kernel runs no 32-bit x86 programs, the win32 Wine
# cases skip with one line. Without root, Wine, the tools or the build the
# cases skip, except under CI.
#
#   win_library_test.sh BUILD FLAVOUR
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/../lib/testlib.sh"
build=$1
flavour=$2
windows_flavour "$flavour" DLL
dll=$build/primary-mac.dll
programs=$build/tests/library/win
for file in "$dll" "$build/primary-mac.lib" "$build/primary-mac.exe" \
    "$programs"/{,failing/}library_{consumer,loader}.exe "$programs/failing/primary-mac.dll"; do
    [ -f "$file" ] || missing "no $file (cmake --preset $flavour && cmake --build --preset $flavour)"
done
require file "$tools-objdump" "$tools-windres" clang lld-link llvm-dlltool

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

work=$(mktemp -d -t primary-mac-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT

# A program linked as MSVC links, by lld-link with primary-mac.lib, and no C
# runtime (its own entry point). kernel32's import library is made here as
# primary-mac.lib is (MinGW's lacks the SafeSEH mark that a 32-bit link
# requires): its stdcall names carry their arguments' size on 32-bit x86. The
# program sits in a folder of its own laid out as the build's: the DLL beside
# it, the failing DLL beside a copy in failing/.
msvc=$work/msvc
mkdir -p "$msvc/failing"
target=${tools%%-*}-pc-windows-msvc machine=i386
kernel32='ExitProcess@4 GetCommandLineA@0 GetStdHandle@4 WriteFile@20'
[ "$flavour" = win32 ] || machine=i386:x86-64 kernel32=$(sed 's/@[0-9]*//g' <<<"$kernel32")
printf '%s\n' 'LIBRARY kernel32.dll' EXPORTS $kernel32 >"$work/kernel32.def"
source_dir=$(dirname "$0")/../..
if ! { llvm-dlltool -m "$machine" -k -d "$work/kernel32.def" -l "$work/kernel32.lib" &&
    clang --target="$target" -ffreestanding -Os -Wall -Wextra -Wpedantic -Werror \
        -I"$source_dir/include" -c "$source_dir/tests/library/win/msvc_consumer.c" \
        -o "$work/msvc_consumer.obj" &&
    lld-link -nologo -entry:start -subsystem:console -nodefaultlib \
        -out:"$msvc/msvc_consumer.exe" "$work/msvc_consumer.obj" "$build/primary-mac.lib" \
        "$work/kernel32.lib"; }; then
    echo "FAIL: the MSVC-linked program does not build with primary-mac.lib"
    exit 1
fi
cp "$dll" "$msvc" && cp "$msvc/msvc_consumer.exe" "$programs/failing/primary-mac.dll" "$msvc/failing"
expect "linked with primary-mac.lib, imports the calls from primary-mac.dll" \
    "primary_mac_get primary_mac_version" \
    "$("$tools-objdump" -p "$msvc/msvc_consumer.exe" |
        awk '/DLL Name:/ { dll = $3 } dll == "primary-mac.dll" && /^\t[0-9a-f]+\t/ { print $3 }' |
        xargs)"

[ "$(id -u)" = 0 ] || missing "the Wine cases need root"
stop_without_i386 "$flavour" "the win32 DLL's Wine cases"
wine_prefix "$work/prefix" "$flavour" "$work" "$build"

# The same programs and DLL beside an iphlpapi.dll planted there, which Wine
# takes as Windows would when told to (WINEDLLOVERRIDES): its address is
# 66-66-66-66-66-66.
planted=$work/planted
mkdir "$planted"
cp "$programs"/{library_consumer,library_loader}.exe "$msvc/msvc_consumer.exe" "$dll" "$planted"
cp "$build/tests/platform/win/planted_iphlpapi.dll" "$planted/iphlpapi.dll" ||
    missing "no planted iphlpapi.dll in $build/tests/platform/win"

answer=$(wine_run lan7 "$build/primary-mac.exe")
# Each program by its path without .exe, in a folder with the DLL and failing/.
for program in "$programs"/library_{consumer,loader} "$msvc/msvc_consumer"; do
    name=${program##*/}
    expect "$name: the program's answer" "$answer" "$(wine_run lan7 "$program.exe")"
    expect "$name: no adapter" "|0" "$(wine_run none "$program.exe")"
    expect "$name beside a planted iphlpapi.dll: the program's answer" "$answer" \
        "$(WINEDLLOVERRIDES=iphlpapi=n,b wine_run lan7 "$planted/$name.exe")"
    expect "$name, no iphlpapi.dll to load: the program's failure" \
        "$(WINEDLLOVERRIDES=iphlpapi=d wine_run lan7 "$build/primary-mac.exe" 2>&1)" \
        "$(WINEDLLOVERRIDES=iphlpapi=d wine_run lan7 "$program.exe" 2>&1)"
    expect "$name: a refused query, and its cause" \
        "primary-mac: cannot list network adapters: Access denied"$'\r\n|1' \
        "$(wine_run lan7 "${program%/*}/failing/$name.exe" 2>&1)"
done
expect "msvc_consumer: the library's version through primary-mac.lib" "$version|0" \
    "$(wine_run none "$msvc/msvc_consumer.exe" --version)"
exit $failed
