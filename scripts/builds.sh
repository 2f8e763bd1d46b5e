# shellcheck shell=bash
# What the scripts and tests share about the project's builds; source it.

builds_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The builds of scripts/builds.txt, one a line, without its comments.
builds() {
    grep -v '^#' "$builds_scripts/builds.txt"
}

# The builds whose libraries the language packages carry, one a line: the
# preset, the system (linux, windows), the processor (x86_64, aarch64, i686)
# and the C compiler of its C++ one. They are those against the system's own
# C library, not musl.
library_builds() {
    local preset processor compiler library system
    while read -r preset processor compiler library _; do
        [ "$library" = - ] || continue
        system=linux
        [[ $compiler != *mingw32* ]] || system=windows
        [ "$processor" != - ] || processor=$(uname -m)
        echo "$preset $system $processor ${compiler/g++/gcc}"
    done < <(builds)
}

# The language packages of bindings/ that a release makes a file of
# (scripts/pack-binding.sh); the others ship in the source tarball.
# shellcheck disable=SC2034 # read by release.sh and the tests
released_bindings="python node rust dotnet"

# The project's version, as project() in CMakeLists.txt sets it.
project_version() {
    sed -n '/^project(/,/)/s/^ *VERSION \([0-9.]*\)$/\1/p' "$builds_scripts/../CMakeLists.txt"
}

# The Debian packages that a command of scripts/packages.txt installs.
packages_for() { # command
    local list=$builds_scripts/packages.txt word
    for word in $(awk -v command="$1" '$1 == command { $1 = ""; print }' "$list"); do
        if [ "$word" = builds ]; then
            builds | awk '{ for (i = 6; i <= NF; i++) print $i }'
        elif grep -q "^$word " "$list"; then
            packages_for "$word"
        else
            echo "$word"
        fi
    done | sort -u
}

# Archive times, as CMakeLists.txt takes them: SOURCE_DATE_EPOCH when set,
# else the commit's time that git archive wrote into packaging/commit-time (a
# source tarball), else the last commit's.
source_date_epoch() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    else
        grep -x '[0-9]\+' "$builds_scripts/../packaging/commit-time" ||
            git -C "$builds_scripts/.." log -1 --format=%ct
    fi
}
