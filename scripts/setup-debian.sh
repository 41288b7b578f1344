#!/usr/bin/env bash
# Installs the Debian packages that building and testing QUENDARIS need. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/lib/apt.sh"

install_debian_packages \
    cmake ninja-build g++ ccache git pkg-config \
    libgtest-dev libgmock-dev libbenchmark-dev \
    libsndfile1-dev \
    libgl-dev libegl-dev libx11-dev libegl-mesa0 libgl1-mesa-dri libstb-dev python3-jinja2 \
    libxtst-dev libpng-dev xvfb \
    ardour
