#!/usr/bin/env bash
# The test command from any path: a copy of the source in a folder whose path
# holds a space, its program and its Windows build built there, and a TMPDIR
# whose path holds a space too; in them, a case of each kind of test the
# shell runs: the namespace cases, a language package's recipe and Wine's
# cases. Each of those skips or fails as it would alone.
#
#   paths_test.sh SOURCE
set -u
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/lib/testlib.sh"
source_dir=$1
require cmake tar

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
checkout="$work/a checkout/primary-mac"
export TMPDIR="$work/temporary files"
mkdir -p "$checkout" "$TMPDIR"
tar -C "$source_dir" --exclude=./build --exclude=./dist -c . | tar -C "$checkout" -x
builds=$checkout/build/ci
for preset in native win64; do
    { cmake --preset "$preset" -S "$checkout" -B "$builds/$preset" -DBUILD_TESTING="$(
        [ "$preset" = native ] && echo OFF || echo ON)" &&
        cmake --build "$builds/$preset" -j "$(nproc)"; } >"$work/log" 2>&1 ||
        { cat "$work/log"; echo "FAIL: the $preset build in $checkout"; exit 1; }
done

# Runs a test of the copy as ctest runs it; records whether it passed, or
# shows why not. A skip (status 77) is the whole test's, but for a failure.
skipped=false
run_test() { # name command...
    local status=0
    "${@:2}" >"$work/log" 2>&1 || status=$?
    case $status in
    0) echo "ok: $1, from $checkout" ;;
    77) skipped=true && grep '^SKIP' "$work/log" ;;
    *) cat "$work/log" && echo "FAIL: $1, from $checkout (status $status)" && failed=1 ;;
    esac
}
run_test "the namespace cases" "$checkout/tests/platform/linux/netns_test.sh" "$builds/native/primary-mac"
run_test "the Go package's recipe" "$checkout/tests/bindings/bindings_test.sh" go \
    "$builds/native/primary-mac" "$builds/native" "$builds"
run_test "the Wine cases of scripted machines" "$checkout/tests/platform/win_hardware_test.sh" \
    "$builds/win64/primary-mac.exe" win64
[ "$failed" = 0 ] && $skipped && exit 77
exit $failed
