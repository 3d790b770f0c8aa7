# "showmode" 1: the bar slides out of sight once the pointer is away from it, and back
# when the pointer reaches the top edge of the screen.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_showmode 1920x1080x24

printf '[brisel]\r\nVarlo=1\r\nOndel=0\r\n[finder]\r\nshowmode=1\r\n' >"$E2E_BASE/config.ini"
xdotool mousemove 960 540
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
visible() { kdrv info "$bar" | sed -n 's/^visible=//p'; }
wait_visible() { # <0|1>
    local i
    for i in $(seq 1 30); do
        [ "$(visible)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
wait_visible 0 || e2e_fail "the bar stayed with the pointer away"
xdotool mousemove 960 0
wait_visible 1 || e2e_fail "the bar did not come back at the top edge"
sleep 0.5
read -r l t r b < <(kdrv rect "$bar")
[ "$t" -eq 0 ] || e2e_fail "the bar came back at $t, not at the top"
xdotool mousemove 960 12
sleep 0.5
[ "$(visible)" = 1 ] || e2e_fail "the bar left while the pointer was on it"
xdotool mousemove 960 540
wait_visible 0 || e2e_fail "the bar stayed after the pointer left again"
echo ok
