# The Wi-Fi and Bluetooth items where the system has neither: this Wine has a WLAN service
# without interfaces (and no notifications) and no Bluetooth radio. Both items are on the
# bar by default and read as unavailable through the accessibility tree; their menus say
# so and still offer the settings; they open and close; the log says once why for each
# and nothing is retried while the bar idles or the menus open again. A drive's device
# messages (sent by the driver as the system would) bring a notice under the bar when
# "usbdevicenotice" is on, naming the drive when it comes and still when it has gone.
# Joining, the profile and the device menu are tested natively (Wifi*, Bluetooth*,
# Earbud*, DriveNotices* in unit_menubar).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_wireless 1280x800x24

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nusbdevicenotice=1\r\n' >"$E2E_BASE/config.ini"
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
    xdotool key Escape
    kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 640 400 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
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
for why in "no wireless interface" "no Bluetooth radio"; do
    count=$(grep -ac "$why" "$log")
    [ "$count" = 1 ] || e2e_fail "the log says '$why' $count times, not once"
done
count=$(grep -a 'wifi\|bluetooth' "$log" | wc -l)
[ "$count" -le 4 ] || e2e_fail "the wireless items wrote $count log lines: something is retried"
tree=$(e2e_acc_tree_with "$bar" Wi-Fi Bluetooth) || e2e_fail "the items are gone after their menus"

# Drive C: "arrives" (its root exists) and leaves; a drive whose root is not there gets no notice.
kdrv volume "$bar" arrival Q || e2e_fail "the bar did not take the device message"
kdrv volume "$bar" arrival C || e2e_fail "the bar did not take the device message"
tip=$(kdrv find VarloTip - 5000) || e2e_fail "no notice came for the drive"
kdrv info "$tip" | grep -q '^visible=1' || e2e_fail "the notice is not shown"
sleep 0.3
usbshot=$(e2e_screenshot usb_notice)
kdrv volume "$bar" removal C || e2e_fail "the bar did not take the device message"
for i in $(seq 1 20); do
    grep -aq '(C:) was removed' "$log" && break
    sleep 0.2
done
grep -a 'usb' "$log"
grep -aq 'usb: .*(C:) is connected' "$log" || e2e_fail "the drive's arrival is not in the log"
grep -aq 'usb: .*(C:) was removed' "$log" || e2e_fail "the drive's removal is not in the log"
grep -aq '(Q:)' "$log" && e2e_fail "a drive without a root was announced"
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/menubar-wifi-menu.png"
cp "$btshot" "$E2E_ROOT/build/screenshots/menubar-bluetooth-menu.png"
cp "$usbshot" "$E2E_ROOT/build/screenshots/menubar-usb-notice.png"
echo ok
