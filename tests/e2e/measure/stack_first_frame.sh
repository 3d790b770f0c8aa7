#!/usr/bin/env bash
# Opens the stack of a pinned folder of 200 files (text files, small and large pictures)
# several times in one session with detail logging on and prints, per opening, the time
# from the dock's click to the stack's first frame on screen, then the median of the
# openings after the first (which warms the stack's picture cache). The last opening is
# screenshot before and after three wheel notches (in the run's folder).
#   tests/e2e/measure/stack_first_frame.sh [RUNS]   (default 9)
# Not part of the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
runs=${1:-9}
e2e_make_template
e2e_begin measure_stack_first_frame 1920x1080x24

folder=$WINEPREFIX/drive_c/many
mkdir -p "$folder"
for i in $(seq 1 150); do printf 'file %s\r\n' "$i" >"$folder/note $i.txt"; done
convert -size 48x48 xc:'#3060c0' "$folder/small.png"
for i in $(seq 1 42); do cp "$folder/small.png" "$folder/small $i.png"; done
convert -size 900x900 xc: +noise Random -quality 100 "$folder/large.jpg"
for i in $(seq 1 8); do cp "$folder/large.jpg" "$folder/large $i.jpg"; done
rm "$folder/small.png" "$folder/large.jpg"
ls "$folder" | wc -l | sed 's/^/files: /' >&2

printf '%s\r\n' '[ico1]' 'tag=Many' 'appname=many' 'filepath=c:\many' 'realpath=c:\many' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
log=$E2E_BASE/Kestrana.log
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 2
read -r l t r b < <(kdrv rect "$input")
x=$(( l + 32 ))
y=$(( (t + b) / 2 + 8 ))
for run in $(seq 1 "$runs"); do
    xdotool mousemove "$x" "$y"
    sleep 0.3
    xdotool mousemove "$((x + 1))" "$y" click 1
    stack=$(kdrv find OndelStackWindow - 10000) || e2e_fail "no stack on opening $run"
    sleep 2 # every picture arrives meanwhile
    if [ "$run" = "$runs" ]; then
        # The last opening is also looked at: as it opened, and three wheel notches on.
        e2e_screenshot stack_200 >/dev/null
        read -r sl st sr sb < <(kdrv rect "$stack")
        xdotool mousemove "$(((sl + sr) / 2))" "$(((st + sb) / 2))" click 5 click 5 click 5
        sleep 0.5
        e2e_screenshot stack_200_scrolled >/dev/null
    fi
    xdotool key Escape
    kdrv gone OndelStackWindow - 5000 || e2e_fail "the stack stayed open"
    sleep 0.5
done
grep 'first frame' "$log" | sed 's/.*first frame \([0-9]*\) ms.*/\1/' | tr -d '\r' >"$E2E_DIR/first_frames"
echo "per opening (ms): $(tr '\n' ' ' <"$E2E_DIR/first_frames")"
tail -n +2 "$E2E_DIR/first_frames" | sort -n | awk '{ v[NR] = $1 } END { if (NR) print "median of the warm openings: " v[int((NR + 1) / 2)] " ms over " NR }'
