#!/usr/bin/env bash
# Runs a program under valgrind's memcheck: any memory error or leak fails.
# Without valgrind it skips, except under CI.
if ! command -v valgrind >/dev/null; then
    [ "${CI:-}" = true ] && { echo "FAIL: valgrind is missing"; exit 1; }
    echo "SKIP: valgrind is missing"
    exit 77
fi
exec valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=all "$@"
