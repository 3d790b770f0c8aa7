# First the desktop in front: its titles are ours, and moving along them while one of
# their menus is open opens the next title's. Then a window without a classic menu whose
# menu bar exists only for the accessibility interface (the test driver's "acc-window":
# items Alpha, Beta, Gamma): the bar shows those titles, and a click on one invokes that
# element in the application.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_app_accessible 1920x1080x24
source "$(dirname "$0")/../menubar_app.sh"
start_with_companion

line=$(wait_presented 0 '\[Edit .*\[View ') || e2e_fail "the desktop's titles were not presented"
edit=$(title_x "$line" Edit)
view=$(title_x "$line" View)
xdotool mousemove "$edit" 12 click 1
menu=$(kdrv find VarloChildApp - 3000) || e2e_fail "no menu of ours under the desktop's Edit"
read -r first _ _ _ < <(kdrv rect "$menu")
xdotool mousemove $(( (edit + view) / 2 )) 12
sleep 0.1
xdotool mousemove "$view" 12
moved=
for _ in $(seq 1 30); do
    menu=$(kdrv find VarloChildApp - 1000) && read -r left _ _ _ < <(kdrv rect "$menu") &&
        [ "$left" -gt "$first" ] && { moved=$left; break; }
    sleep 0.1
done
[ -n "$moved" ] && [ "$moved" -le "$view" ] || e2e_fail "moving to View did not open its menu (left $first, then ${left:-none})"
echo "desktop menus: Edit's at $first, then View's at $moved"
read -r _ _ right bottom < <(kdrv rect "$menu")
xdotool mousemove $(( right - 5 )) $(( bottom - 3 )) # keys go to the X window under the pointer
sleep 0.2
xdotool key Escape
kdrv gone VarloChildApp - 3000 >/dev/null || e2e_fail "Escape did not close the menu"

(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' acc-window 50) >"$E2E_DIR/accwindow.out" 2>&1 &
e2e_track $!
kdrv find KdriverAccTest - 15000 >/dev/null || e2e_fail "the test window did not come up"
line=$(wait_presented 0 'kdriver: \[Alpha [0-9-]*\] \[Beta [0-9-]*\] \[Gamma ') ||
    e2e_fail "the accessible menu bar's titles were not presented"
echo "test window: $line"
beta=$(title_x "$line" Beta)
xdotool mousemove "$beta" 12 click 1
kdrv find KdriverAccTest 'invoked Beta' 5000 >/dev/null || e2e_fail "the click did not invoke the Beta element"
echo ok
