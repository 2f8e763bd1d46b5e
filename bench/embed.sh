#!/usr/bin/env bash
# What an answer costs a program that embeds the library (one call in its own
# process) against one that starts primary-mac and reads its output, in C,
# Python and Node.js. In each round bench/embed.c, bench/embed.py and
# bench/embed.js each time their calls, then their runs of the program: C of
# the native and the static build, Python and Node.js of the native build (the
# one the .deb installs) through their own subprocess.run() and
# execFileSync(). The ways take turns under the same load; each is reported as
# the median over the rounds of its time per answer, and as a multiple of its
# language's call. Python and Node.js call through the library that their
# packages carry, from the release's x86_64 wheel in a venv and its npm
# tarball installed offline. Builds the native preset (the library and the
# program), the static one and those whose libraries the packages carry, and
# packs the packages (scripts/pack-binding.sh); needs their compilers, python3
# with python3-build, python3-wheel and python3-venv, node and npm.
#
#   bench/embed.sh [rounds [calls [spawns]]]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/builds.sh
source scripts/builds.sh
rounds=${1:-21}
calls=${2:-200}
spawns=${3:-50}

for preset in native static $(library_builds | awk '{ print $1 }'); do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j 2 >/dev/null
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -Wall -Wextra -Iinclude bench/embed.c -Lbuild/native -lprimary-mac -o "$work/embed"
for language in python node; do
    scripts/pack-binding.sh "$language" "$work/dist" >/dev/null 2>&1
done
python3 -m venv "$work/venv" >/dev/null
"$work/venv/bin/pip" install --no-index --disable-pip-version-check --quiet \
    "$work"/dist/primary_mac-*-manylinux_2_17_x86_64.manylinux2014_x86_64.whl
mkdir "$work/app"
(cd "$work/app" && npm_config_cache=$work/npm npm install --offline --no-audit --no-fund --silent \
    "$work"/dist/primary-mac-*.tgz)

export NODE_PATH=$work/app/node_modules
program=build/native/primary-mac
for ((round = 0; round < rounds; ++round)); do
    LD_LIBRARY_PATH=build/native "$work/embed" "$calls" "$spawns" "$program" build/static/primary-mac
    "$work/venv/bin/python" -B bench/embed.py "$calls" "$spawns" "$program"
    node bench/embed.js "$calls" "$spawns" "$program"
done >"$work/results"
# Each way's median, the ways in the order they ran.
while IFS=$'\t' read -r language way; do
    printf '%s\t%s\t%s\n' "$language" "$way" "$(awk -F '\t' -v language="$language" -v way="$way" \
        '$1 == language && $2 == way { print $3 }' "$work/results" |
        sort -n | sed -n "$(((rounds + 1) / 2))p")"
done < <(cut -f 1,2 "$work/results" | awk '!seen[$0]++') >"$work/medians"

echo "primary-mac $("$program"); $(date -u +%Y-%m-%d), $(nproc) cores," \
    "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), Linux $(uname -r)," \
    "bench/embed.sh $rounds $calls $spawns"
echo
echo "| language | way | time per answer | answers per second | × the call |"
echo "|---|---|---:|---:|---:|"
awk -F '\t' '$1 != language { language = $1; call = $3 }
    { printf "| %s | %s | %.1f µs | %d | %.1f |\n", $1, $2, $3 / 1e3, 1e9 / $3, $3 / call }' \
    "$work/medians"
