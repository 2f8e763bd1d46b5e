#!/usr/bin/env bash
# The release command as a new user meets it: scripts/release.sh in a fresh
# minimal Debian 12 root (debootstrap --variant=minbase, git alone added) on a
# clone of the last commit, so that it installs everything it uses itself.
# Passes when the release finishes and its SHA256SUMS checks. Needs root,
# debootstrap and the network (a few hundred MB from the mirror); the root is
# made under /var/tmp and removed afterwards.
#
#   scripts/release-in-fresh-root.sh [MIRROR]
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${1:-http://deb.debian.org/debian}
[ "$(id -u)" = 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
scripts/install-missing.sh debootstrap

start=$SECONDS
root=$(mktemp -d /var/tmp/primary-mac-root.XXXXXX)
trap 'rm -rf --one-file-system "$root"' EXIT
debootstrap --variant=minbase --include=git bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log"; echo "FAIL: debootstrap (log: $root.log)"; exit 1; }
rm -f "$root.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone -q . "$root/root/primary-mac"

# apt and dpkg need /proc and /dev; a private mount namespace takes the mounts
# away with it.
status=0
unshare -m bash -euc 'mount -t proc proc "$0/proc"
    mount --bind /dev "$0/dev"
    chroot "$0" bash -euc "cd /root/primary-mac && scripts/release.sh &&
        cd dist && sha256sum --quiet -c SHA256SUMS"' "$root" || status=$?
minutes=$(((SECONDS - start) / 60)) seconds=$(((SECONDS - start) % 60))
if [ $status = 0 ]; then
    echo "PASS: the release in a fresh Debian 12 root, in ${minutes}m${seconds}s"
else
    echo "FAIL: the release in a fresh Debian 12 root (status $status), after ${minutes}m${seconds}s"
fi
exit $status
