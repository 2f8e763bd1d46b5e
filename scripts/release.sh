#!/usr/bin/env bash
# A release, from a fresh Debian 12 machine: installs what is missing (as
# root, with apt-get), builds every build of scripts/builds.txt afresh in
# trees of its own under build/release, and puts in dist/ the packages that
# each ships, the language packages that pack-binding.sh makes, the source
# tarball and SHA256SUMS. The source tarball is the last commit's tree as git
# archive makes it, so it needs a git checkout with nothing uncommitted; from
# an unpacked source tarball the release has everything else.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/builds.sh
source scripts/builds.sh

scripts/install-missing.sh --for release || echo "scripts/release.sh: going on without those"
if [ -e .git ] && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "uncommitted changes, which the source tarball would not have: commit them first" >&2
    exit 1
fi

root=$PWD/build/release
rm -rf "$root" dist
mkdir dist
while read -r preset _ _ _ ships _; do
    cmake --preset "$preset" -B "$root/$preset" -DBUILD_TESTING=OFF
    cmake --build "$root/$preset" -j "$(nproc)"
    [ "$ships" != - ] || continue
    (cd "$root/$preset" && cpack)
    for type in ${ships//,/ }; do
        cp "$root/$preset"/packages/*."$type" dist/
    done
done < <(builds)
# The language packages that their own registries take.
for language in $released_bindings; do
    scripts/pack-binding.sh "$language" dist "$root"
done

if [ -e .git ]; then
    version=$(project_version)
    git archive --prefix="primary-mac-$version/" HEAD | gzip -9n >"dist/primary-mac-$version.tar.gz"
else
    echo "not a git checkout: no source tarball" >&2
fi
cd dist
sha256sum -- * >SHA256SUMS
cat SHA256SUMS
