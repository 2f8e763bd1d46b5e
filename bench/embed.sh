#!/usr/bin/env bash
# What an answer costs a program that embeds the library (one call in its own
# process) against one that starts primary-mac and reads its output, both
# measured by bench/embed.c in the same run, in turns, as the median over the
# rounds of the time per call. Builds the native preset (the library and the
# program) and the static one; needs a C compiler.
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

LD_LIBRARY_PATH=build/native "$work/embed" "$rounds" "$calls" "$spawns" \
    build/native/primary-mac build/static/primary-mac >"$work/results"
echo "primary-mac $(sed -n 's/^answer //p' "$work/results"); $(date -u +%Y-%m-%d), $(nproc) cores," \
    "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), Linux $(uname -r)," \
    "bench/embed.sh $rounds $calls $spawns"
echo
echo "| way | time per answer | answers per second | × in-process |"
echo "|---|---:|---:|---:|"
awk '$1 != "answer" {
        if (!call) call = $2
        way = $1 == "in-process" ? "`primary_mac_get()` in the process" : "spawn `" $1 "`, read its output"
        printf "| %s | %.1f µs | %d | %.1f |\n", way, $2 / 1e3, 1e9 / $2, $2 / call
    }' "$work/results"
