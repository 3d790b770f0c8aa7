# Files dropped on the dock from another program (the driver drags them with OLE): one
# beside an icon opens a gap while it hovers, then becomes an item and is saved; one on the
# trash goes to the recycle bin, and emptying the trash asks in the dock's own window
# first; one on a folder item moves into that folder. Afterwards the dock looks as a
# fresh start draws it.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_drop 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' \
    '[ico4]' 'tag=Box' 'appname=box' 'filepath=c:\box' 'realpath=c:\box' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n[stack]\r\nc:\\box=1\r\n' >"$E2E_BASE/config.ini"
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/drops" "$drive_c/box"
echo notes >"$drive_c/drops/notes.txt"
echo waste >"$drive_c/drops/waste.txt"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 + 8 ))
items() { e2e_item_lines "$E2E_BASE/ico.ini"; }
wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what ($(items))"
}

# Slots of 64 + 4 pixels: notepad, separator (half), trash, box. On notepad's right edge
# the file lands after it; while the driver holds it there, a gap opens.
kdrv drop $((l + 60)) "$y" 'C:\drops\notes.txt' >"$E2E_DIR/drop1.txt" 2>&1 &
dropper=$!
sleep 0.5
e2e_screenshot gap >/dev/null || true
wait "$dropper" || e2e_fail "the dock refused the file ($(cat "$E2E_DIR/drop1.txt"))"
log=$WINEPREFIX/drive_c/Kestrana/Kestrana.log
grep -aq 'dock drop: gap at entry 4' "$log" || e2e_fail "no gap opened after notepad"
added() { items | grep -q 'appname=notes.txt'; }
wait_for "the dropped file did not become an item" added
sleep 0.5
e2e_screenshot added >/dev/null || true

# Slots now: notepad, notes, separator, trash; the row is centred again.
read -r l t r b < <(kdrv rect "$input")
kdrv drop $((l + 2 * 68 + 34 + 32)) "$y" 'C:\drops\waste.txt' >&2 || e2e_fail "the trash refused the file"
moved() { [ ! -e "$drive_c/drops/waste.txt" ]; }
wait_for "the file dropped on the trash is still there" moved
full() { grep -aq 'trash: full' "$log"; }
wait_for "the trash did not turn full" full

# Slots: notepad, notes, separator, trash, box. The middle of the folder's icon takes the
# file into the folder, on the same drive a move; the folder, shown as a stack, piles its
# items again.
piles() { grep -ac 'pile made for c:\\box' "$log"; }
piled() { [ "$(piles)" -ge 1 ]; }
wait_for "no pile for the folder shown as a stack" piled
before=$(piles)
echo boxed >"$drive_c/drops/boxed.txt"
read -r l t r b < <(kdrv rect "$input")
kdrv drop $((l + 3 * 68 + 34 + 32)) "$y" 'C:\drops\boxed.txt' >&2 || e2e_fail "the folder refused the file"
boxed() { [ -e "$drive_c/box/boxed.txt" ] && [ ! -e "$drive_c/drops/boxed.txt" ]; }
wait_for "the file dropped on the folder did not move into it" boxed
items | grep -q 'boxed' && e2e_fail "the file dropped on the folder became an item"
stacked() { [ "$(piles)" -gt "$before" ]; }
wait_for "the folder's pile did not follow the drop" stacked
sleep 0.5
e2e_screenshot boxed >/dev/null || true

# A double click on the full trash asks first, in the program's prompt; a screen reader
# reads the question and the buttons, and Enter (on Confirm, which has the focus) empties
# the recycle bin.
xdotool mousemove $((l + 2 * 68 + 34 + 32)) "$y"
sleep 0.4
xdotool click --repeat 2 --delay 120 1
prompt=$(kdrv find OndelPrompt - 5000) || e2e_fail "emptying the trash did not ask"
sleep 0.4
e2e_screenshot prompt >/dev/null || true
tree=$(kdrv acc-tree "$prompt")
echo "$tree" | head -8
echo "$tree" | grep -q "Are you sure" || e2e_fail "the prompt's question is not read"
echo "$tree" | grep "Empty Trash" | grep -q -i "focused" || e2e_fail "Confirm does not hold the keyboard focus"
kdrv activate "$prompt" >/dev/null || true
xdotool key Tab Tab # round the buttons and back to Confirm
sleep 0.2
kdrv acc-tree "$prompt" | grep "Empty Trash" | grep -q -i "focused" || e2e_fail "Tab did not come round to Confirm"
xdotool key Return
kdrv gone OndelPrompt - 3000 >/dev/null || e2e_fail "the prompt stayed after Enter"
empty() { grep -aq 'trash: empty' "$log"; }
wait_for "the trash was not emptied" empty

# A file named by a path that may wait on the network (a device path here) is read on a
# worker, and still becomes an item.
echo far >"$drive_c/drops/far.txt"
kdrv drop $((l + 60)) "$y" '\\.\C:\drops\far.txt' >&2 || e2e_fail "the dock refused the device path"
far() { items | grep -q 'appname=far.txt'; }
wait_for "the file read on a worker did not become an item" far
grep -aq 'dock drop: read on a worker: 1 files' "$log" || e2e_fail "the device path was read on this thread"

# After all these drops the dock is drawn as a fresh start draws the same items.
e2e_rest_mark drops
e2e_quit_kestrana
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock after the restart"
sleep 1.5
e2e_rest_check restarted
echo ok
