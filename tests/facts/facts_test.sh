#!/usr/bin/env bash
# The fact program, as the packages install it, read by the real engines:
# Ansible's ansible_local.primary_mac and Facter's primary_mac must each be the
# fact of the program's answer, run in the same private namespaces, in each
# case of cases.sh (each with a mount namespace of its own); and a message
# that JSON must escape comes back exactly. The build's program stands in for
# /usr/bin/primary-mac (an overlay on /usr/bin in the namespace, whether or not
# one is installed), and one earlier in PATH must never answer. The fact
# program is linked into each engine's folder in /etc as the man page says
# (an overlay on /etc), where each engine looks for it by default.
#
#   facts_test.sh PROGRAM FACT_PROGRAM VERSION
# shellcheck source-path=SCRIPTDIR
set -u
source "$(dirname "$0")/../lib/testlib.sh"
source "$(dirname "$0")/../lib/fake_sysfs.sh"
source "$(dirname "$0")/../lib/cases.sh"

# In a private mount namespace: a directory with the folder's files over its
# own.
over() { mount -t overlay overlay -o lowerdir="$2:$1" "$1"; } # directory folder

# In a case, with the folder's primary-mac as /usr/bin's: the program's
# answer, its message and its status, and each engine's output, in files of
# the work directory. Ansible gathers its local facts alone: the rest take
# seconds.
run_engines() { # work folder
    local work=$1
    over /usr/bin "$2" && over /etc "$work/etc" || exit
    /usr/bin/primary-mac >"$work/answer" 2>"$work/answer_message"
    echo $? >"$work/answer_status"
    export HOME=$work PATH=$work/decoy:$PATH
    ansible localhost -c local -m setup -o -a "gather_subset=!all,!min,local filter=ansible_local" \
        >"$work/ansible.out" 2>/dev/null
    facter --json primary_mac >"$work/facter.out" 2>/dev/null
}

# The fact program with the folder's primary-mac as /usr/bin's.
fact_over() { # folder fact_program
    over /usr/bin "$1" && "$2"
}
run_namespace_case "$@"

program=$(realpath "$1") fact_program=$(realpath "$2") version=$3
[ -x "$fact_program" ] || missing "no executable $2 (cmake --build --preset native)"
[ "$(id -u)" = 0 ] || missing "the fact cases need root"
require ansible facter python3 ip mount
require_namespaces -n -m

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{etc/{ansible,facter}/facts.d,built,hostile,decoy,missing,silent}
ln -s "$fact_program" "$work/etc/ansible/facts.d/primary_mac.fact"
ln -s "$fact_program" "$work/etc/facter/facts.d/primary_mac"
ln -s "$program" "$work/built/primary-mac"
error=$(in_namespace -m over /usr/bin "$work/built" 2>&1) ||
    missing "cannot lay an overlay on /usr/bin ($error)"
# A program whose message holds quotes, backslashes and control characters,
# DEL among them (which Facter's YAML parser refuses raw).
printf 'primary-mac: %s\n' $'cannot list network adapters: "quoted", back\\slash\\, a\ttab, \001 and \177' \
    >"$work/message"
printf '#!/bin/sh\ncat %q >&2\nexit 1\n' "$work/message" >"$work/hostile/primary-mac"
# One earlier in PATH, for the engines, which must never answer.
printf '#!/bin/sh\nprintf 66-66-66-66-66-66\n' >"$work/decoy/primary-mac"
chmod +x "$work/hostile/primary-mac" "$work/decoy/primary-mac"

# As python's json writes it, with sorted keys: the fact of an answer (the
# program's exit status, standard output and message, from files), or the
# primary_mac fact an engine recorded in its output (or the output, where it
# recorded none).
canonical() { # answer STATUS_FILE ANSWER_FILE MESSAGE_FILE | ansible|facter OUTPUT_FILE
    python3 -c 'import json, sys
version, how, *args = sys.argv[1:]
if how == "answer":
    status, answer, message = (open(name).read() for name in args)
    outcome = "failed" if int(status) else "found" if answer else "no_adapter"
    fact = {"mac": answer, "outcome": outcome, "version": version}
    if outcome == "failed":
        fact["failure"] = message.rstrip("\n").removeprefix("primary-mac: ")
else:
    output = open(args[0]).read()
    try:
        if how == "ansible":
            fact = json.loads(output.partition(" => ")[2])["ansible_facts"]["ansible_local"]
            fact = fact["primary_mac"]
        else:
            fact = json.loads(output)["primary_mac"]
    except (ValueError, KeyError, TypeError):
        fact = output
print(json.dumps(fact, sort_keys=True))' "$version" "$@"
}

# Each engine's fact in a case, with a mount namespace of its own, against
# the fact of the program's answer there: the build's program, or the one in
# the named folder of the work directory.
check() { # case flags setup [folder]
    local flags=${2:--} fact
    [[ $flags == *m* ]] || flags+=m
    rm -f "$work"/{answer,answer_message,answer_status,ansible.out,facter.out}
    in_case "$flags" "$3" run_engines "$work" "$work/${4:-built}"
    fact=$(canonical answer "$work"/{answer_status,answer,answer_message})
    expect "$1: ansible_local.primary_mac" "$fact" "$(canonical ansible "$work/ansible.out")"
    expect "$1: facter's primary_mac" "$fact" "$(canonical facter "$work/facter.out")"
}
each_case check
check "a message that JSON must escape" "" : hostile

# Failures that the program does not name, in the fact as Facter takes it: no
# program (an overlay's whiteout hides an installed one), and one that exits
# with a failure but no message.
mknod "$work/missing/primary-mac" c 0 0
printf '#!/bin/sh\nexit 3\n' >"$work/silent/primary-mac"
chmod +x "$work/silent/primary-mac"
for row in "missing:cannot run /usr/bin/primary-mac: it is not installed" \
    "silent:/usr/bin/primary-mac exited with status 3 and no message"; do
    expect "${row%%:*} program: failed, with a cause that says so" \
        '{"primary_mac":{"mac":"","outcome":"failed","failure":"'"${row#*:}"'","version":"'"$version"'"}}' \
        "$(in_namespace -m fact_over "$work/${row%%:*}" "$work/etc/facter/facts.d/primary_mac")"
done
exit $failed
