# Helpers of the menu bar's application scenarios: what the bar presented, as its detail
# log tells ("menu bar: presented <name>: [<title> <left>-<right>] ... at <ms> ms, ...").

# The last presentation at or after <ms> (performance counter): "<ms>\t<name>: [titles]".
presented_after() { # <ms>
    sed -n 's/.*menu bar: presented \(.*\) at \([0-9.]*\) ms, .*/\2\t\1/p' "$E2E_BASE/Kestrana.log" |
        awk -F'\t' -v t="$1" '$1 >= t' | tail -n1
}
# Up to 5 s for a presentation after <ms> that matches <pattern>; prints it.
wait_presented() { # <ms> <pattern>: up to 10 s (reading another program's menu bar is slow on a busy machine)
    local line
    for _ in $(seq 1 100); do
        line=$(presented_after "$1")
        if printf '%s' "$line" | grep -q -- "$2"; then printf '%s\n' "$line"; return 0; fi
        sleep 0.1
    done
    e2e_log "last presentation: $(presented_after 0)"
    return 1
}
# The middle of a title on screen, from a presentation line.
title_x() { # <presentation line> <title>
    printf '%s' "$1" | sed -n "s/.*\[$2 \([0-9]*\)-\([0-9]*\)\].*/\1 \2/p" | awk '{ print int(($1 + $2) / 2) }'
}
# Starts the program with the detail log on and waits for its bar and companion link;
# sets $main and $bar.
start_with_companion() {
    printf '[brisel]\r\nVarlo=1\r\n[finder]\r\ndarkmode=2\r\n[normal]\r\ndetaillog=1\r\n' >"$E2E_BASE/config.ini"
    e2e_start_kestrana
    main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
    bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar"
    kdrv wait-prop "$(kdrv find hookel32 - 30000)" KestranaProgram "$main" 15000 || e2e_fail "no handshake with the companion"
}
