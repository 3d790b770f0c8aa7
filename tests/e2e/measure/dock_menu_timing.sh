#!/usr/bin/env bash
# Opens an item's menu on the dock twenty times and clicks the (empty) trash ten times
# with detail logging on, then prints the timings the dock logged, sorted, and their
# medians: right button up -> the menu on screen (the menu's own loop has presented it),
# and the left-click handler on the user-interface thread. Not part of the test command:
# run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template
e2e_begin dock_menu_timing 1920x1080x24
printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=96\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 2
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 + 8 ))
for i in $(seq 1 20); do
    xdotool mousemove $((l + 32)) "$y"; sleep 0.3; xdotool mousemove $((l + 33)) "$y"; sleep 0.3
    xdotool click 3; sleep 0.6; xdotool key Escape; sleep 0.4
done
# Clicks on the trash, which is empty: each opens the (missing) folder.
for i in $(seq 1 10); do
    xdotool mousemove $((r - 40)) "$y"; sleep 0.3; xdotool click 1; sleep 0.5
done
log=$WINEPREFIX/drive_c/Kestrana/Kestrana.log
report() { # <what> <pattern>
    local values
    values=$(grep -a "$2" "$log" | sed 's/.* \([0-9]*\) us.*/\1/' | sort -n)
    echo "$1 (us): $(echo $values)"
    echo "$1 median: $(echo "$values" | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}') us of $(echo "$values" | wc -l)"
}
report "right button up to menu shown" 'dock menu: shown'
report "left click handler" 'dock click: handled'
