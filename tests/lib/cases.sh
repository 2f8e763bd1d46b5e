# shellcheck shell=bash
# The cases in which a program that embeds the library, a language's package
# and the fact must answer as the program does, each one outcome of the call:
# found, in this namespace and in one with adapters laid out as sysfs; no
# adapter; failed, without sysfs. Source it, after testlib.sh and
# fake_sysfs.sh. Every case but the first needs root.

# Each case: its name, unshare's flags (none for this namespace) and the
# function that sets it up (: for none).
library_cases=(
    "this namespace" "" :
    "no adapter" -n :
    "adapters laid out as sysfs" -nm wireless_then_wired
    "no sysfs, a failed query" -m without_sysfs
)
wireless_then_wired() {
    adapter wlp1s0 1 pci0000:00/0000:00:01.0 iwlwifi wlan
    adapter enp2s0 2 pci0000:00/0000:00:02.0 e1000e
}
without_sysfs() { mount -t tmpfs tmpfs /sys; }

# Puts the library's files on the tools' paths (PKG_CONFIG_PATH,
# LD_LIBRARY_PATH) and sets `files`, the prefix that holds them: FILES is a
# build tree, installed with cmake --install into $work/staged, or a prefix
# where they are installed already (usr/ of unpacked .debs).
# shellcheck disable=SC2154 # work: the test's work directory
use_library() { # files
    files=$1
    if [ -f "$files/CMakeCache.txt" ]; then
        cmake --install "$files" --prefix "$work/staged" >/dev/null ||
            { echo "FAIL: cmake --install"; exit 1; }
        files=$work/staged
    fi
    local pc
    pc=$(find "$files" -name primary-mac.pc)
    [ -f "$pc" ] || { echo "FAIL: no primary-mac.pc in $files"; exit 1; }
    export PKG_CONFIG_PATH=${pc%/*} LD_LIBRARY_PATH=${pc%/pkgconfig/*}
}

# Calls the function with its arguments in a case: in the namespaces of the
# flags, after the setup.
in_case() { # flags setup function [argument...]
    in_namespace "$1" after "$2" -- "${@:3}"
}

# Calls `check NAME FLAGS SETUP` for every case, requiring root from the
# second on.
each_case() { # check
    local start
    for ((start = 0; start < ${#library_cases[@]}; start += 3)); do
        if [ "$start" = 3 ]; then
            [ "$(id -u)" = 0 ] || missing "the private namespace cases need root"
            require unshare ip
        fi
        "$1" "${library_cases[@]:start:3}"
    done
}
