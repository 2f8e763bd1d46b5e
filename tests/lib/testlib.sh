# shellcheck shell=bash
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

# The code of a README's ```FENCE blocks, as users copy it: the project's
# README unless another is named.
readme_block() { # fence [readme]
    sed -n '/^```'"$1"'$/,/^```$/{/^```/d;p}' "${2:-$(dirname "${BASH_SOURCE[0]}")/../../README.md}"
}

# Records that a README's ```FENCE example is the file a test runs.
expect_readme_example() { # fence file [readme]
    expect "${3:-README}: its $1 example is ${2##*/}" "$(cat "$2")" "$(readme_block "$1" "${3:-}")"
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

# --- Cases in private namespaces ---
# A case is a function of the test script, which runs again in the case's
# namespaces to call it, its arguments passed as arguments, as iproute2's
# testsuite runs its cases: no shell code in strings.

# The test script, by a path that holds wherever the test later changes to.
test_script=$(cd "$(dirname "$0")" && pwd)/${0##*/}

# Runs the test script again in new namespaces of the kinds that unshare's
# FLAGS make (-n, -nm; "" for this process's own), there to call FUNCTION with
# the arguments (run_namespace_case). Prints what it prints; its status is
# the function's.
in_namespace() { # flags function [argument...]
    local enter=()
    [ -z "$1" ] || enter=(unshare "$1" --)
    "${enter[@]}" "$BASH" "$test_script" --in-namespace "${@:2}"
}

# Where the test script was started by in_namespace: calls the function with
# its arguments and exits with its status. Each test that makes cases calls
# it with its own arguments after its functions and before its main body.
run_namespace_case() { # the script's arguments
    [ "${1:-}" = --in-namespace ] || return 0
    "${@:2}"
    exit
}

# Runs each setup function, any command failing in one ending the case with
# its status and a message, then the command: a case, in_namespace -nm after
# SETUP -- ...
after() { # setup... -- command [argument...]
    trap 'echo "FAIL: setting up the case: $BASH_COMMAND" >&2' ERR
    set -eE
    while [ "$1" != -- ]; do
        "$1"
        shift
    done
    set +eE
    trap - ERR
    "${@:2}"
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

# Whether this kernel runs 32-bit x86 programs. Some run 64-bit ones only (IA-32
# emulation off: some virtual machines, kernels booted with ia32_emulation=0),
# and executing any i386 program there fails with "Exec format error". Tried
# once, on the smallest such program, made with binutils' as and ld.
kernel_runs_i386() {
    if [ -z "${kernel_i386:-}" ]; then
        local probe error
        probe=$(mktemp) || exit 1
        printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
            as --32 -o "$probe.o" - && ld -m elf_i386 -o "$probe" "$probe.o" ||
            missing "cannot make a 32-bit x86 program to try the kernel with (binutils)"
        error=$("$probe" 2>&1) && kernel_i386=yes
        grep -q 'Exec format error' <<<"$error" && kernel_i386=no
        rm -f "$probe" "$probe.o"
        kernel_i386=${kernel_i386:-yes}
    fi
    [ "$kernel_i386" = yes ]
}

# The one line that stands for the cases which run a 32-bit program, where the
# kernel runs none: no install step can change a kernel, so under CI too.
no_i386_cases() { # what is skipped
    echo "SKIP: this kernel runs no 32-bit x86 programs (IA-32 emulation is off): $*"
}

# Ends a win32 test where the kernel runs no 32-bit programs, after the checks
# of its files: skipped with that line, or failed if one of those failed.
stop_without_i386() { # flavour what is skipped
    [ "$1" = win32 ] && ! kernel_runs_i386 || return 0
    no_i386_cases "$2"
    [ "$failed" = 0 ] && exit 77
    exit 1
}

# Sets `tools`, the MinGW tools' prefix for a Windows flavour (win32, win64),
# and `format`, what file(1) says of its console program, or of its DLL.
# shellcheck disable=SC2034 # for the caller
windows_flavour() { # flavour [DLL]
    # shellcheck disable=SC2034 # for the caller
    case $1 in
    win32) tools=i686-w64-mingw32 format="PE32 executable ${2:+($2) }(console) Intel 80386" ;;
    win64) tools=x86_64-w64-mingw32 format="PE32+ executable ${2:+($2) }(console) x86-64" ;;
    *) echo "unknown flavour $1" >&2 && exit 2 ;;
    esac
}

# The 32-bit Wine's root (i386_root.sh), which needs nothing of the host's
# architectures.
i386_root=$(dirname "${BASH_SOURCE[0]}")/i386_root.sh

# Sets up the Wine of a flavour, with a fresh prefix in the given directory,
# for every later wine_run: `wine`, the command that runs a Windows program,
# and `wineserver`. win64: the host's wine64 (which also installs a win32
# MSI, but runs no 32-bit program). win32: the 32-bit Wine of the i386 root,
# made first if need be (where it cannot be made, the cases skip, or fail
# under CI, with the cause), which sees the prefix and each shared directory
# at its own path.
wine_prefix() { # directory flavour [shared directory...]
    require ip
    mkdir -p "$1"
    export WINEDEBUG=-all WINEPREFIX=$1
    case $2 in
    win32)
        local error
        { error=$("$i386_root" make 2>&1 >&3); } 3>&1 || missing "$error"
        unset WINELOADER
        wine=("$i386_root" run "$1" "${@:3}" -- wine)
        wineserver=("$i386_root" run "$1" "${@:3}" -- wineserver)
        ;;
    win64)
        # The loader that Wine starts its own programs with, too.
        export WINELOADER=/usr/lib/wine/wine64
        [ -x "$WINELOADER" ] || missing "no $WINELOADER (wine64)"
        wine=("$WINELOADER") wineserver=(/usr/lib/wine/wineserver64)
        ;;
    *) echo "unknown flavour $2" >&2 && exit 2 ;;
    esac
    wine_run none wineboot -i >/dev/null 2>&1
}

# Setups for wine_run: a network namespace that holds no interface but
# loopback; one with one Ethernet adapter, lan7, 02:00:00:00:00:07.
none() { :; }
lan7() { add lan7 7 02:00:00:00:00:07; }

# In a setup of wine_run: makes an Ethernet interface of the given name,
# index and address in its network namespace.
add() { # name index address
    ip -n "$netns" link add name "$1" index "$2" address "$3" type ifb
}

# Runs a Windows program with its arguments in a Wine session of its own, in a
# network namespace of its own that SETUP, a function of the test, fills
# first (with `add`, or `ip -n "$netns" ...`), and that goes with the session.
# Prints the program's whole output, "|" and its exit status. With
# via=closed_pipe its standard output is a pipe whose reader has gone.
wine_run() { # setup program [argument...]
    # A name no other session has, even one that a killed run left behind.
    local netns=primary-mac-$BASHPID-$SRANDOM status
    ip netns add "$netns" 2>&1 || return
    # Each command of the setup must succeed.
    (set -e; "$1")
    status=$?
    if [ "$status" = 0 ]; then
        ${via:+"$via"} ip netns exec "$netns" "${wine[@]}" "${@:2}" || status=$?
        ip netns exec "$netns" "${wineserver[@]}" -w
    else
        echo "the setup $1 failed"
    fi
    ip netns delete "$netns"
    printf '|%d' "$status"
}
