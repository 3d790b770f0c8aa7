# The Launchpad's search past one page and renaming from an entry's menu, on a 1920 x
# 1080 screen. "tool" finds 40 applications: the first 35 are shown with page dots
# (screenshot launchpad_search_page1.png), the wheel shows the other five
# (launchpad_search_page2.png), and the keyboard steps from one page of hits to the other.
# Notepad's menu offers the recent text file; its Rename row edits the name under the
# icon (launchpad_renaming.png), and Enter keeps it in the catalogue file and in
# padconfig.ini, where the search finds the entry by its new name.
source "$(dirname "$0")/../lib.sh"
e2e_begin launchpad_search_rename 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=launchpad|' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
# Without magnification the dock's items stay where the pointer is aimed.
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"

pinned='C:\Kestrana\launchpad\Pinned'
mkdir -p "$E2E_BASE/launchpad/Pinned"
kdrv shortcut "$pinned\\Notepad.lnk" 'C:\windows\notepad.exe' || e2e_fail "cannot make the Notepad shortcut"
kdrv shortcut "$pinned\\Registry.lnk" 'C:\windows\regedit.exe' || e2e_fail "cannot make a shortcut"
for i in $(seq -w 1 40); do cp "$E2E_BASE/launchpad/Pinned/Registry.lnk" "$E2E_BASE/launchpad/Pinned/Tool $i.lnk"; done

# A text file in the system's recent list, opened by Notepad: Wine knows the text file
# class but maps no extension to it, as Windows does.
e2e_wine 30 reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null || e2e_fail "no .txt association"
drive_c=$WINEPREFIX/drive_c
echo recent >"$drive_c/recent.txt"
recent=$(find "$drive_c/users" -maxdepth 6 -type d -path '*Microsoft/Windows/Recent' | head -1)
[ -n "$recent" ] || { recent="$(find "$drive_c/users" -maxdepth 4 -type d -path '*AppData/Roaming' | head -1)/Microsoft/Windows/Recent"; mkdir -p "$recent"; }
kdrv shortcut "Z:$(echo "$recent/recent.txt.lnk" | tr / '\\')" 'C:\recent.txt' >/dev/null || e2e_fail "no recent shortcut"

e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
read -r l t r b < <(kdrv rect "$input")
x=$(( l + 32 ))
y=$(( (t + b) / 2 + 8 ))
xdotool mousemove "$x" "$y"
sleep 0.4
xdotool mousemove "$((x + 1))" "$y"
sleep 0.2
xdotool click 1
pad=$(kdrv find OndelLaunchpad - 10000) || e2e_fail "the dock's item did not make the Launchpad"
pad_visible() { kdrv info "$pad" | grep -q 'visible=1'; }
wait_for "the Launchpad did not show" pad_visible
sleep 1.5 # the show effect, and the icons from the workers
hits_are() { [ "$(kdrv prop "$pad" KestranaPadHits)" = "$1" ]; }
result_page_is() { [ "$(kdrv prop "$pad" KestranaPadResultPage)" = "$1" ]; }

# 40 hits: two pages of them, the wheel and the keyboard go from one to the other.
xdotool mousemove 960 600
xdotool type --delay 80 tool
wait_for "typing \"tool\" did not find the 40 tools" hits_are 40
result_page_is 1 || e2e_fail "the hits do not start on their first page"
sleep 0.5
e2e_screenshot launchpad_search_page1 >/dev/null || true
xdotool click 5
wait_for "the wheel did not show the second page of hits" result_page_is 2
sleep 0.3
shot=$(e2e_screenshot launchpad_search_page2) || e2e_fail "no screenshot"
echo "screenshot: $shot"
xdotool key shift+Tab # off the page's first hit: back to the first page's last
wait_for "Shift+Tab did not step back to the first page of hits" result_page_is 1
xdotool key Tab
wait_for "Tab did not step on to the second page of hits" result_page_is 2
xdotool key Escape
wait_for "Escape did not clear the search" hits_are 0

# Rename from the first entry's menu (Notepad's, which lists the recent text file, read
# on a worker when the Launchpad showed): Rename sits just above Remove.
xdotool mousemove 291 136 click 3
kdrv find KestranaMenu - 5000 >/dev/null || e2e_fail "the right button opened no menu"
log=$E2E_BASE/Kestrana.log
grep -aq 'recent items of notepad.exe: 1' "$log" ||
    e2e_fail "Notepad's menu does not offer the recent text file ($(grep -a 'recent items' "$log" | tail -n 2))"
sleep 0.3
xdotool key End Up Up Up Return
sleep 0.3
xdotool type --delay 60 Editor
sleep 0.3
e2e_screenshot launchpad_renaming >/dev/null || true
xdotool key Return
renamed() { grep -aq 'entry renamed: Editor' "$log"; }
wait_for "the Rename row did not rename the entry" renamed
kdrv info "$pad" | grep -q 'visible=1' || e2e_fail "renaming hid the Launchpad"
sleep 0.3
e2e_screenshot launchpad_renamed >/dev/null || true
in_catalogue() { e2e_text "$E2E_BASE/padconfig.xml" | grep -q '>Editor<'; }
wait_for "the new name is not in the catalogue file" in_catalogue
e2e_text "$E2E_BASE/padconfig.ini" | grep -qi '^c:\\kestrana\\launchpad\\pinned\\.*=Editor$' ||
    e2e_fail "the new name is not in padconfig.ini: $(e2e_text "$E2E_BASE/padconfig.ini")"
xdotool type --delay 80 edit
wait_for "the renamed entry is not found by its new name" hits_are 1
xdotool key Escape Escape
echo ok
