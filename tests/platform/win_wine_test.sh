#!/usr/bin/env bash
# The Windows executable on a real implementation of its adapter query:
# Wine's GetAdaptersInfo, which lists the non-loopback interfaces of the
# network namespace its wineserver runs in, in index order, with the interface
# name as description and Ethernet-framed ones (ifb, veth) as Ethernet. Each
# case runs a whole Wine session in a network namespace of its own (root) holding
# the interfaces made for it.
#
# Takes the executable and its flavour: win32 (the product) or win64. The
# query's own cases run the scripted_query program built beside it.
#
# Without root, Wine or the executable the cases skip, except under CI, where
# a missing prerequisite fails. On a kernel that runs no 32-bit x86 programs
# the win32 executable is only checked as a file.
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/../lib/testlib.sh"
exe=$1
flavour=${2:-win32}
windows_flavour "$flavour"

tests=$(dirname "$exe")/tests/platform/win
scripted=$tests/scripted_query.exe
for file in "$exe" "$scripted" "$tests"/{first_adapter,first_adapter_searched,first_adapter_imported}.exe \
    "$tests"/{planted_iphlpapi,iphlpapi_without_query}.dll; do
    [ -f "$file" ] || missing "no $file (cmake --preset $flavour && cmake --build --preset $flavour)"
done
[ "$(id -u)" = 0 ] || missing "the Wine cases need root"
require ip "$tools-objdump" "$tools-windres" file

# The build itself: a console program for its processor that needs nothing
# but the operating system's own DLLs, and stays small.
expect "$format" "$format" "$(file -b "$exe" | grep -o "$format")"
headers=$("$tools-objdump" -p "$exe")
# Known DLLs only, which Windows loads from the system folder whatever the
# search order: iphlpapi.dll is loaded by the program itself, from there.
expect "imports only KERNEL32.dll and msvcrt.dll" "KERNEL32.dll msvcrt.dll" \
    "$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort | xargs)"
expect "ASLR, DEP and terminal-server aware" "DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE" \
    "$(grep -owE 'DYNAMIC_BASE|NX_COMPAT|TERMINAL_SERVICE_AWARE' <<<"$headers" | sort | xargs)"
