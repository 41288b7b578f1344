#!/usr/bin/env bash
# Installs what the Windows cross build and its wine checks need. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/lib/apt.sh"

install_debian_packages g++-mingw-w64-x86-64-posix wine wine64 xvfb libgtest-dev cmake ninja-build
