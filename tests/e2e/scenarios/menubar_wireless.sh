# The Wi-Fi and Bluetooth items where the system has neither: this Wine has a WLAN service
# without interfaces (and no notifications) and no Bluetooth radio. Both items are on the
# bar by default and read as unavailable through the accessibility tree; their menus say
# so and still offer the settings; they open and close; the log says once why for each
# and nothing is retried while the bar idles or the menus open again. This Wine has no
# runtime radio, device watchers or tethering manager: the Bluetooth item falls back to
# the classic calls, and the hotspot pane (opened from the Wi-Fi menu) says the hotspot
# is unavailable and offers the system's page; the log says why once. A drive's device
# messages (sent by the driver as the system would) bring a notice when "usbdevicenotice"
# is on: on arrival the program's prompt naming the drive with an Eject button, left up
# under the bar's right end without taking the keyboard from notepad; activated, or
# focused by a screen reader, it answers the keys and gives the keyboard back; left alone
# it closes itself; a second drive's notice takes its place; it goes when its drive leaves,
# and the removal is announced under the bar. Ejecting a drive (a folder mapped to
# a letter here) runs on a worker and its outcome is shown and logged. Joining, the profile, the
# device menu, the watchers' list and the pane's words are tested natively (Wifi*,
# Bluetooth*, Earbud*, DriveNotice*, DriveEject*, HotspotPane*, RuntimeTypeId* in
# unit_menubar; PromptLinger in unit_gfx).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_wireless 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nusbdevicenotice=1\r\nbluetoothbattery=1\r\n' >"$E2E_BASE/config.ini"
# A drive to eject: a folder the prefix maps to K:.
mkdir -p "$E2E_DIR/stick"
ln -sfn "$E2E_DIR/stick" "$WINEPREFIX/dosdevices/k:"
# This Wine hands a window shown without activation (a drive notice) to the window manager
# the first time it is drawn while active, making its X window anew, which loses the
# keyboard. Xvfb runs no window manager here: no window loses anything by staying unmanaged.
e2e_wine 30 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null ||
    e2e_fail "could not keep the windows unmanaged"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
log=$E2E_BASE/Kestrana.log

open_menu() { # <item line>: presses the item for the reader, prints the menu's rows
    kdrv acc-do "$bar" "$(printf '%s' "$1" | cut -f1 | awk '{ print $5 }')" || e2e_fail "the reader could not press the item"
    local menu
    menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the menu did not open"
    e2e_acc_names "$(kdrv acc-tree "$menu")"
}
close_menu() {
    # A menu opened by the reader takes the keyboard through Wine's focus change, which can
    # come after a key typed at once: the key is typed again, never more than three times.
    local i
    for i in 1 2 3; do
        xdotool key Escape
        kdrv gone VarloChildApp - 2000 >/dev/null && return 0
    done
    { xdotool mousemove 640 400 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
        e2e_fail "the menu did not close"
}

tree=$(e2e_acc_tree_with "$bar" Wi-Fi Bluetooth) || e2e_fail "the Wi-Fi and Bluetooth items are not both on the bar"
wifi=$(e2e_acc_item "$tree" Wi-Fi)
bluetooth=$(e2e_acc_item "$tree" Bluetooth)
echo "wifi item: $wifi"
echo "bluetooth item: $bluetooth"
case "${wifi#*	}" in *Unavailable*) ;; *) e2e_fail "the Wi-Fi item does not read as unavailable ('${wifi#*	}')" ;; esac
[ "${bluetooth#*	}" = Unavailable ] || e2e_fail "the Bluetooth item does not read as unavailable ('${bluetooth#*	}')"

listed=$(open_menu "$wifi")
echo "wifi menu:"; echo "$listed"
for name in Wi-Fi Unavailable "Network Settings"; do
    printf '%s\n' "$listed" | grep -qx "$name" || e2e_fail "the Wi-Fi menu lacks '$name'"
done
sleep 0.3
shot=$(e2e_screenshot wifi_menu)
close_menu

listed=$(open_menu "$bluetooth")
echo "bluetooth menu:"; echo "$listed"
for name in Bluetooth Unavailable "Bluetooth Settings"; do
    printf '%s\n' "$listed" | grep -qx "$name" || e2e_fail "the Bluetooth menu lacks '$name'"
