# Rounded screen corners on two monitors side by side (800 x 600 and 640 x 480): each
# switched-on monitor keeps its own caps, in its own size and colour, at its own four
# corners (red 30-pixel caps on the first, green 20-pixel caps on the second).
source "$(dirname "$0")/../lib.sh"
e2e_begin screen_corners_two_monitors 1600x700x24
e2e_two_screens

printf '[normal]\r\n[DISPLAY1]\r\nscreenround=1\r\nscreenroundsize=30\r\nscreenroundcolor=255\r\n[DISPLAY2]\r\nscreenround=1\r\nscreenroundsize=20\r\nscreenroundcolor=65280\r\n' \
    >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find KestranaScreenRound ScreenRound 20000 >/dev/null || e2e_fail "the corner process showed no window"

pixel() { # <png> <x> <y>: "r,g,b"
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
all_caps() { # <png>
    local xy x y want
    for xy in "1 1 255,0,0" "798 1 255,0,0" "1 598 255,0,0" "798 598 255,0,0" \
              "801 1 0,255,0" "1438 1 0,255,0" "801 478 0,255,0" "1438 478 0,255,0"; do
        read -r x y want <<<"$xy"
        [ "$(pixel "$1" "$x" "$y")" = "$want" ] || { echo "at $x,$y: $(pixel "$1" "$x" "$y"), not $want" >&2; return 1; }
    done
}
for i in $(seq 1 16); do
    shot=$(e2e_screenshot screen_corners_two_monitors) || e2e_fail "no screenshot"
    all_caps "$shot" 2>/dev/null && break
    sleep 0.5
done
all_caps "$shot" || e2e_fail "the two monitors do not show their own caps"
echo "screenshot: $shot"
# One set of caps a monitor, each cap its monitor's size. (The strip below the smaller
# monitor belongs to no monitor; the display leaves whatever was drawn there.)
caps=$(xwininfo -root -tree)
[ "$(grep -c '30x30+' <<<"$caps")" -eq 4 ] && [ "$(grep -c '20x20+' <<<"$caps")" -eq 4 ] ||
    e2e_fail "expected four 30-pixel and four 20-pixel caps, one set a monitor"
echo ok
