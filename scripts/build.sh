#!/usr/bin/env bash
# Installs what the build needs, builds everything in release mode.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset release
cmake --build --preset release
