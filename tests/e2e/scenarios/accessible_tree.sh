# What a screen reader reads of the dock and the menu bar of a first start, through
# Active Accessibility from another process: the dock's items by their labels in screen
# order, each inside the dock window, with the live values of the clock and the trash,
# and the menu bar's clock element, whose value is the time the bar shows, and its logo,
# pressed through the reader; then Launchpad,
# opened by the default action of its dock item, read the same way.
source "$(dirname "$0")/../lib.sh"
e2e_begin accessible_tree 1920x1080x24

# Lines of "kdriver acc-tree": "<depth> <role> <left> <top> <width> <height> <id>\t<name>\t<value>".
ROLE_SEPARATOR=21
ROLE_CLOCK=61

printf '[brisel]\r\nVarlo=1\r\n[findertime]\r\ntimefmt=HH:mm\r\n' >"$E2E_BASE/config.ini"
# Two entries of Launchpad's own pinned folder.
mkdir -p "$E2E_BASE/launchpad/Pinned"
kdrv shortcut 'C:\Kestrana\launchpad\Pinned\Notepad.lnk' 'C:\windows\notepad.exe' || e2e_fail "cannot make a shortcut"
kdrv shortcut 'C:\Kestrana\launchpad\Pinned\Registry.lnk' 'C:\windows\regedit.exe' || e2e_fail "cannot make a shortcut"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock input window"
render=$(kdrv find OndelAPPRend - 5000) || e2e_fail "no dock window"
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
sleep 1

dock=$(kdrv acc-tree "$input") || e2e_fail "the dock gave no accessible tree"
echo "dock:"; echo "$dock"
# The items under the dock, separators left out, in the order they come.
names=$(printf '%s\n' "$dock" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] != '$ROLE_SEPARATOR' { print $2 }' |
    paste -sd'|')
[ "$names" = "File Explorer|Launchpad|Calendar|Clock|Trash" ] || e2e_fail "the dock reads as '$names'"
# Screen order: left edges rise along the bottom dock, and every item lies in its window.
read -r l t r b < <(kdrv rect "$render")
printf '%s\n' "$dock" | awk -F'\t' -v l="$l" -v t="$t" -v r="$r" -v b="$b" '
    { split($1, f, " ") }
    f[1] == 1 {
        if (f[3] <= last) { print "out of order: " $0; bad = 1 }
        if (f[3] < l || f[4] < t || f[3] + f[5] > r || f[4] + f[6] > b || f[5] <= 0) { print "outside: " $0; bad = 1 }
        last = f[3]
    }
    END { exit bad }' || e2e_fail "the dock's items are not where the dock is ($l $t $r $b)"

# The clock item's value is the time its hands show, in the locale's short format.
dockclock=$(printf '%s\n' "$dock" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] == '$ROLE_CLOCK' { print $3 }')
case "$dockclock" in *":$(date +%M)"* | *":$(date -d '1 minute ago' +%M)"*) ;; *) e2e_fail "the dock's clock reads '$dockclock'" ;; esac
printf '%s\n' "$dock" | grep -q "	Trash	Empty$" || e2e_fail "the trash does not read as empty"

before=$(date +%H:%M)
menubar=$(kdrv acc-tree "$bar") || e2e_fail "the menu bar gave no accessible tree"
after=$(date +%H:%M)
echo "menu bar:"; echo "$menubar"
clock=$(printf '%s\n' "$menubar" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] == '$ROLE_CLOCK' { print f[3] "\t" $2 "\t" $3 }')
[ "$(printf '%s\n' "$clock" | grep -c .)" = 1 ] || e2e_fail "not one clock on the menu bar: '$clock'"
IFS=$'\t' read -r clockx clockname clockvalue <<<"$clock"
[ "$clockname" = Clock ] || e2e_fail "the clock is named '$clockname'"
[ "$clockvalue" = "$before" ] || [ "$clockvalue" = "$after" ] ||
    e2e_fail "the clock reads '$clockvalue' at $before..$after"
[ "$clockx" -gt 960 ] || e2e_fail "the clock is not on the bar's right side ($clockx)"
first=$(printf '%s\n' "$menubar" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 { print $2 " " f[7]; exit }')
[ "${first% *}" = "System menu" ] || e2e_fail "the bar does not start with its logo ('$first')"
# Pressing the logo through the reader opens its menu under it.
kdrv acc-do "$bar" "${first##* }" || e2e_fail "the reader could not press the logo"
menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "pressing the logo through the reader opened no menu"
read -r ml mt mr mb < <(kdrv rect "$menu")
[ "$mt" -eq 24 ] && [ "$ml" -le 20 ] || e2e_fail "the logo menu is not under the logo ($ml $mt)"
xdotool key Escape
kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 960 540 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
    e2e_fail "the logo menu did not close"

# The Launchpad item's default action, asked for through the reader, opens Launchpad,
# which reads as its search field and its first page with the pinned entries.
padid=$(printf '%s\n' "$dock" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 == "Launchpad" { print f[7] }')
kdrv acc-do "$input" "$padid" || e2e_fail "the reader could not press the Launchpad item ($padid)"
pad=$(kdrv find OndelLaunchpad - 10000) || e2e_fail "no Launchpad window"
e2e_wait_visible "$pad" || true
sleep 0.5
launchpad=$(kdrv acc-tree "$pad") || e2e_fail "Launchpad gave no accessible tree"
echo "Launchpad:"; echo "$launchpad"
printf '%s\n' "$launchpad" | grep -qE '^1 42 .*	Search	(	focused)?$' || e2e_fail "no empty search field in Launchpad"
printf '%s\n' "$launchpad" | grep -qE '^1 33 .*	Page 1	$' || e2e_fail "no first page in Launchpad"
entries=$(printf '%s\n' "$launchpad" | awk -F'\t' '{ split($1, f, " ") } f[1] == 2 && f[2] == 34 { print $2 }' | sort | paste -sd'|')
for entry in Notepad Registry; do
    case "|$entries|" in *"|$entry|"*) ;; *) e2e_fail "Launchpad's entries read as '$entries', without $entry" ;; esac
done
echo ok
