#!/usr/bin/env bash
# Starts Kestrana several times in one Wine session with detail logging on and prints, per
# start, the start-up steps of its log (milliseconds after the program's entry point),
# then medians of: entry -> first dock frame presented, dock windows made -> first frame,
# first frame -> docks started (the user-interface thread busy before the message loop).
# The first start writes the defaults and is not counted. Before each counted start the
# settings file was either written anew two seconds earlier (FRESH=1, the default: as the
# settings page writes it, a new file in place of the old) or left alone for five.
#   tests/e2e/measure/first_frame.sh [RUNS]                 (default 5)
#   OTHER=<program folder> tests/e2e/measure/first_frame.sh  also starts another build
#       (e.g. the previous commit's laid-out folder), alternating with this one
# Not part of the test command: run it on a quiet machine (see docs/performance.md).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
runs=${1:-5}
fresh=${FRESH:-1}
e2e_make_template
e2e_begin measure_first_frame 1920x1080x24

folders=("$E2E_BASE")
labels=(this)
if [ -n "${OTHER:-}" ]; then
    cp -a "$OTHER" "$WINEPREFIX/drive_c/KestranaOther"
    folders+=("$WINEPREFIX/drive_c/KestranaOther")
    labels+=(other)
fi

start_in() { # <program folder>
    local win="C:\\$(basename "$1")\\Kestrana.exe"
    (cd "$1" && exec wine "$win") >>"$E2E_DIR/kestrana.log" 2>&1 &
    E2E_KESTRANA=$!
    e2e_track "$E2E_KESTRANA"
}
quit_kestrana() {
    local main
    main=$(kdrv find KESTRANA - 5000) && kdrv post "$main" 16 0 0 >/dev/null
    for _ in $(seq 1 100); do
        kill -0 "$E2E_KESTRANA" 2>/dev/null || break
        sleep 0.1
    done
    wait "$E2E_KESTRANA" 2>/dev/null
}
step() { # <log> <step name>: its milliseconds after entry
    grep -a "start-up: $2:" "$1" | sed -n 's/.*: \([0-9.]*\) ms after entry.*/\1/p' | head -n1
}
median() { sort -n | awk '{a[NR]=$1} END { if (NR) printf "%.1f", (NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2) }'; }

start_in "$E2E_BASE"
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock at the first start"
sleep 2
quit_kestrana
# The settings file is UTF-16 with a byte-order mark; detail logging goes into [normal].
iconv -f UTF-16 -t UTF-8 "$E2E_BASE/config.ini" | sed 's/^\[normal\]\r\?$/[normal]\r\ndetaillog=1\r/' >"$E2E_DIR/config.utf8"
grep -q '^detaillog=1' "$E2E_DIR/config.utf8" || printf '[normal]\r\ndetaillog=1\r\n' >>"$E2E_DIR/config.utf8"
for folder in "${folders[@]}"; do
    iconv -f UTF-8 -t UTF-16 "$E2E_DIR/config.utf8" >"$folder/config.ini"
    cp "$E2E_BASE/ico.ini" "$folder/ico.ini" 2>/dev/null
done

results=$E2E_DIR/results
: >"$results"
for run in $(seq 1 "$runs"); do
    for i in "${!folders[@]}"; do
        folder=${folders[$i]}
        log=$folder/Kestrana.log
        rm -f "$log"
        if [ "$fresh" = 1 ]; then
            cp "$folder/config.ini" "$folder/config.new" && mv -f "$folder/config.new" "$folder/config.ini"
            sleep 2
        else
            sleep 5
        fi
        start_in "$folder"
        for _ in $(seq 1 100); do
            grep -aq 'start-up: message loop' "$log" 2>/dev/null && break
            sleep 0.1
        done
        sleep 1
        echo "--- ${labels[$i]}, start $run (load $(cut -d' ' -f1 /proc/loadavg))"
        grep -a 'start-up\|item list\|item pictures' "$log" | sed 's/^.*\] //'
        first=$(step "$log" 'first dock frame presented')
        windows=$(step "$log" 'dock windows made')
        started=$(step "$log" 'docks started')
        [ -n "$first" ] && [ -n "$windows" ] && [ -n "$started" ] &&
            echo "${labels[$i]} $first $(echo "$first - $windows" | bc) $(echo "$started - $first" | bc)" >>"$results"
        quit_kestrana
    done
done
echo
for label in "${labels[@]}"; do
    n=$(grep -c "^$label " "$results")
    printf '%-5s (%d starts) medians: entry -> first frame %s ms; windows made -> first frame %s ms; first frame -> docks started %s ms\n' \
        "$label" "$n" "$(awk -v l="$label" '$1==l{print $2}' "$results" | median)" \
        "$(awk -v l="$label" '$1==l{print $3}' "$results" | median)" "$(awk -v l="$label" '$1==l{print $4}' "$results" | median)"
done
