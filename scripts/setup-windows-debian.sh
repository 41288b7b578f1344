#!/usr/bin/env bash
# Installs what the Windows cross build and its wine checks need. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/lib/apt.sh"

install_debian_packages g++-mingw-w64-x86-64-posix wine wine64 xvfb libgl1-mesa-dri libstb-dev \
    libgtest-dev cmake ninja-build
