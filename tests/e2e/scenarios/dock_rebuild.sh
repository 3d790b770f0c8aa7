# Display changes in a row, the first while the save asked for at the first start may
# still run: each takes the dock down and builds it again. One dock is left, the item
# list is whole, the program quits cleanly, and its log records no save that lost its
# dock and no job of a closed dock left running.
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_rebuild

# The dark flag follows the system's app mode: dark at the start, light after the system
# says its colours changed (the docks are then built again).
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
e2e_wine 60 reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null || e2e_fail "could not set the apps dark"
printf '[normal]\r\ndarkmodesystem=1\r\n' >"$E2E_BASE/config.ini"
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
dark=$(e2e_text "$E2E_BASE/config.ini" | sed -n 's/^darkmode=//p')
[ "$dark" = 1 ] || e2e_fail "the dark flag did not take the system's dark app mode (darkmode=$dark)"
e2e_wine 60 reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d 1 /f >/dev/null || e2e_fail "could not set the apps light"
kdrv setting-change ImmersiveColorSet || e2e_fail "could not announce the colour change"
for i in $(seq 1 50); do
    dark=$(e2e_text "$E2E_BASE/config.ini" | sed -n 's/^darkmode=//p')
    [ "$dark" = 0 ] && break
    sleep 0.2
done
[ "$dark" = 0 ] || e2e_fail "the dark flag did not follow the light app mode (darkmode=$dark)"
for i in $(seq 1 50); do
    now=$(kdrv find OndelAPPRend - 2000) && [ "$now" != "$last" ] && break
    sleep 0.2
done
[ -n "$now" ] && [ "$now" != "$last" ] || e2e_fail "the dock was not built again in the light appearance"

e2e_quit_kestrana
if [ -f "$E2E_BASE/Kestrana.log" ]; then
    cat "$E2E_BASE/Kestrana.log"
    ! grep -aE 'item save|docks' "$E2E_BASE/Kestrana.log" || e2e_fail "the log records a lost save or a stuck job"
fi
echo ok
