# A fault inside the program writes a crash dump named after the local time and the
# version, asks the user, and on OK starts the program again. A restart request with
# "waitgameover-" waits for the named window to go before it starts.
source "$(dirname "$0")/../lib.sh"
e2e_begin crash_and_restart

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
pid=$(kdrv info "$main" | sed -n 's/^pid=//p')
before=$(date +%s)
kdrv crash "$pid" || e2e_fail "could not fault the program"

# The crash prompt (a message box of the crashed process) appears; answer OK.
box=""
for i in $(seq 1 80); do
    box=$(kdrv windows '#32770' | awk -v p="pid=$pid" '$0 ~ p {print $1; exit}')
    [ -n "$box" ] && break
    sleep 0.25
done
[ -n "$box" ] || e2e_fail "no crash prompt"
dump=$(ls "$E2E_BASE"/*_error.dmp 2>/dev/null | head -n1)
[ -n "$dump" ] || e2e_fail "no dump written"
name=$(basename "$dump")
echo "dump: $name ($(stat -c %s "$dump") bytes)"
[[ "$name" =~ ^([0-9]{4})_([1-9][0-9]?)_([1-9][0-9]?)_([0-9]{1,2})_([0-9]{1,2})_([0-9]{1,2})_[0-9.]+_error\.dmp$ ]] ||
    e2e_fail "dump name $name"
[ "${BASH_REMATCH[1]}" = "$(date +%Y)" ] || e2e_fail "dump year"
[ "${BASH_REMATCH[4]}" = "$(date -d "@$before" +%-H)" ] || [ "${BASH_REMATCH[4]}" = "$(date +%-H)" ] || e2e_fail "dump hour"
[ "$(head -c 4 "$dump")" = MDMP ] || e2e_fail "the dump is not a minidump"

kdrv send "$box" 273 1 0 >/dev/null || true # WM_COMMAND IDOK
# The old process ends and a new one starts and takes over the instance.
for i in $(seq 1 80); do
    new=$(kdrv find KESTRANA - 0) && [ "$new" != "$main" ] && break
    sleep 0.25
done
[ -n "${new:-}" ] && [ "$new" != "$main" ] || e2e_fail "the program did not start again after OK"
newpid=$(kdrv info "$new" | sed -n 's/^pid=//p')
[ "$newpid" != "$pid" ] || e2e_fail "same process"
echo "restarted: window $new, process $newpid"

# Quit it, then start with the restart argument naming a live window: the start waits
# until that window is gone (checked every 1.5 s, going on after the second miss).
kdrv post "$new" 16 0 0 >/dev/null
kdrv gone KESTRANA - 10000 || e2e_fail "did not quit"
(cd "$E2E_DIR" && timeout 60 wine 'C:\kdriver.exe' watcher 0 4 'C:\hold.log') >/dev/null 2>&1 &
e2e_track $!
hold=$(kdrv find - dockhook32 10000) || e2e_fail "no window to wait for"
start=$(date +%s%N)
e2e_start_kestrana "waitgameover-$hold"
kdrv find KESTRANA - 30000 >/dev/null || e2e_fail "no start after the wait"
waited=$(( ($(date +%s%N) - start) / 1000000 ))
echo "started after ${waited} ms"
# The program has a "dockhook32" watcher of its own: look at the awaited window itself.
kdrv info "$hold" >/dev/null && e2e_fail "started while the awaited window lived"
[ $waited -ge 4000 ] || e2e_fail "did not wait for the window (${waited} ms)"
echo ok
