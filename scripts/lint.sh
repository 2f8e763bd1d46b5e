#!/usr/bin/env bash
# Formatting of every C++ file, and clang-tidy on the program's own code.
# Takes the build directory holding compile_commands.json. Lists the files
# itself, so that it runs in a source tarball as in a git checkout.
set -u
cd "$(dirname "$0")/.."
source tests/testlib.sh
build=${1:-build/native}
require clang-format clang-tidy

status=0
find include src tests -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror ||
    status=1
# The Windows query, its loading, the process settings, the lock and standard
# output need the Windows headers (the cross builds check them); the rest of
# the Windows layer builds anywhere.
find src -name '*.cpp' ! -path src/platform/win/adapters.cpp ! -path src/platform/win/output.cpp \
    ! -path src/platform/win/process.cpp ! -path src/platform/win/system_library.cpp \
    ! -path src/platform/win/lock.cpp |
    sort | xargs clang-tidy --quiet -p "$build" || status=1
exit $status
