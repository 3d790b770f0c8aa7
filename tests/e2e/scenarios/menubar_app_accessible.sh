# First the desktop in front: its titles are ours, and moving along them while one of
# their menus is open opens the next title's. Then a window without a classic menu whose
# menu bar exists only for the accessibility interface (the test driver's "acc-window":
# items Alpha, Beta, Gamma): the bar shows those titles, and a click on one invokes that
# element in the application. The same window again, now dropping a XAML pop-up down for
# each item: the open title is lit, moving along the titles opens the neighbour's menu,
# and the pop-up closing (an entry clicked) puts the light out. Last, a menu bar that is a window of its
# own ("OWL.MenuBar"): a click posts it the registered message with the title's index.
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
acc=$(kdrv find KdriverAccTest 'invoked Beta' 5000) || e2e_fail "the click did not invoke the Beta element"
kdrv post "$acc" 16 0 0 >/dev/null # WM_CLOSE
kdrv gone KdriverAccTest - 5000 >/dev/null || e2e_fail "the test window did not close"

# The last presentation's time: only a later one is the next window's.
last() { presented_after 0 | cut -f1 | awk '{ printf "%.1f\n", $1 + 0.1 }'; }

# A window slow to describe itself: its name alone at first, its titles when they come.
since=$(last)
from=$(($(wc -l <"$E2E_BASE/Kestrana.log") + 1))
(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' acc-window 50 slow) >"$E2E_DIR/accslow.out" 2>&1 &
e2e_track $!
slow=$(kdrv find KdriverAccTest - 15000) || e2e_fail "the slow test window did not come up"
line=$(wait_presented "$since" 'kdriver: \[Alpha [0-9-]*\] \[Beta [0-9-]*\] \[Gamma ') ||
    e2e_fail "the slow window's titles were not presented when they came"
# Before them, the name alone.
sed -n 's/.*menu bar: presented \(.*\) at \([0-9.]*\) ms, .*/\2\t\1/p' "$E2E_BASE/Kestrana.log" |
    awk -F'\t' -v t="$since" '$1 >= t { print $2 }' | sed -n '1,/Alpha/p' | grep -qx 'kdriver:' ||
    e2e_fail "the slow window's name was not presented alone first"
tail -n +"$from" "$E2E_BASE/Kestrana.log" | grep -aq 'no accessible titles in time from kdriver' ||
    e2e_fail "the missed deadline was not noted"
tail -n +"$from" "$E2E_BASE/Kestrana.log" | grep -aq 'accessible titles came late from kdriver' ||
    e2e_fail "the late titles were not noted"
kdrv post "$slow" 16 0 0 >/dev/null # WM_CLOSE
kdrv gone KdriverAccTest - 5000 >/dev/null || e2e_fail "the slow test window did not close"
# Waits up to 5 s for the bar's detail log to say title <n> is lit.
wait_lit() { # <n> <after-line-count>
    for _ in $(seq 1 50); do
        tail -n +"$2" "$E2E_BASE/Kestrana.log" | grep -q "accessible title lit: $1[[:space:]]*$" && return 0
        sleep 0.1
    done
    return 1
}
lines() { wc -l <"$E2E_BASE/Kestrana.log"; }

since=$(last)
(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' acc-window 50 popup) >"$E2E_DIR/accpopup.out" 2>&1 &
e2e_track $!
line=$(wait_presented "$since" 'kdriver: \[Alpha [0-9-]*\] \[Beta [0-9-]*\] \[Gamma ') ||
    e2e_fail "the second test window's titles were not presented"
alpha=$(title_x "$line" Alpha)
gamma=$(title_x "$line" Gamma)
mark=$(lines)
xdotool mousemove "$alpha" 12 click 1
kdrv find Xaml_WindowedPopupClass 'popup Alpha' 5000 >/dev/null || e2e_fail "Alpha's pop-up did not drop down"
wait_lit 0 "$mark" || e2e_fail "Alpha was not lit while its menu was open"
mark=$(lines)
xdotool mousemove $(( (alpha + gamma) / 2 )) 12
sleep 0.1
xdotool mousemove "$gamma" 12
popup=$(kdrv find Xaml_WindowedPopupClass 'popup Gamma' 5000) || e2e_fail "moving to Gamma did not open its menu"
wait_lit 2 "$mark" || e2e_fail "Gamma was not lit after the move"
kdrv find KdriverAccTest 'invoked Gamma' 1000 >/dev/null || e2e_fail "the window was not told Gamma"
mkdir -p "$E2E_ROOT/build/screenshots"
cp "$(e2e_screenshot accessible_switch)" "$E2E_ROOT/build/screenshots/menubar-app-accessible-switch.png"
echo "pop-up menus: Alpha, then Gamma by moving along the titles"
read -r left top right bottom < <(kdrv rect "$popup")
mark=$(lines)
xdotool mousemove $(( (left + right) / 2 )) $(( (top + bottom) / 2 )) click 1
kdrv gone Xaml_WindowedPopupClass - 3000 >/dev/null || e2e_fail "a click on the pop-up did not close it"
wait_lit -1 "$mark" || e2e_fail "the light stayed on after the pop-up closed"
acc=$(kdrv find KdriverAccTest - 1000)
kdrv post "$acc" 16 0 0 >/dev/null
kdrv gone KdriverAccTest - 5000 >/dev/null || e2e_fail "the second test window did not close"

since=$(last)
(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' acc-window 50 owl) >"$E2E_DIR/accowl.out" 2>&1 &
e2e_track $!
line=$(wait_presented "$since" 'kdriver: \[Alpha [0-9-]*\] \[Beta [0-9-]*\] \[Gamma ') ||
    e2e_fail "the titles of the menu bar window were not presented"
beta=$(title_x "$line" Beta)
xdotool mousemove "$beta" 12 click 1
kdrv find KdriverAccTest 'posted 1' 5000 >/dev/null || e2e_fail "the menu bar window was not posted Beta's index"
echo ok
