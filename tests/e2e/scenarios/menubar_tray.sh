# The tray item over the tray the bar hosts. Wine's taskbar has no notification toolbar,
# so the bar hosts a tray window of its own; a test program sends it the records the
# shell sends (copy-data with the tray's signature, 32-bit handle fields): its icons show
# in the bar in order, named by their tooltips, which show in the bar's tip; a modify
# renames one; clicks reach the owner as the icon's version wants them, and a hung owner
# gets none; a balloon shows in the bar's tip; the click companion delivers a click of
# its own; a chat program's pop-up is placed under its icon; a delete and an owner that
# ends take icons away; after a restart of the program the owner announces its icons
# again. Reading the taskbar's toolbar across processes cannot happen here (tested
# natively: Tray* in unit_menubar).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_tray 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\ntrayico_finder=1\r\n[finder]\r\ndarkmode=2\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
log=$E2E_BASE/Kestrana.log
for i in $(seq 1 50); do grep -q "tray source" "$log" 2>/dev/null && break; sleep 0.2; done
grep "tray source" "$log" | tail -n 1
grep -q "tray source: the bar hosts the tray" "$log" || e2e_fail "the log does not say that the bar hosts the tray"
echo "taskbar windows:"; kdrv windows Shell_TrayWnd

owner_log=$WINEPREFIX/drive_c/tray-owner.log
timeout 80 wine 'C:\kdriver.exe' tray-owner 'C:\tray-owner.log' 'C:\tray-stop' 75 '1:4:Sync status' '2:0:Backup' \
    >"$E2E_DIR/owner.out" 2>>"$E2E_DIR/wine.log" &
e2e_track $!
for i in $(seq 1 50); do [ -s "$E2E_DIR/owner.out" ] && break; sleep 0.2; done
owner=$(tr -d '\r' <"$E2E_DIR/owner.out")
echo "owner: $owner"
case "$owner" in '' | *unsent*) e2e_fail "the test program could not announce its icons" ;; esac

# Lines of "kdriver acc-tree": "<depth> <role> <left> <top> <width> <height> <id>\t<name>\t<value>".
icons() { # <tree>: the tray's icons, "<left> <top> <width> <height> <id>\t<name>", in order
    printf '%s\n' "$1" | awk -F'\t' '
        { split($1, f, " ") }
        f[1] == 1 { intray = ($2 == "Notification Area") }
        f[1] == 2 && intray { print f[3] " " f[4] " " f[5] " " f[6] " " f[7] "\t" $2 }'
}
names() { icons "$1" | cut -f2 | paste -sd'|'; }
wait_names() { # <expected "a|b"> <what>: until the tray reads so (10 s at most)
    local i tree
    for i in $(seq 1 25); do
        tree=$(kdrv acc-tree "$bar")
        [ "$(names "$tree")" = "$1" ] && { printf '%s\n' "$tree"; return 0; }
        sleep 0.2
    done
    echo "tray reads '$(names "$tree")'" >&2
    e2e_fail "$2"
}
tree=$(wait_names 'Sync status|Backup' "the icons are not on the bar in their order")
sleep 0.3
shot=$(e2e_screenshot tray_icons)
echo "screenshot: $shot"

tip() { # <tree> <name>
    icons "$1" | awk -F'\t' -v n="$2" '$2 == n { print $1 }'
}
# Resting on an icon shows its tooltip in the bar's own tip, under the item.
read -r l t w h _ <<<"$(tip "$tree" 'Backup')"
xdotool mousemove $((l + w / 2)) $((t + h / 2))
tipwin=$(kdrv find VarloTip - 5000) || e2e_fail "no tip came for an icon"
for i in $(seq 1 25); do kdrv info "$tipwin" | grep -q '^visible=1' && break; sleep 0.2; done
kdrv info "$tipwin" | grep -q '^visible=1' || e2e_fail "the icon's tip is not shown"
read -r tl tt tr tb < <(kdrv rect "$tipwin")
[ "$tt" -ge $((t + h)) ] || e2e_fail "the icon's tip is not under the bar"
e2e_screenshot tray_tip >/dev/null
xdotool mousemove 640 400

kdrv tray-send "$owner" modify 2 'Backup running' >/dev/null || e2e_fail "the tray refused a modify"
tree=$(wait_names 'Sync status|Backup running' "a modified tooltip did not rename its icon")

