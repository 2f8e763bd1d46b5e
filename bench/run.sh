#!/usr/bin/env bash
# What one run of primary-mac costs as a whole process, beside its peers:
# instructions executed (valgrind's callgrind: stable on a noisy machine),
# system calls (strace), median wall time (hyperfine), each also as a ratio to
# /bin/true, the floor of starting any process, and the size of each build of
# ours. Needs hyperfine, valgrind and strace; builds first the Linux builds of
# scripts/builds.txt whose compiler (and C library) is here: those for another
# processor are shown by size only, their costs under emulation meaning
# nothing.
#
#   bench/run.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/builds.sh
source scripts/builds.sh
runs=${1:-500}

ours=() foreign=()
while read -r preset processor compiler library _; do
    [[ $compiler != *mingw32* ]] && command -v "$compiler" >/dev/null &&
        { [ "$library" = - ] || [ -f "$library" ]; } || continue
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target primary-mac >/dev/null
    if [ "$processor" = - ] || [ "$processor" = "$(uname -m)" ]; then
        ours+=("build/$preset/primary-mac")
    else
        foreign+=("build/$preset/primary-mac")
    fi
done < <(builds)
program=build/native/primary-mac

# The interface the program chose, found by its address.
answer=$("$program")
iface=lo
for entry in /sys/class/net/*; do
    if [ "$(tr a-f: A-F- <"$entry/address")" = "$answer" ]; then
        iface=${entry##*/}
        break
    fi
done

# The interpreter itself, not a wrapper script (pyenv's shims are scripts).
python=$(python3 -c 'import sys; print(sys.executable)')
commands=(
    "${ours[@]}"
    "/bin/true"
    "ip -o link"
    "cat /sys/class/net/$iface/address"
    "$python -c 'import uuid; print(uuid.getnode())'"
)
floor=${#ours[@]} # /bin/true

results=$(mktemp)
trap 'rm -f "$results" "$results".*' EXIT
hyperfine --shell=none --warmup 20 --runs "$runs" --export-json "$results" \
    "${commands[@]}" >/dev/null 2>"$results.log" || { cat "$results.log"; exit 1; }

# Per command: instructions, system calls (all processes, execve included)
# and, for a build of ours, its size in bytes (0 for the others).
for command in "${commands[@]}"; do
    eval "valgrind --tool=callgrind --callgrind-out-file=/dev/null $command" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p' | tail -n 1 | tr '\n' ' '
    eval "strace -f -c -o $results.strace $command" >/dev/null
    awk '$NF == "total" { printf "%s ", $4 }' "$results.strace"
    case $command in
    build/*) stat -c %s "$command" ;;
    *) echo 0 ;;
    esac
done >"$results.counts"

echo "primary-mac $answer via $iface; $(date -u +%Y-%m-%d), $(nproc) cores," \
    "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), Linux $(uname -r)"
echo
for build in "${foreign[@]}"; do
    echo "$build $(stat -c %s "$build")"
done >"$results.foreign"
python3 - "$results" "$results.counts" "$results.foreign" "$python" "$floor" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
counts = [[int(n) for n in line.split()] for line in open(sys.argv[2])]
foreign = [line.split() for line in open(sys.argv[3])]
python, floor = sys.argv[4], int(sys.argv[5])
floor_instructions, floor_time = counts[floor][0], results[floor]["median"]
print("| command | size (bytes) | instructions | × /bin/true | system calls "
      "| median wall time | × /bin/true |")
print("|---|---:|---:|---:|---:|---:|---:|")
for result, (instructions, calls, size) in zip(results, counts):
    command = result["command"].replace(python, "python3")
    print(f"| `{command}` | {f'{size:,}' if size else ''} | {instructions:,} "
          f"| {instructions / floor_instructions:.2f} | {calls} "
          f"| {result['median'] * 1e3:.2f} ms | {result['median'] / floor_time:.2f} |")
for build, size in foreign:
    print(f"| `{build}` | {int(size):,} | | | | | |")
PY
