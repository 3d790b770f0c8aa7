# Requests from a process outside the program folder: the test driver runs from C:\, so
# to the program it is a foreign process. Each request is refused and logged, and the
# program and its companion go on serving their own processes. A copy of the driver in
# the program folder plays a legitimate companion; at the end a copy named Kestrana.exe
# plays the program towards the hook companion.
source "$(dirname "$0")/../lib.sh"
e2e_begin hostile_senders

cp "$WINEPREFIX/drive_c/kdriver.exe" "$E2E_BASE/kdriver.exe"
kown() { timeout 60 wine 'C:\Kestrana\kdriver.exe' "$@" 2>>"$E2E_DIR/wine.log" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
log=$E2E_BASE/Kestrana.log
clog=$E2E_BASE/Hookel64.log
# Posts a message; a driver that could not run (a Wine start that failed) is tried once more,
# as that is no fault of the program's.
post() {
    kdrv post "$@" >/dev/null && return 0
    e2e_log "the driver could not post $*: once more"
    kdrv post "$@" >/dev/null
}
# Says whether the program's main window still answers, when a refusal was not logged.
answers() { e2e_log "main window answers: $(kdrv send "$main" 0 0 0 2>&1 || echo no)"; }
# Waits up to five seconds for a fixed text in a log file.
logged() { # <file> <text>
    local i
    for i in $(seq 1 50); do grep -qF -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    e2e_log "not in $(basename "$1"): $2"; cat "$1" 2>/dev/null >&2
    return 1
}

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock window"
input=$(kdrv find OndelAPP - 5000) || e2e_fail "no dock input window"
companion=$(kdrv find hookel32 - 30000) || e2e_fail "no hookel32 companion window"
kdrv wait-prop "$companion" KestranaProgram "$main" 15000 || e2e_fail "the program's handshake was refused"
watcher=$(kdrv find dockhook32 dockhook32 10000) || e2e_fail "no minimise watcher"

# --- the main window ------------------------------------------------------------------
huge=$(( (65535 << 16) | 65535 ))
[ "$(kdrv copydata "$main" self $huge 0)" = 0 ] || e2e_fail "a foreign process got a window"
logged "$log" 'refused copy-data window 65535x65535 from pid' || e2e_fail "foreign copy-data not logged"
logged "$log" '(image C:\kdriver.exe): not a program of the program folder' || e2e_fail "refusal names no image"
[ "$(kown copydata "$main" self $huge 0)" = 0 ] || e2e_fail "a huge window was made"
logged "$log" 'refused copy-data window 65535x65535 from pid' || true
logged "$log" 'size out of bounds' || e2e_fail "huge size not logged"
# The same kind of request from a program of the folder, at a sane size, is served.
stack=$(kown copydata "$main" self $(( (120 << 16) | 300 )) 2)
[ -n "$stack" ] && [ "$stack" != 0 ] || e2e_fail "a legitimate copy-data request was refused"

for w in "$render" "$input"; do
    [ "$(kdrv send "$main" 65100 999 "$w")" = 0 ] || e2e_fail "65100/999 destroyed dock window $w"
    kdrv info "$w" >/dev/null || e2e_fail "dock window $w is gone"
done
logged "$log" '(class OndelAPPRend): window was not made on request' || e2e_fail "destroy refusal not logged"
logged "$log" '(class OndelAPP): window was not made on request' || e2e_fail "destroy refusal not logged"

made=0
for i in $(seq 1 12); do
    h=$(kdrv send "$main" 65100 2 0)
    [ -n "$h" ] && [ "$h" != 0 ] && made=$((made + 1))
done
echo "icon hosts made for 12 requests: $made"
[ "$made" -ge 1 ] && [ "$made" -lt 8 ] || e2e_fail "$made icon hosts made; the bound is 8 alive"
logged "$log" 'refused icon-host window (65100 names no sender): too many windows for this requester' || e2e_fail "flood not logged"

# Window reports name no sender: an unknown code, or a report about one of the program's
# own windows, is refused; the program goes on.
post "$main" KestranaWindowReport "$render" 9 || e2e_fail "the driver could not post"
logged "$log" "refused window report code 9 for window $render: unknown code" || e2e_fail "unknown report code not logged"
post "$main" KestranaWindowReport "$render" 2 || e2e_fail "the driver could not post"
logged "$log" "refused window report about window $render (class OndelAPPRend): a window of this program" ||
    e2e_fail "a report about the program's own window was not refused"
post "$main" 50014 "$input" 0 || e2e_fail "the driver could not post"
logged "$log" "refused window report about window $input (class OndelAPP): a window of this program" ||
    { answers; e2e_fail "a closing report about the program's own window was not refused"; }
kdrv info "$render" >/dev/null || e2e_fail "dock window gone after window reports"

# --- the hook companion ---------------------------------------------------------------
kdrv post "$companion" KestranaShareKey 65 0 >/dev/null
logged "$clog" 'refused key chord 65+0: key chord not allowed' || e2e_fail "a foreign key chord was not refused"
kdrv post "$companion" KestranaShareKey 175 0 >/dev/null
logged "$clog" 'refused key chord 175+0: no confirmation from the program' || e2e_fail "an unconfirmed chord was typed"
[ "$(kdrv confirm-keys "$companion" 174 0)" = 0 ] || e2e_fail "the companion took a foreign confirmation"
logged "$clog" 'refused confirmation from pid' || e2e_fail "foreign pipe client not logged"
logged "$clog" 'refused key chord 174+0: no confirmation from the program' || e2e_fail "chord after a foreign confirmation"
# Starting a program and hooking an application's thread are done for the program only.
kdrv post "$companion" KestranaShareTemp 1 0 >/dev/null
logged "$clog" 'refused starting the temperature reader: no confirmation from the program' ||
    e2e_fail "a foreign process had the temperature reader started"
kdrv post "$companion" KestranaShare 6 77 >/dev/null
logged "$clog" 'refused menu request 77: no confirmation from the program' || e2e_fail "a foreign menu request was taken"

# --- a window posing as the watcher ----------------------------------------------------
(cd "$E2E_DIR" && timeout 120 wine 'C:\kdriver.exe' watcher 1 100 'C:\impostor.log') >"$E2E_DIR/impostor.out" 2>&1 &
e2e_track $!
kdrv find dockhook32 dockhook32 10000 >/dev/null || e2e_fail "the stand-in watcher did not start"
(cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
e2e_track $!
note=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
[ "$(kdrv send "$companion" KestranaShare 999 "$note")" = 0 ] || e2e_fail "handshake naming notepad accepted"

# Questions to the program's watcher: the hook sends them from inside the window's own
# process. A posted one, one about the program's own window or about no window at all
# is refused before anything is pictured, hidden or minimised.
kdrv post "$watcher" 50014 0 "$note" >/dev/null
logged "$log" "refused question 0 about window $note from pid" || e2e_fail "a posted minimise question was not refused"
logged "$log" 'posted, where only a sent question is answered' || e2e_fail "the refusal does not say why"
[ "$(kdrv send "$watcher" 50014 0 "$render")" = 0 ] || e2e_fail "a question about the dock's own window was answered"
logged "$log" "refused question 0 about window $render from pid" || e2e_fail "a question about our own window was not refused"
[ "$(kdrv send "$watcher" 50014 0 12345)" = 0 ] || e2e_fail "a question about no window was answered"
logged "$log" 'refused question 0 about window 12345 from pid 0 (image unknown): not a top-level window' ||
    e2e_fail "a question about no window was not refused"
sleep 1
[ "$(kdrv iconic "$note")" = 0 ] || e2e_fail "a refused question minimised notepad"
grep -q 'minimise: .* frames presented' "$log" && e2e_fail "a refused question started a flight"
logged "$clog" 'refused handshake naming window' || e2e_fail "foreign handshake not logged"
sleep 1
kdrv show "$note" 6 >/dev/null # SW_MINIMIZE
for i in $(seq 1 40); do [ "$(kdrv iconic "$note")" = 1 ] && break; sleep 0.25; done
[ "$(kdrv iconic "$note")" = 1 ] || e2e_fail "the impostor's answer kept notepad from minimising"
[ -s "$WINEPREFIX/drive_c/impostor.log" ] && e2e_fail "the hook asked the impostor: $(cat "$WINEPREFIX/drive_c/impostor.log")"

# --- the program keeps working ----------------------------------------------------------
kdrv info "$main" >/dev/null || e2e_fail "main window gone"
kdrv info "$render" >/dev/null || e2e_fail "dock window gone"
[ "$(kdrv prop "$companion" KestranaProgram)" = "$main" ] || e2e_fail "the companion lost the program"
again=$(kown copydata "$main" self $(( (10 << 16) | 10 )) 0)
[ -n "$again" ] && [ "$again" != 0 ] || e2e_fail "no legitimate request served after the hostile ones"

# --- the program's own confirmation is taken ----------------------------------------------
# Stand in for the program: the driver as C:\Kestrana\Kestrana.exe confirms a volume key.
kdrv post "$main" 16 0 0 >/dev/null # WM_CLOSE
kdrv gone KESTRANA - 10000 || e2e_fail "the program did not quit"
wait "$E2E_KESTRANA" 2>/dev/null || true
cp "$WINEPREFIX/drive_c/kdriver.exe" "$E2E_BASE/stand-in.exe" && mv -f "$E2E_BASE/stand-in.exe" "$E2E_BASE/Kestrana.exe"
before=$(grep -c 'refused key chord 173+0' "$clog" || true)
[ "$(timeout 60 wine 'C:\Kestrana\Kestrana.exe' confirm-keys "$companion" 173 0 2>>"$E2E_DIR/wine.log" | tr -d '\r')" = 1 ] ||
    e2e_fail "the companion refused the program's confirmation"
sleep 1
[ "$(grep -c 'refused key chord 173+0' "$clog" || true)" = "$before" ] || e2e_fail "the confirmed chord was refused"

# With the impostor still there, the hook asks the watcher of the program (this stand-in)
# before notepad is restored, and still never the impostor; nor do twenty more decoys,
# made after the stand-in and so found before it, hide it.
(cd "$E2E_DIR" && timeout 60 wine 'C:\Kestrana\Kestrana.exe' watcher 0 30 'C:\legit.log') >"$E2E_DIR/legit.out" 2>&1 &
e2e_track $!
e2e_wait_windows dockhook32 2 || e2e_fail "the impostor and the stand-in are not both there"
(cd "$E2E_DIR" && timeout 60 wine 'C:\kdriver.exe' watcher 1 30 'C:\decoys.log' 20) >"$E2E_DIR/decoys.out" 2>&1 &
e2e_track $!
e2e_wait_windows dockhook32 22 || e2e_fail "the decoys are not there"
kdrv show "$note" 9 >/dev/null # SW_RESTORE
for i in $(seq 1 40); do grep -q "^3 $note\$" "$WINEPREFIX/drive_c/legit.log" 2>/dev/null && break; sleep 0.25; done
grep -q "^3 $note\$" "$WINEPREFIX/drive_c/legit.log" || e2e_fail "the program's watcher was not asked"
[ -s "$WINEPREFIX/drive_c/impostor.log" ] && e2e_fail "the hook asked the impostor: $(cat "$WINEPREFIX/drive_c/impostor.log")"
[ -s "$WINEPREFIX/drive_c/decoys.log" ] && e2e_fail "the hook asked a decoy: $(cat "$WINEPREFIX/drive_c/decoys.log")"
grep -E 'refused' "$log" "$clog" | sed 's/^/  /'
echo ok
