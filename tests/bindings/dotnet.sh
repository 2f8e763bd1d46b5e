# shellcheck shell=bash
# The NuGet package, as scripts/pack-binding.sh makes it with the libraries of
# the other builds: its files, its nuspec, and each runtime's library of the
# platform that .NET takes it for; then its assembly, with the linux-x64
# library beside it as .NET copies it into an application's folder, run by
# mono with nothing on LD_LIBRARY_PATH, each program (the example and the
# test program) compiled by mcs against the assembly.
# shellcheck disable=SC2154 # work, package, tests, build_root: bindings_test.sh's

# shellcheck disable=SC2034 # for bindings_test.sh
example=csharp:example/Program.cs skipped_status=77
run_example() { mono "$work/app/Program.exe"; }
run_tests() { mono "$work/app/PrimaryMacTests.exe"; }

prepare() {
    local nupkg files runtime library format nuspec app main
    require mcs mono unzip file
    "$tests/../scripts/pack-binding.sh" dotnet "$work/dist" "$build_root" >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: scripts/pack-binding.sh dotnet"; exit 1; }
    nupkg=$work/dist/PrimaryMac.$PRIMARY_MAC_EXPECTED_VERSION.nupkg
    [ -f "$nupkg" ] || { ls "$work/dist"; echo "FAIL: no ${nupkg##*/}"; exit 1; }
    mkdir "$work/nupkg" && unzip -q "$nupkg" -d "$work/nupkg"

    # Each runtime's library, named as DllImport("primary-mac") finds it there,
    # and what file(1) says of it.
    declare -A libraries=(
        [linux-x64]="libprimary-mac.so:ELF 64-bit LSB shared object, x86-64"
        [linux-arm64]="libprimary-mac.so:ELF 64-bit LSB shared object, ARM aarch64"
        [win-x86]="primary-mac.dll:PE32 executable (DLL) (console) Intel 80386"
        [win-x64]="primary-mac.dll:PE32+ executable (DLL) (console) x86-64"
    )
    files=(_rels/.rels PrimaryMac.nuspec LICENSE README.md lib/netstandard2.0/PrimaryMac.dll
        lib/netstandard2.0/PrimaryMac.xml "[Content_Types].xml"
        "package/services/metadata/core-properties/<SHA-512>.psmdcp")
    for runtime in "${!libraries[@]}"; do
        library=${libraries[$runtime]%%:*} format=${libraries[$runtime]#*:}
        files+=("runtimes/$runtime/native/$library")
        expect "$runtime: $format" "$format" \
            "$(file -b "$work/nupkg/runtimes/$runtime/native/$library" | cut -c "1-${#format}")"
    done
    expect "the package's files" "$(printf '%s\n' "${files[@]}" | sort)" \
        "$(unzip -Z1 "$nupkg" | sed 's|/[0-9A-F]\{32\}\.psmdcp$|/<SHA-512>.psmdcp|' | sort)"
    nuspec=$work/nupkg/PrimaryMac.nuspec
    # shellcheck disable=SC2034 # for bindings_test.sh
    version=$(sed -n 's|^ *<version>\(.*\)</version>$|\1|p' "$nuspec")
    expect "nuspec: the package, its licence, its README and its framework" \
        "PrimaryMac MIT README.md .NETStandard2.0" \
        "$(sed -n 's|^ *<id>\(.*\)</id>$|\1|p
            s|^ *<license type="expression">\(.*\)</license>$|\1|p
            s|^ *<readme>\(.*\)</readme>$|\1|p
            s|^ *<group targetFramework="\(.*\)" />$|\1|p' "$nuspec" | xargs)"

    app=$work/app
    mkdir "$app" && cp "$work/nupkg/lib/netstandard2.0/PrimaryMac.dll" \
        "$work/nupkg/runtimes/linux-x64/native/libprimary-mac.so" "$app/"
    for main in example/Program tests/PrimaryMacTests; do
        mcs -warnaserror+ -r:"$app/PrimaryMac.dll" -out:"$app/${main##*/}.exe" "$package/$main.cs" ||
            { echo "FAIL: mcs does not compile $main.cs against the package's assembly"; exit 1; }
    done
    unset LD_LIBRARY_PATH PKG_CONFIG_PATH PRIMARY_MAC_LIB_DIR
}
