#!/usr/bin/env bash
# The release and its reproducibility. scripts/release.sh, run with nothing
# set by the caller in two clones of the last commit in directories of
# different names, makes every artifact and a SHA256SUMS that lists and checks
# them all, each bit-identical in both. Run again in its source tarball
# unpacked, a tree without git, it makes the same packages, and lint runs
# clean there. From a tree that is no git checkout (an unpacked source
# tarball), it runs in two copies of it, without a source tarball to make.
# Needs the compilers and packaging tools; without them it skips, except
# under CI.
set -u
source "$(dirname "$0")/testlib.sh"
source_dir=$1
require cmake cpack sha256sum tar gzip dpkg-shlibdeps rpmbuild wixl clang-format clang-tidy \
    i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-win32 aarch64-linux-gnu-g++
unset SOURCE_DATE_EPOCH

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trees=("$work/one" "$work/second-tree")
[ ! -e "$source_dir/.git" ] || require git
for tree in "${trees[@]}"; do
    if [ -e "$source_dir/.git" ]; then
        git clone -q "$source_dir" "$tree"
    else
        mkdir "$tree" && tar -C "$source_dir" --exclude=./build --exclude=./dist -c . | tar -C "$tree" -x
    fi || { echo "FAIL: copying the source"; exit 1; }
done

release() { # tree
    (cd "$1" && scripts/release.sh) >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: release in $1"; exit 1; }
}
for tree in "${trees[@]}"; do
    release "$tree"
done

dist=${trees[0]}/dist
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' \
    "${trees[0]}/build/release/native/CPackConfig.cmake")
source_tarball=
[ ! -e "$source_dir/.git" ] || source_tarball=primary-mac-$version.tar.gz
expect "release $version: every artifact" \
    "$(printf '%s\n' SHA256SUMS {primary-mac,libprimary-mac"${version%%.*}",libprimary-mac-dev}_"$version"_amd64.deb \
        primary-mac-"$version"-1.x86_64.rpm \
        primary-mac-"$version"-{win32,win64}.{zip,msi} \
        primary-mac-"$version"-linux-{x86_64,aarch64}.tar.gz $source_tarball | sort | xargs)" \
    "$(ls "$dist" | sort | xargs)"
expect "SHA256SUMS lists every other file" "$(ls "$dist" | grep -vx SHA256SUMS | sort | xargs)" \
    "$(awk '{ print $2 }' "$dist/SHA256SUMS" | sort | xargs)"
expect "sha256sum -c SHA256SUMS passes" "|0" "$(cd "$dist" && outcome sha256sum --quiet -c SHA256SUMS 2>&1)"
for file in "$dist"/*; do
    expect "${file##*/}: bit-identical in both trees" same \
        "$(cmp -s "$file" "${trees[1]}/dist/${file##*/}" && echo same)"
done

[ -n "$source_tarball" ] || exit $failed
tar -C "$work" -xzf "$dist/$source_tarball"
unpacked=$work/primary-mac-$version
release "$unpacked"
expect "from the source tarball: the same packages" \
    "$(grep -v " $source_tarball\$" "$dist/SHA256SUMS")" "$(cat "$unpacked/dist/SHA256SUMS")"
expect "from the source tarball: lint runs clean" "|0" \
    "$(cd "$unpacked" && outcome scripts/lint.sh build/release/native 2>&1 | grep -v ' warnings generated\.$')"
exit $failed
