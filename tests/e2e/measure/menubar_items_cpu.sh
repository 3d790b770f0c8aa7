#!/usr/bin/env bash
# The idle cost of the sound, microphone, display, battery and media items under Wine:
# the bar alone with a sound server of its own (two silent outputs, a silent input),
# once with those items switched off and once with all of them on, the pointer resting
# away from the bar; the CPU time of Kestrana.exe from /proc/<pid>/stat over 20 s after
# 5 s of settling. The two runs alternate, twice each. Prints one line per run. With
# ITEMS=wireless the pair is the Wi-Fi and Bluetooth items off and on instead. Not part
# of the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

measure() { # <label> <finder keys>
    e2e_begin "measure_menubar_items_$1" 1920x1080x24
    e2e_sound_server || e2e_fail "no sound server"
    printf '[brisel]\r\nVarlo=1\r\n[finder]\r\n%s' "$2" >"$E2E_BASE/config.ini"
    e2e_start_kestrana
    kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
    xdotool mousemove 960 540
    sleep 5 # let start-up work settle
    local c0 t0 c1 t1
    c0=$(cpu_ticks "$E2E_KESTRANA"); t0=$(date +%s%N)
    sleep 20
    c1=$(cpu_ticks "$E2E_KESTRANA"); t1=$(date +%s%N)
    awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) -v l="$1" \
        'BEGIN { printf "%-8s %.1f s wall, %.2f s CPU, %.3f%% of one core\n", l, ns / 1e9, c / hz, 100 * (c / hz) / (ns / 1e9) }'
    e2e_end
}

if [ "${ITEMS:-}" = wireless ]; then
    # The Wi-Fi and Bluetooth items (on by default): this Wine has a WLAN service without
    # interfaces and no Bluetooth radio, so this is the cost of their listeners at rest.
    without='wifi=0\r\nbluetooth=0\r\n'
    with=''
else
    without='audio=0\r\nbattery=0\r\ndisplay=0\r\n'
    with='audio=6\r\nmediacontrol=7\r\nmicrophone=8\r\nbattery=9\r\ndisplay=10\r\n'
fi
for round in 1 2; do
    measure without "$without"
    measure with "$with"
done
