# The C# class, which ships in the source tarball with no version of its own:
# compiled by mono's mcs with the example and with the test program, and run
# by mono where the library is its SONAME alone, as its runtime package
# installs it, which each program's config maps the DllImport's name to.
require mcs mono
mkdir "$work/runtime" && cp -P "$LD_LIBRARY_PATH"/libprimary-mac.so.[0-9]* "$work/runtime/"
export LD_LIBRARY_PATH=$work/runtime
for main in example/Program tests/PrimaryMacTests; do
    mcs -warnaserror+ -out:"$work/${main##*/}.exe" "$package/PrimaryMac.cs" "$package/$main.cs" ||
        { echo "FAIL: mcs does not compile $main.cs with PrimaryMac.cs"; exit 1; }
    printf '<configuration>\n  <dllmap dll="primary-mac" target="libprimary-mac.so.%s"/>\n</configuration>\n' \
        "${PRIMARY_MAC_EXPECTED_VERSION%%.*}" >"$work/${main##*/}.exe.config"
done
version=
example=csharp:example/Program.cs
run_example="mono $work/Program.exe"
run_tests="mono $work/PrimaryMacTests.exe"
