# Shared by the shell tests; source it. A test that lacks a prerequisite
# skips (exit 77) on a person's machine, but fails under CI (CI=true).

failed=0

# Skips, or fails under CI, with the reason.
missing() {
    if [ "${CI:-}" = true ]; then
        echo "FAIL: $*"
        exit 1
    fi
    echo "SKIP: $*"
    exit 77
}

# Requires each named command.
require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing "$tool is missing"
    done
}

# Records a check: name, expected, actual.
expect() {
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        failed=1
    fi
}

# Runs a command and shows its whole output, then "|" and its exit status, so
# that a trailing line end stays visible.
outcome() {
    "$@"
    printf '|%d' $?
}

# Runs a command with its standard output a pipe whose reader has gone, and
# SIGPIPE as a shell leaves it (python3 resets it for the child).
closed_pipe() {
    python3 -c 'import os, subprocess, sys
reader, writer = os.pipe()
os.close(reader)
sys.exit(subprocess.call(sys.argv[1:], stdout=writer))' "$@"
}

# --- Prerequisites that can fail for a reason the test can see, and say it ---

# Requires private namespaces of the given kinds (unshare's flags: -n, -m),
# naming what stands in the way when they cannot be made here.
require_namespaces() { # flag...
    local flag error
    require unshare
    for flag in "$@"; do
        error=$(unshare "$flag" true 2>&1) && continue
        # unshare -m makes the root's mounts private, which needs / to be a
        # mount point: in a chroot into a plain directory it is not.
        if [ "$flag" = -m ] && ! mountpoint -q / 2>/dev/null; then
            missing "/ is not a mount point: the namespace tests need unshare -m" \
                "(bind-mount the root onto itself)"
        fi
        missing "cannot make a private namespace (unshare $flag: $error)"
    done
}
