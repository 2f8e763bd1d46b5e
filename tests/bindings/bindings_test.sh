#!/usr/bin/env bash
# A language's package over the library, as that language's users take it:
# made and installed with the language's own tools against the library's
# installed files, then, in each case of cases.sh, its own tests check its
# call against what the program answers there, and the example of the
# package's README, which is its example program, prints what the
# program prints, on both streams, with its exit status. The package declares
# the project's version. Without root, or without the language's tools, the
# cases skip, except under CI.
#
#   bindings_test.sh LANGUAGE PROGRAM BUILD [BUILD_ROOT]
#
# BUILD is the native build tree, installed here with cmake --install into a
# staging directory; BUILD_ROOT (default: BUILD's parent) holds the tree of
# each build of scripts/builds.txt, BUILD_ROOT/<preset>, for the packages that
# carry the library built. LANGUAGE names tests/bindings/LANGUAGE.sh, which
# runs with the library's files on the tools' paths (PKG_CONFIG_PATH,
# LD_LIBRARY_PATH, PRIMARY_MAC_LIB_DIR; `files` is their prefix) and sets,
# for the work directory $work and the package's folder $package:
#  - `version`, the version that the package declares (empty for one that
#    ships in the source tarball and declares none);
#  - `example`, the example of the package's README, as FENCE:FILE (the
#    fence's language, the file in the package's folder), and `run_example`,
#    the command that runs it as installed;
#  - `run_tests`, the command that runs the package's own tests.
# Each command is an array of its words, or a string of shell code.
# In each case the package's tests see the program's answer there:
# PRIMARY_MAC_EXPECTED_OUTCOME is found, no_adapter or failed,
# PRIMARY_MAC_EXPECTED_MAC the address (empty but when found),
# PRIMARY_MAC_EXPECTED_FAILURE the cause (empty but when failed) and
# PRIMARY_MAC_EXPECTED_VERSION the library's version; and
# PRIMARY_MAC_ANSWER_UNDER_SYSFS is this namespace's answer, which a test in
# the failed case gets once it unmounts the tmpfs that hides /sys there.
set -u
tests=$(cd "$(dirname "$0")/.." && pwd)
source "$tests/lib/testlib.sh"
source "$tests/lib/fake_sysfs.sh"
source "$tests/lib/cases.sh"
source "$tests/../scripts/builds.sh"
language=$1
program=$2
build=$3
# shellcheck disable=SC2034 # for the language's recipe
build_root=${4:-$(dirname "$build")}
package=$(cd "$tests/../bindings/$language" && pwd)
[ -f "$program" ] || missing "no $program: build it first"
require cmake pkg-config

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
use_library "$build"
export PRIMARY_MAC_LIB_DIR=$LD_LIBRARY_PATH PRIMARY_MAC_EXPECTED_VERSION
PRIMARY_MAC_EXPECTED_VERSION=$(project_version)

source "$tests/bindings/$language.sh"
[ -z "$version" ] ||
    expect "$language: the package's version is the project's" "$PRIMARY_MAC_EXPECTED_VERSION" "$version"
expect_readme_example "${example%%:*}" "$package/${example#*:}" "$package/README.md"

# A recipe's command (run_example, run_tests) as shell code.
command_code() { # name
    local -n words=$1
    if [[ $(declare -p "$1") == "declare -a"* ]]; then
        printf '%q ' "${words[@]}"
    else
        printf '%s' "$words"
    fi
}

# In a case: the program's outcome, the example's, and the status of the
# package's tests with their output, each ended by a NUL.
in_each() { # flags setup
    in_case "$1" "$2" '
        answer=$("$1" 2>"$2/stderr")
        status=$?
        export PRIMARY_MAC_EXPECTED_MAC=$answer PRIMARY_MAC_EXPECTED_OUTCOME=found
        export PRIMARY_MAC_EXPECTED_FAILURE=$(sed "s/^primary-mac: //" "$2/stderr")
        [ -n "$answer" ] || PRIMARY_MAC_EXPECTED_OUTCOME=no_adapter
        [ "$status" = 0 ] || PRIMARY_MAC_EXPECTED_OUTCOME=failed
        outcome "$1" 2>&1; printf "\0"
        outcome '"$(command_code run_example)"' 2>&1; printf "\0"
        ( '"$(command_code run_tests)"' ) >"$2/tests" 2>&1; printf "%d\0" $?
        cat "$2/tests"; printf "\0"' "$program" "$work"
}
check() { # case flags setup
    local outcomes
    mapfile -d "" -t outcomes < <(in_each "$2" "$3")
    expect "$language example, $1: as the program (${outcomes[0]%%$'\n'*})" "${outcomes[0]}" \
        "${outcomes[1]}"
    expect "$language tests, $1: pass" 0 "${outcomes[2]}"
    [ "${outcomes[2]}" = 0 ] || printf '%s\n' "${outcomes[3]}"
}
export PRIMARY_MAC_ANSWER_UNDER_SYSFS
PRIMARY_MAC_ANSWER_UNDER_SYSFS=$("$program" 2>/dev/null)
each_case check
exit $failed
