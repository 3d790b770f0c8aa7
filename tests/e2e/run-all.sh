#!/usr/bin/env bash
# Runs every end-to-end scenario (tests/e2e/scenarios/*.sh, or those named as arguments)
# one after the other, each in its own display, prefix and program folder, with a time-out.
# Prints one line per scenario and writes "<passed> <failed>" to build/e2e/summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/e2e/lib.sh"
e2e_make_template || { echo "e2e: cannot make the Wine prefix template" >&2; exit 1; }

mkdir -p "$E2E_BUILD/logs"
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=("$root"/tests/e2e/scenarios/*.sh)
passed=0
failed=0
for s in "${scenarios[@]}"; do
    name=$(basename "$s" .sh)
    log=$E2E_BUILD/logs/$name.log
    start=$(date +%s.%N)
    # setsid: a scenario that hangs is stopped with everything it started; its own trap
    # still stops Xvfb and the wineserver by their ids.
    if timeout -k 10 "${E2E_TIMEOUT:-240}" setsid bash "$s" >"$log" 2>&1; then
        passed=$((passed + 1))
        status=PASS
    else
        failed=$((failed + 1))
        status=FAIL
    fi
    printf '%-4s %-40s %6.1fs\n' "$status" "$name" "$(echo "$(date +%s.%N) - $start" | bc)"
    if [ $status = FAIL ]; then
        tail -n 15 "$log" | sed 's/^/     | /'
    fi
done
echo "$passed $failed" >"$E2E_BUILD/summary"
[ "$failed" -eq 0 ]
