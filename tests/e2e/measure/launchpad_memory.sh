#!/usr/bin/env bash
# What the Launchpad keeps after it hides, under Wine on 1920 x 1080 with the menu bar on:
# the program's anonymous memory (its heaps and stacks, from /proc/<pid>/smaps_rollup) at
# rest before the first showing, while shown, and once the hidden Launchpad has given its
# full-screen pictures back (the detail log says when), over ROUNDS showings by the
# Launchpad's hotkey typed into notepad. ENTRIES (default 42) shortcuts are pinned, each
# with a picture of its own.
#   tests/e2e/measure/launchpad_memory.sh       ENTRIES=150 ROUNDS=3 by the environment
# Not part of the test command (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
entries=${ENTRIES:-42}
rounds=${ROUNDS:-2}
e2e_make_template
e2e_begin measure_launchpad_memory 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=launchpad|' '[ico2]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '%s\r\n' '[brisel]' 'Varlo=1' '[normal]' 'detaillog=1' '[hotkey]' 'pad1=2' 'pad2=76' >"$E2E_BASE/config.ini"
pinned='C:\Kestrana\launchpad\Pinned'
mkdir -p "$E2E_BASE/launchpad/Pinned"
programs=('C:\windows\notepad.exe' 'C:\windows\regedit.exe' 'C:\windows\system32\winemine.exe')
for i in $(seq 1 "$entries"); do
    kdrv shortcut "$pinned\\Entry $i.lnk" "${programs[$((i % 3))]}" >/dev/null
done
log=$E2E_BASE/Kestrana.log

e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
e2e_notepad_in_front
sleep 8
program=
for pid in $(e2e_prefix_processes); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q 'Kestrana\.exe' && program=$pid
done
[ -n "$program" ] || e2e_fail "Kestrana.exe not found"
anon() { awk '/^Anonymous:/ { print $2 }' "/proc/$program/smaps_rollup"; }

rest=$(anon)
echo "at rest: $rest KB"
for round in $(seq 1 "$rounds"); do
    given=$(grep -a -c 'pictures given back' "$log")
    xdotool key ctrl+l
    sleep 3
    echo "shown ($round): $(anon) KB"
    xdotool key ctrl+l
    for _ in $(seq 1 150); do
        [ "$(grep -a -c 'pictures given back' "$log")" -gt "$given" ] && break
        sleep 0.1
    done
    [ "$(grep -a -c 'pictures given back' "$log")" -gt "$given" ] || e2e_fail "nothing was given back within 15 s"
    sleep 0.5
    after=$(anon)
    echo "hidden ($round): $after KB, $((after - rest)) KB above rest; given back $(grep -a 'given back' "$log" |
        tail -n 1 | sed 's/.*, \([0-9]*\) ms after hiding.*/\1/') ms after the hiding"
    sleep 2.5 # Wine gives the X focus back to notepad a while after the hiding
done
e2e_quit_kestrana
