# "Add Program..." in the dock's background menu: the system's open dialog comes up, the
# program typed into it becomes an item beside the place clicked, is saved, and is still
# on the dock after a restart. Its menu then lists the text file the system's recent list
# holds, since the system opens text files with it.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_add_program 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Files' 'appname=explorer.exe' 'filepath=c:\windows\explorer.exe' \
    'realpath=c:\windows\explorer.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5

items() { e2e_item_lines "$E2E_BASE/ico.ini"; }
wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what ($(items))"
}
menus() { kdrv windows OndelMenu | grep 'visible=1'; }
# Types <text> into the system dialog that comes up and presses Enter; $dialog holds it.
answer_dialog() { # <text> <screenshot name> <failure>
    dialog=$(kdrv find '#32770' - 15000) || e2e_fail "$3"
    read -r dl dt dr db < <(kdrv rect "$dialog")
    xdotool mousemove $(( (dl + dr) / 2 )) $(( (dt + db) / 2 ))
    kdrv activate "$dialog" >/dev/null || true
    sleep 0.5
    xdotool type --delay 20 "$1"
    sleep 0.3
    e2e_screenshot "$2" >/dev/null || true
    xdotool key Return
}
width() { kdrv rect "$input" | awk '{print $3 - $1}'; }
before=$(width)

# Slots of 64 + 4 pixels: the file manager, the separator (half a slot), the trash. The
# separator's menu is the background menu; its first row adds a program.
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 + 8 ))
xdotool mousemove $((l + 68 + 16)) "$y"
sleep 0.5
xdotool mousemove $((l + 68 + 17)) "$y"
sleep 0.4
xdotool click 3
wait_for "no menu opened" menus
read -r mx my < <(menus | head -1 | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
xdotool mousemove $((mx + 40)) $((my + 5 + 12))
sleep 0.2
xdotool click 1

answer_dialog 'C:\windows\notepad.exe' dialog "the open dialog did not come up"
kdrv gone '#32770' - 10000 >/dev/null || e2e_fail "the dialog did not close ($(kdrv edit-text "$dialog"))"

added() { items | grep -q 'appname=notepad.exe'; }
wait_for "the chosen program was not saved" added
# Beside the place clicked: after the separator, before the trash.
[ "$(items)" = 'appname=explorer.exe appname=notepad.exe appname=trash| ' ] ||
    e2e_fail "the program is not where it was asked for: $(items)"
sleep 1
grown=$(width)
[ "$grown" -gt "$before" ] || e2e_fail "the row did not grow ($before -> $grown)"
e2e_screenshot added >/dev/null || true

# After a restart the item is still there: the row keeps its length.
timeout 20 wineserver -k >/dev/null 2>&1 || true
sleep 1
wineserver -f -p >>"$E2E_DIR/wineserver.log" 2>&1 &
e2e_track $!
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock after the restart"
sleep 1.5
again=$(width)
[ "$again" = "$grown" ] || e2e_fail "the row changed over the restart ($grown -> $again)"
added || e2e_fail "the item list lost the program over the restart"
e2e_screenshot restarted >/dev/null || true

drive_c=$WINEPREFIX/drive_c
# Wine knows the text file class but maps no extension to it; Windows maps ".txt".
e2e_wine 30 reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null || e2e_fail "no .txt association"
echo recent >"$drive_c/recent.txt"
recent=$(find "$drive_c/users" -maxdepth 6 -type d -path '*Microsoft/Windows/Recent' | head -1)
[ -n "$recent" ] || { recent="$(find "$drive_c/users" -maxdepth 4 -type d -path '*AppData/Roaming' | head -1)/Microsoft/Windows/Recent"; mkdir -p "$recent"; }
kdrv shortcut "Z:$(echo "$recent/recent.txt.lnk" | tr / '\\')" 'C:\recent.txt' >/dev/null || e2e_fail "no recent shortcut"
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 + 8 ))
xdotool mousemove $((l + 68 + 34 + 32)) "$y" # notepad: the pointer's arrival reads the recent list
sleep 1
xdotool mousemove $((l + 68 + 34 + 33)) "$y"
sleep 0.4
xdotool click 3
wait_for "no menu for the program" menus
log=$drive_c/Kestrana/Kestrana.log
listed() { grep -aq 'dock menu: 1 recent items for notepad.exe' "$log"; }
listed || e2e_fail "the program's menu did not list the recent text file ($(grep -a 'recent items' "$log" | tail -1))"
read -r mx my < <(menus | head -1 | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
xdotool mousemove $((mx + 40)) $((my + 5 + 12))
sleep 0.5
e2e_screenshot recent_menu >/dev/null || true
# Choosing the file opens it with the program.
wait_for "the recent items did not open" test "$(menus | wc -l)" -ge 2
read -r sx sy < <(menus | sed -n 2p | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
[ "$sx" = "$mx" ] && read -r sx sy < <(menus | sed -n 1p | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
xdotool mousemove $((sx + 40)) $((sy + 5 + 12))
sleep 0.2
xdotool click 1
editor=$(kdrv find Notepad - 15000) || e2e_fail "choosing the recent file opened no editor"
opened() { kdrv edit-text "$editor" | grep -q recent; }
wait_for "the editor does not show the recent file" opened

# The file manager's menu lists every recent item, then its own entries.
xdotool mousemove $((l + 32)) "$y"
sleep 0.5
xdotool mousemove $((l + 33)) "$y"
sleep 0.4
xdotool click 3
wait_for "no menu for the file manager" menus
grep -aq 'dock menu: 1 recent items for explorer.exe' "$log" || e2e_fail "the file manager's menu lists no recent item"
sleep 0.3
e2e_screenshot file_manager_menu >/dev/null || true
# "Go to Folder..." (after the two sub-menus and a rule, and the new window row) asks for a
# folder and opens it in the file manager.
kdrv find ExplorerWClass - 0 >/dev/null && e2e_fail "a file manager window was open before"
read -r mx my < <(menus | head -1 | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
xdotool mousemove $((mx + 40)) $((my + 5 + 2 * 24 + 9 + 24 + 12))
sleep 0.2
xdotool click 1
answer_dialog 'C:\windows' folder_dialog "go to folder asked for nothing"
kdrv gone '#32770' - 10000 >/dev/null || e2e_fail "the folder dialog did not close"
browsing() { kdrv windows ExplorerWClass | grep -q 'visible=1'; }
wait_for "the chosen folder did not open" browsing
sleep 0.5
e2e_screenshot folder_opened >/dev/null || true
echo ok
