#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what is
# missing (as root, with apt-get; scripts/packages.txt), builds, and runs
# every test. It builds in trees of its own under build/ci, so the user's
# build/native and the other presets' trees stay as they were.
#
# Its stages run whatever the others did: the other builds, the native build
# and its tests, the sanitizer build and its tests, the library's tests under
# ThreadSanitizer. The last line names those
# that failed, if any, and the status is then 1.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
# shellcheck source=scripts/builds.sh
source scripts/builds.sh

# What cannot be installed now (a registry mid-sync) fails only the tests
# that need it, each naming it under CI.
scripts/install-missing.sh --for test || echo "scripts/test.sh: going on without those"

ci=$PWD/build/ci
build() { # preset [cmake options...]
    local preset=$1
    shift
    cmake --preset "$preset" -B "$ci/$preset" -DPRIMARY_MAC_WERROR=ON "$@" &&
        cmake --build "$ci/$preset" -j "$(nproc)"
}
# (ctest --preset would run in the preset's own tree, whatever --test-dir says.)
run_tests() { # preset [environment...]
    (cd "$ci/$1" && env "${@:2}" ctest --output-on-failure -j "$(nproc)")
}

failed=()
# Runs a stage: its name, then the command.
stage() {
    echo "=== $1"
    "${@:2}" || failed+=("$1")
}

# The other builds, which the native build's tests check: each where its
# compiler (and musl, for a static one) is here.
other_builds() {
    local preset compiler library status=0
    while read -r preset _ compiler library _; do
        if [ "$preset" != native ] && command -v "$compiler" >/dev/null &&
            { [ "$library" = - ] || [ -f "$library" ]; }; then
            build "$preset" || status=1
        fi
    done < <(builds)
    return $status
}
stage builds other_builds

native() {
    build native -DPRIMARY_MAC_REQUIRE_TESTS=ON -DPRIMARY_MAC_BUILD_ROOT="$ci" && run_tests native
}
stage native native

# The environment that a test preset of CMakePresets.json sets, NAME=VALUE a
# line: the sanitizers' options live there alone.
preset_environment() { # preset
    python3 -c 'import json, sys
for preset in json.load(open("CMakePresets.json"))["testPresets"]:
    if preset["name"] == sys.argv[1]:
        print("\n".join(f"{name}={value}" for name, value in preset["environment"].items()))' "$1"
}

# Runs a stage's function where clang is, which the sanitizers need; without
# it the stage is skipped, or fails under CI.
with_clang() { # function
    if ! command -v clang++ >/dev/null; then
        echo "SKIP: $1 needs clang" >&2
        [ "${CI:-}" != true ]
        return
    fi
    "$1"
}

# The unit and fake-list tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a minute of fuzzing.
sanitize() {
    local environment
    environment=$(preset_environment sanitize) &&
        build sanitize -DPRIMARY_MAC_REQUIRE_TESTS=ON &&
        run_tests sanitize $environment
}
stage sanitize with_clang sanitize

# The library's calls from many threads at once under ThreadSanitizer: its
# tests alone, as the thread-sanitize presets have them.
thread_sanitize() {
    local environment
    environment=$(preset_environment thread-sanitize) &&
        cmake --preset thread-sanitize -B "$ci/thread-sanitize" -DPRIMARY_MAC_WERROR=ON \
            -DPRIMARY_MAC_REQUIRE_TESTS=ON &&
        cmake --build "$ci/thread-sanitize" -j "$(nproc)" --target library_tests &&
        (cd "$ci/thread-sanitize" && env $environment ctest --output-on-failure -R Library)
}
stage thread-sanitize with_clang thread_sanitize

if [ ${#failed[@]} -gt 0 ]; then
    echo "scripts/test.sh: failed stages: ${failed[*]}"
    exit 1
fi
echo "scripts/test.sh: no stage failed (builds, native, sanitize, thread-sanitize)"
