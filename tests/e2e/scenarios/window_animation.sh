# Minimising notepad flies its image into its dock item (genie) and restoring flies it
# back: screenshots taken during each flight show the image between the window and the
# item; afterwards notepad is minimised, then visible and restored, and never left
# transparent, and the dock at rest looks as before. With notepad in "blacklistwindows"
# the system minimises it itself.
source "$(dirname "$0")/../lib.sh"
e2e_begin window_animation 1920x1080x24

# Speed 2 doubles the flight (about a second) so screenshots can catch it.
printf '[normal]\r\nrunicon=1\r\ndetaillog=1\r\n[minimize]\r\nenabled=1\r\neffect=genie\r\nAnimationspeed=2\r\n' \
    >"$E2E_BASE/config.ini"
shots=$E2E_ROOT/build/screenshots/window_animation
mkdir -p "$shots"
log=$E2E_BASE/Kestrana.log

# Without a window manager Wine leaves a minimised window mapped; unmanaged, it hides it
# as Windows does.
timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
kdrv find dockhook32 dockhook32 20000 >/dev/null || e2e_fail "no dockhook32 watcher"
kdrv find hookel64 - 30000 >/dev/null || e2e_fail "no hook companion"
(cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
e2e_track $!
note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
sleep 3 # the dock shows notepad's item and the hook is in notepad
e2e_rest_mark start

# Screenshots every 80 ms for 2.4 s around the flight (about a second), named <prefix>-<n>.
shots_per_burst=30 # the driver that minimises may take a second to start under load
burst() { # <prefix>
    python3 "$E2E_ROOT/tests/e2e/measure/grab_frames.py" "$E2E_DIR/$1" $shots_per_burst 80
}
exstyle() { kdrv info "$note" | sed -n 's/^exstyle=//p'; }
layered() { [ $(( $(exstyle) & 0x80000 )) -ne 0 ]; }
visible() { [ "$(kdrv info "$note" | sed -n 's/^visible=//p')" = 1 ]; }
wait_iconic() { # <0|1>
    for i in $(seq 1 40); do [ "$(kdrv iconic "$note")" = "$1" ] && return 0; sleep 0.2; done
    return 1
}

read -r l t r b < <(kdrv rect "$note")
burst minimise &
burst_pid=$!
kdrv show "$note" 6 >/dev/null # SW_MINIMIZE
wait "$burst_pid"
wait_iconic 1 || e2e_fail "notepad did not end minimised"
sleep 0.3
grep -q "ask 0 for .*: 1 in" "$log" || e2e_fail "the watcher did not take the minimise over"
grep -q "minimise: [0-9]* of [0-9]* frames presented" "$log" || e2e_fail "no minimise flight logged"
layered && e2e_fail "notepad was left layered (exstyle $(exstyle))"
visible || e2e_fail "notepad was left hidden"

# In a band between the window's bottom and the dock the desktop shows before and after;
# a shot during the flight finds the image passing through it (where along the band
# depends on where the item stands).
after=$(e2e_screenshot minimised)
# The minimised window's own item shows the image the flight took (notepad's empty page,
# nearly white), not notepad's icon: some icon-sized square of the dock is almost all white.
read -r dl dt dr db < <(kdrv rect "$(kdrv find OndelAPP - 2000)")
page=0
for x in $(seq "$dl" 8 $(( dr - 64 ))); do
    white=$(convert "$after" -crop "64x64+$x+$(( db - 80 ))" -colorspace gray -threshold 96% -format "%[fx:int(mean*w*h)]" info:)
    [ "$white" -gt 3000 ] && { page=1; break; }
done
[ "$page" = 1 ] || e2e_fail "the minimised window's item does not show the window's image"
band="$(( r - l + 400 ))x40+$l+$(( b + 60 ))"
passing=0
for i in $(seq 1 $shots_per_burst); do
    shot=$E2E_DIR/minimise-$i.png
    [ -f "$shot" ] || continue
    changed=$(convert "$shot" "$after" -crop "$band" +repage -compose difference -composite -colorspace gray \
        -threshold 10% -format '%[fx:int(mean*w*h)]' info: 2>/dev/null)
    [ "${changed:-0}" -gt 100 ] && passing=1
done
[ "$passing" = 1 ] || e2e_fail "no screenshot caught the image on its way to the dock"

burst restore &
burst_pid=$!
kdrv show "$note" 9 >/dev/null # SW_RESTORE
wait "$burst_pid"
wait_iconic 0 || e2e_fail "notepad did not come back"
sleep 0.5
grep -q "ask 3 for .*: 1 in" "$log" || e2e_fail "the watcher did not take the restore over"
grep -q "restore: [0-9]* of [0-9]* frames presented" "$log" || e2e_fail "no restore flight logged"
layered && e2e_fail "notepad was left layered after the restore"
visible || e2e_fail "notepad is not visible after the restore"
read -r l2 t2 r2 b2 < <(kdrv rect "$note")
[ "$l2 $t2 $r2 $b2" = "$l $t $r $b" ] || e2e_fail "notepad came back at $l2 $t2 $r2 $b2, not $l $t $r $b"
restored=$(e2e_screenshot restored)
# Notepad's text area is white again where it stood.
mx=$(( (l + r) / 2 )); my=$(( b - 60 ))
e2e_colours_differ "$(e2e_pixel "$restored" $mx $my)" "255 255 255" 8 && e2e_fail "notepad's window is not drawn after the restore"
cp "$E2E_DIR"/minimise-*.png "$E2E_DIR"/restore-*.png "$after" "$restored" "$shots/" 2>/dev/null || true
e2e_rest_check minimise-and-restore

# Excluded: the system minimises it and the watcher answers 0.
kdrv ini 'C:\Kestrana\config.ini' blacklistwindows notepad.exe 1 >/dev/null
kdrv show "$note" 6 >/dev/null
wait_iconic 1 || e2e_fail "the excluded notepad did not minimise"
sleep 0.3
grep -q "ask 0 for .*: 0 in" "$log" || e2e_fail "the watcher did not leave the excluded window to the system"

# The watcher's answer times, for the record.
sed -n 's/.*ask [0-9]* for .*: [01] in \([0-9]*\) us.*/\1/p' "$log" | sort -n |
    awk '{ a[NR] = $1 } END { if (NR) printf "answers: %d, median %d us, max %d us\n", NR, a[int((NR + 1) / 2)], a[NR] }'
grep -o "minimise: .*\|restore: .*" "$log" | head -4
echo ok
