# What the scripts share about the project; source it from the top of the
# tree.

# The builds of scripts/builds.txt, one a line, without its comments.
builds() {
    grep -v '^#' scripts/builds.txt
}

# The project's version, as project() in CMakeLists.txt sets it.
project_version() {
    sed -n '/^project(/,/)/s/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt
}

# The Debian packages that a command of scripts/packages.txt installs.
packages_for() { # command
    local word
    for word in $(awk -v command="$1" '$1 == command { $1 = ""; print }' scripts/packages.txt); do
        if [ "$word" = builds ]; then
            builds | awk '{ for (i = 6; i <= NF; i++) print $i }'
        elif grep -q "^$word " scripts/packages.txt; then
            packages_for "$word"
        else
            echo "$word"
        fi
    done | sort -u
}
