# The dock of a first start: centred at the bottom of a 1920x1080 screen with the default
# items; the pointer over it magnifies the icons and shows the item's name; the pointer
# leaving brings it back to rest.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_bottom 1920x1080x24

e2e_start_kestrana
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock window"
input=$(kdrv find OndelAPP - 5000) || e2e_fail "no dock input window"
[ "$(kdrv prop "$render" OndelAPPptr)" != 0 ] || e2e_fail "OndelAPPptr missing on the drawing window"
[ "$(kdrv prop "$input" OndelAPPptr)" != 0 ] || e2e_fail "OndelAPPptr missing on the input window"
sleep 1
read -r l t r b < <(kdrv rect "$render")
echo "dock window: $l $t $r $b"
[ "$b" -eq 1080 ] || e2e_fail "the dock does not stand on the bottom edge ($b)"
centre=$(( (l + r) / 2 ))
[ $(( centre > 958 && centre < 962 )) -eq 1 ] || e2e_fail "the dock is not centred ($centre)"
read -r il it ir ib < <(kdrv rect "$input")
echo "bar: $il $it $ir $ib"
[ $(( ir - il )) -gt 300 ] || e2e_fail "the bar is too short for six items ($il..$ir)"
e2e_text "$E2E_BASE/ico.ini" | grep -q '^\[ico6\]' ||
    e2e_fail "the default item list was not written"

rest=$(e2e_screenshot rest)
# A point well above the bar, over the icon under the pointer: background at rest, the
# grown icon when magnified (icons grow from 64 to 128 pixels).
px=$(( il + (ir - il) * 2 / 5 )); py=$(( it - 40 ))
before=$(e2e_pixel "$rest" "$px" "$py")

xdotool mousemove "$(( (il + ir) / 2 ))" "$(( ib - 20 ))"
sleep 0.3
xdotool mousemove "$px" "$(( ib - 25 ))"
after=$before
for i in $(seq 1 20); do
    sleep 0.25
    magnified=$(e2e_screenshot magnified)
    after=$(e2e_pixel "$magnified" "$px" "$py")
    e2e_colours_differ "$after" "$before" && break
done
echo "above the bar: rest $before, magnified $after"
e2e_colours_differ "$before" "$after" || e2e_fail "the icons did not grow past the bar"
sleep 0.5
magnified=$(e2e_screenshot magnified)
read -r ml mt mr mb < <(kdrv rect "$input")
[ "$mt" -lt "$it" ] || e2e_fail "the pointer area did not grow with the icons"
kdrv find OndelTag - 3000 >/dev/null || e2e_fail "no label for the item under the pointer"

xdotool mousemove 960 300
sleep 1.5
back=$(e2e_screenshot back)
e2e_colours_differ "$(e2e_pixel "$back" "$px" "$py")" "$before" && e2e_fail "the dock did not return to rest"
kdrv find OndelTag - 0 >/dev/null && [ "$(kdrv info "$(kdrv find OndelTag - 0)" | sed -n 's/^visible=//p')" = 1 ] &&
    e2e_fail "the label stayed"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$rest" "$E2E_ROOT/build/screenshots/dock-bottom-rest.png"
cp "$magnified" "$E2E_ROOT/build/screenshots/dock-bottom-magnified.png"
echo ok
