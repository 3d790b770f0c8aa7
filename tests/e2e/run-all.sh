#!/usr/bin/env bash
# Runs every end-to-end scenario (tests/e2e/scenarios/*.sh, or those named as arguments),
# each in its own display, prefix and program folder, with a time-out. Scenarios spend
# most of their time waiting for Wine and for the program, so E2E_JOBS of them (default:
# the number of cores, at most 2) run side by side; the longest start first, by the
# durations the last run recorded (on a fresh checkout, those kept in durations.txt
# beside this script), so that no long one is left alone at the end. A scenario that
# fails runs once more, alone, at the end (see below).
# Prints one line per scenario and writes "<passed> <failed>" to build/e2e/summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/e2e/lib.sh"
e2e_make_template || { echo "e2e: cannot make the Wine prefix template" >&2; exit 1; }

mkdir -p "$E2E_BUILD/logs" "$E2E_BUILD/status"
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=("$root"/tests/e2e/scenarios/*.sh)
jobs=${E2E_JOBS:-$(nproc 2>/dev/null || echo 1)}
[ "$jobs" -ge 1 ] 2>/dev/null || jobs=1
[ "$jobs" -le 2 ] || [ -n "${E2E_JOBS:-}" ] || jobs=2
durations=$E2E_BUILD/durations # "<name> <seconds>" of the last runs, longest first
# A scenario this checkout never ran takes the duration kept beside the scenarios, and
# one never timed at all counts as long (it may be new and slow).
kept=$root/tests/e2e/durations.txt
known=$(cat "$durations" "$kept" 2>/dev/null)
mapfile -t scenarios < <(for s in "${scenarios[@]}"; do
    printf '%s %s\n' "$(awk -v n="$(basename "$s" .sh)" '$1 == n { print $2; f = 1; exit } END { if (!f) print 9999 }' \
        <<<"$known")" "$s"
done | sort -t' ' -k1,1nr | cut -d' ' -f2-)

run_one() { # <scenario>: runs it, writes "<PASS|FAIL> <seconds>" to its status file
    local s=$1 name log start status
    name=$(basename "$s" .sh)
    log=$E2E_BUILD/logs/$name.log
    start=$(date +%s.%N)
    # setsid: a scenario that hangs is stopped with everything it started; its own trap
    # still stops Xvfb and the wineserver by their ids.
    if timeout -k 10 "${E2E_TIMEOUT:-240}" setsid bash "$s" >"$log" 2>&1; then
        status=PASS
    else
        status=FAIL
    fi
    echo "$status $(echo "$(date +%s.%N) - $start" | bc)" >"$E2E_BUILD/status/$name"
}

report() { # <scenario> [last]: counts its result; a first failure is only noted for a second run
    local name status seconds
    name=$(basename "$1" .sh)
    read -r status seconds <"$E2E_BUILD/status/$name" 2>/dev/null || { status=FAIL; seconds=0; }
    printf '%s %.0f\n' "$name" "$seconds" >>"$durations.new"
    if [ "$status" = FAIL ] && [ -z "${2:-}" ]; then
        printf '%-4s %-40s %6.1fs  (runs again alone at the end)\n' "$status" "$name" "$seconds"
        tail -n 15 "$E2E_BUILD/logs/$name.log" | sed 's/^/     | /'
        again+=("$1")
        return
    fi
    printf '%-4s %-40s %6.1fs%s\n' "$status" "$name" "$seconds" "${2:+  (second run, alone)}"
    if [ "$status" = PASS ]; then
        passed=$((passed + 1))
        [ -z "${2:-}" ] || flaky+=("$name")
    else
        failed=$((failed + 1))
        [ -n "${2:-}" ] || tail -n 15 "$E2E_BUILD/logs/$name.log" | sed 's/^/     | /'
    fi
}

passed=0
failed=0
again=()
flaky=()
rm -f "$durations.new"
declare -A running=() # pid -> scenario
for s in "${scenarios[@]}"; do
    rm -f "$E2E_BUILD/status/$(basename "$s" .sh)"
    while [ ${#running[@]} -ge "$jobs" ]; do
        wait -n 2>/dev/null || true
        for pid in "${!running[@]}"; do
            kill -0 "$pid" 2>/dev/null && continue
            wait "$pid" 2>/dev/null
            report "${running[$pid]}"
            unset "running[$pid]"
        done
    done
    run_one "$s" &
    running[$!]=$s
done
for pid in "${!running[@]}"; do
    wait "$pid" 2>/dev/null
    report "${running[$pid]}"
done

# Under Wine a scenario can miss a deadline while another one loads the machine. A failed
# scenario runs once more with the machine to itself: a fault that holds fails again, and
# one that passes alone is named below with its first log kept, never hidden. A caller
# with other work on the machine names a file in E2E_AFTER_FILE that it makes when that
# work is done (the test command's native builds); the second runs wait for it.
if [ ${#again[@]} -gt 0 ] && [ -n "${E2E_AFTER_FILE:-}" ]; then
    while [ ! -e "$E2E_AFTER_FILE" ]; do sleep 2; done
fi
for s in "${again[@]}"; do
    name=$(basename "$s" .sh)
    mv -f "$E2E_BUILD/logs/$name.log" "$E2E_BUILD/logs/$name.first.log"
    # The first run's folder (the program's log, screenshots) is kept beside the second's.
    rm -rf "$E2E_BUILD/run/$name.first"
    [ -d "$E2E_BUILD/run/$name" ] && mv "$E2E_BUILD/run/$name" "$E2E_BUILD/run/$name.first"
    run_one "$s"
    report "$s" last
done
[ ${#flaky[@]} -eq 0 ] ||
    printf 'passed only when run alone (first logs in %s/logs/<name>.first.log, first run folders in run/<name>.first): %s\n' \
        "$E2E_BUILD" "${flaky[*]}"

# Keep the durations of scenarios not run this time.
if [ -f "$durations" ]; then
    awk 'NR == FNR { seen[$1] = 1; print; next } !($1 in seen)' "$durations.new" "$durations" >"$durations.merged"
    mv "$durations.merged" "$durations.new"
fi
sort -k2,2nr "$durations.new" | awk '!seen[$1]++' >"$durations" && rm -f "$durations.new"
echo "$passed $failed" >"$E2E_BUILD/summary"
[ "$failed" -eq 0 ]
