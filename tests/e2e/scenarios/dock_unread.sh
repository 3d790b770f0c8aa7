# Unread messages of a chat program mark its dock item. A test program run as
# "dingtalk.exe" puts an icon in the tray the bar hosts, with a count in its tooltip,
# flashes it, and opens its unread-messages pop-up when the pointer rests on the icon; the
# program is set for message counts, so while either lasts its dock item shows the mark
# with the count, and a screen reader reads it as the item's value. Another program's item gets none; the mark goes with
# the program.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_unread 1280x800x24

cp "$WINEPREFIX/drive_c/kdriver.exe" "$WINEPREFIX/drive_c/dingtalk.exe"
printf '%s\r\n' '[ico1]' 'appname=dingtalk.exe' 'filepath=c:\dingtalk.exe' 'realpath=c:\dingtalk.exe' 'tag=Chat' \
    '[ico2]' 'appname=regedit.exe' 'filepath=c:\windows\regedit.exe' 'realpath=c:\windows\regedit.exe' 'tag=Registry' \
    >"$E2E_BASE/ico.ini"
printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\ntrayico_finder=1\r\ndefaultsize=64\r\nmaxsize=64\r\n[MsgTips]\r\ndingtalk.exe=1\r\n' \
    >"$E2E_BASE/config.ini"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
dock=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
log=$E2E_BASE/Kestrana.log

timeout 60 wine 'C:\dingtalk.exe' tray-owner 'C:\chat.log' 'C:\tray-stop' 55 popup=DingtalkMsgComming '5:4:Messages (3)' \
    >"$E2E_DIR/chat.out" 2>>"$E2E_DIR/wine.log" &
e2e_track $!

value_of() { # <dock item name>: its value as a screen reader reads it
    kdrv acc-tree "$dock" | awk -F'\t' -v n="$1" '{ split($1, f, " ") } f[1] == 1 && $2 == n { print $3 }'
}
tray_icon() { # the chat icon's place in the bar: "<left> <top> <width> <height>"
    kdrv acc-tree "$bar" | awk -F'\t' '
        { split($1, f, " ") }
        f[1] == 1 { intray = ($2 == "Notification Area") }
        f[1] == 2 && intray && $2 == "Messages (3)" { print f[3], f[4], f[5], f[6] }'
}
for _ in $(seq 1 50); do [ -n "$(tray_icon)" ] && break; sleep 0.2; done
read -r l t w h < <(tray_icon)
[ -n "${h:-}" ] || e2e_fail "the chat program's icon did not show in the bar"
[ -z "$(value_of Chat)" ] || e2e_fail "the chat item had a mark before any unread message: $(value_of Chat)"

# The program flashes its icon (new pictures in turn): the mark shows, with the count its
# tooltip gives, and goes once the icon has rested.
owner=$(tr -d '\r' <"$E2E_DIR/chat.out")
for handle in 1001 1002 1001; do
    kdrv tray-send "$owner" icon 5 "$handle" >/dev/null || e2e_fail "the tray refused a new picture"
    sleep 0.4
done
for _ in $(seq 1 30); do [ "$(value_of Chat)" = "3 unread messages" ] && break; sleep 0.2; done
[ "$(value_of Chat)" = "3 unread messages" ] || e2e_fail "a flashing icon did not mark its program's item: '$(value_of Chat)'"
for _ in $(seq 1 50); do [ -z "$(value_of Chat)" ] && break; sleep 0.2; done
[ -z "$(value_of Chat)" ] || e2e_fail "the mark stayed after the icon rested"

# The pointer rests on the icon: the program opens its unread-messages pop-up.
xdotool mousemove $((l + w / 2)) $((t + h / 2))
kdrv find DingtalkMsgComming - 5000 >/dev/null || e2e_fail "the chat program opened no pop-up"
xdotool mousemove 640 300
for _ in $(seq 1 30); do [ "$(value_of Chat)" = "3 unread messages" ] && break; sleep 0.2; done
echo "chat item: '$(value_of Chat)'; other item: '$(value_of Registry)'"
[ "$(value_of Chat)" = "3 unread messages" ] || e2e_fail "the chat program's dock item shows no unread count"
[ -z "$(value_of Registry)" ] || e2e_fail "another program's item got a mark"
grep -q "unread messages: dingtalk.exe 3" "$log" || e2e_fail "the mark was not logged"
sleep 0.5
shot=$(e2e_screenshot unread_mark)
echo "screenshot: $shot"
# The program ends: its pop-up and its icon go, and so does the mark.
touch "$WINEPREFIX/drive_c/tray-stop"
for _ in $(seq 1 30); do [ -z "$(value_of Chat)" ] && break; sleep 0.2; done
[ -z "$(value_of Chat)" ] || e2e_fail "the mark stayed after the chat program ended"
echo "PASS dock_unread"
