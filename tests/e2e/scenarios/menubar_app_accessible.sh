# A window without a classic menu whose menu bar exists only for the accessibility
# interface (the test driver's "acc-window": items Alpha, Beta, Gamma): the bar shows
# those titles, and a click on one invokes that element in the application.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_app_accessible 1920x1080x24
source "$(dirname "$0")/../menubar_app.sh"
start_with_companion

(cd "$E2E_DIR" && exec timeout 60 wine 'C:\kdriver.exe' acc-window 50) >"$E2E_DIR/accwindow.out" 2>&1 &
e2e_track $!
kdrv find KdriverAccTest - 15000 >/dev/null || e2e_fail "the test window did not come up"
line=$(wait_presented 0 'kdriver: \[Alpha [0-9-]*\] \[Beta [0-9-]*\] \[Gamma ') ||
    e2e_fail "the accessible menu bar's titles were not presented"
echo "test window: $line"
beta=$(title_x "$line" Beta)
xdotool mousemove "$beta" 12 click 1
kdrv find KdriverAccTest 'invoked Beta' 5000 >/dev/null || e2e_fail "the click did not invoke the Beta element"
echo ok
