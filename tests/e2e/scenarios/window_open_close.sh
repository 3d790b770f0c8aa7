# Opening notepad with "WindowsOpen" on grows its picture into place: screenshots taken
# during the opening find it smaller than the window, and afterwards notepad is visible,
# drawn, not layered and takes clicks. Closing it with "WindowsClose" on shrinks the
# picture away and leaves the desktop as it was. With both "enable" set to 0 nothing
# plays and notepad opens and closes plainly.
source "$(dirname "$0")/../lib.sh"
e2e_begin window_open_close 1280x800x24

# Twice the normal length (about 0.4 s) so the screenshots can catch it.
printf '[normal]\r\nrunicon=1\r\ndetaillog=1\r\n[WindowsOpen]\r\nenable=1\r\nAnimationSpeed=200\r\n[WindowsClose]\r\nenable=1\r\nAnimationSpeed=200\r\n' \
    >"$E2E_BASE/config.ini"
shots=$E2E_ROOT/build/screenshots/window_open_close
rm -rf "$shots" && mkdir -p "$shots"
log=$E2E_BASE/Kestrana.log
timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
kdrv find hookel64 - 30000 >/dev/null || e2e_fail "no hook companion"
sleep 1
before=$(e2e_screenshot before)

burst() { # <prefix> <count>: screenshots every 50 ms
    python3 "$E2E_ROOT/tests/e2e/measure/grab_frames.py" "$E2E_DIR/$1" "$2" 50
}
start_notepad() {
    (cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
    e2e_track $!
    note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
}
count() { grep -c "$1" "$log"; }
# The box of what differs from the desktop inside notepad's place (+margin): "w h x y",
# or nothing when nothing does.
changed_box() { # <png>
    convert "$before" "$1" -crop "$crop" +repage -compose difference -composite -colorspace gray \
        -threshold 12% -format '%@' info: 2>/dev/null | sed -n 's/^\([1-9][0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\)$/\1 \2 \3 \4/p'
}
# True when some screenshot of the burst shows the picture clearly smaller than the window.
caught_between() { # <prefix> <count>
    local i box w
    for i in $(seq 1 "$2"); do
        [ -f "$E2E_DIR/$1-$i.png" ] || continue
        box=$(changed_box "$E2E_DIR/$1-$i.png")
        [ -n "$box" ] || continue
        w=${box%% *}
        if [ "$w" -gt $(( width * 60 / 100 )) ] && [ "$w" -lt $(( width * 97 / 100 )) ]; then
            echo "$1-$i: picture ${box} against a window $width wide"
            cp "$E2E_DIR/$1-$i.png" "$shots/" 2>/dev/null
            return 0
        fi
    done
    return 1
}
# The driver itself is sometimes taken down by Wine; a failed wait is checked by a list.
no_animation_window() { # <failure>
    kdrv gone DXWindows - 3000 >/dev/null && return 0
    local left
    left=$(kdrv windows DXWindows)
    [ -z "$left" ] || e2e_fail "$1: $left"
}
usable() { # notepad is shown, opaque, drawn and takes a click
    local info
    info=$(kdrv info "$note")
    [ "$(echo "$info" | sed -n 's/^visible=//p')" = 1 ] || e2e_fail "notepad is hidden"
    [ $(( $(echo "$info" | sed -n 's/^exstyle=//p') & 0x80000 )) -eq 0 ] || e2e_fail "notepad was left layered"
    no_animation_window "an animation window stayed"
    local shot
    shot=$(e2e_screenshot "$1")
    e2e_colours_differ "$(e2e_pixel "$shot" $(( (l + r) / 2 )) $(( b - 40 )))" "255 255 255" 8 &&
        e2e_fail "notepad's text area is not drawn"
    xdotool mousemove $(( (l + r) / 2 )) $(( (t + b) / 2 )) click 1
    sleep 0.5
    [ "$(kdrv foreground)" = "$note" ] || e2e_fail "a click on notepad did not reach it"
}

# Opening.
burst open 60 &
burst_pid=$!
sleep 0.2
start_notepad
wait "$burst_pid"
sleep 0.5
[ "$(count "open: [0-9]* of")" = 1 ] || e2e_fail "no open animation played"
read -r l t r b < <(kdrv rect "$note")
width=$(( r - l ))
crop="$(( width + 40 ))x$(( b - t + 40 ))+$(( l - 20 < 0 ? 0 : l - 20 ))+$(( t - 20 < 0 ? 0 : t - 20 ))"
caught_between open 60 || e2e_fail "no screenshot caught the picture growing"
usable opened

# Closing. The close is asked for by a new Wine process, which on a loaded machine takes
# a second or more to start: the burst lasts as long as the opening's.
burst close 60 &
burst_pid=$!
sleep 0.2
kdrv post "$note" 274 61536 0 >/dev/null # SC_CLOSE
wait "$burst_pid"
kdrv gone Notepad - 5000 >/dev/null || e2e_fail "notepad did not close"
sleep 0.5
[ "$(count "close: [0-9]* of")" = 1 ] || e2e_fail "no close animation played"
caught_between close 60 || e2e_fail "no screenshot caught the picture shrinking"
no_animation_window "the close animation window stayed"
after=$(e2e_screenshot closed)
[ -z "$(changed_box "$after")" ] || e2e_fail "something stayed where notepad stood: $(changed_box "$after")"
cp "$before" "$after" "$E2E_DIR"/opened.png "$shots/" 2>/dev/null || true

# Both off: nothing plays, nothing is veiled. "windowscenter" alone moves the new
# window to the middle of the screen (Wine's work area is the whole screen).
kdrv ini 'C:\Kestrana\config.ini' WindowsOpen enable 0 >/dev/null
kdrv ini 'C:\Kestrana\config.ini' WindowsClose enable 0 >/dev/null
kdrv ini 'C:\Kestrana\config.ini' normal windowscenter 1 >/dev/null
start_notepad
sleep 1.5
read -r l t r b < <(kdrv rect "$note")
[ $(( l - (1280 - (r - l)) / 2 )) -ge -1 ] && [ $(( l - (1280 - (r - l)) / 2 )) -le 1 ] &&
    [ $(( t - (800 - (b - t)) / 2 )) -ge -1 ] && [ $(( t - (800 - (b - t)) / 2 )) -le 1 ] ||
    e2e_fail "notepad was not centred: $l $t $r $b"
usable plain
kdrv post "$note" 274 61536 0 >/dev/null
kdrv gone Notepad - 5000 >/dev/null || e2e_fail "notepad did not close the second time"
sleep 0.5
[ "$(count "open: [0-9]* of")" = 1 ] || e2e_fail "an open animation played while off"
[ "$(count "close: [0-9]* of")" = 1 ] || e2e_fail "a close animation played while off"

grep -o "open: .*\|close: .*" "$log"
echo ok
