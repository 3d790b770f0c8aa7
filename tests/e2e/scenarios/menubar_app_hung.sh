# A window with a classic menu bar of its own ("&File", "Edit(&E)", "&View", made by the
# test driver) shows its titles without access keys, and its menu from the bar runs its
# command. Brought to the front a second time it stops answering as it comes: the bar
# names it without titles (its question for the titles times out) and keeps answering
# itself. Names and titles are read from the detail log.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_app_hung 1920x1080x24

source "$(dirname "$0")/../menubar_app.sh"
start_with_companion
log=$E2E_BASE/Kestrana.log

(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' menu-window 50 20000) >"$E2E_DIR/menuwindow.out" 2>&1 &
e2e_track $!
win=$(kdrv find KdriverMenuTest - 15000) || e2e_fail "the test window did not come up"
line=$(wait_presented 0 'kdriver: \[File [0-9-]*\] \[Edit [0-9-]*\] \[View ') || e2e_fail "its titles were not presented"
echo "test window: $line"
edit=$(title_x "$line" Edit)

xdotool mousemove "$edit" 12 click 1
popup=$(kdrv find '#32768' - 3000) || e2e_fail "its Edit menu did not drop down"
read -r ml mt _ _ < <(kdrv rect "$popup")
xdotool mousemove $(( ml + 30 )) $(( mt + 10 ))
sleep 0.2
xdotool click 1
kdrv find KdriverMenuTest marked 3000 >/dev/null || e2e_fail "the menu's command did not reach the window"

read -r _ _ shown < <(e2e_launch notepad.exe) || e2e_fail "notepad showed no window"
wait_presented "$shown" 'notepad' >/dev/null || e2e_fail "notepad was not presented"
at=$(kdrv activate "$win") || e2e_fail "could not bring the silent window forward"
line=$(wait_presented "$at" 'kdriver:') || e2e_fail "the silent window was not named"
echo "silent window: $line"
printf '%s' "$line" | grep -q '\[' && e2e_fail "titles shown for a window that does not answer"
grep -q "no titles in time from kdriver" "$log" || e2e_fail "the titles' question did not time out"
for _ in 1 2 3; do
    kdrv send "$bar" 0 0 0 100 >/dev/null || e2e_fail "the bar did not answer within 100 ms"
done
xdotool mousemove 20 12 click 1
kdrv find VarloChildApp - 3000 >/dev/null || e2e_fail "the logo menu did not open"
xdotool key Escape
echo ok
