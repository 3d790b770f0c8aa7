#!/usr/bin/env bash
# Measures the dock process's memory while windows come and go, as over a long session:
# Notepad windows, each on a file of its own (so each has a title of its own), are opened
# ten at a time, shown in the dock as a running program that is not pinned, and closed
# again, for the given number of rounds (10 by default: 100 windows). Prints the memory of
# Kestrana.exe at rest before the first round and after each tenth round, once the dock
# has settled. Not part of the test command (see docs/performance.md).
#   tests/e2e/measure/dock_windows_memory.sh [rounds] [windows per round]
#   DOCK_PROGRAMS="notepad regedit winemine ..." ...: each round opens one window of each
#   of these programs instead (many programs, each with a picture of its own)
#   DOCK_EVERY=n: the memory is printed after every n rounds (10 by default)
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
rounds=${1:-10}
per=${2:-10}
e2e_make_template
e2e_begin measure_dock_windows_memory 1920x1080x24

# Anonymous memory (the heaps and stacks) is what the program's own allocations hold;
# PSS and RSS also count the mapped program files, which other Wine processes share.
memory() { # in kB
    awk '/^Anonymous:/ {a = $2} /^Private_Dirty:/ {d = $2} /^Pss:/ {p = $2} /^Rss:/ {r = $2}
         END {printf "anonymous %d kB, private dirty %d kB, PSS %d kB, RSS %d kB\n", a, d, p, r}' "/proc/$1/smaps_rollup"
}

printf '%s\r\n' '[ico1]' 'appname=explorer.exe' 'filepath=c:\windows\explorer.exe' \
    'realpath=c:\windows\explorer.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock"
xdotool mousemove 960 300
sleep 5
echo "at rest: $(memory "$E2E_KESTRANA")"

for round in $(seq 1 "$rounds"); do
    pids=()
    if [ -n "${DOCK_PROGRAMS:-}" ]; then
        for program in $DOCK_PROGRAMS; do
            (cd "$E2E_DIR" && exec wine "$program") >>"$E2E_DIR/programs.log" 2>&1 &
            pids+=($!)
        done
        sleep 8 # they start and the tracker shows them
    else
        for n in $(seq 1 "$per"); do
            file="note-$round-$n.txt"
            printf 'round %s\r\n' "$round" >"$WINEPREFIX/drive_c/$file"
            (cd "$E2E_DIR" && exec wine notepad "C:\\$file") >>"$E2E_DIR/notepad.log" 2>&1 &
            pids+=($!)
        done
        e2e_wait_windows Notepad "$per" || e2e_fail "round $round: the windows did not all open"
        sleep 1 # the tracker shows them
    fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    for _ in $(seq 1 40); do
        [ "$(kdrv windows Notepad | wc -l)" -eq 0 ] && break
        sleep 0.25
    done
    if [ $((round % ${DOCK_EVERY:-10})) -eq 0 ] || [ "$round" -eq "$rounds" ]; then
        sleep 5 # running-only items leave, passes look again
        echo "after $round rounds: $(memory "$E2E_KESTRANA")"
    fi
done
echo "windows the dock showed: $(grep -c 'window tracker.* shown ' "$E2E_BASE/Kestrana.log")"
e2e_quit_kestrana
