#!/usr/bin/env bash
# A language's package over the library (bindings/LANGUAGE) as its release
# file, made into OUTDIR with the language's own tools from a copy of the
# package with the project's LICENSE, so that the source tree stays as it is.
# The packages that carry the library built take it from BUILD_ROOT (build/
# by default), which holds a tree for each build of builds.txt,
# BUILD_ROOT/<preset>, as release.sh and the tests make them.
# Reproducible: archive times from source_date_epoch (builds.sh), and the
# files' modes those of umask 022 whatever the caller's.
#
#   scripts/pack-binding.sh LANGUAGE OUTDIR [BUILD_ROOT]
set -euo pipefail
language=$1
mkdir -p "$2"
outdir=$(cd "$2" && pwd)
build_root=${3:-$(dirname "$0")/../build}
[ ! -d "$build_root" ] || build_root=$(cd "$build_root" && pwd)
cd "$(dirname "$0")/.."
project=$PWD
source "$project/scripts/builds.sh"
version=$(project_version)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(source_date_epoch)

umask 022
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "bindings/$language" "$stage/package"
cp LICENSE "$stage/package/"

cd "$stage/package"
case $language in
python) # Debian's python3 and its build tools, no package index: the sdist,
    # the wheel built from it, and the wheel released.
    /usr/bin/python3 -m build --no-isolation --outdir "$stage/dist" . >&2
    cp "$stage"/dist/*.whl "$outdir/"
    ;;
node) # npm's cache and logs in the stage, not the user's home.
    npm_config_cache=$stage/npm npm pack --offline --pack-destination "$outdir" >&2
    ;;
rust) # The C library's sources, which build.rs compiles, in library/. Debian's
    # cargo, as the release installs it: another cargo writes another
    # Cargo.toml. cargo gives every entry a fixed time, owner and mode itself;
    # from a copy outside the checkout it records no VCS state, which a clone
    # and a source tarball would give differently. The binding's test builds
    # and tests this very file, hence no verifying build here.
    mkdir library
    cp -r "$project/src" "$project/include" library/
    CARGO_TARGET_DIR=$stage/target RUSTC=/usr/bin/rustc /usr/bin/cargo package --offline \
        --no-verify --quiet
    cp "$stage"/target/package/*.crate "$outdir/"
    ;;
*)
    echo "pack-binding.sh: no package for $language" >&2
    exit 2
    ;;
esac
