#!/usr/bin/env bash
# Which packages install-missing.sh finds missing, on a machine that dpkg
# stubs describe: an amd64 machine whose packages are the instances listed
# below. A name without architecture is this machine's (or all's) instance,
# whatever is installed for another.
set -u
source "$(dirname "$0")/../testlib.sh"
script=$(dirname "$0")/../../scripts/install-missing.sh

stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
cat >"$stubs/dpkg" <<'STUB'
#!/bin/sh
[ "$1" = --print-architecture ] && echo amd64
STUB
# dpkg-query -W -f='${Architecture} ${Status}\n' NAME: each instance of NAME.
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/sh
for name; do :; done
grep "^$name " <<'INSTANCES' | cut -d ' ' -f 2- | grep . || exit 1
musl-dev arm64 install ok installed
g++ amd64 install ok installed
wine32 i386 install ok installed
python3-olefile all install ok installed
lintian all deinstall ok config-files
INSTANCES
STUB
chmod +x "$stubs"/*

while read -r package expected; do
    expect "$package: ${expected:-installed}" "$expected" \
        "$(PATH=$stubs:$PATH "$script" -n "$package")"
done <<'ROWS'
musl-dev musl-dev
musl-dev:arm64
musl-dev:amd64 musl-dev:amd64
g++
g++:arm64 g++:arm64
wine32:i386
wine32 wine32
python3-olefile
lintian lintian
clang clang
ROWS
exit $failed
