#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what is
# missing (as root, with apt-get), builds, and runs every test. It builds in
# trees of its own under build/ci, so the user's build/native and the other
# presets' trees stay as they were.
set -euo pipefail
cd "$(dirname "$0")/.."

# The builds' own packages (scripts/builds.txt), and the tests' tools.
builds=$(grep -v '^#' scripts/builds.txt)
packages=(cmake make libgtest-dev iproute2 util-linux file
    wine wine32:i386 wine64 qemu-user-static
    clang libclang-rt-14-dev clang-format clang-tidy valgrind
    dpkg devscripts lintian mandoc unzip rpmlint git python3
    $(awk '{ for (i = 5; i <= NF; i++) print $i }' <<<"$builds"))
scripts/install-missing.sh "${packages[@]}"

ci=$PWD/build/ci
build() { # preset [cmake options...]
    local preset=$1
    shift
    cmake --preset "$preset" -B "$ci/$preset" -DPRIMARY_MAC_WERROR=ON "$@"
    cmake --build "$ci/$preset" -j "$(nproc)"
}
# (ctest --preset would run in the preset's own tree, whatever --test-dir says.)
run_tests() { # preset
    (cd "$ci/$1" && ctest --output-on-failure -j "$(nproc)")
}

# The other builds, which the native build's tests check: each where its
# compiler (and musl, for a static one) is here.
while read -r preset compiler library _; do
    if [ "$preset" != native ] && command -v "$compiler" >/dev/null &&
        { [ "$library" = - ] || [ -f "$library" ]; }; then
        build "$preset"
    fi
done <<<"$builds"
build native -DPRIMARY_MAC_REQUIRE_TESTS=ON -DPRIMARY_MAC_BUILD_ROOT="$ci"
run_tests native

# The unit and fake-list tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, a minute of fuzzing, and the library under
# ThreadSanitizer (clang).
if ! command -v clang++ >/dev/null; then
    echo "SKIP: the sanitizer and fuzz tests need clang" >&2
    [ "${CI:-}" != true ] || exit 1
    exit 0
fi
build sanitize -DPRIMARY_MAC_REQUIRE_TESTS=ON
# As the sanitize test preset sets them.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests sanitize

# The library's calls from many threads at once under ThreadSanitizer: its
# tests alone (as the thread-sanitize build and test presets have it).
cmake --preset thread-sanitize -B "$ci/thread-sanitize" -DPRIMARY_MAC_WERROR=ON \
    -DPRIMARY_MAC_REQUIRE_TESTS=ON
cmake --build "$ci/thread-sanitize" -j "$(nproc)" --target library_tests
(cd "$ci/thread-sanitize" && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R Library)
