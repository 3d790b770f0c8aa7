#!/usr/bin/env bash
# Measures the CPU time Kestrana.exe uses per second of wall time under Wine: while the
# pointer sweeps across the dock at 60 moves a second for 10 s, and while it rests away
# from the dock for 10 s. Prints one line per measurement. Not part of the test command:
# run it on a quiet machine (see docs/performance.md).
#   DOCK_NO_CLOCK=1: the default row without its clock item (what the clock's tick costs)
#   DOCK_IDLE=n: the idle measurement lasts n seconds (10 by default)
#   The menu bar is off, as in the side-by-side comparison; the detail log is on, so the
#   program's log tells what each second's frames cost.
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template
e2e_begin measure_dock_cpu 1920x1080x24

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

printf '[brisel]\r\nvarlo=0\r\n[normal]\r\ndetaillog=1\r\n' >"$E2E_BASE/config.ini"
if [ "${DOCK_NO_CLOCK:-0}" = 1 ]; then
    printf '%s\r\n' '[ico1]' 'appname=explorer.exe' 'filepath=c:\windows\explorer.exe' \
        'realpath=c:\windows\explorer.exe' '[ico2]' 'appname=launchpad|' '[ico3]' 'appname=cal|' \
        '[ico4]' 'delimiter=1' '[ico5]' 'appname=trash|' >"$E2E_BASE/ico.ini"
fi
e2e_start_kestrana
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock"
input=$(kdrv find OndelAPP - 5000)
read -r il it ir ib < <(kdrv rect "$input")
y=$(( ib - 25 ))
sleep 3 # let start-up work settle

measure() { # <label> <seconds> <command...>
    local label=$1 seconds=$2; shift 2
    local c0 t0 c1 t1
    c0=$(cpu_ticks "$E2E_KESTRANA"); t0=$(date +%s%N)
    "$@" "$seconds"
    c1=$(cpu_ticks "$E2E_KESTRANA"); t1=$(date +%s%N)
    awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$label" \
        'BEGIN { printf "%-8s %.1f s wall, %.2f s CPU, %.2f%% of one core\n", l, ns / 1e9, c / hz, 100 * (c / hz) / (ns / 1e9) }'
}

sweep() { # <seconds>: back and forth over the bar, one move every 1/60 s
    local end=$(( $(date +%s) + $1 )) x=$il step=12
    while [ "$(date +%s)" -lt "$end" ]; do
        xdotool mousemove "$x" "$y"
        x=$(( x + step ))
        if [ $x -ge "$ir" ] || [ $x -le "$il" ]; then step=$(( -step )); fi
        sleep 0.0167
    done
}
rest() { sleep "$1"; }

xdotool mousemove "$il" "$y"
sleep 1
measure sweep 10 sweep
xdotool mousemove 960 300
sleep 2
measure idle "${DOCK_IDLE:-10}" rest
iconv -f UTF-16LE -t UTF-8 "$E2E_BASE/Kestrana.log" 2>/dev/null | grep -a "dock frames" | tail -3 || grep -a "dock frames" "$E2E_BASE/Kestrana.log" | tail -3
