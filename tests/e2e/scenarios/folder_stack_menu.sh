# A folder item's menu on a dock at the left edge, where a fan cannot be drawn: with the
# fan chosen, the menu ticks the list the stack shows; "Stack" from the menu piles the
# folder's items on its dock icon.
source "$(dirname "$0")/../lib.sh"
e2e_begin folder_stack_menu 1920x1080x24

folder=$WINEPREFIX/drive_c/stackdir
mkdir -p "$folder"
convert -size 48x48 xc:'#d03030' "$folder/red.png"
convert -size 48x48 xc:'#3050d0' "$folder/blue.png"
printf '%s\r\n' '[ico1]' 'tag=Stack' 'appname=stackdir' 'filepath=c:\stackdir' 'realpath=c:\stackdir' \
    '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\nscreenposition=1\r\n[foldereffect]\r\nc:\\stackdir=2\r\n' \
    >"$E2E_BASE/config.ini"
log=$E2E_BASE/Kestrana.log
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
read -r l t r b < <(kdrv rect "$input")
[ "$l" -eq 0 ] || e2e_fail "the dock does not stand on the left edge ($l $t $r $b)"

# The folder item's centre, from the dock's accessible tree.
read -r ix iy < <(kdrv acc-tree "$input" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 == "Stack" { print f[3] + f[5] / 2, f[4] + f[6] / 2 }')
[ -n "$iy" ] || e2e_fail "the dock has no folder item"

menus() { kdrv windows OndelMenu | grep 'visible=1' | awk '{ print $1 }'; }
wait_menus() { # <count>
    for _ in $(seq 1 40); do [ "$(menus | wc -l)" -ge "$1" ] && return 0; sleep 0.25; done
    return 1
}
row_id() { # <menu window> <name>: the row's child id
    kdrv acc-tree "$1" | awk -F'\t' -v n="$2" '{ split($1, f, " ") } f[1] == 1 && $2 == n { print f[7] }'
}
ticked() { # <menu window>: the names of the ticked rows
    kdrv acc-tree "$1" checked | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $4 == "checked" { print $2 }' | paste -sd'|'
}
open_menu() {
    xdotool mousemove "$ix" "$iy"
    sleep 0.4
    xdotool click 3
    wait_menus 1 || e2e_fail "the folder item's menu did not open"
    sleep 0.3
}

open_menu
menu=$(menus | head -n1)
echo "menu: $(kdrv acc-tree "$menu" | cut -f2 | paste -sd'|')"
view=$(row_id "$menu" "View Content as")
[ -n "$view" ] || e2e_fail "the menu has no layout entry"
kdrv acc-do "$menu" "$view" || e2e_fail "the reader could not open the layout entry"
wait_menus 2 || e2e_fail "the layout entry opened no sub-menu"
sub=$(menus | grep -vx "$menu" | head -n1)
marks=$(ticked "$sub")
echo "layouts ticked: $marks"
e2e_screenshot menu >/dev/null
[ "$marks" = "List" ] || e2e_fail "with the fan chosen beside a left dock the menu ticks '$marks', not the list drawn"
xdotool key Escape
sleep 0.3
xdotool key Escape
for _ in $(seq 1 20); do [ -z "$(menus)" ] && break; sleep 0.25; done

# The list is what a click shows.
xdotool mousemove "$ix" "$iy"
sleep 0.3
xdotool click 1
kdrv find OndelStackWindow - 10000 >/dev/null || e2e_fail "a click on the folder item showed no stack"
sleep 0.6
e2e_screenshot list >/dev/null
xdotool key Escape
kdrv gone OndelStackWindow - 5000 || e2e_fail "Escape did not close the stack"

# "Stack" from the menu: the pile follows the command.
open_menu
menu=$(menus | head -n1)
stack=$(row_id "$menu" "Stack")
[ -n "$stack" ] || e2e_fail "the menu has no Stack entry"
kdrv acc-do "$menu" "$stack" || e2e_fail "the reader could not choose Stack"
piled() { grep -q 'pile made for c:\\stackdir' "$log"; }
for _ in $(seq 1 50); do piled && break; sleep 0.2; done
piled || e2e_fail "choosing Stack made no pile"
e2e_text "$E2E_BASE/config.ini" | grep -qx 'c:\\stackdir=1' || e2e_fail "Stack was not written"
sleep 0.5
e2e_screenshot pile >/dev/null
echo ok
