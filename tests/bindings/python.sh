# shellcheck shell=bash
# The Python package (bindings/python), sourced by bindings_test.sh: the
# release's files, made with Debian's python3 and its build tools. Each wheel
# carries the library of its platform, tagged so; the Linux ones need glibc
# 2.17 and libc alone. The x86_64 wheel, installed from the file alone into a
# fresh venv, runs with a decoy library of ours first on the loader's path:
# its tests run with unittest, its example as a script, each with the venv's
# python. The aarch64 wheel's library answers under qemu, called by a C
# program linked with it. The sdist, installed into another venv, loads the
# system's library.
# shellcheck disable=SC2154 # work, package, tests, build_root, program: bindings_test.sh's

# shellcheck disable=SC2034 # for bindings_test.sh
example=python:example.py
# -B: no bytecode written into the source tree.
run_example() { "$work/venv/bin/python" -B "$package/example.py"; }
run_tests() { "$work/venv/bin/python" -B -m unittest discover -v -s "$package/tests"; }

prepare() {
    local major wheels i platforms library format wheel name carried aarch64 sdist
    /usr/bin/python3 -c 'import build, wheel' 2>/dev/null ||
        missing "Debian's python3 with python3-build and python3-wheel is needed"
    require unzip file objdump readelf qemu-aarch64-static aarch64-linux-gnu-gcc cc
    source "$tests/lib/glibc_2_17.sh"
    "$tests/../scripts/pack-binding.sh" python "$work/dist" "$build_root" >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh python"; exit 1; }
    major=$PRIMARY_MAC_EXPECTED_VERSION
    major=${major%%.*}

    # Each wheel: its platform tags, and what its library is.
    wheels=(
        manylinux_2_17_x86_64.manylinux2014_x86_64 "libprimary-mac.so.$major"
        "ELF 64-bit LSB shared object, x86-64"
        manylinux_2_17_aarch64.manylinux2014_aarch64 "libprimary-mac.so.$major"
        "ELF 64-bit LSB shared object, ARM aarch64"
        win32 primary-mac.dll "PE32 executable (DLL) (console) Intel 80386"
        win_amd64 primary-mac.dll "PE32+ executable (DLL) (console) x86-64"
    )
    for ((i = 0; i < ${#wheels[@]}; i += 3)); do
        platforms=${wheels[i]} library=${wheels[i + 1]} format=${wheels[i + 2]}
        wheel=$work/dist/primary_mac-$PRIMARY_MAC_EXPECTED_VERSION-py3-none-$platforms.whl
        [ -f "$wheel" ] || { echo "FAIL: no ${wheel##*/}"; failed=1; continue; }
        name=${platforms%%.*}
        expect "$name wheel: the package's files and its library" \
            "primary_mac/__init__.py primary_mac/$library primary_mac/py.typed" \
            "$(unzip -Z1 "$wheel" | grep '^primary_mac/' | sort | xargs)"
        # shellcheck disable=SC2086 # the platform tags, one a word
        expect "$name wheel: tagged for its platform alone, not pure" \
            "Root-Is-Purelib: false $(printf 'Tag: py3-none-%s ' ${platforms//./ })" \
            "$(unzip -p "$wheel" '*.dist-info/WHEEL' | grep -e '^Root-Is-Purelib:' -e '^Tag:' | xargs) "
        mkdir "$work/$name"
        unzip -q "$wheel" "primary_mac/$library" -d "$work/$name"
        carried=$work/$name/primary_mac/$library
        expect "$name wheel: $format" "$format" "$(file -b "$carried" | grep -o "$format")"
        [[ $name != manylinux* ]] || expect_glibc_2_17 "$name wheel's $library" "$carried"
    done

    # The aarch64 library by a C program linked with it, run by qemu.
    aarch64=$work/manylinux_2_17_aarch64/primary_mac
    aarch64-linux-gnu-gcc -I"$tests/../include" "$tests/library/consumer.c" \
        -o "$work/consumer-aarch64" -L"$aarch64" -l:"libprimary-mac.so.$major" ||
        { echo "FAIL: a program for aarch64 does not link with the aarch64 wheel's library"; exit 1; }
    expect "aarch64 wheel's library under qemu: the program's answer" "$(outcome "$program" 2>&1)" \
        "$(outcome qemu-aarch64-static -L /usr/aarch64-linux-gnu -E LD_LIBRARY_PATH="$aarch64" \
            "$work/consumer-aarch64" 2>&1)"

    # The sdist, built and installed with Debian's setuptools and wheel and no
    # index, loads the system's library, here the one that the harness
    # installed.
    sdist=("$work"/dist/primary_mac-*.tar.gz)
    { /usr/bin/python3 -m venv --system-site-packages "$work/sdist-venv" &&
        "$work/sdist-venv/bin/pip" install --no-index --no-build-isolation \
            --disable-pip-version-check "${sdist[0]}"; } >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: installing ${sdist[0]##*/} into a fresh venv"; exit 1; }
    expect "from the sdist: the system's library" "$PRIMARY_MAC_EXPECTED_VERSION" \
        "$("$work/sdist-venv/bin/python" -c 'import primary_mac; print(primary_mac.version())' 2>&1)"

    # Before the wheel's own library, a decoy of its name on the loader's path.
    mkdir "$work/decoy"
    cc -shared -fPIC -I"$tests/../include" -Wl,-soname,"libprimary-mac.so.$major" \
        "$tests/bindings/decoy_library.c" -o "$work/decoy/libprimary-mac.so.$major" ||
        { echo "FAIL: the decoy library does not build"; exit 1; }
    unset PKG_CONFIG_PATH PRIMARY_MAC_LIB_DIR
    export LD_LIBRARY_PATH=$work/decoy
    wheel=("$work"/dist/primary_mac-*-py3-none-manylinux_2_17_x86_64.manylinux2014_x86_64.whl)
    { /usr/bin/python3 -m venv "$work/venv" &&
        "$work/venv/bin/pip" install --no-index --disable-pip-version-check "${wheel[0]}"; } \
        >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: installing ${wheel[0]##*/} into a fresh venv"; exit 1; }
    # shellcheck disable=SC2034 # for bindings_test.sh
    version=$("$work/venv/bin/python" -c \
        'import importlib.metadata as m; print(m.version("primary-mac"))')
}
