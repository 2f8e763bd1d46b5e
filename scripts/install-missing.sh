#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, as root with
# apt-get: those named, or with --for COMMAND all that scripts/packages.txt
# lists for the command. Without root it names them and goes on: what needs
# them fails, or a test that needs them skips (and fails under CI). With -n
# it names them and installs nothing.
#
#   install-missing.sh [-n] PACKAGE...
#   install-missing.sh [-n] --for COMMAND
set -euo pipefail
dry_run=false
if [ "${1:-}" = -n ]; then
    dry_run=true
    shift
fi
if [ "${1:-}" = --for ]; then
    source "$(dirname "$0")/builds.sh"
    set -- $(packages_for "$2")
fi

# Whether a package is installed: NAME:ARCH for that architecture, a bare
# NAME for this machine's (or for all). An instance of another architecture
# alone, such as musl-dev:arm64 for the aarch64 build, is not this machine's
# musl-dev.
installed() { # package
    local name=${1%%:*} architecture=${1#*:}
    [ "$architecture" != "$1" ] || architecture=$(dpkg --print-architecture)
    dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null |
        awk -v architecture="$architecture" '($1 == architecture || $1 == "all") &&
            $2 $3 $4 == "installokinstalled" { found = 1 } END { exit !found }'
}

missing=()
for package in "$@"; do
    installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0
if $dry_run; then
    printf '%s\n' "${missing[@]}"
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${missing[*]}; run as root to install them" >&2
    exit 0
fi
# Packages of another architecture (Wine's i386 half) need it enabled first.
for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/.*:\(.*\)/\1/p' | sort -u); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
