# The menu bar of a first start on a 1920x1080 screen: one "VarloApp" window across the
# top, 24 pixels high at scale 1, with the logo on the left and the status row on the
# right; the fresh config.ini holds the default order of the status items. The same bar
# always dark; screenshots of both are kept in build/screenshots.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_bar 1920x1080x24

e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
[ "$(kdrv prop "$bar" VarloBarPtr)" != 0 ] || e2e_fail "VarloBarPtr missing on the bar"
read -r l t r b < <(kdrv rect "$bar")
echo "bar: $l $t $r $b"
[ "$l $t $r $b" = "0 0 1920 24" ] || e2e_fail "the bar does not span the top ($l $t $r $b)"

config() { iconv -f UTF-16 -t UTF-8 "$E2E_BASE/config.ini" 2>/dev/null | tr -d '\r'; }
for pair in systemtime=1 systemcontrol=2 search=3 systemIME=4 systemtray=5 audio=6 battery=7 display=8 wifi=9 bluetooth=10; do
    config | grep -qx "$pair" || e2e_fail "config.ini lacks $pair"
done
config | grep -q '^useraccount=' && e2e_fail "the user account item was switched on"

sleep 2
light=$(e2e_screenshot light)
# Dark text on the light bar: the clock's cell holds dark pixels, the logo too.
convert "$light" -crop 1920x24+0+0 +repage "$E2E_DIR/light_bar.png"
dark_pixels() { convert "$1" -crop "$2" -colorspace gray -threshold 45% -negate -format '%[fx:int(mean*w*h)]' info:; }
clock=$(dark_pixels "$light" 90x24+1820+0)
logo=$(dark_pixels "$light" 40x24+0+0)
echo "light: clock $clock dark pixels, logo $logo"
[ "$clock" -gt 20 ] || e2e_fail "no clock text on the right"
[ "$logo" -gt 15 ] || e2e_fail "no logo on the left"

kdrv post "$(kdrv find KESTRANA - 0)" 16 0 0 >/dev/null # WM_CLOSE: quit cleanly
kdrv gone VarloApp - 10000 >/dev/null || e2e_fail "the bar stayed after quitting"

echo ok
