#!/usr/bin/env bash
# The Windows executable on machines that Wine cannot make: VPN, VMware and
# Hyper-V adapters beside the machine's own ports. A scripted iphlpapi.dll
# (tests/platform/win/scripted_iphlpapi.cpp), installed as the system folder's
# and native for primary-mac.exe alone, describes each machine as Windows
# does: GetAdaptersInfo's adapters, and GetIfTable2's rows for every
# interface, each driver's flags, the filter modules on each adapter, the WAN
# miniports and the ports without IPv4 among them. The machines are those of
# published adapter lists; their addresses are made up.
#
# Takes the executable and its flavour: win32 (the product) or win64. Without
# root, Wine or the build the cases skip, except under CI, where a missing
# prerequisite fails; on a kernel that runs no 32-bit x86 programs the win32
# cases skip.
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/../lib/testlib.sh"
exe=$1
flavour=${2:-win32}
windows_flavour "$flavour"

tests=$(dirname "$exe")/tests/platform/win
consumer=$(dirname "$exe")/tests/library/win/library_consumer.exe
for file in "$exe" "$tests"/{scripted_iphlpapi,iphlpapi_without_table}.dll "$consumer"; do
    [ -f "$file" ] || missing "no $file (cmake --preset $flavour && cmake --build --preset $flavour)"
done
[ "$(id -u)" = 0 ] || missing "the Wine cases need root"
stop_without_i386 "$flavour" "the win32 executable on scripted machines"

