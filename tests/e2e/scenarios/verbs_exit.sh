# The one-job verbs do their job and exit with 0 without starting the program.
source "$(dirname "$0")/../lib.sh"
e2e_begin verbs_exit

run_verb() {
    (cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe' "$@") >>"$E2E_DIR/verbs.log" 2>&1
}
printf 'MZ loftgate stand-in' >"$E2E_BASE/Loftgate.exe"
pf="$WINEPREFIX/drive_c/Program Files/Kestrana"

run_verb AddUIAccess || e2e_fail "adduiaccess exit $?"
[ -f "$pf/Loftgate.exe" ] || e2e_fail "adduiaccess did not copy the UI-access companion"
kdrv find KESTRANA - 0 >/dev/null && e2e_fail "adduiaccess started the program"

run_verb deluiaccess || e2e_fail "deluiaccess exit $?"
[ -e "$pf" ] && e2e_fail "deluiaccess left $pf"

run_verb opensystemuac || e2e_fail "opensystemuac exit $?"
kdrv find KESTRANA - 0 >/dev/null && e2e_fail "a verb started the program"
grep -qi 'EnableLUA' "$WINEPREFIX/system.reg" || { timeout 20 wineserver -w; grep -qi '"EnableLUA"=dword:00000001' "$WINEPREFIX/system.reg"; } ||
    e2e_fail "EnableLUA not set"
echo ok
