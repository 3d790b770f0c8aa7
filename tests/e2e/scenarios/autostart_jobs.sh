# The hook companion's elevated jobs: the logon task, the service entry and their removal.
source "$(dirname "$0")/../lib.sh"
e2e_begin autostart_jobs

job() { (cd "$E2E_BASE" && timeout 60 wine 'C:\Kestrana\Hookel64.exe' "$1") >>"$E2E_DIR/jobs.log" 2>&1; }
task=$WINEPREFIX/drive_c/windows/system32/tasks/Kestrana
service_image() {
    timeout 30 wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\Ondel' /v ImagePath 2>/dev/null | tr -d '\r' |
        sed -n 's/.*ImagePath *REG_[A-Z_]* *//p'
}

job SystemRunStartPlane || e2e_fail "task job exit $?"
[ -f "$task" ] || e2e_fail "no task file"
# This Wine writes task files without their program actions (it keeps an empty <Exec/>
# or none), so only the task itself and its settings can be checked here.
grep -q 'Starts Kestrana when you sign in' "$task" || e2e_fail "not our task: $(head -c 400 "$task")"
grep -q '<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>' "$task" || e2e_fail "the task has a time limit"
grep -q '<DisallowStartIfOnBatteries>false' "$task" || e2e_fail "the task would not start on battery"

job SystemRunStart || e2e_fail "service job exit $?"
image=$(service_image)
echo "service image: $image"
[[ "$image" == *'C:\Kestrana\Ondel.exe'* ]] || e2e_fail "service image path '$image'"

job SystemDelStart || e2e_fail "removal job exit $?"
[ -f "$task" ] && e2e_fail "task left behind"
[ -z "$(service_image)" ] || e2e_fail "service entry left behind"
echo ok
