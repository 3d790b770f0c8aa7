# A folder pinned to the dock opens its stack: a click shows the grid (with the window
# property that names the stack), an item can be dragged out of it, then the fan and the
# list; the date order puts the newest file first; a large picture gets its thumbnail
# from a worker; a click on a file in the stack opens it; shown as a stack, the folder's
# dock icon piles its first items and piles them again when a file is added; with the
# locate-folder flag a click opens the folder itself; a file dropped onto the stack moves
# into the folder. The dock at rest looks the same after the grid and the fan closed.
# Last, the keyboard alone opens the stack from the dock, walks it and closes it.
source "$(dirname "$0")/../lib.sh"
e2e_begin folder_stack 1920x1080x24

folder=$WINEPREFIX/drive_c/stackdir
mkdir -p "$folder/Sub"
printf 'hello\r\n' >"$folder/notes.txt"
printf 'inside\r\n' >"$folder/Sub/inner.txt"
convert -size 48x48 xc:'#d03030' "$folder/photo.png"
# Noise does not compress: well over the 700 KB of a picture decoded at once.
convert -size 900x900 xc: +noise Random -quality 100 "$folder/big.jpg"
[ "$(stat -c %s "$folder/big.jpg")" -gt 716800 ] || e2e_fail "the large picture is not large"
# Newest first by date: notes, photo, big, Sub.
touch -d '-3 hours' "$folder/Sub"
touch -d '-2 hours' "$folder/big.jpg"
touch -d '-1 hours' "$folder/photo.png"

printf '%s\r\n' '[ico1]' 'tag=Stack' 'appname=stackdir' 'filepath=c:\stackdir' 'realpath=c:\stackdir' \
    '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
# Windows links text files to Notepad; this Wine's registry lacks the link.
timeout 30 wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>>"$E2E_DIR/wine.log"
log=$E2E_BASE/Kestrana.log
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
e2e_rest_mark start

click_item() {
    read -r l t r b < <(kdrv rect "$input")
    x=$(( l + 32 ))
    y=$(( (t + b) / 2 + 8 ))
    xdotool mousemove "$x" "$y"
    sleep 0.3
    xdotool mousemove "$((x + 1))" "$y" click 1
}
# Opens the stack and waits for it; prints its window.
open_stack() {
    click_item
    local stack
    stack=$(kdrv find OndelStackWindow - 10000) || e2e_fail "a click on the folder item showed no stack"
    sleep 0.6 # the opening animation and the pictures
    echo "$stack"
}
close_stack() {
    xdotool key Escape
    kdrv gone OndelStackWindow - 5000 || e2e_fail "Escape did not close the stack"
}
last_order() { grep 'folder stack' "$log" | grep 'items:' | tail -n1 | sed 's/.*items: //' | tr -d '\r'; }

stack=$(open_stack)
[ "$(kdrv prop "$stack" OndelStack)" != 0 ] || e2e_fail "the stack's window has no OndelStack property"
e2e_screenshot grid >/dev/null
grep -q 'thumbnail of big.jpg: 64x64' "$log" || {
    sleep 2
    grep -q 'thumbnail of big.jpg: 64x64' "$log" || e2e_fail "the large picture got no thumbnail"
}
# Dragging the first item out of the stack runs the drag and comes back; the stack stays.
read -r sl st sr sb < <(kdrv rect "$stack")
xdotool mousemove "$((sl + 64))" "$((st + 80))" mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove "$((sl + 64 - step * 40))" "$((st + 80 - step * 40))"; sleep 0.1; done
xdotool mouseup 1
for i in $(seq 1 25); do grep -q 'folder stack: drag\|folder stack: dragged out' "$log" && break; sleep 0.2; done
grep -q 'folder stack: drag\|folder stack: dragged out' "$log" || e2e_fail "dragging an item out did not end"
kdrv find OndelStackWindow - 1000 >/dev/null || e2e_fail "the stack closed during the drag"
# A click on the folder item closes its open stack.
click_item
kdrv gone OndelStackWindow - 5000 || e2e_fail "a click on the folder item did not close its stack"
[ "$(kdrv prop "$stack" OndelStack 2>/dev/null || echo 0)" = 0 ] || e2e_fail "the property outlived the window"
e2e_rest_check grid

kdrv ini 'C:\Kestrana\config.ini' foldereffect 'c:\stackdir' 2 || e2e_fail "could not choose the fan"
open_stack >/dev/null
e2e_screenshot fan >/dev/null
close_stack
e2e_rest_check fan

# Date order, then the list: a click on the newest file opens it.
kdrv ini 'C:\Kestrana\config.ini' foldersortorder 'c:\stackdir' 3
kdrv ini 'C:\Kestrana\config.ini' foldereffect 'c:\stackdir' 3
stack=$(open_stack)
e2e_screenshot list >/dev/null
order=$(last_order)
[ "$order" = 'notes.txt|photo.png|big.jpg|Sub' ] || e2e_fail "date order gave: $order"
read -r sl st sr sb < <(kdrv rect "$stack")
# Rows of 40 pixels under a title row of 40: the sub-folder, last, opens inside the stack
# with a back button at the title's left end.
xdotool mousemove "$((sl + 120))" "$((st + 180))"
sleep 0.3
xdotool click 1
for i in $(seq 1 25); do last_order | grep -qx 'inner.txt' && break; sleep 0.2; done
[ "$(last_order)" = 'inner.txt' ] || e2e_fail "the sub-folder did not open inside the stack"
sleep 0.4
e2e_screenshot nested >/dev/null
read -r sl st sr sb < <(kdrv rect "$stack") # the stack fits its new content
xdotool mousemove "$((sl + 28))" "$((st + 20))"
sleep 0.3
xdotool click 1
sleep 0.4
e2e_screenshot back >/dev/null
# Back in the folder: the first row is the newest file.
read -r sl st sr sb < <(kdrv rect "$stack")
[ $((sb - st)) -gt 200 ] || e2e_fail "the back button did not bring the folder's four rows back"
xdotool mousemove "$((sl + 120))" "$((st + 60))"
sleep 0.3
xdotool click 1
for i in $(seq 1 50); do kdrv windows | grep -qi 'notes' && break; sleep 0.2; done
kdrv windows | grep -qi 'notes' || e2e_fail "a click on notes.txt did not open it"
kdrv gone OndelStackWindow - 5000 || e2e_fail "the stack stayed open after opening an item"

