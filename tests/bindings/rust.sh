# The Rust crate: the release's .crate file, unpacked, built and tested there
# with cargo, offline, as a crate from a registry is; the example is its own.
require cargo tar
export CARGO_TARGET_DIR=$work/target
"$tests/../scripts/pack-binding.sh" rust "$work" || { echo "FAIL: pack-binding.sh rust"; exit 1; }
crate=$(echo "$work"/primary-mac-*.crate)
tar -xzf "$crate" -C "$work" || { echo "FAIL: unpacking $crate"; exit 1; }
crate=${crate%.crate}
version=${crate##*/primary-mac-}
# Linked through pkg-config once; in the cases through PRIMARY_MAC_LIB_DIR.
(cd "$crate" && env -u PRIMARY_MAC_LIB_DIR CARGO_TARGET_DIR="$work/pkg-config" \
    cargo build --offline --quiet --example primary-mac) >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: cargo does not link the crate through pkg-config"; exit 1; }
(cd "$crate" && cargo test --offline --no-run --quiet) >"$work/log" 2>&1 ||
    { cat "$work/log"; echo "FAIL: cargo does not build the crate"; exit 1; }
example=rust:examples/primary-mac.rs
run_example=$CARGO_TARGET_DIR/debug/examples/primary-mac
run_tests="cd $crate && cargo test --offline --quiet"
