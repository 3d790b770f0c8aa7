# Rounded screen corners on a 1280 x 800 screen: with "screenround" on for the monitor
# the program starts the corner process, whose window "KestranaScreenRound" appears and
# whose caps of the chosen colour (red, radius 40) cover all four corners of the screen
# while the circle's inside shows the desktop (screenshot screen_corners_on.png);
# switched off on the settings window's Screen corners page they go
# (screen_corners_off.png), a monitor index the system does not have is ignored, and
# switched on again there they come back; the corner process ends with the program. The
# menu bar keeps its logo and its status row clear of the rounded corners while they show.
source "$(dirname "$0")/../lib.sh"
e2e_begin screen_corners 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[DISPLAY1]\r\nscreenround=1\r\nscreenroundsize=40\r\nscreenroundcolor=255\r\n' \
    >"$E2E_BASE/config.ini"
e2e_start_kestrana
corner=$(kdrv find KestranaScreenRound ScreenRound 20000) || e2e_fail "the corner process showed no window"
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
# The bar's ends as a screen reader finds them: the logo's left and the rightmost item's right.
bar_ends() {
    kdrv acc-tree "$bar" | awk -F'\t' '$1 ~ /^1 / { split($1, f, " "); if (f[5] > 0) { r = f[3] + f[5]; if (!n++) l = f[3]; if (r > m) m = r } }
        END { print l, m }'
}
bar_ends_are() { # <logo left> <at most this right>
    local i l r
    for i in $(seq 1 20); do
        read -r l r < <(bar_ends)
        [ "$l" = "$1" ] && [ "$r" -le "$2" ] && return 0
        sleep 0.25
    done
    echo "bar ends: $l $r" >&2
    return 1
}
# A radius of 40 moves the logo from 13 (46 - 33) to 53 and the row's right end inside 1240.
bar_ends_are 53 1240 || e2e_fail "the menu bar does not keep clear of the rounded corners"

pixel() { # <png> <x> <y>: "r,g,b"
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
corners_are() { # <png> <expected colour or "not-red">
    local x y p
    for xy in "1 1" "1278 1" "1 798" "1278 798"; do
        read -r x y <<<"$xy"
        p=$(pixel "$1" "$x" "$y")
        if [ "$2" = not-red ]; then
            [ "$p" = "255,0,0" ] && return 1
        else
            [ "$p" = "$2" ] || return 1
        fi
    done
    return 0
}
shot_until() { # <name> <expected>: screenshots until the corners show it, up to 8 s
    local i shot
    for i in $(seq 1 16); do
        shot=$(e2e_screenshot "$1") || e2e_fail "no screenshot"
        corners_are "$shot" "$2" && { echo "$shot"; return 0; }
        sleep 0.5
    done
    echo "corners: $(pixel "$shot" 1 1) $(pixel "$shot" 1278 1) $(pixel "$shot" 1 798) $(pixel "$shot" 1278 798)" >&2
    return 1
}

shot=$(shot_until screen_corners_on 255,0,0) || { xwininfo -root -tree | head -40; e2e_fail "red caps did not appear in all four corners"; }
echo "screenshot: $shot"
# Inside the circle the screen shows through: the cap is a quarter ring, not a square.
for xy in "30 30" "1249 30" "30 769" "1249 769"; do
    read -r x y <<<"$xy"
    [ "$(pixel "$shot" "$x" "$y")" != "255,0,0" ] || e2e_fail "the cap at $x,$y is square, not rounded"
done
# Exactly four caps, each the radius square, at the corners.
caps=$(xwininfo -root -tree | grep -c '40x40+')
[ "$caps" -ge 4 ] || e2e_fail "expected four 40 x 40 caps, found $caps"

# Off on the settings window's Screen corners page: a second start opens the window, the
# keyboard picks the page in the page list by its first letter and tabs past the screen
# choice to the switch, and Space turns it off.
ini_value() { # <section> <key>
    e2e_text "$E2E_BASE/config.ini" | awk -v s="[$1]" -v k="$2=" '
        /^\[/ { in_section = ($0 == s) } in_section && index($0, k) == 1 { print substr($0, length(k) + 1); exit }'
}
(cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe') >>"$E2E_DIR/second.log" 2>&1
settings=$(kdrv find KestranaSettings - 10000) || e2e_fail "the second start opened no settings window"
read -r sl st sr sb < <(kdrv rect "$settings")
xdotool mousemove $(((sl + sr) / 2)) $((sb - 10))
kdrv activate "$settings" >/dev/null || true
sleep 0.5
xdotool key s # the only page whose name starts with S
sleep 0.3
xdotool key Tab Tab
sleep 0.3
xdotool key space
shot=$(shot_until screen_corners_off not-red) || e2e_fail "the caps stayed after switching off on the page"
echo "screenshot: $shot"
[ "$(ini_value DISPLAY1 screenround)" = 0 ] || e2e_fail "the page did not write screenround=0 for DISPLAY1"
bar_ends_are 13 1270 || e2e_fail "the menu bar kept its corner margins after the corners went"
# A monitor the system does not have is ignored; the switch on the page brings them back.
kdrv post "$corner" 32666 0 7 >/dev/null
xdotool key space
shot_until screen_corners_again 255,0,0 >/dev/null || e2e_fail "the caps did not come back when switched on again"
[ "$(ini_value DISPLAY1 screenround)" = 1 ] || e2e_fail "the page did not write screenround=1 for DISPLAY1"
# The corner process ends with the program: no caps outlive it.
e2e_quit_kestrana
kdrv gone KestranaScreenRound ScreenRound 5000 >/dev/null || e2e_fail "the corner process outlived the program"
echo ok
