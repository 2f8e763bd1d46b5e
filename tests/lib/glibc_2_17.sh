# shellcheck shell=bash
# What a Linux library or addon that a language package carries needs of the
# system, judged as auditwheel judges a manylinux_2_17 wheel's libraries: no
# glibc symbol version newer than 2.17, and no shared library but glibc's own
# (libc.so.6, and the dynamic loader, which auditwheel leaves out as well).
# Source it after testlib.sh.

# Records both checks for FILE, named NAME.
expect_glibc_2_17() { # name file
    local newest needed
    newest=$(objdump -T "$2" | grep -o 'GLIBC_[0-9.]*' | sed 's/^GLIBC_//' | sort -V | tail -n 1)
    expect "$1: no glibc symbol version newer than 2.17 (the newest: $newest)" 2.17 \
        "$(printf '%s\n' 2.17 "$newest" | sort -V | tail -n 1)"
    needed=$(readelf -d "$2" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' |
        grep -v -x -e libc.so.6 -e 'ld-linux[-.a-z0-9_]*\.so\.[0-9]*' | xargs)
    expect "$1: needs no shared library but glibc's" "" "$needed"
}
