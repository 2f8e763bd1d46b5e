#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what is
# missing (as root, with apt-get), builds, and runs every test. It builds in
# trees of its own under build/ci, so the user's build/native and the other
# presets' trees stay as they were.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ libgtest-dev iproute2 util-linux file
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
    musl-dev g++-aarch64-linux-gnu musl-dev:arm64 qemu-user-static
    clang libclang-rt-14-dev clang-format clang-tidy valgrind
    dpkg dpkg-dev devscripts lintian mandoc rpm rpmlint wixl python3-olefile unzip git
    python3)
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

# The Windows and the portable static builds, which the native build's tests
# check: each where its compiler (and musl, for a static one) is here.
crosses=(
    "win32 i686-w64-mingw32-g++-win32"
    "win64 x86_64-w64-mingw32-g++-win32"
    "static g++ /usr/lib/x86_64-linux-musl/libc.a"
    "static-aarch64 aarch64-linux-gnu-g++ /usr/lib/aarch64-linux-musl/libc.a"
)
for cross in "${crosses[@]}"; do
    read -r preset compiler library <<<"$cross"
    if command -v "$compiler" >/dev/null && { [ -z "$library" ] || [ -f "$library" ]; }; then
        build "$preset"
    fi
done
build native -DPRIMARY_MAC_REQUIRE_TESTS=ON \
    -DPRIMARY_MAC_WIN32_BUILD="$ci/win32" -DPRIMARY_MAC_WIN64_BUILD="$ci/win64" \
    -DPRIMARY_MAC_STATIC_BUILD="$ci/static" -DPRIMARY_MAC_STATIC_AARCH64_BUILD="$ci/static-aarch64"
run_tests native

# The unit and fake-list tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a minute of fuzzing (clang).
if ! command -v clang++ >/dev/null; then
    echo "SKIP: the sanitizer and fuzz tests need clang" >&2
    [ "${CI:-}" != true ] || exit 1
    exit 0
fi
build sanitize -DPRIMARY_MAC_REQUIRE_TESTS=ON
# As the sanitize test preset sets them.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests sanitize
