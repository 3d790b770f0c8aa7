#!/usr/bin/env bash
# From a volume report to the sound item drawn, under Wine. This Wine's endpoints never
# report a volume change, so the driver posts the report the endpoint listener would
# post (kMsgAudioVolume, WM_APP + 49, to the first bar) and prints when, on the
# machine-wide performance counter; with detail logging the program logs when it has
# drawn the item on the same counter. 40 reports, alternately 30 % and 70 %, 250 ms
# apart. Prints the median, 90th percentile and largest of report-to-drawn and of the
# handling alone. Not part of the test command (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template
e2e_begin measure_volume_frame 1920x1080x24
e2e_sound_server || e2e_fail "no sound server"
printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\naudio=6\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar"
e2e_acc_tree_with "$bar" Sound >/dev/null || e2e_fail "no sound item"
xdotool mousemove 960 540
sleep 3
log=$E2E_BASE/Kestrana.log
sent=$E2E_DIR/sent.txt
: >"$sent"
for i in $(seq 1 40); do
    percent=$((i % 2 ? 30 : 70))
    kdrv post-at "$bar" 32817 0 "$percent" >>"$sent" || e2e_fail "the report could not be posted"
    sleep 0.25
done
sleep 1
grep -a 'drawn at' "$log" | sed -n 's/.*volume \([0-9]*\) drawn at \([0-9.]*\) ms, \([0-9.]*\) ms after.*/\2 \3/p' >"$E2E_DIR/drawn.txt"
[ "$(wc -l <"$E2E_DIR/drawn.txt")" -eq 40 ] || e2e_fail "$(wc -l <"$E2E_DIR/drawn.txt") of 40 reports were drawn"
paste "$sent" "$E2E_DIR/drawn.txt" | awk '{ print $2 - $1, $3 }' >"$E2E_DIR/pairs.txt"
stats() { # <column>
    cut -d' ' -f"$1" "$E2E_DIR/pairs.txt" | sort -g | awk '{ v[NR] = $1 } END { printf "median %.2f ms, 90th %.2f ms, largest %.2f ms\n", v[int((NR + 1) / 2)], v[int(NR * 0.9)], v[NR] }'
}
echo "report to drawn: $(stats 1)"
echo "handling alone:  $(stats 2)"
e2e_end
