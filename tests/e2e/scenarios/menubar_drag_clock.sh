# The status row under the pointer: with "HH:mm:ss" the clock's text changes every
# second; dragging the clock to the left with the mouse swaps it with its neighbours and
# the new order is saved; with "lockbtn" the same drag changes nothing.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_drag_clock 1920x1080x24

config() { e2e_text "$E2E_BASE/config.ini"; }
key() { config | sed -n "s/^$1=//p" | head -n1; }

printf '[brisel]\r\nVarlo=1\r\n[finder]\r\ndarkmode=2\r\n[findertime]\r\ntimefmt=HH:mm:ss\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar window"
sleep 1.5

# Seconds: three pictures of the clock a little over a second apart all differ.
previous=""
for i in 1 2 3; do
    shot=$(e2e_screenshot "clock$i")
    convert "$shot" -crop 150x24+1770+0 +repage "$E2E_DIR/clock$i.png"
    sum=$(md5sum <"$E2E_DIR/clock$i.png")
    [ "$sum" != "$previous" ] || e2e_fail "the clock did not change within a second (picture $i)"
    previous=$sum
    sleep 1.1
done

[ "$(key systemtime)" = 1 ] && [ "$(key systemcontrol)" = 2 ] || e2e_fail "unexpected first order"
drag() { # <from-x> <to-x>
    xdotool mousemove "$1" 12 mousedown 1
    local x=$1
    while [ "$x" -gt "$2" ]; do
        x=$((x - 8))
        xdotool mousemove "$x" 12
        sleep 0.02
    done
    xdotool mouseup 1
    sleep 0.5
}
drag 1870 1760
echo "after the drag: systemtime=$(key systemtime) systemcontrol=$(key systemcontrol) search=$(key search)"
[ "$(key systemtime)" -gt 1 ] || e2e_fail "the clock kept its place"
[ "$(key systemcontrol)" = 1 ] || e2e_fail "the item next to the clock did not move right"
order() { echo "$(key systemtime) $(key systemcontrol) $(key search) $(key systemIME)"; }
before=$(order)

# Locked: the same drag leaves the order alone.
config | sed 's/^darkmode=2$/darkmode=2\nlockbtn=1/; s/$/\r/' >"$E2E_DIR/config.locked"
cp "$E2E_DIR/config.locked" "$E2E_BASE/config.ini"
sleep 0.5
drag 1885 1760
[ "$(order)" = "$before" ] || e2e_fail "the order changed although lockbtn is set ($before, now $(order))"
echo ok
