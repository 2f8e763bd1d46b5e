#!/usr/bin/env bash
# Formatting of every C and C++ file, and clang-tidy on the program's own code.
# Takes the build directory holding compile_commands.json. Lists the files
# itself, so that it runs in a source tarball as in a git checkout.
set -u
cd "$(dirname "$0")/.."
source tests/lib/testlib.sh
build=${1:-build/native}
require clang-format clang-tidy

status=0
find include src tests bindings bench -name '*.c' -o -name '*.cpp' -o -name '*.h' | sort |
    xargs clang-format --dry-run --Werror || status=1
# Of the Windows layer, only the choice of the adapters that the scan walks
# builds without the Windows headers; the cross builds check the rest.
{
    find src -name '*.cpp' ! -path 'src/platform/win/*'
    printf '%s\n' src/platform/win/lowest_adapters.cpp src/platform/win/hardware_adapters.cpp
} |
    sort | xargs clang-tidy --quiet -p "$build" || status=1
exit $status
