# The media item and lyrics hosting. This Wine has no media session manager: with the
# item switched on, the bar comes up without it, says why once in the log, and lives
# on. A stand-in for a player's desktop lyrics (a window of class "DesktopLyrics") is
# taken into the bar with "musicLyrics": it is moved by the player's numbers ("53|15"
# written as a default) so that its line of text lies in the bar's free middle, and cut
# to that part of the bar. When the
# player's window goes, the bar notes it and carries on. The item's rules, its menu and
# its controls are tested natively against a fake session (MediaItem.* in unit_menubar).
# With "musicLyrics_color" the bar draws the line itself, in its own text colour.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_media 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nmediacontrol=12\r\nmusicLyrics=1\r\n' >"$E2E_BASE/config.ini"
# Written straight to the file: a filter in between would hold the line back until the end.
timeout 120 wine 'C:\kdriver.exe' lyrics-window DesktopLyrics "Desktop Lyrics" 100 >"$E2E_DIR/lyrics.out" 2>>"$E2E_DIR/wine.log" &
lyrics_pid=$!
e2e_track "$lyrics_pid"
for i in $(seq 1 100); do
    [ -s "$E2E_DIR/lyrics.out" ] && break
    sleep 0.2
done
lyrics=$(head -n1 "$E2E_DIR/lyrics.out" | tr -d '\r')
[ -n "$lyrics" ] || e2e_fail "the lyrics stand-in did not start"

e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
log=$E2E_BASE/Kestrana.log

# The media item: hidden, and why is said once.
tree=$(e2e_acc_tree_with "$bar" Clock) || e2e_fail "the bar's items are not readable"
for i in $(seq 1 25); do
    grep -aq 'the media item stays hidden' "$log" && break
    sleep 0.2
done
grep -a 'media' "$log" | head -n 3
[ "$(grep -ac 'the media item stays hidden' "$log")" = 1 ] || e2e_fail "the media item's absence is not said exactly once"
printf '%s\n' "$(e2e_acc_names "$tree")" | grep -qx 'Now Playing' && e2e_fail "the media item shows without a media session manager"

# The lyrics: the player's window moved so that its line (the player's numbers in from its
# top left) lies in the bar's middle, and cut to that part of the bar.
read -r bl bt br bb < <(kdrv rect "$bar")
for i in $(seq 1 30); do
    read -r ll lt lr lb < <(kdrv rect "$lyrics")
    [ "$lt" -eq $((bt - 53)) ] && break
    sleep 0.2
done
echo "bar: $bl $bt $br $bb; lyrics: $ll $lt $lr $lb"
[ "$lt" -eq $((bt - 53)) ] || e2e_fail "the lyrics window is not moved by the player's numbers"
[ $((ll + 15)) -ge $((bl + 46)) ] && [ $((ll + 15)) -lt "$br" ] || e2e_fail "the lyrics' line is not in the bar's middle"
grep -aq 'hosting the lyrics of "cloudmusic"' "$log" || e2e_fail "the hosting is not in the log"
e2e_text "$E2E_BASE/config.ini" | grep -q '^HotLyric=36|15$' || e2e_fail "the players' numbers were not written"
e2e_text "$E2E_BASE/config.ini" | grep -q '^cloudmusic=53|15$' || e2e_fail "cloudmusic's numbers were not written"
xdotool mousemove 640 500
# Three quarters along the line: its left end may be cut by the active program's menu
# titles, and its words are in its middle.
x=$((ll + 15 + (lr - ll - 15) * 3 / 4))
found=$(e2e_pixel_until lyrics "$x" $(((bt + bb) / 2 + 2)) "0 200 0" 40)
ok=$?
read -r shot pixel <<<"$found"
echo "in the bar's middle: $pixel"
[ $ok = 0 ] || e2e_fail "the lyrics' line does not show in the bar"
# Below the bar the player's window (grey there) is cut away: the desktop shows.
below=$(e2e_pixel "$shot" "$x" $((bb + 20)))
echo "under the bar: $below"
e2e_colours_differ "$below" "90 90 90" 12 || e2e_fail "the lyrics window shows outside the bar"

# The player's window goes: noted, and the bar lives on.
kdrv post "$lyrics" 16 0 0 || e2e_fail "the lyrics stand-in could not be closed" # WM_CLOSE
for i in $(seq 1 30); do
    grep -aq 'the lyrics window of "cloudmusic" is gone' "$log" && break
    sleep 0.2
done
grep -aq 'the lyrics window of "cloudmusic" is gone' "$log" || e2e_fail "the lyrics window's end was not noticed"
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"

# Recoloured ("musicLyrics_color"): the bar would draw the line itself in its own text
# colour from a picture of the player's window (LyricsColour.* in unit_menubar). This Wine
# pictures another process's window black all over; the bar sees that, says so once, and
# shows the player's line in its own colours rather than nothing.
e2e_quit_kestrana
printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nmediacontrol=12\r\nmusicLyrics=1\r\nmusicLyrics_color=1\r\n' >"$E2E_BASE/config.ini"
timeout 120 wine 'C:\kdriver.exe' lyrics-window DesktopLyrics "Desktop Lyrics" 100 >"$E2E_DIR/lyrics2.out" 2>>"$E2E_DIR/wine.log" &
e2e_track $!
for i in $(seq 1 100); do
    [ -s "$E2E_DIR/lyrics2.out" ] && break
    sleep 0.2
done
lyrics=$(head -n1 "$E2E_DIR/lyrics2.out" | tr -d '\r')
[ -n "$lyrics" ] || e2e_fail "the second lyrics stand-in did not start"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window after the restart"
for i in $(seq 1 50); do
    grep -aq 'gives no picture to recolour' "$log" && break
    sleep 0.2
done
[ "$(grep -ac 'gives no picture to recolour' "$log")" = 1 ] || e2e_fail "the refused picture is not said exactly once"
sleep 0.5
read -r ll lt lr lb < <(kdrv rect "$lyrics")
[ "$lt" -eq $((bt - 53)) ] || e2e_fail "the lyrics window is not placed after recolouring was given up"
recoloured=$(e2e_screenshot lyrics-recoloured)
x=$((ll + 15 + (lr - ll - 15) * 3 / 4))
pixel=$(e2e_pixel "$recoloured" "$x" $(((bt + bb) / 2 + 2)))
echo "in the bar's middle after the refusal: $pixel"
e2e_colours_differ "$pixel" "0 200 0" 40 && e2e_fail "the player's line is not back in the bar"
below=$(e2e_pixel "$recoloured" "$x" $((bb + 20)))
e2e_colours_differ "$below" "90 90 90" 12 || e2e_fail "the lyrics window shows outside the bar"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/menubar-lyrics.png"
echo ok
