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
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/lib/testlib.sh"
# shellcheck source=scripts/builds.sh
source "$(dirname "$0")/../scripts/builds.sh"
source_dir=$1
mapfile -t compilers < <(builds | awk '{ print $3 }' | sort -u)
require cmake cpack sha256sum tar gzip dpkg-shlibdeps rpmbuild wixl clang-format clang-tidy \
    npm /usr/bin/cargo /usr/bin/python3 mcs zip "${compilers[@]}"
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
version=$(project_version)
source_tarball=
[ ! -e "$source_dir/.git" ] || source_tarball=primary-mac-$version.tar.gz
# What each build of scripts/builds.txt ships, by the name each package type
# takes.
artifacts=(SHA256SUMS ${source_tarball:+"$source_tarball"})
while read -r preset processor _ _ ships _; do
    for type in ${ships//,/ }; do
        case $type in
        deb) # the program, the library named after its SONAME, and its -dev
            for package in primary-mac "libprimary-mac${version%%.*}" libprimary-mac-dev; do
                artifacts+=("${package}_${version}_$(dpkg --print-architecture).deb")
            done
            ;;
        rpm) artifacts+=("primary-mac-$version-1.$processor.rpm") ;;
        zip | msi) artifacts+=("primary-mac-$version-$preset.$type") ;;
        tar.gz) artifacts+=("primary-mac-$version-linux-$processor.tar.gz") ;;
        -) ;; # a library that the language packages carry
        *) artifacts+=("($preset: no name known for $type)") ;;
        esac
    done
done < <(builds)
# The language packages, by the names their tools give them.
for language in $released_bindings; do
    case $language in
    python) # the sdist, and a wheel a platform
        artifacts+=("primary_mac-$version.tar.gz")
        for platform in manylinux_2_17_x86_64.manylinux2014_x86_64 \
            manylinux_2_17_aarch64.manylinux2014_aarch64 win32 win_amd64; do
            artifacts+=("primary_mac-$version-py3-none-$platform.whl")
        done
        ;;
    node) artifacts+=("primary-mac-$version.tgz") ;;
    rust) artifacts+=("primary-mac-$version.crate") ;;
    dotnet) artifacts+=("PrimaryMac.$version.nupkg") ;;
    *) artifacts+=("($language: no name known)") ;;
    esac
done
expect "release $version: every artifact" "$(printf '%s\n' "${artifacts[@]}" | sort | xargs)" \
    "$(ls "$dist" | sort | xargs)"
# The README's table of a release's files, its first column, names them all,
# the source tarball too (made from a git checkout only).
generic=("primary-mac-<version>.tar.gz")
for name in "${artifacts[@]}"; do
    name=${name//$version/<version>}
    [ "$name" = SHA256SUMS ] || [ "$name" = "${generic[0]}" ] ||
        generic+=("${name/libprimary-mac${version%%.*}_/libprimary-mac<major>_}")
done
expect "the README's table names every artifact, and no other" \
    "$(printf '%s\n' "${generic[@]}" | sort | xargs)" \
    "$(awk -F '|' '/^\| `/ { print $2 }' "$source_dir/README.md" | grep -o '`[^`]*`' | tr -d '`' |
        sort | xargs)"
expect "SHA256SUMS lists every other file" "$(find "$dist" -mindepth 1 -maxdepth 1 ! -name SHA256SUMS -printf '%f\n' | sort | xargs)" \
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
