#!/usr/bin/env bash
# Builds Kestrana for Windows and runs it under Wine.
#   With $DISPLAY set: runs on that display until Kestrana is quit.
#   Without: runs in its own virtual display, saves a screenshot, prints its path and
#   stops cleanly after a few seconds (KESTRANA_RUN_SECONDS, default 8).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" --program win64 win32
"$root/scripts/layout.sh"

source "$root/tests/e2e/lib.sh"
e2e_make_template

if [ -n "${DISPLAY:-}" ]; then
    # A prefix of its own that persists between runs, like a real installation.
    e2e_scratch_env "$root/build/run"
    export WINEPREFIX=$root/build/run/prefix
    [ -d "$WINEPREFIX" ] || e2e_copy_prefix "$E2E_TEMPLATE" "$WINEPREFIX"
    base=$WINEPREFIX/drive_c/Kestrana
    mkdir -p "$base"
    cp -r "$root/build/program/." "$base/"
    echo "Running Kestrana on $DISPLAY (program folder $base); quit it to return."
    cd "$base" && exec wine 'C:\Kestrana\Kestrana.exe'
fi

seconds=${KESTRANA_RUN_SECONDS:-8}
e2e_begin run "${KESTRANA_SCREEN:-1920x1080x24}"
e2e_start_kestrana
kdrv find KESTRANA - 20000 >/dev/null || e2e_fail "Kestrana's main window did not appear"
sleep "$seconds"
shot=$(e2e_screenshot screenshot) || e2e_fail "no screenshot"
main=$(kdrv find KESTRANA - 1000) && kdrv post "$main" 16 0 0 >/dev/null || true
kdrv gone KESTRANA - 5000 >/dev/null || true
echo "Screenshot: $shot"
