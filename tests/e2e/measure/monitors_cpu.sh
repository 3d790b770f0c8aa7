#!/usr/bin/env bash
# The monitors' idle cost under Wine: the CPU time Kestrana.exe uses with the pointer
# resting, with all five monitor items on (counters off, as Wine's counters lie) and with
# none, in the same running program: the settings file is switched between the two every
# MEASURE_SECONDS (60 by default: each phase then holds one start of a minute, when the
# clocks redraw), ROUNDS times (4), so that what differs between two
# starts of the program (its caches, the machine's load) does not enter the difference.
# One session per display type of the CPU and disk (TYPES: "level graph text" by default:
# the level bars are what a new user gets; a graph is redrawn at every sample, a level bar
# or text only when the picture changes). Each phase waits 8 s after
# the switch for the items to come or go and the reader to start or end. At the end of a
# session it prints the reader's memory: the private pages of Thermel.exe's Wine process.
# CPU time is the scheduler's run time of every thread (/proc/.../schedstat, in ns): the
# tick counts of /proc/.../stat charge whole 10-ms ticks to whichever thread a tick finds
# running, which for threads that wake on timers for a fraction of a millisecond is more
# noise than measurement. Beside Kestrana.exe alone it prints the whole session: every
# process of the Wine prefix (the server, which answers each request, the device host
# that reads the network, the temperature reader), the X server and the compositor, which
# carry each present to the screen.
# Not part of the test command (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
e2e_make_template

source "$(dirname "$0")/threads.sh"

# The session's processes: the prefix's, the X server and the compositor on our display.
session_processes() { echo $(e2e_prefix_processes) "$E2E_XVFB" $(pgrep -x xcompmgr); }

# Prints "<name>/<pid>/<tid> <ns>" for every thread of the processes $@.
session_ns() {
    local pid name
    for pid in "$@"; do
        name=$(tr -d ' /' <"/proc/$pid/comm" 2>/dev/null) || continue
        thread_ns "$pid" | sed "s|^|$name/$pid/|"
    done
}
seconds=${MEASURE_SECONDS:-60}
rounds=${ROUNDS:-4}

