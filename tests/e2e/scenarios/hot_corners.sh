# Hot corners on a 1280 x 800 screen: the pointer pushed into the bottom-left corner and
# held there opens the Launchpad when the corner has that one action (screenshot kept as
# hot_corner_launchpad.png); a pointer that only passes through the corner opens
# nothing; with a second action the corner offers both in its choice pop-up beside the
# corner (screenshot hot_corner_choice.png), which reads as its two rows to a screen
# reader, which Escape closes, and whose first row, chosen with the keyboard or through
# the reader, opens the Launchpad.
source "$(dirname "$0")/../lib.sh"
e2e_begin hot_corners 1280x800x24

printf '[normal]\r\ndetaillog=1\r\nbottomleft=2\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
sleep 0.5

wait_for() { # <what> <command...>: up to 8 s
    local what=$1
    shift
    for i in $(seq 1 40); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
# The Launchpad's window, once made, stays; the pop-up's windows go when it closes.
pad=
pad_visible() { { [ -n "$pad" ] || pad=$(kdrv find OndelLaunchpad - 100); } && kdrv info "$pad" | grep -q 'visible=1'; }
pad_hidden() { ! pad_visible; }
choice_visible() { choice=$(kdrv find KestranaHotCorner - 100); }
choice_gone() { kdrv gone KestranaHotCorner - 4000 >/dev/null; }
push_into_corner() { # <x> <y>: in from the screen's middle, as a hand would
    xdotool mousemove 640 400
    sleep 0.3
    xdotool mousemove "$1" "$2"
}

# Passing through the corner: in and out again well within the quiet time.
xdotool mousemove 640 400
sleep 0.3
xdotool mousemove 1 798 mousemove 300 500
sleep 0.6
pad_hidden || e2e_fail "a pointer passing through the corner opened the Launchpad"

started=$(date +%s%N)
push_into_corner 0 799
wait_for "holding the pointer in the bottom-left corner did not open the Launchpad" pad_visible
echo "corner to Launchpad shown: $(( ($(date +%s%N) - started) / 1000000 )) ms (polled)"
sleep 0.5
shot=$(e2e_screenshot hot_corner_launchpad) || e2e_fail "no screenshot"
echo "screenshot: $shot"
xdotool mousemove 640 400
sleep 0.3
xdotool key Escape
wait_for "Escape did not hide the Launchpad" pad_hidden

# Two actions: the corner offers them instead of running one. The store reads the file
# again when it changes.
printf '[normal]\r\ndetaillog=1\r\nbottomleft=2\r\nbottomleft2=5\r\n' >"$E2E_BASE/config.ini"
push_into_corner 0 799
wait_for "two actions in the corner did not show the choice pop-up" choice_visible
sleep 0.3
shot=$(e2e_screenshot hot_corner_choice) || e2e_fail "no screenshot"
echo "screenshot: $shot"
pad_hidden || e2e_fail "the corner ran an action instead of offering the choice"
read -r l t r b < <(kdrv rect "$choice")
echo "choice pop-up: $l $t $r $b"
[ "$l" -lt 640 ] && [ "$b" -le 800 ] && [ "$t" -gt 400 ] || e2e_fail "the choice pop-up is not beside the bottom-left corner: $l $t $r $b"
# A screen reader reads the pop-up as its rows, by their labels.
tree=$(kdrv acc-tree "$choice") || e2e_fail "the choice pop-up gave no accessible tree"
echo "choice:"; echo "$tree"
rows=$(printf '%s\n' "$tree" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 { print $2 }' | paste -sd'|')
[ "$rows" = "LaunchPad|Show Desktop" ] || e2e_fail "the choice pop-up reads as '$rows'"
# Keys reach a Wine window only while the X pointer is over one: the pointer rests on
# the pop-up's second row. Escape closes it without running anything.
over_row() { # <row 1 or 2>
    read -r l t r b < <(kdrv rect "$choice")
    xdotool mousemove $(( (l + r) / 2 )) $(( t + (b - t) * (2 * $1 - 1) / 4 ))
}
over_row 2
sleep 0.3
xdotool key Escape
wait_for "Escape did not close the choice pop-up" choice_gone
pad_hidden || e2e_fail "closing the choice ran an action"
# The keyboard chooses too: the pointer lights the second row, Up lights the first and
# Enter runs it (had Up done nothing, the desktop would have been shown instead).
push_into_corner 0 799
wait_for "the corner did not offer its choice again" choice_visible
over_row 2
sleep 0.3
xdotool key Up
sleep 0.2
xdotool key Return
wait_for "choosing LaunchPad with the keyboard did not open the Launchpad" pad_visible
wait_for "the choice pop-up stayed after a row was chosen" choice_gone
xdotool mousemove 640 400
sleep 0.3
xdotool key Escape
wait_for "Escape did not hide the Launchpad" pad_hidden
# And the reader chooses a row as a click would.
push_into_corner 0 799
wait_for "the corner did not offer its choice a third time" choice_visible
padrow=$(kdrv acc-tree "$choice" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 == "LaunchPad" { print f[7] }')
kdrv acc-do "$choice" "$padrow" || e2e_fail "the reader could not choose LaunchPad ($padrow)"
wait_for "choosing LaunchPad through the reader did not open the Launchpad" pad_visible
grep -a 'hot corner' "$E2E_BASE/Kestrana.log" | tail -n 3
echo ok
