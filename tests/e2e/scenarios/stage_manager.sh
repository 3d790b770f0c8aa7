# The stage manager in one Wine session: switched on for the monitor, a visible
# "KestranaStageManager" strip at the screen's left edge shows the windows that are not in
# front (two notepads: the one behind), read through its accessible elements; a click on
# that picture makes its window the front one, and the one that was in front takes its
# place in the column. A screen reader's action does the same. The stage-manager hotkey
# (Ctrl+F9 here) switches the monitor off, writing its setting, and the strip goes; pressed
# again it comes back. This Wine has no live thumbnails: the pictures are captured ones.
source "$(dirname "$0")/../lib.sh"
e2e_begin stage_manager 1920x1080x24

printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\system32\notepad.exe' \
    'realpath=c:\windows\system32\notepad.exe' >"$E2E_BASE/ico.ini"
printf '%s\r\n' '[normal]' 'detaillog=1' 'defaultsize=48' 'maxsize=48' '[DISPLAY1]' 'stagemanager_enable=1' \
    '[stagemanager]' 'stagemanager_showwindowtitle=1' '[hotkey]' 'hotkey_open1=2' 'hotkey_open2=120' >"$E2E_BASE/config.ini"
notepad='C:\windows\system32\notepad.exe'
shots=$E2E_ROOT/build/screenshots
mkdir -p "$shots"

e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
strip=$(kdrv find KestranaStageManager - 10000) || e2e_fail "no stage-manager strip with the stage manager on"
e2e_wait_visible "$strip" || e2e_fail "the strip is not shown"

wait_for() { # <what> <condition>: up to 8 s; the condition is read again each time
    local what=$1
    shift
    for i in $(seq 1 40); do eval "$1" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
# The column's pictures as a screen reader reads them: "<left> <top> <width> <height> <id>" each.
pictures() { kdrv acc-tree "$strip" | awk -F'\t' '$1 ~ /^1 43 / { split($1, f, " "); print f[3], f[4], f[5], f[6], f[7] }'; }
front() { kdrv foreground; }

read -r first _ < <(e2e_launch "$notepad") || e2e_fail "no first notepad"
read -r second _ < <(e2e_launch "$notepad") || e2e_fail "no second notepad"
[ -n "$first" ] && [ -n "$second" ] || e2e_fail "notepad showed no window"
kdrv activate "$second" >/dev/null
wait_for "the second notepad did not come to the front" 'test "$(front)" = "$second"'

# One picture: the notepad behind; the one in front is on the stage, not in the column.
wait_for "the column does not hold one picture" 'test "$(pictures | wc -l)" = 1'
kinds=$(kdrv acc-tree "$strip" | awk -F'\t' '$1 ~ /^1 43 / { print $3 }' | sort -u | tr '\n' ' ')
[ "$kinds" = "picture " ] || e2e_fail "the pictures are not the captured kind: $kinds"
read -r sl st sr sb < <(kdrv rect "$strip")
[ "$sl" = 0 ] && [ "$st" -ge 0 ] && [ "$sr" -le 400 ] || e2e_fail "the strip is not at the left edge: $sl $st $sr $sb"
read -r px py pw ph _ < <(pictures)
[ "$px" -ge "$sl" ] && [ $((px + pw)) -le "$sr" ] && [ "$pw" -gt 10 ] && [ "$ph" -gt 30 ] ||
    e2e_fail "the picture ($px $py $pw $ph) is not inside the strip ($sl $st $sr $sb)"
sleep 0.6 # the first capture pass
cp "$(e2e_screenshot stage)" "$shots/stage-manager.png"

# A click on the picture brings the first notepad to the front; the second goes to the column.
xdotool mousemove $((px + pw / 2)) $((py + ph / 2))
sleep 0.3
xdotool mousemove $((px + pw / 2 + 1)) $((py + ph / 2))
sleep 0.2
xdotool click 1
wait_for "a click on the picture did not bring its window to the front" 'test "$(front)" = "$first"'
wait_for "the column does not show the window that was in front" 'test "$(pictures | wc -l)" = 1'
xdotool mousemove 960 500
sleep 0.6
cp "$(e2e_screenshot swapped)" "$shots/stage-manager-swapped.png"

# A screen reader's action on the picture switches back.
read -r _ _ _ _ id < <(pictures)
kdrv acc-do "$strip" "$id" >/dev/null || e2e_fail "the reader could not press the picture"
wait_for "the reader's press did not bring the second notepad to the front" 'test "$(front)" = "$second"'

# The hotkey switches the monitor off (and writes so), then on again.
strip_shown() { kdrv windows KestranaStageManager | grep -q 'visible=1'; }
xdotool key ctrl+F9
wait_for "the hotkey did not take the strip away" '! strip_shown'
grep -a -q 'stagemanager_enable=0' <(e2e_text "$E2E_BASE/config.ini") || e2e_fail "the switch was not written off"
sleep 1.4 # past the hotkey's guard
xdotool key ctrl+F9
wait_for "the hotkey did not bring the strip back" strip_shown
grep -a -q 'stagemanager_enable=1' <(e2e_text "$E2E_BASE/config.ini") || e2e_fail "the switch was not written on"
strip=$(kdrv find KestranaStageManager - 5000) || e2e_fail "no strip after switching on again"
wait_for "the column is empty after switching on again" 'test "$(pictures | wc -l)" = 1'
echo ok
