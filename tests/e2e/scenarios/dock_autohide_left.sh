# Display mode 3 hides the dock once the pointer is away and the 2-pixel strip at the
# screen edge brings it back; a dock on the left edge lays its row out vertically.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_autohide_left 1920x1080x24

printf '[normal]\r\ndisplaymode=3\r\n' >"$E2E_BASE/config.ini"
xdotool mousemove 960 400
e2e_start_kestrana
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock window"
input=$(kdrv find OndelAPP - 5000) || e2e_fail "no input window"
read -r l t r b < <(kdrv rect "$render")
# At rest the window stands on the bottom edge; the bar is the input window's area.
t=$(( 1080 - (b - t) )); b=1080
read -r il it ir ib < <(kdrv rect "$input")
depth=$(( ib - it ))
echo "rest window top $t, bar depth $depth"

# The once-a-second decision hides it: the slide moves the whole bar below the edge.
hidden=0
for i in $(seq 1 40); do
    read -r hl ht hr hb < <(kdrv rect "$render")
    if [ $(( hb - 1080 )) -ge "$depth" ]; then hidden=1; break; fi
    sleep 0.25
done
echo "hidden at: $hl $ht $hr $hb"
[ $hidden -eq 1 ] || e2e_fail "the dock did not hide with the pointer away"
e2e_screenshot hidden >/dev/null

# Touching the bottom edge under the dock brings it back.
xdotool mousemove 960 1079
shown=0
for i in $(seq 1 40); do
    read -r sl st sr sb < <(kdrv rect "$render")
    if [ "$st" -eq "$t" ]; then shown=1; break; fi
    sleep 0.1
done
[ $shown -eq 1 ] || e2e_fail "the trigger strip did not bring the dock back"
echo "shown again"

# Quit, switch to the left edge and start again.
e2e_quit_kestrana
printf '[normal]\r\ndisplaymode=1\r\nscreenposition=1\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock window on the left"
sleep 1.5
read -r l t r b < <(kdrv rect "$render")
echo "left dock: $l $t $r $b"
[ "$l" -eq 0 ] || e2e_fail "the dock does not stand on the left edge ($l)"
[ $(( b - t )) -gt $(( r - l )) ] || e2e_fail "the left dock is not vertical"
centre=$(( (t + b) / 2 ))
[ $(( centre > 537 && centre < 543 )) -eq 1 ] || e2e_fail "the left dock is not centred ($centre)"
shot=$(e2e_screenshot left)
mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/dock-left.png"
echo ok
