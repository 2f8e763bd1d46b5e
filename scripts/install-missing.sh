#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, as root with
# apt-get: those named, or with --for COMMAND all that scripts/packages.txt
# lists for the command. Without root it names them and goes on: what needs
# them fails, or a test that needs them skips (and fails under CI).
#
#   install-missing.sh PACKAGE...
#   install-missing.sh --for COMMAND
set -euo pipefail
if [ "${1:-}" = --for ]; then
    source "$(dirname "$0")/builds.sh"
    set -- $(packages_for "$2")
fi

missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0
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
