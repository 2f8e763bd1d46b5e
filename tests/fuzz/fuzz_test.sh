#!/usr/bin/env bash
# Runs a libFuzzer target for a while from its seeds, adding what it finds to
# a corpus of its own, which goes with it.
#
#   fuzz_test.sh TARGET SECONDS SEEDS
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$1" -max_total_time="$2" -print_final_stats=1 "$work" "$3"
