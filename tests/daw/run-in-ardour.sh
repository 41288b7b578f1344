#!/usr/bin/env bash
# Loads the built bundle into Ardour 7, headless, and runs session-check.lua against it.
# Ardour gets a private home under WORK_DIR, so the user's own Ardour set-up is neither read nor
# touched, and a missing Ardour is a failure: the setup script installs it.
# Usage: run-in-ardour.sh BUNDLE WORK_DIR [ARDOUR_LIB_DIR]
set -euo pipefail

bundle=${1:?bundle path}
work=${2:?work folder}
ardour_lib=${3:-/usr/lib/ardour7}
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL $*" >&2
    exit 1
}

[ -f "$bundle/Contents/$(uname -m)-linux/quendaris.so" ] ||
    fail "no built bundle at $bundle (build the quendaris target first)"
scanner="$ardour_lib/ardour-vst3-scanner"
command -v ardour7-lua >/dev/null && [ -x "$scanner" ] ||
    fail "Ardour 7 is not installed (ardour7-lua, $scanner): apt-get install ardour"

bundle=$(cd "$bundle" && pwd)
rm -rf "$work"
mkdir -p "$work/config/ardour7/scripts" "$work/cache" "$work/data"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"

# Ardour reads VST3 plug-ins only from its scan cache, for the folders named in its config.
cat >"$XDG_CONFIG_HOME/ardour7/config" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="plugin-path-vst3" value="$(dirname "$bundle")"/>
  </Config>
</Ardour>
EOF
cp "$here"/scripts/*.lua "$XDG_CONFIG_HOME/ardour7/scripts/"

start=$(date +%s)
LD_LIBRARY_PATH="$ardour_lib" timeout 60 "$scanner" -f "$bundle" ||
    fail "ardour-vst3-scanner could not scan $bundle (exit $?)"
grep -qs 'name="QUENDARIS"' "$XDG_CACHE_HOME"/ardour7/vst/*.v3i ||
    fail "the scan left no QUENDARIS entry in Ardour's plug-in cache"

status=0
timeout 120 ardour7-lua -X "$here/session-check.lua" "$work/session" || status=$?
case $status in
    0) echo "Ardour session check passed in $(($(date +%s) - start)) s" ;;
    124) fail "Ardour session check timed out after 120 s" ;;
    *) fail "Ardour session check failed (exit $status)" ;;
esac
