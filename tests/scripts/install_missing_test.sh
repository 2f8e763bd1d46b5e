#!/usr/bin/env bash
# install-missing.sh on a machine that stubs describe: an amd64 machine, root,
# whose packages are the instances that dpkg-query lists, and a registry that
# apt-get plays. Which packages it finds missing: a name without architecture
# is this machine's (or all's) instance, or what one of those provides,
# whatever is installed for another. What it does when the registry is
# mid-sync: an index that fails to download, a package that cannot be
# installed, a dependency that apt would take from another architecture.
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/../lib/testlib.sh"
script=$(dirname "$0")/../../scripts/install-missing.sh

stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
cat >"$stubs/id" <<'STUB'
#!/bin/sh
echo 0
STUB
cat >"$stubs/dpkg" <<'STUB'
#!/bin/sh
case $1 in
--print-architecture) echo amd64 ;;
--print-foreign-architectures) echo arm64 ;;
esac
STUB
# What dpkg-query -W -f='${Package} ${Architecture} ${Status} ${Provides}\n'
# lists: the state file, which apt-get's stub changes.
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/sh
cat "$(dirname "$0")/state"
STUB
# The registry: `update` fails when $stubs/update-fails exists; `install`
# installs each package as this machine's, but for those of i386, which
# cannot be installed (that half of the mirror lags behind this machine's), and libnode-dev, which takes nodejs from arm64 in place of
# this machine's unless apt may remove nothing.
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
stubs=$(dirname "$0")
echo "$*" >>"$stubs/calls"
if [ "$1" = update ]; then
    [ ! -e "$stubs/update-fails" ] && exit 0
    echo "Err:3 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "E: Some index files failed to download."
    exit 100
fi
no_remove=false
packages=()
for word in "${@:2}"; do
    case $word in
    --no-remove) no_remove=true ;;
    -*) ;;
    *) packages+=("$word") ;;
    esac
done
for package in "${packages[@]}"; do
    if [[ $package == *:i386 ]]; then
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
    fi
    if [ "$package" = libnode-dev ] && $no_remove; then
        echo "E: Packages need to be removed but remove is disabled."
        exit 100
    fi
done
for package in "${packages[@]}"; do
    [ "$package" != libnode-dev ] || sed -i 's/^nodejs amd64/nodejs arm64/' "$stubs/state"
    echo "${package%%:*} amd64 install ok installed" >>"$stubs/state"
done
STUB
chmod +x "$stubs"/*
state() {
    rm -f "$stubs/calls" "$stubs/update-fails"
    cat >"$stubs/state" <<'INSTANCES'
musl-dev arm64 install ok installed
g++ amd64 install ok installed
nodejs amd64 install ok installed nodejs-dev, npm (= 9.2.0)
wine32 i386 install ok installed
python3-olefile all install ok installed
lintian all deinstall ok config-files
INSTANCES
}
install_missing() { PATH=$stubs:$PATH "$script" "$@" 2>&1; }

# Which of them are missing, each alone.
state
while read -r package expected; do
    expect "$package: ${expected:-installed}" "$expected" "$(install_missing -n "$package")"
done <<'ROWS'
musl-dev musl-dev
musl-dev:arm64
musl-dev:amd64 musl-dev:amd64
g++
g++:arm64 g++:arm64
npm
nodejs-doc nodejs-doc
wine32:i386
wine32 wine32
python3-olefile
lintian lintian
clang clang
ROWS

# Installing, each row on the machine above: the packages asked for, the
# lines the script writes, its status; then the packages missing afterwards.
while IFS='|' read -r name update packages lines status left; do
    state
    [ "$update" = ok ] || touch "$stubs/update-fails"
    read -ra packages <<<"$packages"
    output=$(install_missing "${packages[@]}")
    exit_status=$?
    expect "$name" "$lines|$status|$left" \
        "$(grep '^install-missing' <<<"$output" | paste -sd /)|$exit_status|$(
            install_missing -n "${packages[@]}" | xargs)"
done <<'ROWS'
all installed: nothing asked|ok|g++ npm||0|
a failed update goes on|fails|clang lld|install-missing.sh: warning: an index failed to download (http://deb.debian.org/debian-security bookworm-security/main i386 Packages); going on with those that did|0|
one that cannot be installed keeps no other out|ok|clang zlib1g:i386 lld|install-missing.sh: the packages do not install together; one at a time/install-missing.sh: cannot install zlib1g:i386: E: Unable to correct problems, you have held broken packages./install-missing.sh: missing: zlib1g:i386|1|zlib1g:i386
nodejs is never swapped for another architecture's|ok|libnode-dev clang nodejs|install-missing.sh: the packages do not install together; one at a time/install-missing.sh: cannot install libnode-dev: E: Packages need to be removed but remove is disabled./install-missing.sh: missing: libnode-dev|1|libnode-dev
ROWS
exit $failed
