# A window with a classic menu bar of its own ("&File", "Edit(&E)", "&View", made by the
# test driver) shows its titles without access keys, and its menu from the bar runs its
# command. Brought to the front a second time it stops answering as it comes: the bar
# names it without titles (its question for the titles times out) and keeps answering
# itself. Names and titles are read from the detail log.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_app_hung 1920x1080x24

printf '[brisel]\r\nVarlo=1\r\n[finder]\r\ndarkmode=2\r\n[normal]\r\ndetaillog=1\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar"
kdrv wait-prop "$(kdrv find hookel32 - 30000)" KestranaProgram "$main" 15000 || e2e_fail "no handshake with the companion"
log=$E2E_BASE/Kestrana.log

presented_after() { # <ms>: the last presentation after that time, "<ms>\t<name>: [titles]"
    sed -n 's/.*menu bar: presented \(.*\) at \([0-9.]*\) ms, .*/\2\t\1/p' "$log" | awk -F'\t' -v t="$1" '$1 >= t' | tail -n1
}
wait_presented() { # <ms> <pattern>
    local line
    for _ in $(seq 1 50); do
        line=$(presented_after "$1")
        if printf '%s' "$line" | grep -q -- "$2"; then printf '%s\n' "$line"; return 0; fi
        sleep 0.1
    done
    e2e_log "last presentation: $(presented_after 0)"
    return 1
}

(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' menu-window 50 20000) >"$E2E_DIR/menuwindow.out" 2>&1 &
e2e_track $!
win=$(kdrv find KdriverMenuTest - 15000) || e2e_fail "the test window did not come up"
line=$(wait_presented 0 'kdriver: \[File [0-9-]*\] \[Edit [0-9-]*\] \[View ') || e2e_fail "its titles were not presented"
echo "test window: $line"
edit=$(printf '%s' "$line" | sed -n 's/.*\[Edit \([0-9]*\)-\([0-9]*\)\].*/\1 \2/p' | awk '{ print int(($1 + $2) / 2) }')

xdotool mousemove "$edit" 12 click 1
popup=$(kdrv find '#32768' - 3000) || e2e_fail "its Edit menu did not drop down"
read -r ml mt _ _ < <(kdrv rect "$popup")
xdotool mousemove $(( ml + 30 )) $(( mt + 10 ))
sleep 0.2
xdotool click 1
kdrv find KdriverMenuTest marked 3000 >/dev/null || e2e_fail "the menu's command did not reach the window"

timeout 30 wine 'C:\kdriver.exe' launch notepad.exe 15000 >"$E2E_DIR/launch.out" 2>>"$E2E_DIR/wine.log" ||
    e2e_fail "notepad showed no window"
read -r _ _ shown < <(tr -d '\r' <"$E2E_DIR/launch.out")
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