# A left click on the version-4 icon: down, up, select, each with the icon's id in the
# high word and the point in wParam; a right click on the older one: the plain messages.
click() { # <tree> <name> <button>
    local l t w h id
    read -r l t w h id <<<"$(tip "$1" "$2")"
    [ -n "$h" ] || e2e_fail "no place for '$2'"
    xdotool mousemove $((l + w / 2)) $((t + h / 2))
    sleep 0.3
    xdotool click "$3"
    echo "$((l + w / 2)) $((t + h / 2))"
}
read -r cx cy <<<"$(click "$tree" 'Sync status' 1)"
sleep 0.8 # beyond the double-click time: the next press is a click of its own
heard() { tr -d '\r' <"$owner_log"; } # the owner's log, written with CR LF
expect_low() { # <owner messages as "low/high"...>: they arrive in this order (5 s at most)
    local want=$* i got=
    for i in $(seq 1 25); do
        got=$(heard | awk '$1 != "announce" { printf "%d/%d ", $3 % 65536, int($3 / 65536) }')
        case " $got" in *" $want "*) return 0 ;; esac
        sleep 0.2
    done
    echo "owner heard: $got" >&2
    return 1
}
expect_low "513/1 514/1 1024/1" || e2e_fail "the left click did not reach the owner as down, up, select"
point=$(heard | awk '$1 != "announce" && $3 % 65536 == 513 { print $2; exit }')
echo "left click at $cx,$cy, wParam $point"
# The point is where the pointer was, on the screen (within the icon).
[ $((point % 65536)) -ge $((cx - 14)) ] && [ $((point % 65536)) -le $((cx + 14)) ] ||
    e2e_fail "the version-4 click does not carry the point ($point for $cx,$cy)"
click "$tree" 'Backup running' 3 >/dev/null
expect_low "512/0 516/0 517/0 123/0" || e2e_fail "the right click did not reach the older icon as move, down, up, menu"
heard | awk '$1 != "announce" && $3 == 516 { print $2 }' | grep -qx 2 || e2e_fail "the older icon's click does not carry its id"
# Two presses in quick succession are a double click: down, up, double, up, select.
read -r l t w h _ <<<"$(tip "$tree" 'Sync status')"
xdotool mousemove $((l + w / 2)) $((t + h / 2)) click --repeat 2 --delay 80 1
expect_low "513/1 514/1 515/1 514/1 1024/1" || e2e_fail "a double click did not reach the owner as one"
xdotool mousemove 640 400

# The click companion, as the bar starts it for owners it cannot reach: a left click on
# the version-4 icon (callback 32769, kind 0, version 4 in bits 20-23) at (300, 7).
e2e_wine 20 'C:\Kestrana\Pellor.exe' "$owner|$((32769 + (4 << 20)))|$((300 + 7 * 65536))|1" ||
    e2e_fail "the click companion could not deliver its click"
for i in $(seq 1 25); do heard | grep -q "^32769 $((300 + 7 * 65536)) $((514 + 65536))\$" && break; sleep 0.2; done
heard | grep -q "^32769 $((300 + 7 * 65536)) $((514 + 65536))\$" || e2e_fail "the companion's click did not reach the owner"

# A balloon shows in the bar's own tip, under the tray item, and goes by itself.
kdrv tray-send "$owner" balloon 2 'Backup finished' >/dev/null || e2e_fail "the tray refused a balloon"
tipwin=$(kdrv find VarloTip - 5000) || e2e_fail "no tip came for the balloon"
# The tip window may be the hover tip's, hidden since: the balloon shows in it shortly.
for i in $(seq 1 25); do kdrv info "$tipwin" | grep -q '^visible=1' && break; sleep 0.2; done
kdrv info "$tipwin" | grep -q '^visible=1' || e2e_fail "the balloon is not shown"
sleep 0.3
e2e_screenshot tray_balloon >/dev/null
for i in $(seq 1 50); do kdrv info "$tipwin" | grep -q '^visible=0' && break; sleep 0.2; done
kdrv info "$tipwin" | grep -q '^visible=0' || e2e_fail "the balloon stayed"

# An owner that hangs: the click is dropped and logged, the bar goes on.
before=$(heard | wc -l)
kdrv post "$owner" $((0x8002)) 4000 0 >/dev/null || e2e_fail "the owner could not be told to hang"
sleep 0.5
click "$tree" 'Sync status' 1 >/dev/null
for i in $(seq 1 25); do grep -q "does not answer" "$log" && break; sleep 0.2; done
grep -q "does not answer" "$log" || e2e_fail "a click on a hung owner's icon was not dropped"
xdotool mousemove 640 400
kdrv acc-tree "$bar" >/dev/null || e2e_fail "the bar stopped answering after a hung owner"
sleep 4
[ "$(heard | wc -l)" -eq "$before" ] || e2e_fail "the hung owner got messages after all: $(heard | tail -n +$((before + 1)) | paste -sd' ')"

