#!/usr/bin/env bash
# Runs a program under valgrind's memcheck: any memory error or leak fails.
# Without valgrind it skips, except under CI.
# shellcheck source=tests/lib/testlib.sh
source "$(dirname "$0")/lib/testlib.sh"
require valgrind
exec valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=all "$@"
