# A second start exits at once while the first runs and "config.ini" exists; after the
# first one quits, a new start runs normally.
source "$(dirname "$0")/../lib.sh"
e2e_begin second_instance

e2e_start_kestrana
first=$(kdrv find KESTRANA - 20000) || e2e_fail "first instance did not start"
[ -f "$E2E_BASE/config.ini" ] || printf '\xff\xfe' >"$E2E_BASE/config.ini"

start=$(date +%s%N)
(cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe') >>"$E2E_DIR/second.log" 2>&1
rc=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second start: exit $rc after ${elapsed} ms"
[ $rc -eq 0 ] || e2e_fail "second instance exit code $rc"
[ $elapsed -lt 10000 ] || e2e_fail "second instance took ${elapsed} ms to give up"
count=$(kdrv windows KESTRANA | wc -l)
[ "$count" -eq 1 ] || e2e_fail "$count main windows"
[ "$(kdrv find KESTRANA - 0)" = "$first" ] || e2e_fail "the first instance's window changed"

# Quit the first; the instance event goes with it, so a new start is a first instance.
kdrv post "$first" 16 0 0 >/dev/null
wait "$E2E_KESTRANA" 2>/dev/null
e2e_start_kestrana
kdrv find KESTRANA - 20000 >/dev/null || e2e_fail "no start after the first instance quit"
echo ok
