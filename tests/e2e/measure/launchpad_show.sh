#!/usr/bin/env bash
# Measures, under Wine on 1920 x 1080 with 150 entries, the time from the request to show
# the Launchpad to its first frame handed to the screen (the program logs it with detail
# logging on): the first show after a start, which makes the window and loads the
# catalogue with the icon cache already filled by an earlier start, and later shows of
# the hidden Launchpad. Prints each time and the medians.
#   tests/e2e/measure/launchpad_show.sh [STARTS] [SHOWS]     (default 5 and 5)
# Not part of the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
starts=${1:-5}
shows=${2:-5}
e2e_make_template
e2e_begin measure_launchpad_show 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=launchpad|' '[ico2]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\n' >"$E2E_BASE/config.ini"
pinned='C:\Kestrana\launchpad\Pinned'
mkdir -p "$E2E_BASE/launchpad/Pinned"
kdrv shortcut "$pinned\\Notepad.lnk" 'C:\windows\notepad.exe' >/dev/null
kdrv shortcut "$pinned\\Registry.lnk" 'C:\windows\regedit.exe' >/dev/null
kdrv shortcut "$pinned\\Mines.lnk" 'C:\windows\system32\winemine.exe' >/dev/null
for i in $(seq -w 1 50); do
    for app in Notepad Registry Mines; do cp "$E2E_BASE/launchpad/Pinned/$app.lnk" "$E2E_BASE/launchpad/Pinned/$app $i.lnk"; done
done
rm "$E2E_BASE/launchpad/Pinned/"{Notepad,Registry,Mines}.lnk
log=$E2E_BASE/Kestrana.log

toggle() { kdrv post "$main" 1037 1 0 >/dev/null; }
visible() { kdrv info "$pad" 2>/dev/null | grep -q "visible=$1"; }
wait_visible() { for _ in $(seq 1 100); do visible "$1" && return 0; sleep 0.1; done; e2e_fail "the Launchpad did not turn visible=$1"; }
last_frame() { grep -a 'first frame after' "$log" | tail -n1 | grep -o '[0-9]* ms' | cut -d' ' -f1; }
start() {
    e2e_start_kestrana
    kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
    main=$(kdrv find KESTRANA - 5000) || e2e_fail "no main window"
    sleep 1
}
restart() {
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    sleep 1
    wineserver -f -p >>"$E2E_DIR/wineserver.log" 2>&1 &
    e2e_track $!
    start
}

# The first start fills the icon cache (extraction on the workers).
start
toggle
pad=$(kdrv find OndelLaunchpad - 20000) || e2e_fail "no Launchpad"
wait_visible 1
sleep 8
echo "cold first show: $(last_frame) ms, icons cached: $(ls "$E2E_BASE/launchpad/cache" | wc -l)"

first=()
again=()
for s in $(seq 1 "$starts"); do
    restart
    toggle
    pad=$(kdrv find OndelLaunchpad - 20000) || e2e_fail "no Launchpad"
    wait_visible 1
    first+=("$(last_frame)")
    for i in $(seq 1 "$shows"); do
        sleep 0.6
        toggle
        wait_visible 0
        sleep 0.3
        toggle
        wait_visible 1
        again+=("$(last_frame)")
    done
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "first show after a start (ms): ${first[*]}; median $(median "${first[@]}")"
echo "show of the hidden Launchpad (ms): ${again[*]}; median $(median "${again[@]}")"
