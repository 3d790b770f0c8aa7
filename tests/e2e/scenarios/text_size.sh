# "Make text bigger" at 200 %: the menu bar grows around its bigger texts (24 pixels at
# the normal size, 38 here), Launchpad's search field and names are drawn larger with
# the rows kept apart (screenshot kept as launchpad_text.png, the search field's height
# read through the reader), and a folder stack's names grow with their rows (screenshot
# stack_text.png).
source "$(dirname "$0")/../lib.sh"
e2e_begin text_size 1920x1080x24

# Where Windows keeps the setting; read by the program as it starts.
timeout 30 wine reg add 'HKCU\Software\Microsoft\Accessibility' /v TextScaleFactor /t REG_DWORD /d 200 /f \
    >/dev/null 2>>"$E2E_DIR/wine.log" || e2e_fail "cannot set the text size"

folder=$WINEPREFIX/drive_c/stackdir
mkdir -p "$folder/Sub"
for name in notes letter budget; do printf 'hello\r\n' >"$folder/$name.txt"; done
mkdir -p "$E2E_BASE/launchpad/Pinned"
kdrv shortcut 'C:\Kestrana\launchpad\Pinned\Notepad.lnk' 'C:\windows\notepad.exe' || e2e_fail "cannot make a shortcut"
kdrv shortcut 'C:\Kestrana\launchpad\Pinned\Registry Editor.lnk' 'C:\windows\regedit.exe' || e2e_fail "cannot make a shortcut"
printf '%s\r\n' '[ico1]' 'tag=Stack' 'appname=stackdir' 'filepath=c:\stackdir' 'realpath=c:\stackdir' \
    '[ico2]' 'appname=launchpad|' '[ico3]' 'delimiter=1' '[ico4]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '%s\r\n' '[brisel]' 'Varlo=1' '[normal]' 'detaillog=1' 'defaultsize=64' 'maxsize=64' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar"
sleep 1.5

read -r l t r b < <(kdrv rect "$bar")
echo "menu bar: $l $t $r $b"
[ $((b - t)) -eq 38 ] || e2e_fail "the menu bar is $((b - t)) pixels high with the text at 200 %, not 38"

click_item() { # <index from 0>: the dock's item, 64 pixels each
    read -r l t r b < <(kdrv rect "$input")
    local x=$(( l + 32 + 64 * $1 )) y=$(( (t + b) / 2 + 8 ))
    xdotool mousemove "$x" "$y"
    sleep 0.3
    xdotool mousemove "$((x + 1))" "$y" click 1
}

click_item 1
pad=$(kdrv find OndelLaunchpad - 10000) || e2e_fail "the dock's item did not make the Launchpad"
e2e_wait_visible "$pad" || true
sleep 1.5
shot=$(e2e_screenshot launchpad_text) || e2e_fail "no screenshot"
echo "screenshot: $shot"
# "<depth> <role> <left> <top> <width> <height> <id>\t<name>..." of the search field.
search=$(kdrv acc-tree "$pad" | awk -F'\t' '{ split($1, f, " ") } f[2] == 42 { print f[6] }')
echo "search field height: $search"
[ -n "$search" ] && [ "$search" -ge 40 ] || e2e_fail "the search field did not grow with the text ($search)"
xdotool key Escape
sleep 1

click_item 0
stack=$(kdrv find OndelStackWindow - 10000) || e2e_fail "a click on the folder item showed no stack"
sleep 1
shot=$(e2e_screenshot stack_text) || e2e_fail "no screenshot"
echo "screenshot: $shot"
xdotool key Escape
kdrv gone OndelStackWindow - 5000 || e2e_fail "Escape did not close the stack"
echo ok
