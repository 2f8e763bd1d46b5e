#!/usr/bin/env bash
# A language's package over the library (bindings/LANGUAGE) as its release
# file, made into OUTDIR with the language's own tools from a copy of the
# package with the project's LICENSE, so that the source tree stays as it is.
# Reproducible: archive times from source_date_epoch (builds.sh), and the
# files' modes those of umask 022 whatever the caller's.
#
#   scripts/pack-binding.sh LANGUAGE OUTDIR
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/builds.sh
language=$1
mkdir -p "$2"
outdir=$(cd "$2" && pwd)
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
rust) # cargo gives every entry a fixed time, owner and mode itself; from a
    # copy outside the checkout it records no VCS state, which a clone and a
    # source tarball would give differently. The binding's test builds and
    # tests this very file, hence no verifying build here.
    CARGO_TARGET_DIR=$stage/target cargo package --offline --no-verify --quiet
    cp "$stage"/target/package/*.crate "$outdir/"
    ;;
*)
    echo "pack-binding.sh: no package for $language" >&2
    exit 2
    ;;
esac
