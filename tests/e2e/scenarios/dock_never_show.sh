# "Never Show as Running" from a running program's item menu takes its item out of the
# dock at once, without waiting for another event of its window (another program stays
# in front), and writes the program into "blacklist".
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_never_show 1920x1080x24

printf '%s\r\n' '[ico1]' 'appname=explorer.exe' 'filepath=c:\windows\explorer.exe' \
    'realpath=c:\windows\explorer.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
e2e_launch 'C:\windows\regedit.exe' >/dev/null || e2e_fail "regedit showed no window"
# Another program in front: the excluded one's window sees no event of its own meanwhile.
e2e_launch 'C:\windows\notepad.exe' >/dev/null || e2e_fail "notepad showed no window"

item_at() { # the running program's item centre, from the dock's accessible tree
    kdrv acc-tree "$input" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 == "Registry Editor" { print f[3] + f[5] / 2, f[4] + f[6] / 2 }'
}
for _ in $(seq 1 50); do [ -n "$(item_at)" ] && break; sleep 0.2; done
read -r ix iy < <(item_at)
[ -n "${iy:-}" ] || e2e_fail "the running program got no item"
sleep 1.5 # it grows in

menus() { kdrv windows OndelMenu | grep 'visible=1' | awk '{ print $1 }'; }
wait_menus() { # <count>
    for _ in $(seq 1 40); do [ "$(menus | wc -l)" -ge "$1" ] && return 0; sleep 0.25; done
    return 1
}
row_id() { # <menu window> <name>
    kdrv acc-tree "$1" | awk -F'\t' -v n="$2" '{ split($1, f, " ") } f[1] == 1 && $2 == n { print f[7] }'
}
xdotool mousemove "$ix" "$iy"
sleep 0.4
xdotool click 3
wait_menus 1 || e2e_fail "the item's menu did not open"
sleep 0.3
menu=$(menus | head -n1)
options=$(row_id "$menu" "Options")
[ -n "$options" ] || e2e_fail "the item menu has no Options: $(kdrv acc-tree "$menu" | cut -f2 | paste -sd'|')"
kdrv acc-do "$menu" "$options" || e2e_fail "the reader could not open Options"
wait_menus 2 || e2e_fail "Options opened no sub-menu"
sub=$(menus | grep -vx "$menu" | head -n1)
never=$(row_id "$sub" "Never Show as Running")
[ -n "$never" ] || e2e_fail "Options has no Never Show as Running: $(kdrv acc-tree "$sub" | cut -f2 | paste -sd'|')"
kdrv acc-do "$sub" "$never" || e2e_fail "the reader could not choose Never Show as Running"
xdotool mousemove 960 300 # away from the dock: nothing else happens to the window
for _ in $(seq 1 25); do [ -z "$(item_at)" ] && break; sleep 0.2; done
[ -z "$(item_at)" ] || e2e_fail "the excluded program's item stayed in the dock"
e2e_text "$E2E_BASE/config.ini" | grep -qix 'regedit.exe=1' || e2e_fail "the program was not written into blacklist"
kdrv find RegEdit_RegEdit - 0 >/dev/null || e2e_fail "the program's window went too"
sleep 0.5
e2e_screenshot after >/dev/null
echo ok
