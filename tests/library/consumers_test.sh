#!/usr/bin/env bash
# Programs that embed the library, built against its installed files as their
# authors would build them: a C program through pkg-config, a C++ program
# through find_package(primary-mac CONFIG), and the C one again with the
# static library. Each must print what the program prints, on both streams,
# with its exit status, in each case of cases.sh. The shared library exports
# its two calls and nothing else, the static library has no other global name,
# and the README's example is the C consumer's own code. The private
# namespaces need root; without it, or without a tool, the cases skip, except
# under CI.
#
#   consumers_test.sh PROGRAM FILES
#
# FILES is a build tree, installed here with cmake --install into a staging
# directory, or the prefix of files installed already (usr/ of unpacked .debs).
# shellcheck source-path=SCRIPTDIR
set -u
source "$(dirname "$0")/../lib/testlib.sh"
source "$(dirname "$0")/../lib/fake_sysfs.sh"
source "$(dirname "$0")/../lib/cases.sh"

# Each command's output on both streams and its exit status, each ended by a
# NUL.
outcomes() { # command...
    local command
    for command in "$@"; do
        outcome "$command" 2>&1
        printf '\0'
    done
}
run_namespace_case "$@"

consumers=$(cd "$(dirname "$0")" && pwd)
program=$1
require cc pkg-config cmake nm

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
use_library "$2"

expect "the shared library exports the calls alone" "primary_mac_get primary_mac_version" \
    "$(nm -D --defined-only "$LD_LIBRARY_PATH/libprimary-mac.so" | awk '{ print $3 }' | sort | xargs)"
expect "the static library's global names are the calls alone" "primary_mac_get primary_mac_version" \
    "$(nm -g --defined-only "$LD_LIBRARY_PATH/libprimary-mac.a" | awk 'NF == 3 { print $3 }' | sort | xargs)"

# pkg-config's flags as words: it escapes a space in a path with a backslash,
# as read takes it without -r.
# shellcheck disable=SC2162
read -a compile <<<"$(pkg-config --cflags primary-mac)" &&
    read -a link <<<"$(pkg-config --libs primary-mac)" ||
    { echo "FAIL: pkg-config does not find primary-mac"; exit 1; }
cc -Wall -Wextra -Werror -std=c99 "$consumers/consumer.c" -o "$work/c" "${compile[@]}" "${link[@]}" ||
    { echo "FAIL: the C consumer does not build with pkg-config"; exit 1; }
cc -Wall -Wextra -Werror -std=c99 "$consumers/consumer.c" -o "$work/c-static" "${compile[@]}" \
    "$LD_LIBRARY_PATH/libprimary-mac.a" ||
    { echo "FAIL: the C consumer does not build with the static library"; exit 1; }
{ cmake -S "$consumers/cpp" -B "$work/cpp" -DCMAKE_PREFIX_PATH="$files" -DCMAKE_CXX_FLAGS=-Werror &&
    cmake --build "$work/cpp"; } >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: the C++ consumer does not build with find_package"; exit 1; }
programs=("$work/c" "$work/c-static" "$work/cpp/consumer")

# The README shows the C consumer's own code.
expect_readme_example c "$consumers/consumer.c"
names=(C "C, static" C++)

# In a case: the program's outcome, then the consumers'.
compare() { # case flags setup
    local outcomes answer i
    mapfile -d "" -t outcomes < <(in_case "$2" "$3" outcomes "$program" "${programs[@]}")
    answer=${outcomes[0]}
    for i in "${!names[@]}"; do
        expect "${names[i]}, $1: as the program (${answer%%$'\n'*})" "$answer" "${outcomes[i + 1]}"
    done
}
each_case compare
exit $failed
