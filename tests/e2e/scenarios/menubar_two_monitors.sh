# With "allscreens" every screen gets a bar across its own top, the second one 800 ms
# after the first. Two screens come from Xephyr with Xinerama inside the scenario's
# display (Wine then reads them through Xinerama instead of XRandR).
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_two_monitors 1600x700x24
e2e_two_screens

printf '[brisel]\r\nVarlo=1\r\nOndel=0\r\n[finder]\r\nallscreens=1\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no bar"
e2e_wait_windows VarloApp 2
kdrv windows VarloApp
mapfile -t bars < <(kdrv windows VarloApp | awk -F'rect=' '{print $2}' | sort -t, -k1 -n)
[ "${#bars[@]}" -eq 2 ] || e2e_fail "${#bars[@]} bars for two screens"
IFS=, read -r l1 t1 r1 b1 <<<"${bars[0]}"
IFS=, read -r l2 t2 r2 b2 <<<"${bars[1]}"
echo "first: $l1 $t1 $r1 $b1; second: $l2 $t2 $r2 $b2"
[ "$l1 $t1 $r1 $b1" = "0 0 800 24" ] || e2e_fail "the first bar is not across the first screen's top"
[ "$l2 $t2 $r2 $b2" = "800 0 1440 24" ] || e2e_fail "the second bar is not across the second screen's top"
echo ok
