# The dock and the menu bar from the keyboard alone: the dock's focus hotkey (Ctrl+F8 by
# default) takes the keyboard and puts a ring on its first item, Right moves it past the
# separator, Escape gives the keyboard back to the window that had it; the hotkey again
# comes back to that item and Enter starts its program. The bar's hotkey (Ctrl+F9) puts
# the focus on its logo while the program in front stays in front; Enter opens the logo's
# menu and Escape closes it; Right moves to the application's first title; a last Escape
# ends the bar's turn. A screen reader meanwhile reads which element has the focus. (The
# application's own menus, which Enter opens on a title, read their keys from the X window
# under the pointer here, so they are left to the menu bar's scenarios.)
source "$(dirname "$0")/../lib.sh"
e2e_begin keyboard_access 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' \
    '[ico3]' 'tag=Registry' 'appname=regedit.exe' 'filepath=c:\windows\regedit.exe' 'realpath=c:\windows\regedit.exe' \
    '[ico4]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '%s\r\n' '[brisel]' 'Varlo=1' '[normal]' 'detaillog=1' 'defaultsize=64' 'maxsize=64' >"$E2E_BASE/config.ini"
xdotool mousemove 960 500
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar"
sleep 1.5
wait_for() { # <what> <condition>: up to 10 s; the condition is read again each time
    local what=$1
    shift
    for i in $(seq 1 50); do eval "$1" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
# The name of the element a reader hears as focused ("focused" is the last field kdriver prints).
focused() { kdrv acc-tree "$1" | awk -F'\t' '$NF == "focused" { print $2 }'; }

# Another program has the keyboard first.
(cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
e2e_track $!
note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
kdrv activate "$note" >/dev/null || true
wait_for "notepad did not come to the front" 'test "$(kdrv foreground)" = "$note"'

xdotool key ctrl+F8
wait_for "the dock's hotkey did not give it the keyboard" 'test "$(kdrv foreground)" = "$input"'
wait_for "the reader hears no focus on the first item" 'test "$(focused "$input")" = Notepad'
shot=$(e2e_screenshot dock_focus) || e2e_fail "no screenshot"
echo "screenshot: $shot"
xdotool key Right
wait_for "Right did not move the focus past the separator" 'test "$(focused "$input")" = Registry'
xdotool key Escape
wait_for "Escape did not give the keyboard back to notepad" 'test "$(kdrv foreground)" = "$note"'
test -z "$(focused "$input")" || e2e_fail "the focus stayed on the dock after Escape"

# The focus comes back where it was; Enter starts the program.
xdotool key ctrl+F8
wait_for "the reader hears no focus on the item last focused" 'test "$(focused "$input")" = Registry'
xdotool key Return
wait_for "Enter did not start the focused item's program" 'kdrv find RegEdit_RegEdit - 500 >/dev/null'

# The menu bar, with regedit in front: the logo first, its menu opened and closed from
# the keyboard.
regedit=$(kdrv find RegEdit_RegEdit - 2000)
# Asked for explicitly: Wine hands the X focus to a newly started program late, and takes
# the keyboard back to it from whatever took it meanwhile.
wait_for "regedit did not come to the front" 'kdrv activate "$regedit" >/dev/null; test "$(kdrv foreground)" = "$regedit"'
# Its titles first: under load they can come a second late, and Right taken before them
# goes past the name to the status items.
wait_for "the bar shows no titles of regedit" 'kdrv acc-tree "$bar" | awk -F"\t" "\$2 == \"Favorites\"" | grep -q .'
xdotool key ctrl+F9
wait_for "the reader hears no focus on the logo" 'test "$(focused "$bar")" = "System menu"'
test "$(kdrv foreground)" = "$regedit" || e2e_fail "the bar's hotkey took regedit's place in front"
shot=$(e2e_screenshot bar_focus) || e2e_fail "no screenshot"
echo "screenshot: $shot"
xdotool key Return
kdrv find VarloChildApp - 5000 >/dev/null || e2e_fail "Enter on the logo opened no menu"
xdotool key Escape
kdrv gone VarloChildApp - 3000 >/dev/null || e2e_fail "Escape did not close the logo's menu"
test "$(focused "$bar")" = "System menu" || e2e_fail "the focus left the logo when its menu closed"
xdotool key Right
wait_for "Right did not move the bar's focus to the application's first title" 'test "$(focused "$bar")" = Registry'
xdotool key Escape
wait_for "Escape did not end the bar's turn with the keyboard" 'test -z "$(focused "$bar")"'
test "$(kdrv foreground)" = "$regedit" || e2e_fail "regedit is no longer in front"

e2e_end