session() { # <label> <lines of section findermonitor when on>
    local label=$1
    e2e_begin "measure_monitors_cpu_$1" 1280x800x24
    local base='[brisel]\r\nVarlo=1\r\n[finder]\r\ndarkmode=3\r\nwifi=0\r\nbluetooth=0\r\n[findermonitor]\r\n'
    printf "$base" >"$E2E_DIR/off.ini"
    printf "$base%b" "$2" >"$E2E_DIR/on.ini"
    cp "$E2E_DIR/off.ini" "$E2E_BASE/config.ini"
    e2e_start_kestrana
    kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
    xdotool mousemove 640 500
    sleep 10 # start-up work settles
    local round state t0 t1 diffs="" uidiffs="" wholediffs="" own=""
    for round in $(seq 1 "$rounds"); do
        local off=0 uioff=0 wholeoff=0 all ui
        for state in off on; do
            cp "$E2E_DIR/$state.ini" "$E2E_BASE/config.ini.new" && mv -f "$E2E_BASE/config.ini.new" "$E2E_BASE/config.ini"
            sleep 8
            local processes
            processes=$(session_processes)
            # shellcheck disable=SC2086 # one word per process
            session_ns $processes >"$E2E_DIR/before-session"
            thread_ns "$E2E_KESTRANA" >"$E2E_DIR/before"
            t0=$(date +%s%N)
            sleep "$seconds"
            t1=$(date +%s%N)
            thread_ns "$E2E_KESTRANA" >"$E2E_DIR/after"
            # shellcheck disable=SC2086
            session_ns $processes >"$E2E_DIR/after-session"
            local whole
            whole=$(awk 'NR == FNR { b[$1] = $2; next } { all += $2 - b[$1] } END { print all + 0 }' \
                "$E2E_DIR/before-session" "$E2E_DIR/after-session")
            # The session's processes by name.
            local byprocess
            byprocess=$(awk -v l="$label-$round-$state" 'NR == FNR { b[$1] = $2; next }
                { split($1, k, "/"); by[k[1]] += $2 - b[$1] }
                END { line = ""; for (n in by) if (by[n] >= 5e6) line = line sprintf(" %s %.3f,", n, by[n] / 1e9)
                      printf "%-14s   by process:%s", l, line }' "$E2E_DIR/before-session" "$E2E_DIR/after-session")
            # All threads and the user-interface one, in ns; a thread born in the phase
            # counts from 0, one that ended in it is lost (the sampler lives as long as
            # its items).
            read -r all ui < <(awk -v main="$E2E_KESTRANA" 'NR == FNR { b[$1] = $2; next }
                { all += $2 - b[$1]; if ($1 == main) u = $2 - b[$1] } END { print all, u + 0 }' "$E2E_DIR/before" "$E2E_DIR/after")
            awk -v c="$all" -v u="$ui" -v w="$whole" -v ns=$((t1 - t0)) -v l="$label-$round-$state" -v load="$(cut -d' ' -f1 /proc/loadavg)" \
                'BEGIN { printf "%-14s %.3f s CPU (user interface %.3f s, other threads %.3f s), %.3f%% of one core; whole session %.3f s (load %s)\n",
                    l, c / 1e9, u / 1e9, (c - u) / 1e9, 100 * c / ns, w / 1e9, load }'
            echo "$byprocess"
            # Kestrana.exe's threads that ran 5 ms or more (a new one marked with "+").
            awk -v l="$label-$round-$state" 'NR == FNR { b[$1] = $2; next }
                { d = $2 - b[$1]; if (d >= 5e6) line = line sprintf(" %s%s %.3f,", $1, ($1 in b) ? "" : "+", d / 1e9) }
                END { printf "%-14s   by thread:%s\n", l, line }' "$E2E_DIR/before" "$E2E_DIR/after"
            if [ "$state" = off ]; then
                off=$all uioff=$ui wholeoff=$whole
                cp "$E2E_DIR/after" "$E2E_DIR/off-after"
            else
                diffs="$diffs $((all - off))" uidiffs="$uidiffs $((ui - uioff))" wholediffs="$wholediffs $((whole - wholeoff))"
                # The threads the items brought (the sampler): exactly theirs, without
                # the minute-to-minute spread of the rest of the program.
                own="$own $(awk 'FILENAME ~ /off-after/ { was[$1] = 1; next }
                    FILENAME ~ /before/ { b[$1] = $2; next } !($1 in was) { n += $2 - b[$1] } END { print n + 0 }' \
                    "$E2E_DIR/off-after" "$E2E_DIR/before" "$E2E_DIR/after")"
            fi
        done
    done
    # Still on: the reader runs.
    local pid
    for pid in $(e2e_prefix_processes); do
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'thermel\.exe' || continue
        awk -v l="$1" '/^Private_Clean:/ { pc += $2 } /^Private_Dirty:/ { pd += $2 }
            END { printf "%-14s Thermel.exe: %d KiB private (clean %d, dirty %d)\n", l, pc + pd, pc, pd }' "/proc/$pid/smaps"
    done
    local spread='{
        n = NF; for (i = 1; i <= n; i++) { d[i] = $i / 1e9; sum += d[i] }
        mean = sum / n; for (i = 1; i <= n; i++) var += (d[i] - mean) ^ 2
        sd = n > 1 ? sqrt(var / (n - 1)) : 0
        printf "%-14s %s: mean %.3f s per %d s (%.3f%% of one core), spread of one round %.3f s, over %d rounds\n",
            l, what, mean, s, 100 * mean / s, sd, n }'
    echo "$diffs" | awk -v s="$seconds" -v l="$label" -v what="items on minus off" "$spread"
    echo "$uidiffs" | awk -v s="$seconds" -v l="$label" -v what="user interface on minus off" "$spread"
    echo "$wholediffs" | awk -v s="$seconds" -v l="$label" -v what="whole session on minus off" "$spread"
    echo "$own" | awk -v s="$seconds" -v l="$label" -v what="threads that live only with the items" "$spread"
    e2e_end
}

all='CPUON=1\r\nTEMPON=1\r\nMENON=1\r\nDISKON=1\r\nNETON=1\r\nnocounters=1\r\n'
for type in ${TYPES:-level graph text}; do
    case "$type" in
    level) session level "$all" ;;
    graph) session graph "${all}CPUTYPE=2\r\nDISKTYPE=2\r\nMENTYPE=1\r\n" ;;
    text) session text "${all}CPUTYPE=3\r\nDISKTYPE=0\r\nMENTYPE=1\r\n" ;;
    esac
done
