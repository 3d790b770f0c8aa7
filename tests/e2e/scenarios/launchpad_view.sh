# The Launchpad from the dock's item on a 1920 x 1080 screen: a click opens it full
# screen over the blurred desktop with icons, names and page dots (screenshot kept as
# launchpad_open.png); the wheel turns the page and back; typing "note" leaves Notepad
# alone and Enter starts it and hides the Launchpad; dragging an icon onto another makes
# a group, renamed in place, shown in a window of its own, where dragging a member reorders
# it; group and order are still there after a restart; the right button opens the menu,
# whose Sort rows rearrange the pages and whose Remove row asks in the Launchpad's own
# frame (Escape keeps the entry); 71 dropped files are refused in a notice of its
# own; Escape hides it, and so does another program coming to the front.
source "$(dirname "$0")/../lib.sh"
e2e_begin launchpad_view 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=launchpad|' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
# Without magnification the dock's items stay where the pointer is aimed.
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"

# The pinned folder: Notepad, and 40 more shortcuts so that there are two pages.
pinned='C:\Kestrana\launchpad\Pinned'
mkdir -p "$E2E_BASE/launchpad/Pinned"
kdrv shortcut "$pinned\\Notepad.lnk" 'C:\windows\notepad.exe' || e2e_fail "cannot make the Notepad shortcut"
kdrv shortcut "$pinned\\Registry.lnk" 'C:\windows\regedit.exe' || e2e_fail "cannot make a shortcut"
for i in $(seq -w 1 40); do cp "$E2E_BASE/launchpad/Pinned/Registry.lnk" "$E2E_BASE/launchpad/Pinned/Tool $i.lnk"; done

e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
click_launchpad_item() {
    read -r l t r b < <(kdrv rect "$input")
    x=$(( l + 32 ))
    y=$(( (t + b) / 2 + 8 ))
    xdotool mousemove "$x" "$y"
    sleep 0.4
    xdotool mousemove "$((x + 1))" "$y"
    sleep 0.2
    xdotool click 1
}
wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
pad_visible() { kdrv info "$pad" | grep -q 'visible=1'; }
pad_hidden() { ! pad_visible; }
page_is() { [ "$(kdrv prop "$pad" KestranaPadPage)" = "$1" ]; }

