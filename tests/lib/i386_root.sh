#!/usr/bin/env bash
# The 32-bit Wine that runs the win32 programs: an i386 Debian 12 root of its
# own, made by debootstrap from the bookworm main suite alone, so that its
# packages always agree with one another, whatever architectures the host has
# and however far the mirror's security suite is from them. It is made once
# and kept in $PRIMARY_MAC_I386_ROOT (/var/cache/primary-mac/i386-root unless
# that names another), made under a lock so that two test runs never make it
# at once, and made again when its recipe changes. Needs root, debootstrap,
# the mirror ($PRIMARY_MAC_DEBIAN_MIRROR, or deb.debian.org) and a kernel
# that runs 32-bit x86 programs.
#
#   i386_root.sh make
#       makes the root unless it is made, and checks it
#   i386_root.sh recipe
#       prints what the root is made of, as its stamp says it
#   i386_root.sh run DIRECTORY... -- COMMAND [ARGUMENT...]
#       runs COMMAND in the root, in a private mount namespace with /proc, a
#       sysfs of the caller's network namespace, /dev, /tmp and each
#       DIRECTORY at its own path; the caller's network namespace, standard
#       streams and environment are kept
#
# A failure is one line on standard error, "i386 root: " and the cause, and
# status 1. (The script enters the namespaces it makes by running itself
# again there, as install-packages and enter.)
set -euo pipefail

root=${PRIMARY_MAC_I386_ROOT:-/var/cache/primary-mac/i386-root}
mirror=${PRIMARY_MAC_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=bookworm
packages=(wine wine32)
# What the root is made of: written into it when it is complete, and
# compared at every use.
recipe="debootstrap --arch=i386 --variant=minbase $suite; apt-get install --no-install-recommends ${packages[*]}"
stamp=.primary-mac-recipe
# What the tests run in it.
wine=usr/lib/wine/wine

fail() {
    echo "i386 root: $*" >&2
    exit 1
}

# The last error a log holds, for the one line.
last_error() { # log
    grep -E '^(E|W): |[Ee]rror' "$1" | tail -n 1 | grep . || tail -n 1 "$1"
}

made() { [ "$(cat "$root/$stamp" 2>/dev/null)" = "$recipe" ]; }

# Takes the lock on the root: shared to use it, exclusive to make it.
lock() { # flock option
    mkdir -p "$(dirname "$root")"
    exec 9>>"$root.lock"
    flock "$1" 9
}

make_root() {
    local new=$root.new log=$root.log
    rm -rf --one-file-system "$new"
    echo "i386 root: making $root from $mirror (about a minute and 0.9 GB)"
    debootstrap --arch=i386 --variant=minbase "$suite" "$new" "$mirror" >"$log" 2>&1 ||
        fail "debootstrap $suite from $mirror failed: $(last_error "$log") (log: $log)"
    cp /etc/resolv.conf "$new/etc/resolv.conf"
    unshare -m "$0" install-packages "$new" >>"$log" 2>&1 ||
        fail "cannot install ${packages[*]} into $new: $(last_error "$log") (log: $log)"
    echo "$recipe" >"$new/$stamp"
    rm -rf --one-file-system "$root"
    mv "$new" "$root"
    rm -f "$log"
}

# In a private mount namespace: apt-get in the new root, with its /proc.
install_packages() { # root
    mount -t proc proc "$1/proc"
    chroot "$1" apt-get update -q
    DEBIAN_FRONTEND=noninteractive chroot "$1" apt-get install -y -q --no-install-recommends \
        "${packages[@]}"
    chroot "$1" apt-get clean
}

# In a private mount namespace: the root with what the command needs, then
# the command.
enter() { # directory... -- command [argument...]
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --rbind /tmp "$root/tmp"
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        mkdir -p "$root$1"
        mount --bind "$1" "$root$1"
        shift
    done
    shift
    exec chroot "$root" "$@"
}

case ${1:-} in
make)
    [ "$(id -u)" = 0 ] || fail "needs root"
    lock -s
    if ! made; then
        lock -x
        made || make_root
    fi
    [ -x "$root/$wine" ] || fail "$root has no /$wine: remove it, and the next run makes it again"
    ;;
run)
    shift
    lock -s
    made || fail "$root is not made: i386_root.sh make"
    directories=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        directories+=("$(realpath "$1")")
        shift
    done
    [ $# -gt 1 ] || fail "no command: i386_root.sh run DIRECTORY... -- COMMAND [ARGUMENT...]"
    exec unshare -m "$0" enter "${directories[@]}" "$@"
    ;;
recipe) echo "$recipe" ;;
install-packages) install_packages "$2" ;;
enter)
    shift
    enter "$@"
    ;;
*)
    echo "usage: i386_root.sh make | recipe | run DIRECTORY... -- COMMAND [ARGUMENT...]" >&2
    exit 2
    ;;
esac
