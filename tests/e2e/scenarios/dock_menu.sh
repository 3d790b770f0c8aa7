# The dock's right-click menus, with magnification on: an item's menu keeps a program
# that was only running, the background menu on a separator locks the items. The screens
# changing while an item's menu is open close the menu before the dock is made again.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_menu 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=96\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
e2e_launch 'C:\windows\regedit.exe' >/dev/null ||
    e2e_fail "regedit showed no window"
sleep 2 # its item grows in
read -r l t r b < <(kdrv rect "$input")
e2e_log "dock input area $l $t $r $b"
e2e_screenshot row >/dev/null || true

wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
menus() { kdrv windows OndelMenu | grep 'visible=1'; }
# Reads the file afresh at each try (a process substitution would be read once, so a
# save that came after the first try was never seen).
file_has() { # <pattern> <file>
    [ -f "$2" ] && e2e_text "$2" | grep -qi "$1"
}
menu_rect() { # <n>: the n-th visible menu window's left and top
    menus | sed -n "${1}p" | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/'
}
# Slots of 64 + 4 pixels from the row's left end: notepad, the running program beside it,
# the separator (half a slot), the trash.
y=$(( (t + b) / 2 + 8 ))
right_click_at() { # <x>
    xdotool mousemove "$1" "$y"
    sleep 0.5
    xdotool mousemove "$(($1 + 1))" "$y"
    sleep 0.4
    xdotool click 3
    wait_for "no menu opened" menus
}

# The running-only program: its menu, then Options, then Keep in Dock.
right_click_at $((l + 68 + 32))
sleep 0.3
e2e_screenshot item_menu >/dev/null || true
read -r mx my < <(menu_rect 1)
xdotool mousemove $((mx + 40)) $((my + 50)) # Options (window row, rule, Options)
wait_for "the options did not open" test "$(menus | wc -l)" -ge 2
sleep 0.3
e2e_screenshot options >/dev/null || true
read -r sx sy < <(menu_rect 2)
[ "$sx" = "$mx" ] && read -r sx sy < <(menu_rect 1)
xdotool mousemove $((sx + 40)) $((sy + 17))
sleep 0.2
xdotool click 1
wait_for "keep in dock did not write the item list" file_has regedit "$E2E_BASE/ico.ini"

# The separator's menu is the background menu with its own row: lock the items.
xdotool mousemove 960 300
sleep 1
right_click_at $((l + 2 * 68 + 16))
e2e_screenshot background_menu >/dev/null || true
read -r mx my < <(menu_rect 1)
xdotool mousemove $((mx + 40)) $((my + 5 + 4 * 24 + 9 + 24 + 12)) # after the taskbar row
sleep 0.2
xdotool click 1
wait_for "lock did not reach config.ini" file_has 'lockicon=1' "$E2E_BASE/config.ini"

# A display change (as the system sends it) while notepad's menu is open: the menu goes
# first, then the dock is made anew, and the program lives on.
xdotool mousemove 960 300
sleep 1
right_click_at $((l + 32))
kdrv post "$(kdrv find KESTRANA - 0)" 126 32 0 >/dev/null # WM_DISPLAYCHANGE
no_menu() { ! menus >/dev/null; }
wait_for "the menu stayed open after the screens changed" no_menu
new_dock() { local now; now=$(kdrv find OndelAPP - 0) && [ "$now" != "$input" ]; }
wait_for "the dock was not made again after the screens changed" new_dock
grep -q "the screens changed while a menu was open" "$E2E_BASE/Kestrana.log" ||
    e2e_fail "the dock was rebuilt under its open menu"
kill -0 "$E2E_KESTRANA" 2>/dev/null && kdrv find KESTRANA - 0 >/dev/null || e2e_fail "the program ended after the screens changed under a menu"
echo ok
