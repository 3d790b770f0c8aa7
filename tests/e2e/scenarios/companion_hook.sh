# The program starts its hook companion and shakes hands with it; the companion's
# system-wide hook asks the "dockhook32" watcher before another program's window is
# minimised or restored, and the answer decides who acts. This Wine has no 32-bit layer,
# so the 32-bit companion cannot run and the 64-bit one takes its role.
#
# The hook asks only a watcher inside the program (Kestrana.exe of the program folder),
# so once the handshake is checked the program is stopped and the driver, copied in as
# C:\Kestrana\Kestrana.exe, hosts the stand-in watcher.
source "$(dirname "$0")/../lib.sh"
e2e_begin companion_hook

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
companion=$(kdrv find hookel32 - 30000) || e2e_fail "no hookel32 companion window"
kdrv find hookel64 - 20000 >/dev/null || e2e_fail "no hookel64 companion window"
kdrv wait-prop "$companion" KestranaProgram "$main" 15000 || e2e_fail "the handshake did not reach the companion"
# The companion refuses a handshake that names no window of another process.
[ "$(kdrv send "$companion" KestranaShare 999 0)" = 0 ] || e2e_fail "handshake without a window accepted"

kdrv post "$main" 16 0 0 >/dev/null # WM_CLOSE
kdrv gone KESTRANA - 10000 || e2e_fail "the program did not quit"
wait "$E2E_KESTRANA" 2>/dev/null || true
cp "$WINEPREFIX/drive_c/kdriver.exe" "$E2E_BASE/stand-in.exe" && mv -f "$E2E_BASE/stand-in.exe" "$E2E_BASE/Kestrana.exe"

# A stand-in watcher that answers 1: the system must not minimise the window itself.
(cd "$E2E_DIR" && timeout 60 wine 'C:\Kestrana\Kestrana.exe' watcher 1 40 'C:\watch1.log') >"$E2E_DIR/watcher1.out" 2>&1 &
e2e_track $!
kdrv find - dockhook32 10000 >/dev/null || e2e_fail "stand-in watcher did not start"
(cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
e2e_track $!
note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
sleep 1
kdrv show "$note" 6 >/dev/null # SW_MINIMIZE
sleep 2
log=$WINEPREFIX/drive_c/watch1.log
grep -q "^0 $note\$" "$log" || e2e_fail "no minimise ask (wParam 0) for notepad; log: $(cat "$log")"
[ "$(kdrv iconic "$note")" = 0 ] || e2e_fail "the window was minimised although the watcher answered 1"

# The watcher answering 0 leaves the minimise to the system.
kdrv post "$(kdrv find - dockhook32 0)" 16 0 0 >/dev/null
kdrv gone - dockhook32 10000 || true
sleep 1
(cd "$E2E_DIR" && timeout 60 wine 'C:\Kestrana\Kestrana.exe' watcher 0 40 'C:\watch0.log') >"$E2E_DIR/watcher0.out" 2>&1 &
e2e_track $!
kdrv find - dockhook32 10000 >/dev/null || e2e_fail "second stand-in watcher did not start"
kdrv show "$note" 6 >/dev/null
for i in $(seq 1 40); do [ "$(kdrv iconic "$note")" = 1 ] && break; sleep 0.25; done
[ "$(kdrv iconic "$note")" = 1 ] || e2e_fail "the window did not minimise with the watcher answering 0"
log0=$WINEPREFIX/drive_c/watch0.log
grep -q "^0 $note\$" "$log0" || e2e_fail "no minimise ask with answer 0; log: $(cat "$log0")"

# Restoring asks with wParam 3.
kdrv show "$note" 9 >/dev/null # SW_RESTORE
for i in $(seq 1 40); do grep -q "^3 $note\$" "$log0" && break; sleep 0.25; done
grep -q "^3 $note\$" "$log0" || e2e_fail "no restore ask (wParam 3); log: $(cat "$log0")"
echo ok
