#!/usr/bin/env bash
# Builds the program for this machine and runs it, on Debian 12: installs
# cmake, make and g++ first when they are missing (as root).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-missing.sh cmake make g++
cmake --preset native
cmake --build --preset native
exec build/native/primary-mac
