# The scale and suck effects fly notepad into its dock item and back as the genie does;
# the effect is read again for each flight, so a change applies to the next window
# without a restart. After each round trip notepad is restored, visible and not layered.
source "$(dirname "$0")/../lib.sh"
e2e_begin window_animation_effects 1920x1080x24

printf '[normal]\r\nrunicon=1\r\ndetaillog=1\r\n[minimize]\r\nenabled=1\r\neffect=scale\r\nAnimationspeed=2\r\n' \
    >"$E2E_BASE/config.ini"
log=$E2E_BASE/Kestrana.log
timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
e2e_start_kestrana
kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock"
kdrv find dockhook32 dockhook32 20000 >/dev/null || e2e_fail "no dockhook32 watcher"
kdrv find hookel64 - 30000 >/dev/null || e2e_fail "no hook companion"
(cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
e2e_track $!
note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
sleep 3
read -r l t r b < <(kdrv rect "$note")

wait_iconic() { # <0|1>
    for i in $(seq 1 40); do [ "$(kdrv iconic "$note")" = "$1" ] && return 0; sleep 0.2; done
    return 1
}
round_trip() { # <effect>
    local effect=$1 info flights
    flights=$(grep -c "minimise: [0-9]* of" "$log")
    python3 "$E2E_ROOT/tests/e2e/measure/grab_frames.py" "$E2E_DIR/$effect-min" 12 80 &
    local grab=$!
    kdrv show "$note" 6 >/dev/null
    wait "$grab"
    wait_iconic 1 || e2e_fail "$effect: notepad did not end minimised"
    sleep 0.3
    [ "$(grep -c "minimise: [0-9]* of" "$log")" -gt "$flights" ] || e2e_fail "$effect: no minimise flight"
    python3 "$E2E_ROOT/tests/e2e/measure/grab_frames.py" "$E2E_DIR/$effect-res" 12 80 &
    grab=$!
    kdrv show "$note" 9 >/dev/null
    wait "$grab"
    wait_iconic 0 || e2e_fail "$effect: notepad did not come back"
    sleep 0.5
    info=$(kdrv info "$note")
    [ "$(echo "$info" | sed -n 's/^visible=//p')" = 1 ] || e2e_fail "$effect: notepad is hidden"
    [ $(( $(echo "$info" | sed -n 's/^exstyle=//p') & 0x80000 )) -eq 0 ] || e2e_fail "$effect: notepad left layered"
    [ "$(kdrv rect "$note")" = "$l $t $r $b" ] || e2e_fail "$effect: notepad came back elsewhere"
}

round_trip scale
kdrv ini 'C:\Kestrana\config.ini' minimize effect suck >/dev/null
round_trip suck
[ "$(grep -c "restore: [0-9]* of" "$log")" = 2 ] || e2e_fail "not every restore was flown"

sed -n 's/.*ask [0-9]* for .*: [01] in \([0-9]*\) us.*/\1/p' "$log" | sort -n |
    awk '{ a[NR] = $1 } END { if (NR) printf "answers: %d, median %d us, max %d us\n", NR, a[int((NR + 1) / 2)], a[NR] }'
grep -o "minimise: .*\|restore: .*" "$log"
echo ok
