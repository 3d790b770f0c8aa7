#!/usr/bin/env bash
# Measures, under Wine on 1920 x 1080 with 150 entries and a Wine window in front, the time
# from a Ctrl+L press typed with xdotool to the Launchpad's first frame handed to the
# screen: "key" from the moment xdotool is started to the program's "first frame" log line,
# "program" from the program's "hotkey 102 pressed" line to the same. The first showing
# after the start (window made, catalogue loaded) is reported apart from the later ones.
#   tests/e2e/measure/hotkey_launchpad.sh [SHOWS]     (default 9)
# Not part of the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
shows=${1:-9}
e2e_make_template
e2e_begin measure_hotkey_launchpad 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=launchpad|' '[ico2]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '%s\r\n' '[normal]' 'detaillog=1' '[hotkey]' 'pad1=2' 'pad2=76' >"$E2E_BASE/config.ini"
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

e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
e2e_notepad_in_front
sleep 2

ms_of() { # <HH:MM:SS.fff>: milliseconds since midnight
    local h m s
    IFS=: read -r h m s <<<"$1"
    echo $(( (10#$h * 3600 + 10#$m * 60) * 1000 + 10#${s%.*} * 1000 + 10#${s#*.} ))
}
visible() { kdrv info "$pad" 2>/dev/null | grep -q "visible=$1"; }
wait_visible() { for _ in $(seq 1 100); do visible "$1" && return 0; sleep 0.1; done; e2e_fail "the Launchpad did not turn visible=$1"; }
press() { # shows the Launchpad; prints "<key ms> <program ms>"
    local frames presses before
    frames=$(grep -a -c 'first frame after' "$log")
    before=$(date +%H:%M:%S.%3N)
    xdotool key ctrl+l
    for _ in $(seq 1 100); do
        [ "$(grep -a -c 'first frame after' "$log")" -gt "$frames" ] && break
        sleep 0.05
    done
    local frame pressed
    frame=$(grep -a 'first frame after' "$log" | tail -n1 | awk '{print $2}')
    pressed=$(grep -a 'hotkey 102 pressed' "$log" | tail -n1 | awk '{print $2}')
    echo "$(( $(ms_of "$frame") - $(ms_of "$before") )) $(( $(ms_of "$frame") - $(ms_of "$pressed") ))"
}

read -r key program < <(press)
pad=$(kdrv find OndelLaunchpad - 20000) || e2e_fail "no Launchpad"
wait_visible 1
echo "first show after the start: key $key ms, program $program ms"
keys=()
programs=()
for i in $(seq 1 "$shows"); do
    sleep 0.6
    xdotool key ctrl+l
    wait_visible 0
    # Wine withdraws the hidden window and gives the X focus back to notepad a while
    # after the window is hidden: a key typed before then waits for it.
    sleep "${SETTLE:-2.5}"
    read -r key program < <(press)
    wait_visible 1
    keys+=("$key")
    programs+=("$program")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "key to first frame (ms): ${keys[*]}; median $(median "${keys[@]}")"
echo "hotkey message to first frame (ms): ${programs[*]}; median $(median "${programs[@]}")"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
e2e_quit_kestrana
