#!/usr/bin/env bash
# The README's commands as a new user meets them, in a fresh minimal Debian 12
# root (debootstrap --variant=minbase, git alone added) on a clone of the
# last commit: scripts/build.sh, scripts/release.sh (whose SHA256SUMS must
# check) and CI=true scripts/test.sh, each installing what it uses itself.
# Passes when all three pass; prints the time each took. Needs root,
# debootstrap and the network (about 3 GB from the mirror). The root is made
# under /var/tmp and removed afterwards; with --keep it stays, and --in ROOT
# runs the commands again in it, as a second run would.
#
#   scripts/release-in-fresh-root.sh [--keep] [MIRROR]
#   scripts/release-in-fresh-root.sh --in ROOT
#
# (It runs itself again inside the root's namespace and in the root, as
# --enter and --commands.)
set -euo pipefail
cd "$(dirname "$0")/.."
clone=/root/primary-mac

# In the root: the three commands, each timed, each whatever the others did.
commands() {
    cd "$clone"
    local failed=() start
    run() { # name command...
        start=$SECONDS
        echo "=== $1"
        "${@:2}" || failed+=("$1")
        printf '\n=== %s: %d s\n' "$1" $((SECONDS - start))
    }
    release() { scripts/release.sh && (cd dist && sha256sum --quiet -c SHA256SUMS); }
    run scripts/build.sh scripts/build.sh
    run scripts/release.sh release
    run "CI=true scripts/test.sh" env CI=true scripts/test.sh
    [ ${#failed[@]} = 0 ] || { echo "failed: ${failed[*]}"; return 1; }
}

# In a private mount namespace: the root as a mount point of its own (which
# the tests' unshare -m needs), its /proc, /sys and /dev, then the commands
# in it.
enter() { # root
    mount --bind "$1" "$1"
    mount -t proc proc "$1/proc"
    mount -t sysfs sysfs "$1/sys"
    mount --rbind /dev "$1/dev"
    exec chroot "$1" "$clone/scripts/release-in-fresh-root.sh" --commands
}

case ${1:-} in
--commands)
    commands
    exit
    ;;
--enter) enter "$2" ;;
esac

[ "$(id -u)" = 0 ] || { echo "needs root (debootstrap, chroot)" >&2; exit 1; }
keep=false root=
case ${1:-} in
--keep) keep=true && shift ;;
--in) root=$2 && shift 2 ;;
esac
mirror=${1:-http://deb.debian.org/debian}
start=$SECONDS

if [ -z "$root" ]; then
    scripts/install-missing.sh debootstrap
    root=$(mktemp -d /var/tmp/primary-mac-root.XXXXXX)
    $keep || trap 'rm -rf --one-file-system "$root"' EXIT
    debootstrap --variant=minbase --include=git bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
        { tail -n 20 "$root.log"; echo "FAIL: debootstrap (log: $root.log)"; exit 1; }
    rm -f "$root.log"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # The certificate authorities that this machine adds to Debian's: a proxy
    # in front of the registries may sign for them.
    cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
    mkdir -p "$root/etc/ssl/certs"
    cp /etc/ssl/certs/ca-certificates.crt "$root/etc/ssl/certs/"
    git clone -q . "$root$clone"
fi

status=0
unshare -m "$0" --enter "$root" || status=$?
minutes=$(((SECONDS - start) / 60)) seconds=$(((SECONDS - start) % 60))
if [ $status = 0 ]; then
    echo "PASS: the README's commands and the release in a Debian 12 root, in ${minutes}m${seconds}s"
else
    echo "FAIL: the README's commands and the release in a Debian 12 root (status $status)," \
        "after ${minutes}m${seconds}s"
fi
! $keep || echo "the root stays in $root: --in $root runs the commands again there"
exit $status
