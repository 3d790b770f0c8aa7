# Dragging icons: one lifted opens a gap where it would land and, released, saves the new
# order once; one dragged off the dock leaves it.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_drag 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' '[ico2]' 'tag=Registry' 'appname=regedit.exe' \
    'filepath=c:\windows\regedit.exe' 'realpath=c:\windows\regedit.exe' '[ico3]' 'delimiter=1' \
    '[ico4]' 'appname=trash|' >"$E2E_BASE/ico.ini"
# Without magnification the slots stay where they are aimed at.
printf '[normal]\r\ndetaillog=1\r\ndefaultsize=64\r\nmaxsize=64\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
sleep 1.5
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 + 8 ))
order() { e2e_item_lines "$E2E_BASE/$1"; }
items() { order ico.ini; }
wait_for() { # <what> <command...>: up to 10 s
    local what=$1
    shift
    for i in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what ($(items))"
}
hold() { # <from x> <to x> <to y>: pressed and moved in steps as a hand does, still held
    xdotool mousemove "$1" "$y"
    sleep 0.4
    xdotool mousedown 1
    local steps=8 i
    for i in $(seq 1 $steps); do
        xdotool mousemove $(($1 + ($2 - $1) * i / steps)) $((y + ($3 - y) * i / steps))
        sleep 0.08
    done
    sleep 0.3
}

# Slots of 64 + 4 pixels: notepad, regedit, separator, trash. Notepad is lifted and held
# over regedit: regedit moves into the first slot and the gap stands after it, with the
# icon drawn at the pointer.
log=$E2E_BASE/Kestrana.log
before=$(items)
hold $((l + 32)) $((l + 68 + 50)) $((y - 40)) # above the row: the gap shows below the icon
sleep 0.5
e2e_screenshot gap >/dev/null || true
grep -aq 'dock drag: gap at entry 6' "$log" || e2e_fail "no gap after regedit ($(grep -a 'dock drag' "$log" | tail -3))"
xdotool mouseup 1
xdotool mousemove 960 300
moved() { test "$(items | cut -d' ' -f1-2)" = "appname=regedit.exe appname=notepad.exe"; }
wait_for "the new order was not saved" moved
sleep 1
# Saved once: the list before the drag is the previous one.
[ "$(order ico_bak.ini)" = "$before" ] || e2e_fail "saved more than once (previous list: $(order ico_bak.ini))"
e2e_screenshot moved >/dev/null || true

# Regedit dragged up and away: it leaves the dock and the list.
hold $((l + 32)) $((l + 32)) 500
xdotool mouseup 1
gone() { ! items | grep -q regedit; }
wait_for "the item dragged off stayed in the list" gone
sleep 0.5
e2e_screenshot removed >/dev/null || true
echo ok
