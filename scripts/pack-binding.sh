#!/usr/bin/env bash
# A language's package over the library (bindings/LANGUAGE) as its release
# files, made into OUTDIR with the language's own tools from a copy of the
# package with the project's LICENSE, so that the source tree stays as it is.
# The packages that carry the library take it from the trees of the builds
# that make it (library_builds, builds.sh), each in BUILD_ROOT/<preset>
# (build/<preset> unless named), as release.sh and the tests make them.
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
# shellcheck source=scripts/builds.sh
source "$project/scripts/builds.sh"
version=$(project_version)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(source_date_epoch)

# A file of a build's tree, which must be there.
built() { # preset file
    [ -f "$build_root/$1/$2" ] || {
        echo "pack-binding.sh: no $build_root/$1/$2 (cmake --preset $1 && cmake --build --preset $1)" >&2
        exit 1
    }
    echo "$build_root/$1/$2"
}

umask 022
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "bindings/$language" "$stage/package"
cp LICENSE "$stage/package/"

# The NuGet package, laid out as NuGet's own packer lays it out, with no .NET
# SDK: a zip of the nuspec, the parts of the Open Packaging Conventions that
# NuGet adds (the relationships, the content types and the core properties,
# named by the files' SHA-512 as its deterministic mode names them), the class
# compiled for netstandard2.0, and the library of each build that makes one.
nuget_package() {
    local nupkg=$stage/nupkg runtime preset system processor file api=/usr/lib/mono/4.7.1-api
    mkdir -p "$nupkg/lib/netstandard2.0"
    # mono's netstandard.dll only forwards its types to mscorlib, which mcs
    # needs beside it: the API of .NET Framework 4.7.1, which implements .NET
    # Standard 2.0, and every later .NET carries mscorlib's names too.
    printf '%s\n' "[assembly: System.Reflection.AssemblyVersion(\"$version.0\")]" \
        "[assembly: System.Reflection.AssemblyInformationalVersion(\"$version\")]" \
        '[assembly: System.Runtime.Versioning.TargetFramework(".NETStandard,Version=v2.0")]' \
        >"$stage/AssemblyInfo.cs"
    mcs -deterministic -warnaserror+ -target:library -nostdlib -r:"$api/mscorlib.dll" \
        -r:"$api/Facades/netstandard.dll" -out:"$nupkg/lib/netstandard2.0/PrimaryMac.dll" \
        -doc:"$nupkg/lib/netstandard2.0/PrimaryMac.xml" PrimaryMac.cs "$stage/AssemblyInfo.cs"
    # Named as .NET's DllImport("primary-mac") looks for it: primary-mac.dll
    # on Windows, libprimary-mac.so on Linux; under .NET's name of the
    # platform.
    while read -r preset system processor _; do
        case $system in
        linux) runtime=linux file=libprimary-mac.so ;;
        windows) runtime=win file=primary-mac.dll ;;
        esac
        case $processor in
        x86_64) runtime+=-x64 ;;
        aarch64) runtime+=-arm64 ;;
        i686) runtime+=-x86 ;;
        esac
        mkdir -p "$nupkg/runtimes/$runtime/native"
        cp -L "$(built "$preset" "$file")" "$nupkg/runtimes/$runtime/native/"
    done < <(library_builds)
    cp README.md LICENSE "$nupkg/"
    sed "s/\\\$version\\\$/$version/" PrimaryMac.nuspec >"$nupkg/PrimaryMac.nuspec"

    local files properties extension
    cd "$nupkg"
    mapfile -t files < <(find . -type f ! -name '*.nuspec' -printf '%P\n' | LC_ALL=C sort)
    properties=package/services/metadata/core-properties/$(cat "${files[@]}" | sha512_name 32).psmdcp
    mkdir -p _rels "${properties%/*}"
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        relationship http://schemas.microsoft.com/packaging/2010/07/manifest PrimaryMac.nuspec
        relationship http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties \
            "$properties"
        echo '</Relationships>'
    } >_rels/.rels
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        echo '  <Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml" />'
        echo '  <Default Extension="psmdcp" ContentType="application/vnd.openxmlformats-package.core-properties+xml" />'
        for extension in $(printf '%s\n' "${files[@]##*/}" PrimaryMac.nuspec | sed -n 's/.*\.//p' | sort -u); do
            echo "  <Default Extension=\"$extension\" ContentType=\"application/octet\" />"
        done
        for file in "${files[@]}"; do
            [[ ${file##*/} == *.* ]] ||
                echo "  <Override PartName=\"/$file\" ContentType=\"application/octet\" />"
        done
        echo '</Types>'
    } >'[Content_Types].xml'
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<coreProperties xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns="http://schemas.openxmlformats.org/package/2006/metadata/core-properties">'
        sed -n 's|^ *<authors>\(.*\)</authors>$|  <dc:creator>\1</dc:creator>|p
            s|^ *<description>\(.*\)</description>$|  <dc:description>\1</dc:description>|p
            s|^ *<id>\(.*\)</id>$|  <dc:identifier>\1</dc:identifier>|p
            s|^ *<version>\(.*\)</version>$|  <version>\1</version>|p
            s|^ *<tags>\(.*\)</tags>$|  <keywords>\1</keywords>|p' PrimaryMac.nuspec
        echo '  <lastModifiedBy>primary-mac scripts/pack-binding.sh</lastModifiedBy>'
        echo '</coreProperties>'
    } >"$properties"

    # In NuGet's order; the zip's times in UTC, whatever the caller's zone.
    find . -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
    find . -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$outdir/PrimaryMac.$version.nupkg"
    TZ=UTC zip -q -X -D -nw -9 "$outdir/PrimaryMac.$version.nupkg" _rels/.rels PrimaryMac.nuspec \
        "${files[@]}" '[Content_Types].xml' "$properties"
}

