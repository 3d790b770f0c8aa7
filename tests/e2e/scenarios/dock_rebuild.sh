# Display changes in a row, the first while the save asked for at the first start may
# still run: each takes the dock down and builds it again. One dock is left, the item
# list is whole, the program quits cleanly, and its log records no save that lost its
# dock and no job of a closed dock left running.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_rebuild

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
first=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock"
# The timer the main window runs once a display change has settled (WM_TIMER, 9877).
for i in $(seq 1 20); do
    kdrv post "$main" 275 9877 0 >/dev/null || e2e_fail "cannot post the display change"
done
# The rebuilds run one after another: wait until one dock window has stayed the same
# for a second, so the count is not taken between taking a dock down and building it.
previous=
stable=0
for i in $(seq 1 120); do
    windows=$(kdrv windows OndelAPPRend)
    if [ "$(printf '%s\n' "$windows" | grep -c .)" -eq 1 ] && [ "$windows" = "$previous" ]; then
        stable=$((stable + 1))
        [ $stable -ge 4 ] && break
    else
        stable=0
    fi
    previous=$windows
    sleep 0.25
done
count=$(kdrv windows OndelAPPRend | wc -l)
[ "$count" -eq 1 ] || e2e_fail "$count dock windows after the rebuilds"
last=$(kdrv find OndelAPPRend - 5000) || e2e_fail "no dock after the rebuilds"
[ "$last" != "$first" ] || e2e_fail "the dock was not built again"
kdrv find OndelAPP - 5000 >/dev/null || e2e_fail "no dock input window after the rebuilds"
sections=$(e2e_text "$E2E_BASE/ico.ini" | grep -c '^\[ico')
[ "$sections" -eq 6 ] || e2e_fail "ico.ini holds $sections sections, not the six of the default list"

e2e_quit_kestrana
if [ -f "$E2E_BASE/Kestrana.log" ]; then
    cat "$E2E_BASE/Kestrana.log"
    ! grep -aE 'item save|docks' "$E2E_BASE/Kestrana.log" || e2e_fail "the log records a lost save or a stuck job"
fi
echo ok
