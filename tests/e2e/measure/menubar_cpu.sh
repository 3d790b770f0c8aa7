#!/usr/bin/env bash
# Measures the CPU time Kestrana.exe uses per second of wall time under Wine with the
# dock and the menu bar both running and the pointer resting away from both, for 20 s:
# once with the clock as "HH:mm" (the first start's look) and once with "HH:mm:ss" (a
# redraw every second). Prints one line per measurement. Not part of the test command:
# run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

measure() { # <label> <time pattern>
    e2e_begin "measure_menubar_cpu_$1" 1920x1080x24
    printf '[brisel]\r\nVarlo=1\r\nOndel=1\r\n[findertime]\r\ntimefmt=%s\r\n' "$2" >"$E2E_BASE/config.ini"
    e2e_start_kestrana
    kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
    kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock"
    xdotool mousemove 960 540
    sleep 5 # let start-up work settle
    local c0 t0 c1 t1
    c0=$(cpu_ticks "$E2E_KESTRANA"); t0=$(date +%s%N)
    sleep 20
    c1=$(cpu_ticks "$E2E_KESTRANA"); t1=$(date +%s%N)
    awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$1" \
        'BEGIN { printf "%-8s %.1f s wall, %.2f s CPU, %.2f%% of one core\n", l, ns / 1e9, c / hz, 100 * (c / hz) / (ns / 1e9) }'
    e2e_end
}

measure minutes 'HH:mm'
measure seconds 'HH:mm:ss'
