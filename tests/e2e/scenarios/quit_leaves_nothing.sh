# Quitting ends the program's process and leaves no process of it behind.
source "$(dirname "$0")/../lib.sh"
e2e_begin quit_leaves_nothing

e2e_start_kestrana
kdrv find KESTRANA - 20000 >/dev/null || e2e_fail "program did not start"
e2e_quit_kestrana
kdrv gone KESTRANA - 0 || e2e_fail "main window left behind"
left=$(for p in $(e2e_prefix_processes); do tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null; echo; done | grep -i kestrana || true)
[ -z "$left" ] || e2e_fail "processes left: $left"
echo ok
