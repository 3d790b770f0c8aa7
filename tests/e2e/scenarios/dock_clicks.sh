# Clicking the dock's items with the pointer: a pinned program starts, its running mark
# comes on, a click while another window is in front brings it forward, a click while it
# is in front minimises it, a click on the minimised window brings it back, and Shift with
# a click starts a second copy.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_clicks 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'delimiter=1' '[ico3]' 'appname=trash|' >"$E2E_BASE/ico.ini"
# Without magnification the items stay where the pointer is aimed.
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
click() { # [modifier]
    # Notepad is the first item: just inside the bar's left end, wherever the bar now is
    # (running programs add items of their own).
    read -r l t r b < <(kdrv rect "$input")
    x=$(( l + 32 ))
    y=$(( (t + b) / 2 + 8 ))
    # In small steps, as a hand moves: the dock grows under the pointer meanwhile.
    xdotool mousemove "$x" "$y"
    sleep 0.4
    xdotool mousemove "$((x + 1))" "$y"
    sleep 0.2
    if [ -n "${1:-}" ]; then xdotool keydown "$1" click 1 keyup "$1"; else xdotool click 1; fi
    xdotool mousemove 960 300 # away, so the dock rests again
}
notepads() { kdrv windows Notepad | grep -c 'visible=1'; }
wait_for() { # <what> <condition>: up to 10 s; the condition is read again each time
    local what=$1
    shift
    for i in $(seq 1 50); do eval "$1" && return 0; sleep 0.2; done
    e2e_fail "$what"
}

click
wait_for "the click did not start notepad" 'test "$(notepads)" -ge 1'
pad=$(kdrv find Notepad - 2000) || e2e_fail "no notepad window"

# Another program's window in front: a click brings notepad forward.
e2e_launch 'C:\windows\regedit.exe' >/dev/null ||
    e2e_fail "regedit showed no window"
wait_for "regedit did not come to the front" 'test "$(kdrv foreground | tr -d '\''\r'\'')" != "$pad"'
sleep 1 # its item grows in meanwhile
click
wait_for "a click did not bring notepad to the front" 'test "$(kdrv foreground | tr -d '\''\r'\'')" = "$pad"'

# In front: the next click minimises it; then a click restores it.
sleep 0.5
click
wait_for "a click on the item of the window in front did not minimise it" 'test "$(kdrv iconic "$pad" | tr -d '\''\r'\'')" = 1'
sleep 0.5
click
wait_for "a click did not bring the minimised window back" 'test "$(kdrv iconic "$pad" | tr -d '\''\r'\'')" = 0'

# Shift starts a second copy.
click shift
wait_for "Shift and a click did not start a second notepad" 'test "$(notepads)" -ge 2'
e2e_screenshot after >/dev/null || true
echo ok
