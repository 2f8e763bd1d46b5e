#!/usr/bin/env bash
# What one run of primary-mac costs as a whole process, beside its peers:
# instructions executed (valgrind's callgrind: stable on a noisy machine) and
# median wall time (hyperfine), each also as a ratio to /bin/true, the floor
# of starting any process. Needs hyperfine and valgrind; builds the native
# preset first.
#
#   bench/run.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-500}

cmake --preset native >/dev/null
cmake --build --preset native --target primary-mac >/dev/null
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
    "$program"
    "/bin/true"
    "ip -o link"
    "cat /sys/class/net/$iface/address"
    "$python -c 'import uuid; print(uuid.getnode())'"
)

instructions() {
    eval "valgrind --tool=callgrind --callgrind-out-file=/dev/null $1" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p' | tail -n 1
}

results=$(mktemp)
trap 'rm -f "$results" "$results.log"' EXIT
hyperfine --shell=none --warmup 20 --runs "$runs" --export-json "$results" \
    "${commands[@]}" >/dev/null 2>"$results.log" || { cat "$results.log"; exit 1; }

counts=()
for command in "${commands[@]}"; do
    counts+=("$(instructions "$command")")
done

echo "primary-mac $answer via $iface; $(date -u +%Y-%m-%d), $(nproc) cores," \
    "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), Linux $(uname -r)"
echo
python3 - "$results" "$python" "${counts[@]}" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
python = sys.argv[2]
counts = [int(c) for c in sys.argv[3:]]
floor_instructions, floor_time = counts[1], results[1]["median"]
print("| command | instructions | × /bin/true | median wall time | × /bin/true |")
print("|---|---:|---:|---:|---:|")
for result, count in zip(results, counts):
    command = result["command"].replace(python, "python3")
    print(f"| `{command}` | {count:,} | {count / floor_instructions:.2f} "
          f"| {result['median'] * 1e3:.2f} ms | {result['median'] / floor_time:.2f} |")
PY