# A chat program's unread-messages pop-up is placed under its icon when the pointer rests
# there (the test program runs under that program's name).
cp "$WINEPREFIX/drive_c/kdriver.exe" "$WINEPREFIX/drive_c/dingtalk.exe"
timeout 40 wine 'C:\dingtalk.exe' tray-owner 'C:\chat.log' 'C:\tray-stop' 35 popup=DingtalkMsgComming '5:4:Messages' \
    >"$E2E_DIR/chat.out" 2>>"$E2E_DIR/wine.log" &
e2e_track $!
tree=$(wait_names 'Sync status|Backup running|Messages' "the chat program's icon did not show")
read -r l t w h _ <<<"$(tip "$tree" 'Messages')"
xdotool mousemove $((l + w / 2)) $((t + h / 2))
popup=$(kdrv find DingtalkMsgComming - 5000) || e2e_fail "the chat program opened no pop-up"
for i in $(seq 1 25); do
    read -r pl pt pr pb < <(kdrv rect "$popup")
    [ "$pt" -eq $((t + h)) ] && break
    sleep 0.2
done
echo "pop-up at $pl $pt $pr $pb, icon at $l..$((l + w)) above $((t + h))"
[ "$pt" -eq $((t + h)) ] && [ $(((pl + pr) / 2 - (l + w / 2))) -le 2 ] && [ $(((l + w / 2) - (pl + pr) / 2)) -le 2 ] ||
    e2e_fail "the chat program's pop-up was not placed under its icon"
xdotool mousemove 640 400

kdrv tray-send "$owner" delete 2 >/dev/null || e2e_fail "the tray refused a delete"
tree=$(wait_names 'Sync status|Messages' "a deleted icon stayed on the bar")
# The first layout is understood; a size field between the layouts is refused and logged,
# and the bar goes on.
kdrv tray-send "$owner" add 9 'First layout' 152 >/dev/null || e2e_fail "the tray refused a record of the first layout"
wait_names 'Sync status|Messages|First layout' "the first layout's icon did not show" >/dev/null
kdrv tray-send "$owner" modify 9 'Liar' 500 >/dev/null && e2e_fail "a record whose size field lies was accepted"
grep -q "whose size field lies" "$log" || e2e_fail "the lying record was not logged"
kdrv tray-send "$owner" delete 9 >/dev/null || e2e_fail "the first layout's icon could not be deleted"
tree=$(wait_names 'Sync status|Messages' "the first layout's icon stayed")

# The cache is written, and a restart asks the owner to announce its icons again: the
# deleted one comes back, which the cache alone could not have done.
for i in $(seq 1 25); do [ -s "$E2E_BASE/cache.trayico" ] && break; sleep 0.2; done
[ -s "$E2E_BASE/cache.trayico" ] || e2e_fail "no tray cache was written"
e2e_quit_kestrana
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar after the restart"
tree=$(wait_names 'Sync status|Messages|Backup' "the icons were not announced again after the restart")
heard | grep -q '^announce' || e2e_fail "the owner did not hear TaskbarCreated"

# A taskbar that comes back, made above the hosted tray and announcing itself: the hosted
# tray takes its place on top again (logged once) and asks the programs for their icons
# again, so that they tell it rather than the newcomer alone.
announced=$(heard | grep -c '^announce')
back=$(kdrv taskbar-back 2) || e2e_fail "the returning taskbar could not be made"
echo "$back" | paste -sd' '
printf '%s\n' "$back" | grep -qx 'made first=mine' || e2e_fail "the returning taskbar was not found before the hosted tray"
printf '%s\n' "$back" | grep -qx 'first=other' || e2e_fail "the hosted tray did not take its place on top again"
grep -q "took its place on top again: a taskbar came back" "$log" || e2e_fail "taking the place back was not logged"
for i in $(seq 1 25); do [ "$(heard | grep -c '^announce')" -gt "$announced" ] && break; sleep 0.2; done
[ "$(heard | grep -c '^announce')" -gt "$announced" ] || e2e_fail "the programs were not asked for their icons again"

# An owner that ends without a word: its icons go at the next look.
touch "$WINEPREFIX/drive_c/tray-stop"
wait_names '' "the icons of an owner that ended stayed" >/dev/null
shot2=$(e2e_screenshot tray_gone)
grep -i "tray" "$log" | tail -n 8
echo "PASS menubar_tray"
