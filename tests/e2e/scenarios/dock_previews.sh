# Window previews on the dock, in one Wine session: with previews on and two notepad
# windows, resting on notepad's item shows a visible "OndelPreview" with a picture of each
# window (read through its accessible elements); clicking the second picture brings that
# window to the front; resting again and leaving item and preview closes it. A click on
# the item of two windows opens the preview too. This Wine has no live thumbnails, so the
# pictures are the captured ones (the thumbnail call is tried and refused first).
# Also times hover delay elapsed -> preview presented with four windows (detail log).
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_previews 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
# Without magnification the items stay where the pointer is aimed.
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n[DWMThumbnail]\r\nenabled=1\r\ndelay=3\r\ntitle=1\r\n' \
    >"$E2E_BASE/config.ini"
notepad='C:\windows\system32\notepad.exe'
shots=$E2E_ROOT/build/screenshots
mkdir -p "$shots"

e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 0.5

launch() { e2e_launch "$1"; }
wait_for() { # <what> <condition>: up to 8 s; the condition is read again each time
    local what=$1
    shift
    for i in $(seq 1 40); do eval "$1" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
rest_on_item() {
    # Notepad is the first item: just inside the bar's left end, in small steps as a hand moves.
    read -r l t r b < <(kdrv rect "$input")
    x=$(( l + 32 ))
    y=$(( (t + b) / 2 + 8 ))
    xdotool mousemove "$x" "$y"
    sleep 0.2
    xdotool mousemove "$((x + 1))" "$y"
}
away() { xdotool mousemove 960 300; }
preview_shown() { kdrv windows OndelPreview | grep -q 'visible=1'; }
preview_hidden() { ! kdrv windows OndelPreview | grep -q 'visible=1'; }
# The preview's pictures as a screen reader reads them: "<left> <top> <width> <height>" each.
pictures() { kdrv acc-tree "$preview" | awk -F'\t' '$1 ~ /^1 43 / { split($1, f, " "); print f[3], f[4], f[5], f[6] }'; }
front() { kdrv foreground; }

read -r first _ < <(launch "$notepad") || e2e_fail "no first notepad"
read -r second _ < <(launch "$notepad") || e2e_fail "no second notepad"
[ -n "$first" ] && [ -n "$second" ] || e2e_fail "notepad showed no window"
sleep 1 # both windows reach the item
kdrv activate "$first" >/dev/null
wait_for "the first notepad did not come to the front" 'test "$(front)" = "$first"'

# Resting on the item: the preview with both pictures.
rest_on_item
wait_for "no visible preview after resting on the item" preview_shown
preview=$(kdrv find OndelPreview - 2000) || e2e_fail "no preview window"
wait_for "the preview does not hold two pictures" 'test "$(pictures | wc -l)" = 2'
# This Wine refuses the live thumbnail: both pictures are the captured kind.
kinds=$(kdrv acc-tree "$preview" | awk -F'\t' '$1 ~ /^1 43 / { print $3 }' | sort -u | tr '\n' ' ')
[ "$kinds" = "picture " ] || e2e_fail "the pictures are not the captured kind: $kinds"
read -r pl pt pr pb < <(kdrv rect "$preview")
read -r il it ir ib < <(kdrv rect "$input")
[ "$pb" -le "$it" ] || e2e_fail "the preview ($pl $pt $pr $pb) does not stand above the dock ($il $it $ir $ib)"
[ "$pl" -ge 0 ] && [ "$pr" -le 1920 ] && [ "$pt" -ge 0 ] || e2e_fail "the preview leaves the screen: $pl $pt $pr $pb"
sleep 0.4 # a capture pass or two
cp "$(e2e_screenshot preview)" "$shots/dock-previews.png"

# A click on the second picture brings the second window to the front and closes the preview.
read -r sx sy sw sh < <(pictures | sed -n 2p)
xdotool mousemove $(( sx + sw / 2 )) $(( sy + sh / 2 ))
sleep 0.3
xdotool mousemove $(( sx + sw / 2 + 1 )) $(( sy + sh / 2 ))
sleep 0.2
xdotool click 1
wait_for "a click on the second picture did not bring its window to the front" 'test "$(front)" = "$second"'
wait_for "the preview stayed after a picture was chosen" preview_hidden

# Resting again, then leaving item and preview: it closes.
away
sleep 0.5
rest_on_item
wait_for "no preview after resting on the item again" preview_shown
away
wait_for "the preview stayed after the pointer left item and preview" preview_hidden

# A click on the item of two windows opens the preview at once (no window is switched to).
kdrv activate "$first" >/dev/null
rest_on_item
xdotool click 1
wait_for "a click on a two-window item showed no preview" preview_shown
[ "$(front)" = "$first" ] || e2e_fail "the click switched windows instead of showing the preview"
away
wait_for "the preview opened by a click stayed after leaving" preview_hidden

# Four windows: hover delay elapsed -> preview presented, from the detail log.
launch "$notepad" >/dev/null || e2e_fail "no third notepad"
launch "$notepad" >/dev/null || e2e_fail "no fourth notepad"
sleep 1
for round in 1 2 3 4 5; do
    away
    wait_for "the preview stayed (round $round)" preview_hidden
    rest_on_item
    wait_for "no preview with four windows (round $round)" preview_shown
    [ "$round" != 1 ] || wait_for "the preview does not hold four pictures" 'test "$(pictures | wc -l)" = 4'
done
cp "$(e2e_screenshot four)" "$shots/dock-previews-four.png"
away
sleep 0.3
grep 'shown: 4 pictures' "$E2E_BASE/Kestrana.log" | sed 's/.*late by \([0-9]*\) ms, built in \([0-9]*\) us.*/\1 \2/' |
    awk '{ t = $1 + $2 / 1000; print t; s += t; n++; if (t > m) m = t } END {
        if (n) printf "hover delay elapsed -> presented, four windows: mean %.1f ms, worst %.1f ms over %d\n", s / n, m, n }' \
    >"$E2E_DIR/bench.txt"
cat "$E2E_DIR/bench.txt"
grep -q 'mean' "$E2E_DIR/bench.txt" || e2e_fail "no timings in the detail log"
echo ok
