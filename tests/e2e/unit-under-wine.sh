#!/usr/bin/env bash
# Runs the Windows build's unit test executables under Wine in one session (they create
# windows, so they need a display), writing GoogleTest XML into the given folder.
#   tests/e2e/unit-under-wine.sh <results-folder>
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
results=$1
source "$root/tests/e2e/lib.sh"
e2e_make_template || exit 1
e2e_begin unit_under_wine
mkdir -p "$results"
status=0
for exe in "$root"/build/win64/tests/unit_*.exe; do
    [ -e "$exe" ] || continue
    name=$(basename "$exe" .exe)
    xml="Z:$(echo "$results/win64-$name.xml" | tr / '\\')"
    # Wine's heap checks (freed blocks filled, every free validated) find a double or stale
    # free where it happens instead of as a crash much later. The window-system tests are
    # left out: they spend their time in Wine itself, which the checks slow threefold.
    heap=-all,warn+heap
    [ "$name" = unit_win32 ] && heap=$WINEDEBUG
    if ! (cd "$(dirname "$exe")" && WINEDEBUG=$heap timeout 600 wine "$exe" --gtest_output="xml:$xml") \
            >"$results/win64-$name.log" 2>&1; then
        status=1
    fi
    [ -f "$results/win64-$name.xml" ] || echo "crashed" >"$results/win64-$name.crashed"
    if grep -q ':warn:heap:' "$results/win64-$name.log"; then
        grep -m5 ':warn:heap:' "$results/win64-$name.log" >"$results/win64-$name.heap"
        status=1
    fi
done
exit $status
