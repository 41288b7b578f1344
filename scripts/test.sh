#!/usr/bin/env bash
# Builds (incrementally) and runs the whole test suite: the Linux release build, the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows module under wine.
# Name legs to run only those: scripts/test.sh [release] [sanitized] [windows]
set -euo pipefail
cd "$(dirname "$0")/.."

legs=("$@")
[ ${#legs[@]} -ne 0 ] || legs=(release sanitized windows)

run_leg() {
    local start=$(date +%s)
    case "$1" in
        release)
            cmake --preset release >/dev/null
            cmake --build --preset release
            ctest --preset release -j2
            ;;
        sanitized)
            cmake --preset debug >/dev/null
            cmake --build --preset debug
            ctest --preset debug -j2
            ;;
        windows)
            scripts/test-windows.sh
            ;;
        *)
            echo "unknown leg '$1' (release, sanitized, windows)" >&2
            return 2
            ;;
    esac
    echo "== leg $1 passed in $(( $(date +%s) - start )) s"
}

for leg in "${legs[@]}"; do
    run_leg "$leg"
done
