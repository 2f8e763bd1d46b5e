#!/usr/bin/env bash
# Builds the program for this machine and runs it, on Debian 12: installs
# what it needs first when it is missing (as root; scripts/packages.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-missing.sh --for build || echo "scripts/build.sh: going on without those"
cmake --preset native
cmake --build --preset native
exec build/native/primary-mac
