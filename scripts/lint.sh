#!/usr/bin/env bash
# Formatting of every C++ file, and clang-tidy on the program's own code.
# Takes the build directory holding compile_commands.json.
set -u
cd "$(dirname "$0")/.."
source tests/testlib.sh
build=${1:-build/native}
require clang-format clang-tidy git

status=0
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror || status=1
# The Windows files need the Windows headers; the cross builds check them.
git ls-files 'src/*.cpp' ':!src/platform/win/*' | xargs clang-tidy --quiet -p "$build" ||
    status=1
exit $status
