#!/usr/bin/env bash
# Builds (incrementally) and runs the whole test suite: the Linux release build, the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows module under wine.
# Name legs to run only those: scripts/test.sh [release] [sanitized] [windows]
# Each leg first installs the Debian packages it needs (nothing when they are already there).
set -euo pipefail
cd "$(dirname "$0")/.."

legs=("$@")
[ ${#legs[@]} -ne 0 ] || legs=(release sanitized windows)

# Each set-up script runs at most once per call.
declare -A set_up=()
set_up_with() {
    [ -n "${set_up[$1]:-}" ] || { "scripts/$1"; set_up[$1]=done; }
}

run_leg() {
    local start=$(date +%s)
    case "$1" in
        release)
            set_up_with setup-debian.sh
            cmake --preset release >/dev/null
            cmake --build --preset release
            ctest --preset release -j2
            ;;
        sanitized)
            set_up_with setup-debian.sh
            cmake --preset debug >/dev/null
            cmake --build --preset debug
            ctest --preset debug -j2
            ;;
        windows)
            set_up_with setup-windows-debian.sh
            scripts/test-windows.sh
            ;;
    esac
    echo "== leg $1 passed in $(( $(date +%s) - start )) s"
}

# Unknown names are refused before anything is installed or built.
for leg in "${legs[@]}"; do
    case "$leg" in
        release | sanitized | windows) ;;
        *) echo "unknown leg '$leg' (release, sanitized, windows)" >&2; exit 2 ;;
    esac
done
for leg in "${legs[@]}"; do
    run_leg "$leg"
done
