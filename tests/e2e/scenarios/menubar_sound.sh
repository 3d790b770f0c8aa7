# The sound, microphone and display items over a real sound server with two silent outputs and a
# silent input. The items show on the bar and read as their volume; resting the pointer
# on the sound item shows its tip; their menus list the
# server's devices by name; choosing the other output is attempted, and when this system
# refuses it (Wine has no default-device switch) the refusal is logged; the slider's
# refused volume is logged too; the items are still there afterwards. This Wine's
# endpoint volume is a stub (always 100 %, setting it is refused, no notifications), so
# volume, mute and notifications are tested natively (AudioItem.* in unit_menubar).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_sound 1280x800x24
e2e_sound_server || e2e_fail "no sound server"

printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=2\r\nmicrophone=11\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
log=$E2E_BASE/Kestrana.log

tree=$(e2e_acc_tree_with "$bar" Sound Microphone) || e2e_fail "the sound and microphone items are not both on the bar"
sound=$(e2e_acc_item "$tree" Sound)
mic=$(e2e_acc_item "$tree" Microphone)
echo "sound item: $sound"
case "${sound#*	}" in [0-9]*%*) ;; *) e2e_fail "the sound item does not read as a volume ('${sound#*	}')" ;; esac

# Resting on the item brings its tip under it, with the volume; leaving hides it.
read -r il it iw ih _ <<<"$(printf '%s' "$sound" | cut -f1)"
xdotool mousemove $((il + iw / 2)) $((it + ih / 2))
tip=$(kdrv find VarloTip - 5000) || e2e_fail "no tip came for the sound item"
kdrv info "$tip" | grep -q '^visible=1' || e2e_fail "the tip is not shown"
read -r tl tt tr tb < <(kdrv rect "$tip")
echo "tip: $tl $tt $tr $tb under $il..$((il + iw))"
[ "$tt" -ge 24 ] && [ "$tl" -lt $((il + iw)) ] && [ "$tr" -gt "$il" ] || e2e_fail "the tip is not under the sound item"
sleep 0.3
tipshot=$(e2e_screenshot sound_tip)
xdotool mousemove 640 400
for i in $(seq 1 25); do
    kdrv info "$tip" | grep -q '^visible=0' && break
    sleep 0.2
done
kdrv info "$tip" | grep -q '^visible=0' || e2e_fail "the tip stayed after the pointer left"

# The sound menu: the heading, the slider, the server's two outputs by name, the settings.
kdrv acc-do "$bar" "$(printf '%s' "$sound" | cut -f1 | awk '{ print $5 }')" || e2e_fail "the reader could not press the sound item"
menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the sound menu did not open"
menutree=$(kdrv acc-tree "$menu")
listed=$(e2e_acc_names "$menutree")
echo "sound menu:"; echo "$listed"
for name in Audio Volume E2E_Speakers E2E_Headphones "Sound Settings"; do
    printf '%s\n' "$listed" | grep -qx "$name" || e2e_fail "the sound menu lacks '$name'"
done
printf '%s\n' "$listed" | grep -qx "E2E_Microphone" && e2e_fail "the input is listed among the outputs"
sleep 0.3
shot=$(e2e_screenshot sound_menu)

# The slider: a press on its track asks for a volume, which this endpoint refuses.
read -r sl st sw sh _ <<<"$(e2e_acc_item "$menutree" Volume | cut -f1)"
[ -n "$sh" ] || e2e_fail "the slider has no place"
xdotool mousemove $((sl + sw / 2)) $((st + sh / 2)) click 1
sleep 0.5
kdrv find VarloChildApp - 0 >/dev/null || e2e_fail "a press on the slider closed the menu"
grep -aq "refused the volume" "$log" || e2e_fail "the refused volume is not in the log"

# The other output: attempted, and the refusal logged (or, where allowed, made default).
kdrv acc-do "$menu" "$(e2e_acc_id "$menutree" E2E_Headphones)" || e2e_fail "the reader could not choose E2E_Headphones"
kdrv gone VarloChildApp - 3000 >/dev/null || e2e_fail "the sound menu stayed open after a choice"
for i in $(seq 1 20); do
    grep -aq 'E2E_Headphones' "$log" && break
    sleep 0.2
done
grep -a 'sound' "$log" | tail -n 4
grep -aq 'refused to make "E2E_Headphones" the default' "$log" || grep -aq 'made "E2E_Headphones" the default' "$log" ||
    e2e_fail "choosing E2E_Headphones left no trace"

# The items survive: still on the bar, and the microphone's menu lists the input.
tree=$(e2e_acc_tree_with "$bar" Sound Microphone) || e2e_fail "the items are gone after the refusal"
kdrv acc-do "$bar" "$(printf '%s' "$mic" | cut -f1 | awk '{ print $5 }')" || e2e_fail "the reader could not press the microphone item"
menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the microphone menu did not open"
listed=$(e2e_acc_names "$(kdrv acc-tree "$menu")")
echo "microphone menu:"; echo "$listed"
for name in Microphone E2E_Microphone; do
    printf '%s\n' "$listed" | grep -qx "$name" || e2e_fail "the microphone menu lacks '$name'"
done
printf '%s\n' "$listed" | grep -qx "E2E_Speakers" && e2e_fail "an output is listed among the inputs"
xdotool key Escape
kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 640 400 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
    e2e_fail "the microphone menu did not close"
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"

# The display item beside them: no screen here takes brightness (this Wine stubs the
# monitor bus and has no panel class), so its menu says so instead of a slider.
display=$(e2e_acc_item "$tree" Display)
[ -n "$display" ] || e2e_fail "no display item on the bar"
for attempt in 1 2 3; do
    kdrv acc-do "$bar" "$(printf '%s' "$display" | cut -f1 | awk '{ print $5 }')" || e2e_fail "the reader could not press the display item"
    menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the display menu did not open"
    listed=$(e2e_acc_names "$(kdrv acc-tree "$menu")")
    xdotool key Escape
    kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 640 400 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; }
    printf '%s\n' "$listed" | grep -qx "…" || break # still asking the monitors
done
echo "display menu:"; echo "$listed"
for name in Brightness "This screen does not let its brightness be set here." "Screen Projection" "Dark Mode" "Night Light" "Display Settings"; do
    printf '%s\n' "$listed" | grep -qx "$name" || e2e_fail "the display menu lacks '$name'"
done

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/menubar-sound-menu.png"
cp "$tipshot" "$E2E_ROOT/build/screenshots/menubar-sound-tip.png"
echo ok
