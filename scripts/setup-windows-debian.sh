#!/usr/bin/env bash
# Installs what the Windows cross build and its wine checks need, the native build of the
# reference renderer they compare with included. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/lib/apt.sh"

install_debian_packages \
    cmake ninja-build g++ ccache git libgtest-dev \
    g++-mingw-w64-x86-64-posix wine wine64 xvfb libgl1-mesa-dri libstb-dev
