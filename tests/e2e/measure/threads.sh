# Per-thread CPU of a Wine process for the measurement scripts: Wine's threads are host
# threads, so the user-interface thread (its id is the process id) and each worker can be
# told apart in /proc. Sourced, not run.

# Prints "<tid> <ticks>" for every thread of process $1.
thread_ticks() {
    local t
    for t in /proc/$1/task/*; do awk -v t="${t##*/}" '{print t, $14 + $15}' "$t/stat" 2>/dev/null; done
}

# Prints "<tid> <ns>" for every thread of process $1: the scheduler's run time, exact where
# the ticks above charge whole 10-ms ticks to whichever thread a tick finds running.
thread_ns() {
    local t
    for t in /proc/$1/task/*; do awk -v t="${t##*/}" '{print t, $1}' "$t/schedstat" 2>/dev/null; done
}

# Prints the threads of process $1 that used CPU since the snapshot in file $2, labelled $3.
thread_usage() {
    thread_ticks "$1" | awk -v hz="$(getconf CLK_TCK)" -v main="$1" -v l="$3" 'NR == FNR { was[$1] = $2; next }
        { d = $2 - ($1 in was ? was[$1] : 0)
          if (d > 0) printf "%-10s   thread %s%s: %.2f s\n", l, $1, ($1 == main ? " (user interface)" : ""), d / hz }' \
        "$2" -
}