prefix=$(mktemp -d -t primary-mac-wine.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
wine_prefix "$prefix" "$flavour" "$(dirname "$exe")"

# The system folder of the flavour's programs; the DLL there native for the
# program alone (a process-wide override breaks Wine's own tools that import
# it, such as ipconfig).
system=$prefix/drive_c/windows/system32
[ "$flavour" = win64 ] || [ ! -d "$prefix/drive_c/windows/syswow64" ] ||
    system=$prefix/drive_c/windows/syswow64
for name in primary-mac.exe "${consumer##*/}"; do
    wine_run none reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\DllOverrides" \
        /v iphlpapi /d native /f >/dev/null
done
cp "$tests/scripted_iphlpapi.dll" "$system/iphlpapi.dll"

# The program's whole output and status on the machine that standard input
# describes (the DLL's case file: INDEX TYPE FLAGS ADDRESS PERMANENT
# DESCRIPTION, FLAGS of l listed by GetAdaptersInfo, h hardware, c connector,
# f filter), with what the DLL says on standard error: a table left unfreed.
# With program=PATH, that program instead.
machine() { # [args...]
    cat >"$system/iphlpapi.txt"
    wine_run none "${program:-$exe}" "$@" 2>&1
}

# The filter modules that Windows stacks on an adapter, each an interface of
# its own with the adapter's type, flags and address, never listed by
# GetAdaptersInfo.
filters() { # first-index type flags address description
    local index=$1 filter
    for filter in "WFP Native MAC Layer LightWeight Filter" "QoS Packet Scheduler" \
        "WFP 802.3 MAC Layer LightWeight Filter"; do
        echo "$index $2 ${3//l/}f $4 = $5-$filter-0000"
        index=$((index + 1))
    done
}

# What every Windows 10 and 11 machine has: the loopback interface, the WAN
# miniports, Teredo's tunnel and the kernel debugger's adapter.
everywhere="\
1 24 - - = Software Loopback Interface 1
40 6 - 32-AD-20-52-41-53 = WAN Miniport (IP)
41 6 - 34-A4-20-52-41-53 = WAN Miniport (IPv6)
42 6 - 36-B1-20-52-41-53 = WAN Miniport (Network Monitor)
43 23 - - = WAN Miniport (PPPOE)
44 131 - - = WAN Miniport (SSTP)
45 131 - - = WAN Miniport (IKEv2)
46 131 - - = WAN Miniport (L2TP)
47 131 - - = WAN Miniport (PPTP)
48 131 - 00-00-00-00-00-00-00-E0 = Teredo Tunneling Pseudo-Interface
49 6 - 02-4B-44-4E-49-43 = Microsoft Kernel Debug Network Adapter"

intel=3C-52-82-4A-1B-2C
realtek=00-E0-4C-68-0A-11
wifi=8C-C6-81-2A-3B-4C
tap="2 6 l 00-FF-4C-1D-77-01 = TAP-Windows Adapter V9
$(filters 20 6 - 00-FF-4C-1D-77-01 "TAP-Windows Adapter V9")"
vmnet="3 6 l 00-50-56-C0-00-01 = VMware Virtual Ethernet Adapter for VMnet1
4 6 l 00-50-56-C0-00-08 = VMware Virtual Ethernet Adapter for VMnet8
$(filters 23 6 - 00-50-56-C0-00-01 "VMware Virtual Ethernet Adapter for VMnet1")
$(filters 26 6 - 00-50-56-C0-00-08 "VMware Virtual Ethernet Adapter for VMnet8")"
intel_port="7 6 lhc $intel = Intel(R) Ethernet Connection (7) I219-V
$(filters 29 6 hc $intel "Intel(R) Ethernet Connection (7) I219-V")"

expect "TAP-Windows below an Intel port: the Intel port" "$intel|0" \
    "$(machine <<<"$everywhere
$tap
$intel_port")"
traced=$(machine -h <<<"$everywhere
$tap
$intel_port")
expect "the trace shows the adapters walked: the port alone" "7 $intel|0" \
    "$(grep -o 'index:[0-9]*' <<<"$traced" | cut -d: -f2 | xargs) ${traced##*$'\n'}"
expect "VMnet1 and VMnet8 below a Realtek port: the Realtek port" "$realtek|0" \
    "$(machine <<<"$everywhere
$vmnet
9 6 lhc $realtek = Realtek PCIe GbE Family Controller
$(filters 29 6 hc $realtek "Realtek PCIe GbE Family Controller")")"
expect "Hyper-V's Default Switch and WSL adapters: the Intel port" "$intel|0" \
    "$(machine <<<"$everywhere
5 6 lh 00-15-5D-E1-50-01 = Hyper-V Virtual Ethernet Adapter
6 6 lh 00-15-5D-A8-6C-02 = Hyper-V Virtual Ethernet Adapter #2
$(filters 20 6 h 00-15-5D-E1-50-01 "Hyper-V Virtual Ethernet Adapter")
$(filters 23 6 h 00-15-5D-A8-6C-02 "Hyper-V Virtual Ethernet Adapter #2")
12 6 h 00-15-5D-E1-50-00 = Hyper-V Virtual Switch Extension Adapter
13 6 h 00-15-5D-A8-6C-00 = Hyper-V Virtual Switch Extension Adapter #2
$intel_port")"

# A Hyper-V host: the port bound to an external switch has no IPv4 binding;
# the switch's host adapter holds it, with the port's address.
external_switch="14 6 lh $intel 00-15-5D-00-04-01 = Hyper-V Virtual Ethernet Adapter
$(filters 20 6 h $intel "Hyper-V Virtual Ethernet Adapter")
15 6 h 00-15-5D-00-04-00 = Hyper-V Virtual Switch Extension Adapter
8 6 hc $intel = Intel(R) Ethernet Connection (7) I219-V
$(filters 29 6 hc $intel "Intel(R) Ethernet Connection (7) I219-V")"
expect "a Hyper-V external switch: the bound port's address, through the switch's adapter" \
    "$intel|0" "$(machine <<<"$everywhere
$external_switch")"
expect "a second port bound to a switch, beside one with its own address: the lower index" \
    "$intel|0" "$(machine <<<"$everywhere
${external_switch/14 6 lh/6 6 lh}
9 6 lhc $realtek = Realtek PCIe GbE Family Controller
$(filters 32 6 hc $realtek "Realtek PCIe GbE Family Controller")")"
expect "a switch over a Wi-Fi adapter: not the Wi-Fi's address, the wired port" "$realtek|0" \
    "$(machine <<<"$everywhere
19 6 lh $wifi 00-15-5D-00-04-03 = Hyper-V Virtual Ethernet Adapter
$(filters 20 6 h $wifi "Hyper-V Virtual Ethernet Adapter")
11 71 hc $wifi = Intel(R) Wi-Fi 6 AX201 160MHz
$(filters 26 71 hc $wifi "Intel(R) Wi-Fi 6 AX201 160MHz")
23 6 lhc $realtek = Realtek PCIe GbE Family Controller
$(filters 32 6 hc $realtek "Realtek PCIe GbE Family Controller")")"
expect "a Wi-Fi-only laptop with TAP and VMnet adapters: nothing" "|0" \
    "$(machine <<<"$everywhere
$tap
$vmnet
9 6 lhc 8C-C6-81-2A-3B-4D = Bluetooth Device (Personal Area Network)
14 71 lhc $wifi = Intel(R) Wi-Fi 6 AX201 160MHz
$(filters 32 71 hc $wifi "Intel(R) Wi-Fi 6 AX201 160MHz")
15 71 - 8E-C6-81-2A-3B-4C = Microsoft Wi-Fi Direct Virtual Adapter")"
expect "a virtual machine's one synthetic adapter: its address" "00-15-5D-01-02-03|0" \
    "$(machine <<<"$everywhere
6 6 lhc 00-15-5D-01-02-03 = Microsoft Hyper-V Network Adapter
$(filters 20 6 hc 00-15-5D-01-02-03 "Microsoft Hyper-V Network Adapter")")"
expect "GetIfTable2 fails: exit 1 and the cause, never a guess" \
    "primary-mac: cannot list network adapters: cannot tell hardware from other interfaces \
(GetIfTable2): Not enough memory"$'\r\n|1' \
    "$(machine <<<"GetIfTable2 fails 8
$everywhere
$tap
$intel_port")"

expect "the library's DLL, from the same layer: the Intel port" "$intel|0" \
    "$(program=$consumer machine <<<"$everywhere
$tap
$intel_port")"

# Windows before Vista: no GetIfTable2, and nothing left out.
cp "$tests/iphlpapi_without_table.dll" "$system/iphlpapi.dll"
expect "without GetIfTable2: the lowest index, TAP-Windows" "00-FF-4C-1D-77-01|0" \
    "$(machine <<<"$everywhere
$tap
$intel_port")"
expect "without GetIfTable2, VMnet1 and VMnet8 below a Realtek port: their shared addresses never" \
    "$realtek|0" "$(machine <<<"$everywhere
$vmnet
9 6 lhc $realtek = Realtek PCIe GbE Family Controller")"

exit $failed