# The resources as windres decodes them from the executable.
resources=$("$tools-windres" -i "$exe" -O rc)
manifest=$(sed -n '/^1 24 /,/^END/p' <<<"$resources")
expect "manifest runs as invoker" 1 "$(grep -c 'level=""asInvoker""' <<<"$manifest")"
expect "manifest lists Windows Vista to 11" 5 "$(grep -c '<supportedOS Id=' <<<"$manifest")"
expect "version resource complete" \
    "CompanyName FileDescription FileVersion InternalName LegalCopyright OriginalFilename ProductName ProductVersion" \
    "$(sed -n 's/^ *VALUE "\([A-Za-z]*\)", "[^"].*/\1/p' <<<"$resources" | sort | xargs)"
size=$(stat -c %s "$exe")
expect "under 64 KiB ($size bytes)" yes "$([ "$size" -lt 65536 ] && echo yes)"

stop_without_i386 "$flavour" "the win32 executable's Wine cases"

prefix=$(mktemp -d -t primary-mac-wine.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
wine_prefix "$prefix" "$flavour" "$(dirname "$exe")"

run() { wine_run "$1" "$exe" "${@:2}"; } # setup [argument...]

# The networks of the cases, each a setup for wine_run.
three_lans_and_a_tunnel() {
    add lan12 12 02:00:00:00:00:0c
    add lan7 7 02:00:00:00:00:07
    add lan9 9 02:00:00:00:00:09
    ip -n "$netns" tuntap add tun1 mode tun
}
wireless_below_a_lan() { add WiReLeSs2 2 02:00:00:00:00:02 && add lan9 9 02:00:00:00:00:09; }
veth_pair() {
    ip -n "$netns" link add v5 index 5 address 02:00:00:00:00:05 type veth \
        peer name v4 index 4 address 02:00:00:00:00:04
}
sixteen() {
    local i
    for i in $(seq 35 -1 20); do add "lan$i" "$i" "02:00:00:00:00:$(printf %02x "$i")"; done
}
seventeen() { sixteen && add lan40 40 02:00:00:00:00:28; }
twenty() {
    sixteen
    add wifi17 17 02:00:00:00:00:11
    add Bluetooth18 18 02:00:00:00:00:12
    add wireless19 19 02:00:00:00:00:13
    add lan36 36 02:00:00:00:00:24
}
three_hundred_addresses() {
    local i
    lan7
    for i in $(seq 300); do echo "addr add 10.0.$((i / 250)).$((i % 250 + 1)) dev lan7"; done |
        ip -n "$netns" -batch -
}
traced() {
    ip -n "$netns" tuntap add tun2 mode tun
    add lan12 12 02:00:00:00:00:0c
    add wifi7 7 02:00:00:00:00:07
    add lan9 9 02:00:00:00:00:09
}

# The README's batch capture, run by Wine's cmd with MAC set beforehand.
# Wine's drive Z: is the root directory.
windows_path() {
    local path
    path=Z:$(realpath "$1") && echo "${path//\//\\}"
}
bat=$WINEPREFIX/capture.bat
{
    echo "@echo off"
    echo "set PATH=$(windows_path "${exe%/*}");%PATH%"
    echo "set MAC=stale"
    readme_block bat
    echo "echo [%MAC%]"
} | sed 's/$/\r/' >"$bat"
expect "batch capture: the address" "[02-00-00-00-00-07]"$'\r\n'"|0" \
    "$(wine_run lan7 cmd /c "$(windows_path "$bat")")"
expect "batch capture: no adapter empties the variable" \
    "no wired Ethernet adapter"$'\r\n'"[]"$'\r\n'"|0" \
    "$(wine_run none cmd /c "$(windows_path "$bat")")"

expect "lowest index among eligible adapters" "02-00-00-00-00-07|0" "$(run three_lans_and_a_tunnel)"
# Wine describes an interface by its name: the words reach the scan.
expect "a wireless adapter at a lower index: the wired one" "02-00-00-00-00-09|0" \
    "$(run wireless_below_a_lan)"
expect "a veth pair: the lower index" "02-00-00-00-00-04|0" "$(run veth_pair)"
expect "no adapter at all: nothing" "|0" "$(run none)"
expect "16 adapters: the lowest" "02-00-00-00-00-14|0" "$(run sixteen)"
# Lists that overflow the scan's buffer: asked again, on a buffer as large as
# the platform asks for.
expect "17 adapters: the lowest" "02-00-00-00-00-14|0" "$(run seventeen)"
traced=$(run twenty -h)
expect "20 adapters, the 3 lowest excluded: the 16 lowest traced, then the lowest eligible" \
    "$(seq -s ' ' 17 32) 02-00-00-00-00-14|0" \
    "$(grep -o 'index:[0-9]*' <<<"$traced" | cut -d: -f2 | xargs) ${traced##*$'\n'}"
expect "one adapter with 300 addresses, more than the buffer holds: its address" \
    "02-00-00-00-00-07|0" "$(run three_hundred_addresses)"
# The trace's lines end as Windows text ends them, and come before the answer.
expect "trace: a line per adapter with CR LF, then the answer with no line end" \
    "mac: MAC: index:2 IndMac:-1 eth:n isEth:n"$'\r\n'"\
mac: MAC:02-00-00-00-00-07 index:7 IndMac:-1 eth:n isEth:y"$'\r\n'"\
mac: MAC:02-00-00-00-00-09 index:9 IndMac:-1 eth:n isEth:y"$'\r\n'"\
mac:02-00-00-00-00-09 MAC:02-00-00-00-00-0C index:12 IndMac:9 eth:y isEth:y"$'\r\n'"\
02-00-00-00-00-09|0" \
    "$(run traced -h)"
expect "standard output a pipe whose reader has gone: exit 1 and a message" \
    "primary-mac: cannot write standard output: Broken pipe"$'\r\n|1' \
    "$(via=closed_pipe run lan7 2>&1)"

# An iphlpapi.dll planted beside the program, which Wine takes as Windows
# does with this override. The system's is loaded by the program, by the
# layer as a library loads it (without the program's process settings), and
# by a load on the program's behalf after those settings, whatever the search
# order; the planted one by a program that imports GetAdaptersInfo.
planted=$prefix/planted
mkdir "$planted"
cp "$exe" "$tests"/{first_adapter,first_adapter_searched,first_adapter_imported}.exe "$planted"
cp "$tests/planted_iphlpapi.dll" "$planted/iphlpapi.dll"
for program in primary-mac first_adapter first_adapter_searched first_adapter_imported; do
    answer=02-00-00-00-00-07
    [ $program != first_adapter_imported ] || answer=66-66-66-66-66-66
    expect "$program beside a planted iphlpapi.dll: $answer" "$answer|0" \
        "$(WINEDLLOVERRIDES=iphlpapi=n,b wine_run lan7 \
            "$planted/$program.exe")"
done
# The system's iphlpapi.dll disabled, then one without GetAdaptersInfo in the
# system folder: a failed query, with the cause.
system=$prefix/drive_c/windows/system32
[ $flavour = win64 ] || [ ! -d "$prefix/drive_c/windows/syswow64" ] ||
    system=$prefix/drive_c/windows/syswow64
failure="primary-mac: cannot list network adapters: \
cannot load the adapter query (iphlpapi.dll from the system folder)"
expect "no iphlpapi.dll: exit 1 and the cause" "$failure: Module not found"$'\r\n|1' \
    "$(WINEDLLOVERRIDES=iphlpapi=d run lan7 2>&1)"
# For the program alone: Wine's own processes need the system's.
overrides='HKCU\Software\Wine\AppDefaults\primary-mac.exe\DllOverrides'
mv "$system/iphlpapi.dll" "$system/iphlpapi.dll.system"
cp "$tests/iphlpapi_without_query.dll" "$system/iphlpapi.dll"
wine_run none reg add "$overrides" /v iphlpapi /d native /f >/dev/null
expect "an iphlpapi.dll without GetAdaptersInfo: exit 1 and the cause" \
    "$failure: Procedure not found"$'\r\n|1' "$(run lan7 2>&1)"
wine_run none reg delete "$overrides" /f >/dev/null
mv -f "$system/iphlpapi.dll.system" "$system/iphlpapi.dll"

# The query on a scripted platform: what it holds at each call, and what the
# layer makes of it, with the buffer it offered at each call (in records).
query() { wine_run none "$scripted" "$@"; } # steps...
lowest=$(seq -s ' ' 16 -1 1)
expect "a list that fits: one call, on a buffer of 16 records" "3 2 1; calls: 16|0" "$(query list:3)"
expect "20 adapters: the 16 lowest, nothing left pointing into the larger buffer" \
    "$lowest; calls: 16 20|0" "$(query list:20)"
expect "a list that grows: fits the third larger buffer" \
    "$lowest; calls: 16 17 18 19|0" "$(query list:17 list:18 list:19 list:19)"
expect "a list that keeps growing: no fourth, and the cause" \
    "failed: the adapter list kept growing; calls: 16 17 18 19|0" \
    "$(query list:17 list:18 list:19 list:20)"
expect "no adapters any more at the second call" "no adapters; calls: 16 17|0" \
    "$(query list:17 nodata)"
expect "an error at the second call: the system's text" "failed: Access denied; calls: 16 17|0" \
    "$(query list:17 error:5)"

exit $failed
