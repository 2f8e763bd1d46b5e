#!/usr/bin/env bash
# What an answer costs a program that embeds the library (one call in its own
# process) against one that starts primary-mac and reads its output, in C,
# Python and Node.js. In each round bench/embed.c, bench/embed.py and
# bench/embed.js each time their calls, then their runs of the program: C of
# the native and the static build, Python and Node.js of the native build (the
# one the .deb installs) through their own subprocess.run() and
# execFileSync(). The ways take turns under the same load; each is reported as
# the median over the rounds of its time per answer, and as a multiple of its
# language's call. Builds the native preset (the library and the program) and
# the static one, and the Node.js addon as its install step does; needs a C
# compiler, python3, node and pkg-config.
#
#   bench/embed.sh [rounds [calls [spawns]]]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-21}
calls=${2:-200}
spawns=${3:-50}

for preset in native static; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -Wall -Wextra -Iinclude bench/embed.c -Lbuild/native -lprimary-mac -o "$work/embed"
cmake --install build/native --prefix "$work/staged" >/dev/null
pc=$(find "$work/staged" -name primary-mac.pc)
mkdir "$work/node_modules"
cp -r bindings/node "$work/node_modules/primary-mac"
(cd "$work/node_modules/primary-mac" && PKG_CONFIG_PATH=${pc%/*} node build.js)

export LD_LIBRARY_PATH=build/native PYTHONPATH=bindings/python/src NODE_PATH=$work/node_modules
program=build/native/primary-mac
for ((round = 0; round < rounds; ++round)); do
    "$work/embed" "$calls" "$spawns" "$program" build/static/primary-mac
    python3 -B bench/embed.py "$calls" "$spawns" "$program"
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
