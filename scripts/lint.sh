#!/usr/bin/env bash
# Formatting of every C and C++ file, clang-tidy on the program's own code,
# and shellcheck (warnings and errors) on every shell file.
# Takes the build directory holding compile_commands.json. Lists the files
# itself, so that it runs in a source tarball as in a git checkout.
set -u
cd "$(dirname "$0")/.."
# shellcheck source=tests/lib/testlib.sh
source tests/lib/testlib.sh
build=${1:-build/native}
require clang-format clang-tidy shellcheck

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
# The shell files: by their name, or by their first line. shellcheck follows
# what each sources by the path its directive gives from here.
find scripts tests bench facts .ci -type f -exec awk 'FNR == 1 {
        if (FILENAME ~ /\.sh$/ || $0 ~ /^#!.*[/ ](ba)?sh$/) print FILENAME
        nextfile
    }' {} + | sort | xargs shellcheck -S warning -x || status=1
exit $status
