# The active application on the menu bar, on a 1920x1080 screen: notepad in front shows
# its name and its own menu titles; a click on "Edit" drops notepad's own Edit menu down
# under the title, and its entries act on notepad's text; moving along the titles
# switches menus and Escape closes them; switching to regedit and back updates the bar
# each time. The names and titles are read from the program's detail log, which also
# gives the timings. Screenshots are kept in build/screenshots.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_app_notepad 1920x1080x24

source "$(dirname "$0")/../menubar_app.sh"
start_with_companion
log=$E2E_BASE/Kestrana.log

launch() { e2e_launch "$1"; }

read -r pad _ shown < <(launch notepad.exe) || e2e_fail "notepad showed no window"
line=$(wait_presented "$shown" '\[File .*\[Edit ') || e2e_fail "notepad's name and titles were not presented"
echo "notepad: $line"
edit=$(title_x "$line" Edit)
file=$(title_x "$line" File)
[ -n "$edit" ] && [ -n "$file" ] || e2e_fail "no places for the titles"

xdotool type --delay 20 "hello bar"
sleep 0.3
[ "$(kdrv edit-text "$pad")" = "hello bar" ] || e2e_fail "typing did not reach notepad ($(kdrv edit-text "$pad"))"

# Notepad's own Edit menu under the title.
xdotool mousemove "$edit" 12 click 1
popup=$(kdrv find '#32768' - 3000) || e2e_fail "no menu dropped down under Edit"
read -r ml mt mr mb < <(kdrv rect "$popup")
echo "Edit menu: $ml $mt $mr $mb (title at $edit)"
[ "$mt" -ge 22 ] && [ "$mt" -le 30 ] && [ "$ml" -le "$edit" ] && [ "$mr" -gt "$edit" ] ||
    e2e_fail "the menu is not under its title ($ml $mt $mr $mb)"
sleep 0.4
mkdir -p "$E2E_ROOT/build/screenshots"
cp "$(e2e_screenshot edit_menu)" "$E2E_ROOT/build/screenshots/menubar-app-edit-menu.png"
# Rows as this Wine's notepad lays its Edit menu out (see the screenshot): "Delete" is
# the sixth, "Select all" the seventh, after one rule.
choose() { # <offset from the menu's top>
    local menu
    menu=$(kdrv find '#32768' - 2000) || return 1
    read -r ml mt _ _ < <(kdrv rect "$menu")
    xdotool mousemove $(( ml + 40 )) $(( mt + $1 ))
    sleep 0.2
    xdotool click 1
}
choose 114 # "Select all"
kdrv gone '#32768' - 3000 >/dev/null || e2e_fail "the menu stayed after a choice"
sleep 0.3
xdotool mousemove "$edit" 12 click 1
kdrv find '#32768' - 3000 >/dev/null || e2e_fail "the Edit menu did not open a second time"
choose 89 # "Delete"
kdrv gone '#32768' - 3000 >/dev/null || e2e_fail "the menu stayed after Delete"
sleep 0.3
text=$(kdrv edit-text "$pad")
[ -z "$text" ] || e2e_fail "the menu's commands did not reach notepad (text \"$text\")"

# Along the titles: from Edit to File, then Escape.
xdotool mousemove "$edit" 12 click 1
kdrv find '#32768' - 3000 >/dev/null || e2e_fail "the Edit menu did not open a third time"
before=$(grep -c 'menu bar: menu 0 opening' "$log")
xdotool mousemove $(( (edit + file) / 2 )) 12
sleep 0.1
xdotool mousemove "$file" 12
sleep 0.8
after=$(grep -c 'menu bar: menu 0 opening' "$log")
[ "$after" -gt "$before" ] || e2e_fail "moving to File did not open the File menu"
popup=$(kdrv find '#32768' - 2000) || e2e_fail "no menu open after moving to File"
read -r fl _ _ _ < <(kdrv rect "$popup")
[ "$fl" -lt "$edit" ] || e2e_fail "the open menu is not under File ($fl)"
cp "$(e2e_screenshot file_menu)" "$E2E_ROOT/build/screenshots/menubar-app-file-menu.png"
# Under Xvfb without a window manager the keys go to the X window under the pointer,
# so the pointer rests on the menu (on its last row) while Escape is pressed.
read -r _ _ fr fb < <(kdrv rect "$popup")
xdotool mousemove $(( fr - 10 )) $(( fb - 4 ))
sleep 0.2
xdotool key Escape
kdrv gone '#32768' - 3000 >/dev/null || e2e_fail "Escape did not close the menu"
sleep 0.3
left=$(find "$E2E_BASE/findermenu" -type f | wc -l)
[ "$left" -eq 0 ] || e2e_fail "request files left behind: $(ls "$E2E_BASE/findermenu")"

# Click on a title -> the application's menu on screen, five times: the driver waits
# for the menu's window from before the click, on the same clock as the detail log.
opens=()
for round in 1 2 3 4 5; do
    (timeout 20 wine 'C:\kdriver.exe' wait-shown '#32768' 8000 >"$E2E_DIR/shown.out" 2>>"$E2E_DIR/wine.log") &
    waiter=$!
    sleep 1 # the driver is up and looking
    asked=$(grep -c 'menu bar: menu 1 asked' "$log")
    xdotool mousemove "$edit" 12 click 1
    wait "$waiter" || e2e_fail "no menu on screen (round $round)"
    read -r popup on < <(tr -d '\r' <"$E2E_DIR/shown.out")
    for _ in $(seq 1 20); do [ "$(grep -c 'menu bar: menu 1 asked' "$log")" -gt "$asked" ] && break; sleep 0.1; done
    at=$(sed -n 's/.*menu bar: menu 1 asked at \([0-9.]*\) ms.*/\1/p' "$log" | tail -n1)
    opens+=("$(awk -v a="$on" -v b="$at" 'BEGIN { printf "%.1f", a - b }')")
    read -r _ _ fr fb < <(kdrv rect "$popup")
    xdotool mousemove $(( fr - 10 )) $(( fb - 4 ))
    sleep 0.2
    xdotool key Escape
    kdrv gone '#32768' - 3000 >/dev/null || e2e_fail "Escape did not close the menu (round $round)"
    sleep 0.3
done
echo "click on a title -> menu on screen (ms): ${opens[*]}"
printf '%s\n' "${opens[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "median %.1f ms over %d menus\n", v[int((NR + 1) / 2)], NR }'

# Notepad and regedit in turn: the bar follows each change.
times=()
read -r reg _ shown < <(launch regedit.exe) || e2e_fail "regedit showed no window"
line=$(wait_presented "$shown" '[Rr]egist') || e2e_fail "regedit was not presented"
echo "regedit: $line"
for round in 1 2 3 4; do
    for w in "$pad" "$reg"; do
        at=$(kdrv activate "$w") || e2e_fail "could not activate $w"
        if [ "$w" = "$pad" ]; then want='\[Edit '; else want='[Rr]egist'; fi
        line=$(wait_presented "$at" "$want") || e2e_fail "the bar did not follow window $w (round $round)"
        times+=("$(awk -v a="${line%%$'\t'*}" -v b="$at" 'BEGIN { printf "%.1f", a - b }')")
    done
done
echo "foreground change -> name and titles presented (ms): ${times[*]}"
printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "median %.1f ms over %d changes\n", v[int((NR + 1) / 2)], NR }'
echo ok
