#!/usr/bin/env bash
# Runs a Windows program under wine with an X server of its own: Xvfb on a free display,
# started here and stopped afterwards, so window and OpenGL tests need nothing from outside.
# Usage: run-with-display.sh <seconds> <program.exe> [arguments...]
# With QUENDARIS_WINDOWS_VERSION set (e.g. win10), wine reports that version to the program.
set -uo pipefail
limit=$1
shift

display=""
for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=$n
        break
    fi
done
if [ -z "$display" ]; then
    echo "ERROR: no free X display between :91 and :199" >&2
    exit 1
fi

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
done
if [ ! -e "/tmp/.X11-unix/X$display" ]; then
    echo "ERROR: Xvfb did not start on :$display" >&2
    exit 1
fi

export DISPLAY=":$display"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d"
# A wineserver left from a run without a display would refuse windows: let it finish first.
wineserver -w 2>/dev/null
if [ -n "${QUENDARIS_WINDOWS_VERSION:-}" ]; then
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$1")" /v Version \
        /d "$QUENDARIS_WINDOWS_VERSION" /f >/dev/null 2>&1
fi
timeout "$limit" wine "$@"
rc=$?
wineserver -w 2>/dev/null
exit $rc
