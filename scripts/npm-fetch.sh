#!/usr/bin/env bash
# A package of scripts/npm-packages.txt, unpacked into DIR (the contents of
# its tarball's package/ folder). npm fetches it at its pinned version into a
# cache that later runs take it from without the network
# (PRIMARY_MAC_NPM_CACHE, else build/npm-cache), and the tarball must have
# the pinned integrity: a release is made from the same bytes every time, or
# not at all.
#
#   scripts/npm-fetch.sh PACKAGE DIR
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
name=$1
mkdir -p "$2"
read -r version integrity < <(awk -v name="$name" '$1 == name { print $2, $3 }' \
    "$scripts/npm-packages.txt") || { echo "npm-fetch.sh: no $name in npm-packages.txt" >&2; exit 2; }
export npm_config_cache=${PRIMARY_MAC_NPM_CACHE:-$scripts/../build/npm-cache}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
npm pack --prefer-offline --loglevel=error --pack-destination "$stage" "$name@$version" >/dev/null || {
    echo "npm-fetch.sh: $name $version is neither in the cache ($npm_config_cache) nor to be had from the registry" >&2
    exit 1
}
tarball=("$stage"/*.tgz)
actual=$(node -e 'const hash = require("crypto").createHash("sha512");
hash.update(require("fs").readFileSync(process.argv[1]));
console.log(`sha512-${hash.digest("base64")}`);' "${tarball[0]}")
if [ "$actual" != "$integrity" ]; then
    echo "npm-fetch.sh: $name $version is $actual, not the pinned $integrity" >&2
    exit 1
fi
tar -xzf "${tarball[0]}" -C "$2" --strip-components=1 --no-same-owner