# A relationship of the package to one of its parts, with the Id that NuGet
# gives it.
relationship() { # type part
    printf '  <Relationship Type="%s" Target="/%s" Id="R%s" />\n' "$1" "$2" \
        "$(printf /%s "$2" | sha512_name 16)"
}

# The first DIGITS upper-case hexadecimal digits of its input's SHA-512, as
# NuGet names the parts it adds.
sha512_name() { # digits
    sha512sum | cut -c "1-$1" | tr a-f A-F
}

cd "$stage/package"
case $language in
python) # Debian's python3 and its build tools, no package index: the sdist
    # (which loads the system's library) and the pure wheel built from it;
    # from that, a platform wheel a library build, with the library in the
    # package's folder and the platform's tags, named as auditwheel names
    # them (wheel pack sorts the tags).
    /usr/bin/python3 -m build --no-isolation --outdir "$stage/dist" . >&2
    # The sdist again, its entries in order with the archive time, as the
    # source tarball's (setuptools records the time of the build), under the
    # name of PEP 625, which the source tarball's does not take.
    sdist=("$stage"/dist/*.tar.gz)
    mkdir "$stage/sdist"
    tar -xzf "${sdist[0]}" -C "$stage/sdist"
    top=("$stage"/sdist/*)
    mv "${top[0]}" "$stage/sdist/primary_mac-$version"
    tar -C "$stage/sdist" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
        --numeric-owner --format=gnu -c "primary_mac-$version" | gzip -9n \
        >"$outdir/primary_mac-$version.tar.gz"
    pure=("$stage"/dist/*-py3-none-any.whl)
    while read -r preset system processor compiler; do
        case $system-$processor in
        linux-*) tags=("manylinux_2_17_$processor" "manylinux2014_$processor")
            library=libprimary-mac.so.${version%%.*} ;;
        windows-i686) tags=(win32) library=primary-mac.dll ;;
        windows-x86_64) tags=(win_amd64) library=primary-mac.dll ;;
        esac
        library=$(built "$preset" "$library")
        /usr/bin/python3 -m wheel unpack --dest "$stage/$preset" "${pure[0]}" >&2
        unpacked=("$stage/$preset"/*)
        install -m 644 "$library" "${unpacked[0]}/primary_mac/"
        [ "$system" != linux ] || "${compiler%gcc}strip" "${unpacked[0]}/primary_mac/${library##*/}"
        wheel=("${unpacked[0]}"/*.dist-info/WHEEL)
        sed -i -e 's/^Root-Is-Purelib: true$/Root-Is-Purelib: false/' -e '/^Tag: /d' -e '/^$/d' \
            "${wheel[0]}"
        printf 'Tag: py3-none-%s\n' "${tags[@]}" >>"${wheel[0]}"
        /usr/bin/python3 -m wheel pack --dest-dir "$stage/$preset" "${unpacked[0]}" >&2
        packed=("$stage/$preset"/*.whl)
        mv "${packed[0]}" "$outdir/primary_mac-$version-py3-none-$(IFS=.; echo "${tags[*]}").whl"
    done < <(library_builds)
    ;;
node) # An addon a platform, built with the C compiler of the library's build
    # against Node-API's own headers and linked with its static library. On
    # Windows the addon takes Node-API from the host process
    # (host_api_win.c). Then npm's cache and logs in the stage, not the
    # user's home.
    "$project/scripts/npm-fetch.sh" node-api-headers "$stage/node-api-headers"
    flags=(-shared -O2 -Wall -Wextra -Werror -s -DNAPI_VERSION=1 -I"$stage/node-api-headers/include"
        -I"$project/include")
    while read -r preset system processor compiler; do
        case $system in
        linux) platform=linux system_flags=(-fPIC -fvisibility=hidden -static-libgcc
            "-Wl,--as-needed" "-Wl,-z,relro,-z,now") ;;
        windows) platform=win32 system_flags=(-DNAPI_EXTERN= host_api_win.c -static
            "-Wl,--no-insert-timestamp") ;;
        esac
        case $processor in
        x86_64) platform+=-x64 ;;
        aarch64) platform+=-arm64 ;;
        i686) platform+=-ia32 ;;
        esac
        library=$(built "$preset" libprimary-mac.a)
        mkdir -p "prebuilds/$platform"
        "$compiler" "${flags[@]}" addon.c "${system_flags[@]}" "$library" \
            -o "prebuilds/$platform/primary-mac.napi.node"
    done < <(library_builds)
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
dotnet)
    nuget_package
    ;;
*)
    echo "pack-binding.sh: no package for $language" >&2
    exit 2
    ;;
esac
