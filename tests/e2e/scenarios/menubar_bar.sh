# The menu bar of a first start on a 1920x1080 screen: one "VarloApp" window across the
# top, 24 pixels high at scale 1, with the logo on the left and the status row on the
# right; the fresh config.ini holds the default order of the status items. The logo
# menu opens under the logo; the screens changing under its context menu close the menu
# before the bar is made anew. Then the same bar always dark. Screenshots are kept in
# build/screenshots.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_bar 1920x1080x24

config() { e2e_text "$E2E_BASE/config.ini"; }
# Pixels of a part of a picture that differ clearly from its first pixel (the bar).
marks() { # <png> <geometry>
    convert "$1" -crop "$2" +repage \( +clone -fill "$(convert "$1" -format '%[pixel:p{0,0}]' info:)" -colorize 100 \) \
        -compose difference -composite -colorspace gray -threshold 25% -format '%[fx:int(mean*w*h)]' info:
}

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\n' >"$E2E_BASE/config.ini" # always light; the status order is still new
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
[ "$(kdrv prop "$bar" VarloBarPtr)" != 0 ] || e2e_fail "VarloBarPtr missing on the bar"
read -r l t r b < <(kdrv rect "$bar")
echo "bar: $l $t $r $b"
[ "$l $t $r $b" = "0 0 1920 24" ] || e2e_fail "the bar does not span the top ($l $t $r $b)"
for pair in systemtime=1 systemcontrol=2 search=3 systemIME=4 systemtray=5 audio=6 battery=7 display=8 wifi=9 bluetooth=10; do
    config | grep -qx "$pair" || e2e_fail "config.ini lacks $pair"
done
config | grep -q '^useraccount=' && e2e_fail "the user account item was switched on"

sleep 1.5
light=$(e2e_screenshot light)
background=$(e2e_pixel "$light" 960 12)
clock=$(marks "$light" 110x24+1800+0)
logo=$(marks "$light" 40x24+0+0)
middle=$(marks "$light" 400x24+760+0)
echo "light: background $background; marked pixels: clock $clock, logo $logo, middle $middle"
awk -v c="$background" 'BEGIN { split(c, x, " "); exit !(x[1] > 150 && x[2] > 150 && x[3] > 150) }' ||
    e2e_fail "the light bar is not light ($background)"
[ "$clock" -gt 40 ] || e2e_fail "no clock on the right"
[ "$logo" -gt 20 ] || e2e_fail "no logo on the left"
[ "$middle" -eq 0 ] || e2e_fail "something drawn in the middle of the bar"

xdotool mousemove 20 12 click 1
menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the logo menu did not open"
read -r ml mt mr mb < <(kdrv rect "$menu")
echo "logo menu: $ml $mt $mr $mb"
[ "$mt" -eq 24 ] && [ "$ml" -le 20 ] || e2e_fail "the logo menu is not under the logo"
sleep 0.5
withmenu=$(e2e_screenshot logo_menu)
# The first row, "About This PC" (never a power entry), opens the machine's facts.
xdotool mousemove 60 41
sleep 0.3
xdotool click 1
kdrv gone VarloChildApp - 3000 >/dev/null || e2e_fail "the logo menu did not close on a choice"
about=$(kdrv find VarloAbout - 5000) || e2e_fail "About This PC did not open"
sleep 0.5
aboutshot=$(e2e_screenshot about)
kdrv post "$about" 0x100 27 0 >/dev/null # Escape
kdrv gone VarloAbout - 3000 >/dev/null || e2e_fail "About This PC did not close on Escape"

xdotool mousemove 1000 12 click 3
kdrv find VarloChildApp - 5000 >/dev/null || e2e_fail "the bar's context menu did not open"
xdotool key Escape
kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 960 540 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
    e2e_fail "the context menu did not close"

# The screens change while the context menu is open: the menu goes before the bar is
# made anew (the bar's code under the menu must not lose its bar).
xdotool mousemove 1000 12 click 3
kdrv find VarloChildApp - 5000 >/dev/null || e2e_fail "the bar's context menu did not open again"
kdrv post "$bar" 126 32 0 >/dev/null # WM_DISPLAYCHANGE
kdrv gone VarloChildApp - 5000 >/dev/null || e2e_fail "the context menu stayed when the screens changed"
for i in $(seq 1 40); do
    now=$(kdrv find VarloApp - 0) && [ "$now" != "$bar" ] && break
    sleep 0.25
done
[ "$now" != "$bar" ] || e2e_fail "the bar was not made anew after the screens changed"
grep -q "the screens changed while a menu was open" "$E2E_BASE/Kestrana.log" || e2e_fail "the bar was rebuilt under its open menu"

kdrv post "$(kdrv find KESTRANA - 0)" 16 0 0 >/dev/null # WM_CLOSE: the program quits
kdrv gone VarloApp - 10000 >/dev/null || e2e_fail "the bar stayed after quitting"

# Always dark: light text on a dark strip.
config | sed 's/^darkmode=2$/darkmode=3/; s/$/\r/' >"$E2E_DIR/config.dark"
cp "$E2E_DIR/config.dark" "$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar window after the restart"
sleep 1.5
dark=$(e2e_screenshot dark)
background=$(e2e_pixel "$dark" 960 12)
echo "dark: background $background, clock $(marks "$dark" 110x24+1800+0)"
awk -v c="$background" 'BEGIN { split(c, x, " "); exit !(x[1] < 90 && x[2] < 90 && x[3] < 110) }' ||
    e2e_fail "the dark bar is not dark ($background)"
[ "$(marks "$dark" 110x24+1800+0)" -gt 40 ] || e2e_fail "no clock on the dark bar"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$light" "$E2E_ROOT/build/screenshots/menubar-light.png"
cp "$withmenu" "$E2E_ROOT/build/screenshots/menubar-logo-menu.png"
cp "$dark" "$E2E_ROOT/build/screenshots/menubar-dark.png"
cp "$aboutshot" "$E2E_ROOT/build/screenshots/menubar-about.png"
echo ok