done
sleep 0.3
btshot=$(e2e_screenshot bluetooth_menu)
close_menu

# Opened again, and left to idle: the reasons are still said once, nothing is retried.
listed=$(open_menu "$wifi")
close_menu
sleep 3
grep -a 'wifi\|bluetooth' "$log"
for why in "no wireless interface" "no Bluetooth radio (" "no Bluetooth radio through the runtime"; do
    count=$(grep -acF "$why" "$log")
    [ "$count" = 1 ] || e2e_fail "the log says '$why' $count times, not once"
done
count=$(grep -a 'wifi\|bluetooth' "$log" | wc -l)
[ "$count" -le 5 ] || e2e_fail "the wireless items wrote $count log lines: something is retried"
tree=$(e2e_acc_tree_with "$bar" Wi-Fi Bluetooth) || e2e_fail "the items are gone after their menus"

# The hotspot pane, twice: unavailable here, with the system's page offered; why is said once.
for round in 1 2; do
    listed=$(open_menu "$wifi")
    printf '%s\n' "$listed" | grep -qx "Personal Hotspot" || e2e_fail "the Wi-Fi menu lacks the hotspot"
    menu=$(kdrv find VarloChildApp - 0)
    kdrv acc-do "$menu" "$(e2e_acc_id "$(kdrv acc-tree "$menu")" "Personal Hotspot")" || e2e_fail "the reader could not open the hotspot"
    pane=$(kdrv find VarloHotspot - 8000) || e2e_fail "the hotspot pane did not open"
    sleep 0.4
    panetree=$(kdrv acc-tree "$pane")
    echo "hotspot pane:"; e2e_acc_names "$panetree"
    # The driver prints names in the console's code page, which has no ellipsis.
    for name in "The hotspot is unavailable on this computer." Close "Settings"; do
        printf '%s\n' "$panetree" | grep -qF "$name" || e2e_fail "the hotspot pane does not read '$name'"
    done
    [ "$round" = 1 ] && hotshot=$(e2e_screenshot hotspot_pane)
    kdrv activate "$pane" >/dev/null || true
    xdotool key Escape
    kdrv gone VarloHotspot - 3000 >/dev/null || e2e_fail "the hotspot pane stayed after Escape"
done
count=$(grep -ac 'hotspot: the network information interface is missing' "$log")
[ "$count" = 1 ] || e2e_fail "the log says why the hotspot is unavailable $count times, not once"

# The drive notices come while the user types in notepad: each is left up under the bar's
# right end and the keyboard stays with notepad until the notice is clicked or activated.
e2e_notepad_in_front
kdrv move "$E2E_NOTEPAD" 20 40 || e2e_fail "notepad could not be moved" # clear of the bar, unmanaged
xdotool mousemove 400 500 # the pointer away from where notices come: it would hold them
front() { kdrv foreground; }
user=$(front)
[ "$user" = "$E2E_NOTEPAD" ] || e2e_fail "notepad is not in front before the drives come ($user)"
wait_front() { # <window> <what failed>: until the window is in front (2 s at most)
    for i in $(seq 1 20); do [ "$(front)" = "$1" ] && return 0; sleep 0.1; done
    e2e_fail "$2 ($(front))"
}
activate() { # <window>: brought to the front; keys typed before Wine moved the focus would go astray
    kdrv activate "$1" >/dev/null || true
    wait_front "$1" "the notice did not come to the front when activated"
}
notice_for() { # <letter>: the notice window once it names the drive
    local n
    n=$(kdrv find VarloDrive - 5000) || e2e_fail "no notice came for $1:"
    for i in $(seq 1 20); do
        kdrv acc-tree "$n" | grep -q "($1:)" && { echo "$n"; return 0; }
        sleep 0.2
    done
    e2e_fail "the notice does not name $1:"
}

