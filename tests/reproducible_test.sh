#!/usr/bin/env bash
# Reproducible artifacts: the last commit cloned into two directories of
# different names and built in each, with nothing set by the caller, gives
# bit-identical files. Each entry is a preset and the files it ships, relative
# to its build tree. Needs git and the cross compilers; without them it skips,
# except under CI.
set -u
source "$(dirname "$0")/testlib.sh"
source_dir=$1
artifacts=(
    "native primary-mac packages/*.deb"
    "win32 primary-mac.exe packages/*.zip"
    "win64 primary-mac.exe packages/*.zip"
    "static primary-mac packages/*.tar.gz"
    "static-aarch64 primary-mac packages/*.tar.gz"
)
require git cmake cpack sha256sum dpkg-shlibdeps i686-w64-mingw32-g++-win32 \
    x86_64-w64-mingw32-g++-win32 aarch64-linux-gnu-g++
unset SOURCE_DATE_EPOCH

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trees=("$work/one" "$work/second-tree")
for tree in "${trees[@]}"; do
    git clone -q "$source_dir" "$tree" || { echo "FAIL: git clone"; exit 1; }
done

# Prints "sha256  file" for each file that the patterns (one string) match
# in the build tree, or fails if one matches nothing.
digests() { # build-dir "patterns"
    local patterns pattern
    read -ra patterns <<<"$2"
    for pattern in "${patterns[@]}"; do
        (cd "$1" && compgen -G "$pattern" >/dev/null && sha256sum $pattern) || return 1
    done
}

for entry in "${artifacts[@]}"; do
    read -r preset files <<<"$entry"
    sums=()
    for tree in "${trees[@]}"; do
        (cd "$tree" && cmake --preset "$preset" -DBUILD_TESTING=OFF &&
            cmake --build --preset "$preset" -j "$(nproc)" && cpack --preset "$preset") \
            >"$work/log" 2>&1 || { cat "$work/log"; echo "FAIL: $preset build in $tree"; exit 1; }
        sums+=("$(digests "$tree/build/$preset" "$files")") ||
            { echo "FAIL: $preset: not all of $files built"; exit 1; }
    done
    expect "$preset: ${sums[0]//$'\n'/, }" "${sums[0]}" "${sums[1]}"
done
exit $failed
