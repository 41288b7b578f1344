#!/usr/bin/env bash
# Builds (incrementally) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -j2