# Drive C: "arrives" (its root exists); a drive whose root is not there gets no notice.
kdrv volume "$bar" arrival Q || e2e_fail "the bar did not take the device message"
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
notice=$(notice_for C)
sleep 0.4
[ "$(front)" = "$E2E_NOTEPAD" ] || e2e_fail "the notice took the foreground ($(front))"
noticetree=$(kdrv acc-tree "$notice")
echo "drive notice:"; e2e_acc_names "$noticetree"
printf '%s\n' "$noticetree" | grep -q '(C:) is connected' || e2e_fail "the notice does not name the drive"
for name in Close Eject; do
    printf '%s\n' "$noticetree" | grep -qF "$name" || e2e_fail "the notice lacks '$name'"
done
# Under the bar's right end: right edge near the screen's, top just below the bar.
read -r nl nt nr nb < <(kdrv rect "$notice")
read -r bl bt br bb < <(kdrv rect "$bar")
echo "notice at $nl $nt $nr $nb, bar at $bl $bt $br $bb"
[ "$nr" -le 1280 ] && [ "$nr" -ge 1250 ] || e2e_fail "the notice is not at the bar's right end ($nl..$nr)"
[ "$nt" -ge "$bb" ] && [ "$nt" -le $((bb + 20)) ] || e2e_fail "the notice is not just under the bar ($nt, bar ends at $bb)"
usbshot=$(e2e_screenshot usb_notice)
# Activated, it takes the keys; Escape closes it (C: stays) and notepad has the keyboard again.
activate "$notice"
sleep 0.3
activeshot=$(e2e_screenshot usb_notice_active)
kdrv acc-tree "$notice" | grep "Eject" | grep -q focused || e2e_fail "Eject does not hold the keyboard at first"
xdotool key Tab
sleep 0.3
kdrv acc-tree "$notice" | grep "Close" | grep -q focused || e2e_fail "Tab did not move the keyboard to Close"
[ "$(front)" = "$notice" ] || e2e_fail "the notice lost the keyboard as Tab moved it ($(front))"
xdotool key Escape
kdrv gone VarloDrive - 3000 >/dev/null || e2e_fail "the notice stayed after Escape"
wait_front "$E2E_NOTEPAD" "the keyboard did not go back to notepad"

# A screen reader moving its focus to Close gives the notice the keys there: Enter closes it.
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
notice=$(notice_for C)
kdrv acc-focus "$notice" "$(e2e_acc_id "$(kdrv acc-tree "$notice")" Close)" || e2e_fail "the reader could not move its focus"
wait_front "$notice" "the reader's focus did not bring the keyboard to the notice"
kdrv acc-tree "$notice" | grep "Close" | grep -q focused || e2e_fail "Close does not hold the focus the reader gave it"
xdotool key Return
kdrv gone VarloDrive - 3000 >/dev/null || e2e_fail "the notice stayed after Enter on Close"
wait_front "$E2E_NOTEPAD" "the keyboard did not go back to notepad after the reader's close"

# Left alone, the notice closes itself after its time, not before.
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
notice=$(notice_for C)
shown=$SECONDS
sleep 6
kdrv find VarloDrive - 0 >/dev/null || e2e_fail "the notice closed itself after $((SECONDS - shown)) s already"
kdrv gone VarloDrive - 9000 >/dev/null || e2e_fail "the notice did not close itself ($((SECONDS - shown)) s)"
echo "the notice closed itself after about $((SECONDS - shown)) s"
[ "$(front)" = "$E2E_NOTEPAD" ] || e2e_fail "notepad lost the foreground to the notice ($(front))"

# With the pointer on it the notice stays past its time, and a drive arriving meanwhile
# waits its turn; once the pointer leaves, the notice closes a little later and the
# waiting drive's notice follows. The bars made again meanwhile leave it be.
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
notice=$(notice_for C)
read -r nl nt nr nb < <(kdrv rect "$notice")
xdotool mousemove $((nl + 40)) $((nt + 20))
sleep 0.3
xdotool mousemove $((nl + 44)) $((nt + 22))
kdrv volume "$bar" arrival K || e2e_fail "the bar did not take the device message"
kdrv post "$bar" 126 32 0 || e2e_fail "the bar did not take the display change" # WM_DISPLAYCHANGE
sleep 11
kdrv acc-tree "$notice" | grep -q '(C:)' || e2e_fail "the notice under the pointer did not stay past its time"
count=$(kdrv windows VarloDrive | grep -c 'visible=1')
[ "$count" = 1 ] || e2e_fail "$count drive notices are shown while one is held, not one"
bar=$(kdrv find VarloApp - 5000) || e2e_fail "no menu bar after the screens changed"
left=$SECONDS
xdotool mousemove 400 500
notice=$(kdrv find VarloDrive - 8000)
for i in $(seq 1 40); do
    kdrv acc-tree "$notice" 2>/dev/null | grep -q '(K:)' && break
    notice=$(kdrv find VarloDrive - 0)
    sleep 0.25
