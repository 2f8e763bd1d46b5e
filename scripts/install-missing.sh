#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, as root with
# apt-get: those named, or with --for COMMAND all that scripts/packages.txt
# lists for the command. Without root it names them and goes on: what needs
# them fails, or a test that needs them skips (and fails under CI). With -n
# it names them and installs nothing.
#
#   install-missing.sh [-n] PACKAGE...
#   install-missing.sh [-n] --for COMMAND
#
# The registry may be mid-sync, an index failing to download or a foreign
# architecture's half lagging behind this machine's. So an index that fails
# is a warning; the missing packages are installed in one transaction and,
# when that fails, one at a time, so that one that cannot be installed keeps
# no other out; and apt may remove nothing, so that it never swaps this
# machine's instance of a package for another architecture's. Exits 1, naming
# each, when some are still missing.
set -uo pipefail
dry_run=false
if [ "${1:-}" = -n ]; then
    dry_run=true
    shift
fi
if [ "${1:-}" = --for ]; then
    # shellcheck source=scripts/builds.sh
    source "$(dirname "$0")/builds.sh"
    mapfile -t packages < <(packages_for "$2")
    set -- "${packages[@]}"
fi

machine=$(dpkg --print-architecture)

# Every package instance dpkg knows: name, architecture, status (three
# words), then what it provides.
instances() {
    dpkg-query -W -f='${Package} ${Architecture} ${Status} ${Provides}\n' 2>/dev/null
}

# Whether a package is installed: NAME:ARCH for that architecture, a bare
# NAME for this machine's (or for all), by its own name or as a package of
# that architecture provides it (the npm that a Node.js of NodeSource's
# brings). An instance of another architecture alone, such as musl-dev:arm64
# for the aarch64 build, is not this machine's musl-dev: its programs would
# not run here.
installed() { # package
    local name=${1%%:*} architecture=${1#*:}
    [ "$architecture" != "$1" ] || architecture=$machine
    instances | awk -v name="$name" -v architecture="$architecture" '
        $3 $4 $5 != "installokinstalled" || ($2 != architecture && $2 != "all") { next }
        $1 == name { found = 1 }
        {
            $1 = $2 = $3 = $4 = $5 = ""
            gsub(/\([^)]*\)| /, "")
            if (index("," $0 ",", "," name ",")) found = 1
        }
        END { exit !found }'
}

# The packages of the arguments that are not installed.
still_missing() { # package...
    local package
    for package; do
        installed "$package" || echo "$package"
    done
}

mapfile -t missing < <(still_missing "$@")
[ ${#missing[@]} -gt 0 ] || exit 0
if $dry_run; then
    printf '%s\n' "${missing[@]}"
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${missing[*]}; run as root to install them" >&2
    exit 0
fi

# Packages of another architecture (musl-dev:arm64) need it enabled first.
for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/.*:\(.*\)/\1/p' | sort -u); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! apt-get update -q >"$log" 2>&1; then
    failures=$(sed -n 's/^Err:[0-9]* //p' "$log" | paste -sd ';' | sed 's/;/; /g')
    echo "install-missing.sh: warning: an index failed to download (${failures:-$(grep '^E: ' "$log" | tail -n 1)});" \
        "going on with those that did" >&2
fi

install() { # package...
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends --no-remove "$@"
}
if ! install "${missing[@]}"; then
    echo "install-missing.sh: the packages do not install together; one at a time" >&2
    for package in "${missing[@]}"; do
        install "$package" >"$log" 2>&1 ||
            echo "install-missing.sh: cannot install $package: $(grep '^E: ' "$log" | tail -n 1)" >&2
    done
fi

# Each package still missing, with the architecture of an instance that
# stands in its place, whose programs would not run here.
mapfile -t missing < <(still_missing "$@")
[ ${#missing[@]} -gt 0 ] || exit 0
for package in "${missing[@]}"; do
    foreign=$(instances | awk -v name="${package%%:*}" \
        '$1 == name && $3 $4 $5 == "installokinstalled" { print $2 }' | paste -sd ,)
    echo "install-missing.sh: missing: $package${foreign:+ (installed for $foreign only)}" >&2
done
exit 1
