#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what is
# missing (as root, with apt-get), builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ libgtest-dev iproute2 util-linux file
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
    musl-dev g++-aarch64-linux-gnu musl-dev:arm64 qemu-user-static
    clang libclang-rt-14-dev clang-format clang-tidy valgrind
    dpkg groff-base unzip git python3)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" != 0 ]; then
    # The tests that need them skip (and fail under CI).
    echo "missing packages: ${missing[*]}; run as root to install them" >&2
elif [ ${#missing[@]} -gt 0 ]; then
    # Wine runs the 32-bit executable with Debian's i386 packages; the
    # aarch64 build links musl from the arm64 ones.
    for arch in i386 arm64; do
        dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
    done
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

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
        cmake --preset "$preset" -DPRIMARY_MAC_WERROR=ON
        cmake --build --preset "$preset"
    fi
done
cmake --preset native -DPRIMARY_MAC_WERROR=ON
cmake --build --preset native -j "$(nproc)"
ctest --preset native -j "$(nproc)"

# The unit and fake-list tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a minute of fuzzing (clang).
if ! command -v clang++ >/dev/null; then
    echo "SKIP: the sanitizer and fuzz tests need clang" >&2
    [ "${CI:-}" != true ] || exit 1
    exit 0
fi
cmake --preset sanitize -DPRIMARY_MAC_WERROR=ON
cmake --build --preset sanitize -j "$(nproc)"
ctest --preset sanitize -j "$(nproc)"
