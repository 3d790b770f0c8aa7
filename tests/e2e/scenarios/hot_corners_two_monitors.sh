# Hot corners on two monitors side by side (800 x 600 and 640 x 480, tops aligned): the
# second monitor's bottom-left corner leads onto the first monitor and triggers nothing,
# while the first monitor's bottom-left corner, an edge of the desktop, opens the
# Launchpad. Two monitors come from Xephyr with Xinerama inside the scenario's display.
source "$(dirname "$0")/../lib.sh"
e2e_begin hot_corners_two_monitors 1600x700x24
e2e_two_screens

printf '[normal]\r\ndetaillog=1\r\nbottomleft=2\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
sleep 0.5

pad=
pad_visible() { { [ -n "$pad" ] || pad=$(kdrv find OndelLaunchpad - 100); } && kdrv info "$pad" | grep -q 'visible=1'; }
push_into_corner() { # <x> <y>
    xdotool mousemove 400 300
    sleep 0.3
    xdotool mousemove "$1" "$2"
}

# The inner corner: held well past the corner's time, nothing opens.
push_into_corner 800 479
sleep 1.2
pad_visible && e2e_fail "the corner between the monitors opened the Launchpad"
grep -aq 'hot corner: action' "$E2E_BASE/Kestrana.log" && e2e_fail "the corner between the monitors ran an action"

# The outer corner of the first monitor does.
push_into_corner 0 599
for i in $(seq 1 40); do pad_visible && break; sleep 0.2; done
pad_visible || e2e_fail "the first monitor's bottom-left corner did not open the Launchpad"
e2e_screenshot hot_corners_two_monitors >/dev/null || true
echo ok