click_launchpad_item
pad=$(kdrv find OndelLaunchpad - 10000) || e2e_fail "the dock's item did not make the Launchpad"
wait_for "the Launchpad did not show" pad_visible
read -r l t r b < <(kdrv rect "$pad")
[ "$l $t $r $b" = "0 0 1920 1080" ] || e2e_fail "the Launchpad is not full screen: $l $t $r $b"
sleep 1.5 # the show effect, and the icons from the workers
shot=$(e2e_screenshot launchpad_open) || e2e_fail "no screenshot"
echo "screenshot: $shot"
grep -a 'launchpad' "$E2E_BASE"/*.log 2>/dev/null | tail -n 3

# The wheel: one notch towards the user turns to the second page, one away turns back.
xdotool mousemove 960 600
wait_for "still on the first page before the wheel" page_is 1
xdotool click 5
wait_for "the wheel did not turn to the second page" page_is 2
sleep 0.5
e2e_screenshot launchpad_page2 >/dev/null || true
xdotool click 4
wait_for "the wheel did not turn back" page_is 1
sleep 0.5

# Typing finds Notepad alone; Enter starts it and hides the Launchpad.
xdotool type --delay 80 note
wait_for "typing \"note\" did not leave one application" test "$(kdrv prop "$pad" KestranaPadHits)" = 1
e2e_screenshot launchpad_search >/dev/null || true
dock_before=$(kdrv rect "$input")
xdotool key Return
wait_for "Enter did not start Notepad" kdrv find Notepad - 200 >/dev/null
wait_for "the Launchpad did not hide after the start" pad_hidden
# Notepad's item joins the dock and moves its edge: aim at the Launchpad item afterwards.
dock_grew() { [ "$(kdrv rect "$input")" != "$dock_before" ]; }
wait_for "Notepad's item did not join the dock" dock_grew
dock_still() { local a; a=$(kdrv rect "$input"); sleep 0.3; [ "$a" = "$(kdrv rect "$input")" ]; }
wait_for "the dock did not settle" dock_still

# Drag the first icon onto the second: a group, renamed in place, saved.
click_launchpad_item
wait_for "the Launchpad did not show again" pad_visible
sleep 0.6
xdotool mousemove 291 136 mousedown 1
for x in 320 380 440 500 514; do xdotool mousemove "$x" 136; sleep 0.05; done
sleep 0.2
xdotool mouseup 1
sleep 0.4
xdotool type --delay 60 Tools
xdotool key Return
sleep 0.5
e2e_screenshot launchpad_group >/dev/null || true
catalogue=$E2E_BASE/padconfig.xml
catalogue_text() { iconv -f UTF-16 -t UTF-8 "$catalogue" 2>/dev/null; }
has_group() { catalogue_text | grep -q 'name="Tools"'; }
wait_for "the group was not saved" has_group

# The open group is a window of its own; its second member dragged onto the first cell
# goes first, and that is saved.
grp=$(kdrv find OndelLaunchpadgroup - 3000) || e2e_fail "no group window"
kdrv info "$grp" | grep -q 'visible=1' || e2e_fail "the group window is not shown"
read -r gl gt gr gb < <(kdrv rect "$grp")
first_member() { catalogue_text | grep -A1 'name="Tools"' | tail -n1; }
first_member | grep -q Registry || e2e_fail "unexpected group: $(catalogue_text | grep -A2 'name="Tools"')"
xdotool mousemove $((gl + 323)) $((gt + 132)) mousedown 1
for x in 300 250 200 150 100; do xdotool mousemove $((gl + x)) $((gt + 132)); sleep 0.05; done
sleep 0.2
xdotool mouseup 1
notepad_first() { first_member | grep -q Notepad; }
wait_for "reordering inside the group was not saved" notepad_first
e2e_screenshot launchpad_group_window >/dev/null || true
xdotool key Escape # closes the group
group_hidden() { kdrv info "$grp" | grep -q 'visible=0'; }
wait_for "Escape did not close the group's window" group_hidden
xdotool key Escape # hides
wait_for "Escape did not hide the Launchpad" pad_hidden

# After a restart the group is still there, with both entries.
timeout 20 wineserver -k >/dev/null 2>&1 || true
sleep 1
wineserver -f -p >>"$E2E_DIR/wineserver.log" 2>&1 &
e2e_track $!
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock after the restart"
sleep 1.5
click_launchpad_item
pad=$(kdrv find OndelLaunchpad - 10000) || e2e_fail "no Launchpad after the restart"
wait_for "the Launchpad did not show after the restart" pad_visible
sleep 1
e2e_screenshot launchpad_restarted >/dev/null || true
has_group || e2e_fail "the group did not survive the restart"
notepad_first || e2e_fail "the group's order did not survive the restart"
[ "$(catalogue_text | grep -o '<ico[0-9]* path=' | wc -l)" = 42 ] || e2e_fail "entries went missing: $(catalogue_text)"
# The right button on an icon opens the Launchpad's menu; Escape closes only the menu.
xdotool mousemove 514 136 click 3
kdrv find KestranaMenu - 5000 >/dev/null || e2e_fail "the right button opened no menu"
sleep 0.3
e2e_screenshot launchpad_menu >/dev/null || true
xdotool key Escape
wait_for "Escape did not close the menu" kdrv gone KestranaMenu - 200
pad_visible || e2e_fail "closing the menu hid the Launchpad"
# Removing asks in the Launchpad's own frame, not in a system message box; Escape keeps it.
xdotool mousemove 514 136 click 3
kdrv find KestranaMenu - 5000 >/dev/null || e2e_fail "the right button opened no menu for the removal"
sleep 0.3
xdotool key End Up Up Return # the Remove row
wait_for "the removal was not asked" grep -aq 'removal asked' "$E2E_BASE/Kestrana.log"
kdrv gone '#32770' - 0 || e2e_fail "the removal was asked in a system message box"
e2e_screenshot launchpad_remove_asked >/dev/null || true
xdotool key Escape
sleep 0.5
pad_visible || e2e_fail "Escape on the question hid the Launchpad"
grep -aq 'entry removed' "$E2E_BASE/Kestrana.log" && e2e_fail "Escape removed the entry"
# The background's menu: Sort by name puts the group after "Tool 40", on the second
# page; groups first brings it back to the first.
group_on() { [ "$(catalogue_text | awk '/<page/ {p = $1} /name="Tools"/ {print p}')" = "<page$1>" ]; }
sort_by() { # <keys to the row in the Sort submenu>
    xdotool mousemove 60 600 click 3
    kdrv find KestranaMenu - 5000 >/dev/null || e2e_fail "the right button on the background opened no menu"
    sleep 0.3
    xdotool key End Right "$@" Return
}
sort_by
wait_for "Sort by name did not move the group to the second page" group_on 2
sort_by Down
wait_for "Sort with groups first did not bring the group back" group_on 1
# 71 dropped files: the Launchpad says so in its own notice and adds none; a click takes
# the notice away and leaves the Launchpad.
mkdir -p "$WINEPREFIX/drive_c/many"
many=()
for i in $(seq 1 71); do
    : >"$WINEPREFIX/drive_c/many/f$i.txt"
    many+=("C:\\many\\f$i.txt")
done
timeout 30 wine 'C:\kdriver.exe' drop 960 900 "${many[@]}" >>"$E2E_DIR/launch.out" 2>>"$E2E_DIR/wine.log" ||
    e2e_fail "the Launchpad took no drop"
refused() { grep -aq 'dropped files refused: 71' "$E2E_BASE/Kestrana.log"; }
wait_for "71 dropped files were not refused" refused
sleep 0.3
e2e_screenshot launchpad_too_many >/dev/null || true
[ "$(ls "$E2E_BASE/launchpad/Pinned" | wc -l)" = 42 ] || e2e_fail "a refused drop added files"
xdotool mousemove 960 900 click 1
sleep 0.3
pad_visible || e2e_fail "the click on the notice hid the Launchpad"
xdotool key Escape
wait_for "Escape did not hide the Launchpad after the restart" pad_hidden

# Another program coming to the front sends the Launchpad away.
click_launchpad_item
wait_for "the Launchpad did not show once more" pad_visible
sleep 0.5
e2e_launch 'C:\windows\regedit.exe' >/dev/null ||
    e2e_fail "regedit showed no window"
wait_for "the Launchpad stayed when another program came to the front" pad_hidden

# Hidden for five seconds, it gives its full-screen pictures back.
given_back() { grep -aq 'pictures given back' "$E2E_BASE/Kestrana.log"; }
for i in $(seq 1 50); do given_back && break; sleep 0.2; done
given_back || e2e_fail "the hidden Launchpad kept its pictures"
grep -a 'pictures given back' "$E2E_BASE/Kestrana.log" | tail -n 1
echo ok
