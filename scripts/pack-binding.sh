#!/usr/bin/env bash
# A language's package over the library (bindings/LANGUAGE) as its release
# files, made into OUTDIR with the language's own tools from a copy of the
# package with the project's LICENSE, so that the source tree stays as it is.
# The packages that carry the library take it from the trees of the builds
# that make it (library_builds, builds.sh), each in BUILD_ROOT/<preset>
# (build/<preset> unless named). Reproducible: archive times from
# source_date_epoch (builds.sh), and the files' modes those of umask 022
# whatever the caller's.
#
#   scripts/pack-binding.sh LANGUAGE OUTDIR [BUILD_ROOT]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/builds.sh
source=$PWD
language=$1
mkdir -p "$2"
outdir=$(cd "$2" && pwd)
root=$(cd "${3:-build}" && pwd)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(source_date_epoch)

# A file of a build's tree, which must be there.
built() { # preset file
    [ -f "$root/$1/$2" ] || {
        echo "pack-binding.sh: no $root/$1/$2 (cmake --preset $1 && cmake --build --preset $1)" >&2
        exit 1
    }
    echo "$root/$1/$2"
}

umask 022
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "bindings/$language" "$stage/package"
cp LICENSE "$stage/package/"
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
    version=$(project_version)
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
    "$source/scripts/npm-fetch.sh" node-api-headers "$stage/node-api-headers"
    flags=(-shared -O2 -Wall -Wextra -Werror -s -DNAPI_VERSION=1 -I"$stage/node-api-headers/include"
        -I"$source/include")
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
