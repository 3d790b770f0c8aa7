#!/usr/bin/env bash
# The monitors' idle cost under Wine: the CPU time Kestrana.exe uses over 60 s with the
# pointer resting, without monitor items and with all five on (counters off, as Wine's
# counters lie), once with the CPU as a graph (redrawn every tick) and once as text
# (redrawn only when the value changes); each pair is run twice, alternating, because one
# run is within the noise of a shared machine. With the temperature item on it also
# prints the reader's memory: the private pages of Thermel.exe's Wine process and what
# the process's own counters say. Not part of the test command (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template

source "$(dirname "$0")/threads.sh"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
seconds=${MEASURE_SECONDS:-60}

measure() { # <label> <lines of section findermonitor>
    e2e_begin "measure_monitors_cpu_$1" 1280x800x24
    printf '[brisel]\r\nVarlo=1\r\n[finder]\r\ndarkmode=3\r\nwifi=0\r\nbluetooth=0\r\n[findermonitor]\r\n%b' "$2" \
        >"$E2E_BASE/config.ini"
    e2e_start_kestrana
    kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
    xdotool mousemove 640 500
    sleep 10 # start-up work settles, the reader is started
    local c0 t0 c1 t1
    local before=/tmp/monitors_threads.$$
    c0=$(cpu_ticks "$E2E_KESTRANA"); t0=$(date +%s%N); thread_ticks "$E2E_KESTRANA" >"$before"
    sleep "$seconds"
    c1=$(cpu_ticks "$E2E_KESTRANA"); t1=$(date +%s%N)
    thread_usage "$E2E_KESTRANA" "$before" "$1"
    rm -f "$before"
    awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$1" -v load="$(cut -d' ' -f1 /proc/loadavg)" \
        'BEGIN { printf "%-10s %.1f s wall, %.2f s CPU, %.2f%% of one core (load %s)\n", l, ns / 1e9, c / hz, 100 * (c / hz) / (ns / 1e9), load }'
    local pid
    for pid in $(e2e_prefix_processes); do
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'thermel\.exe' || continue
        awk -v l="$1" '/^Rss:/ { rss = $2 } /^Private_Clean:/ { pc = $2 } /^Private_Dirty:/ { pd = $2 }
            END { printf "%-10s Thermel.exe: %d KiB private (clean %d, dirty %d), %d KiB resident\n", l, pc + pd, pc, pd, rss }' \
            "/proc/$pid/smaps_rollup"
        grep -E '^(VmRSS|RssAnon|RssFile|VmData)' "/proc/$pid/status" | tr -s ' \t' ' ' | sed "s/^/$1 Thermel.exe /"
    done
    e2e_end
}

all='CPUON=1\r\nTEMPON=1\r\nMENON=1\r\nDISKON=1\r\nNETON=1\r\nMENTYPE=1\r\nnocounters=1\r\n'
for round in 1 2; do
    measure "none-$round" ''
    measure "graph-$round" "${all}CPUTYPE=2\r\nDISKTYPE=2\r\n"
    measure "text-$round" "${all}CPUTYPE=3\r\nDISKTYPE=0\r\n"
done
