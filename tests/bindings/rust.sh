# shellcheck shell=bash
# The Rust crate: the release's .crate file, unpacked (in a folder with a
# space in its name), built and tested there with cargo, offline, as a crate
# from a registry is, with no library on the tools' paths: its build compiles
# the library that the crate carries, and never asks pkg-config. With Debian's
# cargo and rustc, which the project installs; rustup's, when it is the cargo
# on PATH, builds it too. The `system` feature links the library installed
# (under a prefix with a space in its name) through pkg-config. Cross-built
# for Windows (x86_64-pc-windows-gnu, with MinGW-w64), the example answers
# under Wine as the win64 program does.
# shellcheck disable=SC2154 # work, package, tests, build_root, program, files: bindings_test.sh's

debian_cargo=(env RUSTC=/usr/bin/rustc RUSTDOC=/usr/bin/rustdoc /usr/bin/cargo)
# shellcheck disable=SC2034 # for bindings_test.sh
example=rust:examples/primary-mac.rs
run_example() { "$work/target dir/debug/examples/primary-mac"; }
# The tests that need the program's answer are ignored unless asked for, as
# the harness asks where it gives the answer.
run_tests() {
    local crate=("$work/unpacked crates"/primary-mac-*) ignored=()
    [ -z "${PRIMARY_MAC_EXPECTED_OUTCOME+set}" ] || ignored=(--include-ignored)
    CARGO_TARGET_DIR="$work/target dir" "${debian_cargo[@]}" test --offline \
        --manifest-path "${crate[0]}/Cargo.toml" -- "${ignored[@]}"
}

prepare() {
    local crates crate spied system_library windows_program windows_example windows_cases case answer
    require tar readelf /usr/bin/cargo /usr/bin/rustc x86_64-w64-mingw32-g++
    [ -d /usr/lib/rustlib/x86_64-pc-windows-gnu ] ||
        missing "no Rust standard library for x86_64-pc-windows-gnu (libstd-rust-dev-windows)"
    windows_program=$build_root/win64/primary-mac.exe
    [ -f "$windows_program" ] || missing "no $windows_program: build the win64 preset first"

    "$tests/../scripts/pack-binding.sh" rust "$work" >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: pack-binding.sh rust"; exit 1; }
    crates=("$work"/primary-mac-*.crate)
    mkdir "$work/unpacked crates"
    tar -xzf "${crates[0]}" -C "$work/unpacked crates" ||
        { echo "FAIL: unpacking ${crates[0]}"; exit 1; }
    crate=${crates[0]%.crate}
    crate="$work/unpacked crates/${crate##*/}"
    # shellcheck disable=SC2034 # for bindings_test.sh
    version=${crate##*/primary-mac-}
    export CARGO_TARGET_DIR="$work/target dir"

    # The installed library, for the `system` feature alone.
    cp -R "$files" "$work/system prefix"
    system_library=(env PKG_CONFIG_PATH="$work/system prefix${PKG_CONFIG_PATH#"$files"}"
        LD_LIBRARY_PATH="$work/system prefix${LD_LIBRARY_PATH#"$files"}")
    unset PKG_CONFIG_PATH LD_LIBRARY_PATH PRIMARY_MAC_LIB_DIR
    # A pkg-config that records being asked, first on PATH for the default build.
    mkdir "$work/spy"
    printf '#!/bin/sh\necho "$*" >>"%s/spy/asked"\nexit 1\n' "$work" >"$work/spy/pkg-config"
    chmod +x "$work/spy/pkg-config"
    spied=(env PATH="$work/spy:$PATH")

    # Runs a command in the crate's folder, its output shown if it fails.
    in_crate() { # command...
        (cd "$crate" && "$@") >"$work/log" 2>&1 || { cat "$work/log" && return 1; }
    }
    in_crate "${spied[@]}" "${debian_cargo[@]}" test --offline --quiet --no-run &&
        in_crate "${spied[@]}" "${debian_cargo[@]}" build --offline --quiet --example primary-mac ||
        { echo "FAIL: Debian's cargo does not build the crate"; exit 1; }
    expect "the crate's build asks no pkg-config" "" "$(cat "$work/spy/asked" 2>/dev/null)"
    expect "the example needs no libprimary-mac" "" \
        "$(readelf -d "$CARGO_TARGET_DIR/debug/examples/primary-mac" | grep -o 'libprimary-mac[^]]*')"
    if [ "$(command -v cargo)" != /usr/bin/cargo ]; then
        CARGO_TARGET_DIR=$work/path in_crate cargo test --offline --quiet --no-run ||
            { echo "FAIL: $(command -v cargo) does not build the crate"; exit 1; }
        echo "ok: $(cargo --version) builds the crate too"
    fi

    # The `system` feature: the installed library, as pkg-config gives it.
    CARGO_TARGET_DIR=$work/system in_crate "${system_library[@]}" "${debian_cargo[@]}" build \
        --offline --quiet --features system --example primary-mac ||
        { echo "FAIL: the system feature does not link the installed library"; exit 1; }
    expect "system feature: linked with the installed library" "libprimary-mac.so.${version%%.*}" \
        "$(readelf -d "$work/system/debug/examples/primary-mac" | grep -o 'libprimary-mac[^]]*')"
    expect "system feature: the example answers as the program" "$(outcome "$program" 2>&1)" \
        "$(outcome "${system_library[@]}" "$work/system/debug/examples/primary-mac" 2>&1)"

    # Windows, under Wine (root: each run in a private network namespace).
    in_crate "${debian_cargo[@]}" build --offline --quiet --target x86_64-pc-windows-gnu \
        --example primary-mac || { echo "FAIL: the crate does not build for Windows"; exit 1; }
    [ "$(id -u)" = 0 ] || missing "the Wine and private namespace cases need root"
    wine_prefix "$work/wine" win64
    windows_example=$CARGO_TARGET_DIR/x86_64-pc-windows-gnu/debug/examples/primary-mac.exe
    windows_cases=("an Ethernet adapter" lan7 "no adapter" none)
    for ((case = 0; case < ${#windows_cases[@]}; case += 2)); do
        answer=$(wine_run "${windows_cases[case + 1]}" "$windows_program")
        expect "Windows example, ${windows_cases[case]}: as the win64 program ($answer)" "$answer" \
            "$(wine_run "${windows_cases[case + 1]}" "$windows_example")"
    done
}
