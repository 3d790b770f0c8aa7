# With "multiscreen" 2 every monitor gets its own dock, each on its monitor's bottom edge.
# Two monitors come from Xephyr with Xinerama inside the scenario's display (Wine then
# reads them through Xinerama instead of XRandR).
source "$(dirname "$0")/../lib.sh"
e2e_begin dock_two_monitors 1600x700x24
e2e_two_screens

printf '[normal]\r\nmultiscreen=2\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock"
e2e_wait_windows OndelAPPRend 2
kdrv windows OndelAPPRend
mapfile -t docks < <(kdrv windows OndelAPPRend | awk -F'rect=' '{print $2}')
[ "${#docks[@]}" -eq 2 ] || e2e_fail "${#docks[@]} docks for two monitors"
sleep 1
mapfile -t docks < <(kdrv windows OndelAPPRend | awk -F'rect=' '{print $2}' | sort -t, -k1 -n)
IFS=, read -r l1 t1 r1 b1 <<<"${docks[0]}"
IFS=, read -r l2 t2 r2 b2 <<<"${docks[1]}"
echo "first: $l1 $t1 $r1 $b1; second: $l2 $t2 $r2 $b2"
[ "$b1" -eq 600 ] && [ "$r1" -le 800 ] || e2e_fail "the first dock is not on the first monitor's bottom edge"
[ "$b2" -eq 480 ] && [ "$l2" -ge 800 ] || e2e_fail "the second dock is not on the second monitor's bottom edge"
echo ok
