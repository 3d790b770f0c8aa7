#!/usr/bin/env bash
# The corner process at rest under Wine: with rounded corners on for the screen, the CPU
# time vexrim.exe uses over MEASURE_SECONDS (default 30) while nothing on the screen
# changes, and its memory: the private pages of its Wine process (what Wine itself maps
# into every process counts there too) and, for comparison, those of notepad and of
# Wine's own service processes. Not part of the test command (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template
seconds=${MEASURE_SECONDS:-30}
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
pid_of() { # <exe name>: the first process of this prefix running it
    local pid
    for pid in $(e2e_prefix_processes); do
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi "$1" && { echo "$pid"; return 0; }
    done
    return 1
}
memory() { # <label> <pid>
    awk -v l="$1" '/^Rss:/ { rss = $2 } /^Private_Clean:/ { pc = $2 } /^Private_Dirty:/ { pd = $2 } /^Anonymous:/ { an = $2 }
        END { printf "%-12s %d KiB private (clean %d, dirty %d), %d KiB anonymous, %d KiB resident\n", l, pc + pd, pc, pd, an, rss }' \
        "/proc/$2/smaps_rollup"
}

e2e_begin measure_corner_process 1920x1080x24
printf '[normal]\r\ndetaillog=1\r\n[DISPLAY1]\r\nscreenround=1\r\nscreenroundsize=24\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find KestranaScreenRound ScreenRound 20000 >/dev/null || e2e_fail "no corner process"
e2e_notepad_in_front
xdotool mousemove 900 500
sleep 5
corner=$(pid_of 'vexrim\.exe') || e2e_fail "vexrim.exe not found"
note=$(pid_of 'notepad') || e2e_fail "notepad not found"
c0=$(cpu_ticks "$corner")
sleep "$seconds"
c1=$(cpu_ticks "$corner")
echo "vexrim.exe: $((c1 - c0)) ticks of 1/$hz s over $seconds s at rest (load $(cut -d' ' -f1 /proc/loadavg))"
memory vexrim.exe "$corner"
memory notepad "$note"
# Wine's own processes of the session: what a process costs before it does anything.
for pid in $(e2e_prefix_processes); do
    name=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | sed 's/ .*//; s/.*[\\/]//')
    case "$name" in services.exe | plugplay.exe | svchost.exe | rpcss.exe | winedevice.exe | explorer.exe) memory "$name" "$pid" ;; esac
done
e2e_end
