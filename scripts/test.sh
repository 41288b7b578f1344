#!/usr/bin/env bash
# Builds (incrementally) and runs the whole test suite: the Linux release build, the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows module under wine.
# Name legs to run only those: scripts/test.sh [release] [sanitized] [windows] [fuzz]
# Each leg first installs the Debian packages it needs (nothing when they are already there).
# The fuzz leg replays the fuzzer's regression inputs, then fuzzes for QUENDARIS_FUZZ_SECONDS
# (60 by default); `fuzz-long` is the same leg with a longer default of 1800 s for CI.
set -euo pipefail
cd "$(dirname "$0")/.."

legs=("$@")
[ ${#legs[@]} -ne 0 ] || legs=(release sanitized windows fuzz)

run_fuzz() {
    set_up_with setup-debian.sh
    source scripts/lib/apt.sh
    install_debian_packages clang libclang-rt-dev
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz --target quendaris-fuzz-host
    local fuzzer=build/fuzz/bin/RelWithDebInfo/quendaris-fuzz-host work=build/fuzz/corpus
    "$fuzzer" fuzz/regressions/*
    # New inputs go to the build tree; the seeds in the repository are only read.
    mkdir -p "$work"
    "$fuzzer" -max_total_time="$1" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        "$work" fuzz/corpus
}

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
        fuzz)
            run_fuzz "${QUENDARIS_FUZZ_SECONDS:-60}"
            ;;
        fuzz-long)
            run_fuzz "${QUENDARIS_FUZZ_SECONDS:-1800}"
            ;;
    esac
    echo "== leg $1 passed in $(( $(date +%s) - start )) s"
}

# Unknown names are refused before anything is installed or built.
for leg in "${legs[@]}"; do
    case "$leg" in
        release | sanitized | windows | fuzz | fuzz-long) ;;
        *) echo "unknown leg '$leg' (release, sanitized, windows, fuzz, fuzz-long)" >&2; exit 2 ;;
    esac
done
for leg in "${legs[@]}"; do
    run_leg "$leg"
done
