#!/usr/bin/env bash
# A language package's release file, made into OUTDIR reproducibly, from a
# git checkout or an unpacked source tarball, without writing into the tree.
#
#   pack-binding.sh LANGUAGE OUTDIR
#
# rust: primary-mac-<version>.crate, as cargo package makes it.
set -euo pipefail
bindings=$(cd "$(dirname "$0")/../bindings" && pwd)
language=$1
mkdir -p "$2"
outdir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $language in
rust)
    # Packed from a copy outside the checkout, so that cargo records no VCS
    # state (which a clone and a source tarball would give differently).
    # cargo gives every entry a fixed time, owner and mode itself, and the
    # Cargo.lock it adds names the crate alone. The recipe of the binding's
    # test builds and tests this file, hence no verify build here.
    cp -R "$bindings/rust" "$work/primary-mac"
    (cd "$work/primary-mac" &&
        CARGO_TARGET_DIR=$work/target cargo package --offline --no-verify --quiet)
    cp "$work"/target/package/*.crate "$outdir/"
    ;;
*)
    echo "pack-binding.sh: no release file for $language" >&2
    exit 2
    ;;
esac
