#!/usr/bin/env bash
# Installs what the build needs, builds everything in release mode and renders the demo through
# the real plug-in bundle.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset release
cmake --build --preset release
cmake --build --preset release --target render-demo