done
kdrv acc-tree "$notice" | grep -q '(K:)' || e2e_fail "the waiting drive's notice did not follow"
echo "the held notice closed and the next came about $((SECONDS - left)) s after the pointer left"
[ $((SECONDS - left)) -ge 2 ] || e2e_fail "the held notice closed as soon as the pointer left"
[ "$(front)" = "$E2E_NOTEPAD" ] || e2e_fail "notepad lost the foreground to the notices ($(front))"
kdrv volume "$bar" removal K || e2e_fail "the bar did not take the device message"
kdrv gone VarloDrive - 3000 >/dev/null || e2e_fail "K:'s notice stayed after K: left"

# A second drive's notice takes the place of one nobody touches; a drive that leaves takes
# its own notice with it, not another's; the removals are announced.
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
notice=$(notice_for C)
kdrv volume "$bar" arrival K || e2e_fail "the bar did not take the device message"
notice=$(notice_for K)
count=$(kdrv windows VarloDrive | grep -c 'visible=1')
[ "$count" = 1 ] || e2e_fail "$count drive notices are shown, not one"
kdrv volume "$bar" removal C || e2e_fail "the bar did not take the device message"
sleep 0.5
kdrv find VarloDrive - 0 >/dev/null || e2e_fail "K:'s notice went when C: left"
kdrv volume "$bar" removal K || e2e_fail "the bar did not take the device message"
kdrv gone VarloDrive - 3000 >/dev/null || e2e_fail "the notice stayed after its drive left"
for i in $(seq 1 20); do
    grep -aq '(C:) was removed' "$log" && break
    sleep 0.2
done
grep -a 'usb' "$log"
grep -aq 'usb: .*(C:) is connected' "$log" || e2e_fail "the drive's arrival is not in the log"
grep -aq 'usb: .*(C:) was removed' "$log" || e2e_fail "the drive's removal is not in the log"
grep -aq 'usb: the notice of K:\\ closed: the drive left' "$log" || e2e_fail "the log does not say the notice left with its drive"
grep -aq 'usb: the notice of C:\\ asked to eject' "$log" && e2e_fail "C: was asked to eject, though only Close was chosen"
grep -aq '(Q:)' "$log" && e2e_fail "a drive without a root was announced"

# K: arrives and is ejected with Enter (Eject holds the focus); the outcome, whatever this
# Wine makes of a folder's volume, is logged and shown, and the bar goes on.
kdrv volume "$bar" arrival K || e2e_fail "the bar did not take the device message"
notice=$(notice_for K)
activate "$notice"
xdotool key Return
kdrv gone VarloDrive - 3000 >/dev/null || e2e_fail "the notice stayed after Eject"
for i in $(seq 1 50); do
    grep -aq 'usb: .*(K:) \(can be removed\|is in use\|could not be ejected\)' "$log" && break
    sleep 0.2
done
grep -a 'usb: .*K:' "$log"
grep -aq 'usb: ejecting K:' "$log" || e2e_fail "the eject was not asked"
grep -aq 'usb: .*(K:) \(can be removed\|is in use\|could not be ejected\)' "$log" || e2e_fail "the eject's outcome is not in the log"
tip=$(kdrv find VarloTip - 5000) || e2e_fail "the eject's outcome is not shown"
ejectshot=$(e2e_screenshot eject_outcome)
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/menubar-wifi-menu.png"
cp "$btshot" "$E2E_ROOT/build/screenshots/menubar-bluetooth-menu.png"
cp "$usbshot" "$E2E_ROOT/build/screenshots/menubar-usb-notice.png"
cp "$hotshot" "$E2E_ROOT/build/screenshots/menubar-hotspot-pane.png"
cp "$ejectshot" "$E2E_ROOT/build/screenshots/menubar-eject-outcome.png"
echo ok
