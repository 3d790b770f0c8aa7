#!/usr/bin/env bash
# What an open preview of four windows costs under Wine, where its pictures are captured:
# the CPU time Kestrana.exe uses per second of wall time while the pointer rests on the
# preview for 10 s, against 10 s with the pointer away and the preview closed; and the
# resident memory before opening, while open, and one second after closing. Not part of
# the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template
e2e_begin measure_preview_cpu 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndefaultsize=64\r\nmaxsize=64\r\n[DWMThumbnail]\r\nenabled=1\r\ndelay=3\r\ntitle=1\r\n' \
    >"$E2E_BASE/config.ini"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
# The program's own allocations (heaps and stacks), without the pages of program files
# that a first opening maps in.
anon_kb() { awk '/^Anonymous:/ {print $2}' "/proc/$1/smaps_rollup"; }
hz=$(getconf CLK_TCK)
source "$(dirname "$0")/threads.sh"

e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
for i in 1 2 3 4; do
    e2e_launch 'C:\windows\system32\notepad.exe' >/dev/null ||
        e2e_fail "notepad $i showed no window"
done
sleep 3 # let start-up work settle

measure() { # <label> <seconds>
    local c0 t0 c1 t1 before=/tmp/preview_threads.$$
    c0=$(cpu_ticks "$E2E_KESTRANA"); t0=$(date +%s%N); thread_ticks "$E2E_KESTRANA" >"$before"
    sleep "$2"
    c1=$(cpu_ticks "$E2E_KESTRANA"); t1=$(date +%s%N)
    thread_usage "$E2E_KESTRANA" "$before" "$1"
    rm -f "$before"
    awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$1" \
        'BEGIN { printf "%-8s %.1f s wall, %.2f s CPU, %.2f%% of one core\n", l, ns / 1e9, c / hz, 100 * (c / hz) / (ns / 1e9) }'
}

xdotool mousemove 960 300
sleep 1
before=$(rss_kb "$E2E_KESTRANA")
beforeAnon=$(anon_kb "$E2E_KESTRANA")
measure closed 10
read -r l t r b < <(kdrv rect "$input")
open_preview() {
    xdotool mousemove $(( l + 32 )) $(( (t + b) / 2 + 8 ))
    preview=$(kdrv find OndelPreview - 5000) || e2e_fail "no preview window"
    for i in $(seq 1 25); do kdrv windows OndelPreview | grep -q 'visible=1' && break; sleep 0.2; done
    read -r pl pt pr pb < <(kdrv rect "$preview")
    xdotool mousemove $(( (pl + pr) / 2 )) $(( pt + 4 )) # on the preview's frame: it stays open
}
# Twice: what the first opening loads once (fonts for the titles) is told from what stays.
for round in $(seq 1 "${ROUNDS:-2}"); do
    open_preview
    sleep 1
    open=$(rss_kb "$E2E_KESTRANA")
    openAnon=$(anon_kb "$E2E_KESTRANA")
    measure open 10
    xdotool mousemove 960 300
    sleep 1.5 # the grace, then one second
    after=$(rss_kb "$E2E_KESTRANA")
    afterAnon=$(anon_kb "$E2E_KESTRANA")
    echo "round $round resident memory: ${before} kB before, ${open} kB open, ${after} kB one second after closing"
    echo "round $round anonymous memory: ${beforeAnon} kB before, ${openAnon} kB open, ${afterAnon} kB one second after closing"
    kdrv windows OndelPreview | grep -q 'visible=1' && echo "round $round: the preview is still shown"
    before=$after
    beforeAnon=$afterAnon
done
# Long after closing: the workers kept for the next job have ended, and what is still
# held is not the preview's.
sleep 25
echo "after 25 s more: resident $(rss_kb "$E2E_KESTRANA") kB, anonymous $(anon_kb "$E2E_KESTRANA") kB"
