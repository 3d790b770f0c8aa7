# Quitting ends the program's process and leaves no process of it behind.
source "$(dirname "$0")/../lib.sh"
e2e_begin quit_leaves_nothing

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
kdrv post "$main" 16 0 0 >/dev/null || e2e_fail "cannot ask the program to quit"
for i in $(seq 1 100); do
    kill -0 "$E2E_KESTRANA" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$E2E_KESTRANA" 2>/dev/null && e2e_fail "Kestrana.exe still runs 10 s after the quit request"
wait "$E2E_KESTRANA"; rc=$?
[ $rc -eq 0 ] || e2e_fail "exit code $rc"
kdrv gone KESTRANA - 0 || e2e_fail "main window left behind"
left=$(for p in $(e2e_prefix_processes); do tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null; echo; done | grep -i kestrana || true)
[ -z "$left" ] || e2e_fail "processes left: $left"
echo ok
