# The media item and lyrics hosting. This Wine has no media session manager: with the
# item switched on, the bar comes up without it, says why once in the log, and lives
# on. A stand-in for a player's desktop lyrics (a window of class "DesktopLyrics") is
# taken into the bar with "musicLyrics": it becomes a child of the bar's lyrics host,
# which lies in the bar's free middle, and is moved by the player's numbers ("53|15"
# written as a default) so that its line of text is what shows in the bar. When the
# player's window goes, the bar notes it and carries on. The item's rules, its menu and
# its controls are tested natively against a fake session (MediaItem.* in unit_menubar).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_media 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nmediacontrol=12\r\nmusicLyrics=1\r\n' >"$E2E_BASE/config.ini"
(timeout 120 wine 'C:\kdriver.exe' lyrics-window DesktopLyrics "Desktop Lyrics" 100 | tr -d '\r') >"$E2E_DIR/lyrics.out" 2>>"$E2E_DIR/wine.log" &
lyrics_pid=$!
e2e_track "$lyrics_pid"
for i in $(seq 1 50); do
    [ -s "$E2E_DIR/lyrics.out" ] && break
    sleep 0.2
done
lyrics=$(head -n1 "$E2E_DIR/lyrics.out")
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

# The lyrics: taken into the host in the bar's middle, the line at the host's top left.
for i in $(seq 1 30); do
    parent=$(kdrv parent "$lyrics")
    case "$parent" in *VarloLyricsHost) break ;; esac
    sleep 0.2
done
echo "lyrics parent: $parent"
case "$parent" in *VarloLyricsHost) ;; *) e2e_fail "the lyrics window was not taken into the bar" ;; esac
host=${parent%% *}
read -r hl ht hr hb < <(kdrv rect "$host")
read -r bl bt br bb < <(kdrv rect "$bar")
read -r ll lt lr lb < <(kdrv rect "$lyrics")
echo "bar: $bl $bt $br $bb; host: $hl $ht $hr $hb; lyrics: $ll $lt $lr $lb"
[ "$ht" -eq "$bt" ] && [ "$hb" -eq "$bb" ] || e2e_fail "the lyrics host is not as high as the bar"
[ "$hl" -ge $((bl + 46)) ] && [ "$hr" -le "$br" ] && [ "$hr" -gt "$hl" ] || e2e_fail "the lyrics host is not in the bar's middle"
[ "$ll" -eq $((hl - 15)) ] && [ "$lt" -eq $((ht - 53)) ] || e2e_fail "the lyrics window is not moved by the player's numbers"
grep -aq 'hosting the lyrics of "cloudmusic"' "$log" || e2e_fail "the hosting is not in the log"
e2e_text "$E2E_BASE/config.ini" | grep -q '^HotLyric=36|15$' || e2e_fail "the players' numbers were not written"
e2e_text "$E2E_BASE/config.ini" | grep -q '^cloudmusic=53|15$' || e2e_fail "cloudmusic's numbers were not written"
xdotool mousemove 640 500
sleep 0.5
shot=$(e2e_screenshot lyrics)
pixel=$(e2e_pixel "$shot" $(((hl + hr) / 2)) $(((ht + hb) / 2 + 2)))
echo "in the bar's middle: $pixel"
e2e_colours_differ "$pixel" "0 200 0" 40 && e2e_fail "the lyrics' line does not show in the bar"

# The player's window goes: noted, and the bar lives on.
kdrv post "$lyrics" 16 0 0 || e2e_fail "the lyrics stand-in could not be closed" # WM_CLOSE
for i in $(seq 1 30); do
    grep -aq 'the lyrics window of "cloudmusic" is gone' "$log" && break
    sleep 0.2
done
grep -aq 'the lyrics window of "cloudmusic" is gone' "$log" || e2e_fail "the lyrics window's end was not noticed"
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"
[ "$(kdrv info "$host" | sed -n 's/^visible=//p')" = 0 ] || e2e_fail "the empty lyrics host is still shown"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/menubar-lyrics.png"
echo ok