# Shown as a stack, the dock icon piles the folder's first items, and a file added to the
# folder makes it pile them again.
piles() { grep -c 'pile made for c:\\stackdir' "$log"; }
kdrv ini 'C:\Kestrana\config.ini' stack 'c:\stackdir' 1
for i in $(seq 1 50); do [ "$(piles)" -ge 1 ] && break; sleep 0.2; done
[ "$(piles)" -ge 1 ] || e2e_fail "no pile for the folder shown as a stack"
before=$(piles)
sleep 0.5
convert -size 48x48 xc:'#30a040' "$folder/added.png"
for i in $(seq 1 50); do [ "$(piles)" -gt "$before" ] && break; sleep 0.2; done
[ "$(piles)" -gt "$before" ] || e2e_fail "adding a file did not make the pile again"
sleep 0.5
e2e_screenshot pile >/dev/null
# With the locate-folder flag the item stands for the folder itself: a click opens it in
# the file manager and no stack.
kdrv ini 'C:\Kestrana\config.ini' foldersortorder 'c:\stackdir' 103
kdrv find ExplorerWClass - 0 >/dev/null && e2e_fail "a file manager window was open before"
click_item
kdrv find ExplorerWClass - 10000 >/dev/null || e2e_fail "with the locate-folder flag the folder did not open"
kdrv find OndelStackWindow - 500 >/dev/null && e2e_fail "with the locate-folder flag a stack opened"
# A file dropped onto the stack moves into the folder, and the stack shows it.
kdrv ini 'C:\Kestrana\config.ini' foldersortorder 'c:\stackdir' 0
stack=$(open_stack)
printf 'dropped\r\n' >"$WINEPREFIX/drive_c/dropme.txt"
read -r sl st sr sb < <(kdrv rect "$stack")
xdotool mousemove "$(((sl + sr) / 2))" "$(((st + sb) / 2))"
sleep 0.3
kdrv drop-file 'C:\dropme.txt' >/dev/null || e2e_fail "the stack refused a dropped file"
for i in $(seq 1 25); do [ -f "$folder/dropme.txt" ] && break; sleep 0.2; done
[ -f "$folder/dropme.txt" ] && [ ! -f "$WINEPREFIX/drive_c/dropme.txt" ] || e2e_fail "the dropped file did not move into the folder"
for i in $(seq 1 25); do last_order | grep -q 'dropme.txt' && break; sleep 0.2; done
last_order | grep -q 'dropme.txt' || e2e_fail "the stack did not show the dropped file"
click_item
kdrv gone OndelStackWindow - 5000 || e2e_fail "a click on the folder item did not close its stack"

# From the keyboard alone: the dock's focus hotkey (Ctrl+F8) and Enter open the stack on
# its first item; the arrows walk the list (a reader hears each item), Enter on the
# sub-folder opens it inside the stack, Escape closes the stack.
focused() { kdrv acc-tree "$1" | awk -F'\t' '$NF == "focused" { print $2 }'; }
xdotool mousemove 960 300
xdotool key ctrl+F8
for i in $(seq 1 50); do [ "$(kdrv foreground)" = "$input" ] && break; sleep 0.2; done
[ "$(kdrv foreground)" = "$input" ] || e2e_fail "the dock's hotkey did not give it the keyboard"
xdotool key Return
stack=$(kdrv find OndelStackWindow - 10000) || e2e_fail "Enter on the focused folder item showed no stack"
for i in $(seq 1 50); do [ "$(kdrv foreground)" = "$stack" ] && break; sleep 0.2; done
[ "$(kdrv foreground)" = "$stack" ] || e2e_fail "the stack opened from the keyboard does not have it"
sleep 0.6
heard=()
for step in $(seq 1 8); do
    before=$(focused "$stack")
    xdotool key Down
    for i in $(seq 1 25); do now=$(focused "$stack"); [ -n "$now" ] && [ "$now" != "$before" ] && break; sleep 0.2; done
    [ -n "$now" ] && [ "$now" != "$before" ] || e2e_fail "Down did not move the stack's focus (still '$before')"
    heard+=("$now")
    [ "$now" = Sub ] && break
done
echo "the reader heard: ${heard[*]}"
[ "$now" = Sub ] || e2e_fail "the arrows never reached the sub-folder: ${heard[*]}"
e2e_screenshot keyboard_focus >/dev/null
xdotool key Return
for i in $(seq 1 25); do last_order | grep -qx 'inner.txt' && break; sleep 0.2; done
[ "$(last_order)" = 'inner.txt' ] || e2e_fail "Enter on the sub-folder did not open it inside the stack"
xdotool key Escape
kdrv gone OndelStackWindow - 5000 || e2e_fail "Escape did not close the stack opened from the keyboard"
grep 'first frame' "$log" | sed 's/.*first frame/first frame/' | tr -d '\r' >&2
echo ok
