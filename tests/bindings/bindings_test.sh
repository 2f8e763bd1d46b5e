#!/usr/bin/env bash
# A language's package over the library, as that language's users take it:
# made and installed with the language's own tools against the library's
# installed files, then, in each case of cases.sh, its own tests check its
# call against what the program answers there, and the example of the
# package's README, which is its example program, prints what the
# program prints, on both streams, with its exit status. Outside the harness
# those of its tests skip, saying why. The package declares the project's
# version. Without root, or without the language's tools, the cases skip,
# except under CI.
#
#   bindings_test.sh LANGUAGE PROGRAM BUILD [BUILD_ROOT]
#
# BUILD is the native build tree, installed here with cmake --install into a
# staging directory; BUILD_ROOT (default: BUILD's parent) holds the tree of
# each build of scripts/builds.txt, BUILD_ROOT/<preset>, for the packages that
# carry the library built. LANGUAGE names tests/bindings/LANGUAGE.sh, the
# recipe, which defines, for the work directory $work and the package's folder
# $package:
#  - `prepare`, which makes and installs the package with the library's files
#    on the tools' paths (PKG_CONFIG_PATH, LD_LIBRARY_PATH,
#    PRIMARY_MAC_LIB_DIR; `files` is their prefix), and sets `version`, the
#    version that the package declares (empty for one that ships in the
#    source tarball and declares none);
#  - `example`, the example of the package's README, as FENCE:FILE (the
#    fence's language, the file in the package's folder), and `run_example`,
#    which runs it as installed;
#  - `run_tests`, which runs the package's own tests, and `skipped_status`,
#    their exit status when they skip (0 unless set).
# The two commands run again in each case's namespaces, where the recipe is
# read again but nothing is prepared: they use $work, $package and what
# `prepare` exports alone. In each case the package's tests see the program's
# answer there: PRIMARY_MAC_EXPECTED_OUTCOME is found, no_adapter or failed,
# PRIMARY_MAC_EXPECTED_MAC the address (empty but when found),
# PRIMARY_MAC_EXPECTED_FAILURE the cause (empty but when failed) and
# PRIMARY_MAC_EXPECTED_VERSION the library's version; and
# PRIMARY_MAC_ANSWER_UNDER_SYSFS is this namespace's answer, which a test in
# the failed case gets once it unmounts the tmpfs that hides /sys there.
# shellcheck source-path=SCRIPTDIR/..
set -u
tests=$(cd "$(dirname "$0")/.." && pwd)
source "$tests/lib/testlib.sh"
source "$tests/lib/fake_sysfs.sh"
source "$tests/lib/cases.sh"
source "$tests/../scripts/builds.sh"

# Reads a language's recipe, for a work directory.
recipe() { # language work
    language=$1 work=$2 skipped_status=0
    package=$(cd "$tests/../bindings/$language" && pwd)
    # shellcheck disable=SC1090 # each recipe is checked on its own
    source "$tests/bindings/$language.sh"
}

# In a case: the program's outcome, the example's, and the status of the
# package's tests with their output, each ended by a NUL.
in_each() { # language work program
    local program=$3 answer status
    recipe "$1" "$2"
    answer=$("$program" 2>"$work/stderr")
    status=$?
    export PRIMARY_MAC_EXPECTED_MAC=$answer PRIMARY_MAC_EXPECTED_OUTCOME=found
    export PRIMARY_MAC_EXPECTED_FAILURE
    PRIMARY_MAC_EXPECTED_FAILURE=$(sed "s/^primary-mac: //" "$work/stderr")
    [ -n "$answer" ] || PRIMARY_MAC_EXPECTED_OUTCOME=no_adapter
    [ "$status" = 0 ] || PRIMARY_MAC_EXPECTED_OUTCOME=failed
    outcome "$program" 2>&1
    printf '\0'
    outcome run_example 2>&1
    printf '\0'
    (run_tests) >"$work/tests" 2>&1
    printf '%d\0' $?
    cat "$work/tests"
    printf '\0'
}
run_namespace_case "$@"

language=$1
program=$2
build=$3
# shellcheck disable=SC2034 # for the recipe
build_root=${4:-$(dirname "$build")}
[ -f "$program" ] || missing "no $program: build it first"
require cmake pkg-config

work=$(mktemp -d)
# What a recipe leaves outside the work directory, if anything.
clean_up() { :; }
trap 'clean_up; rm -rf "$work"' EXIT
recipe "$language" "$work"
use_library "$build"
export PRIMARY_MAC_LIB_DIR=$LD_LIBRARY_PATH PRIMARY_MAC_EXPECTED_VERSION
PRIMARY_MAC_EXPECTED_VERSION=$(project_version)

prepare
[ -z "$version" ] ||
    expect "$language: the package's version is the project's" "$PRIMARY_MAC_EXPECTED_VERSION" "$version"
# shellcheck disable=SC2154 # the recipe's
expect_readme_example "${example%%:*}" "$package/${example#*:}" "$package/README.md"

# Run as a person runs them, without the program's answer, the tests that
# need it skip in the language's own way, saying so and why: they must never
# pass with nothing checked.
(unset PRIMARY_MAC_EXPECTED_VERSION && run_tests) >"$work/tests" 2>&1
skipped="$? $(grep -qiE 'skip|ignored' "$work/tests" && grep -q bindings_test.sh "$work/tests" &&
    echo yes)"
expect "$language tests without the harness: skipped, saying why" "$skipped_status yes" "$skipped"
[ "$skipped" = "$skipped_status yes" ] || cat "$work/tests"

check() { # case flags setup
    local outcomes
    mapfile -d "" -t outcomes < <(in_case "$2" "$3" in_each "$language" "$work" "$program")
    expect "$language example, $1: as the program (${outcomes[0]%%$'\n'*})" "${outcomes[0]}" \
        "${outcomes[1]}"
    expect "$language tests, $1: pass" 0 "${outcomes[2]}"
    [ "${outcomes[2]}" = 0 ] || printf '%s\n' "${outcomes[3]}"
}
export PRIMARY_MAC_ANSWER_UNDER_SYSFS
PRIMARY_MAC_ANSWER_UNDER_SYSFS=$("$program" 2>/dev/null)
each_case check
exit $failed
