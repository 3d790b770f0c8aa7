source "$(dirname "$0")/../lib.sh"
e2e_begin zz_lp 1920x1080x24
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
sleep 2
read -r l t r b < <(kdrv rect "$input")
y=$(( (t + b) / 2 ))
e2e_rest_mark launchpad
xdotool mousemove $((l + 90)) $y; sleep 0.3; xdotool mousemove $((l + 91)) $y; sleep 1
xdotool click 1
pad=$(kdrv find OndelLaunchpad - 20000) || e2e_fail "the Launchpad did not open"
sleep 1.5
e2e_screenshot shown >/dev/null
xdotool key Escape
sleep 1.5
e2e_screenshot hidden >/dev/null
kdrv windows OndelLaunchpad
kdrv windows VarloApp
kdrv windows OndelAPPRend
kdrv windows OndelAPPBlur
e2e_rest_check launchpad || true
echo ok
