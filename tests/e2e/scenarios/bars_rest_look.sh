# Every interaction with the bars leaves them drawn as they were: the dock's and the menu
# bar's menus (opened and closed with Escape), a sweep over the icons, Launchpad shown and
# hidden, an icon lifted and put back, a display change. After each the resting bars
# (pointer away, settled) are compared with their look before it; one Wine session for all.
source "$(dirname "$0")/../lib.sh"
e2e_begin bars_rest_look 1920x1080x24
e2e_start_kestrana # a first start: the default six items and the menu bar
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
kdrv find VarloApp - 20000 >/dev/null || e2e_fail "no menu bar"
sleep 2
read -r l t r b < <(kdrv rect "$input")
e2e_log "dock input area $l $t $r $b"
y=$(( (t + b) / 2 ))
menus() { kdrv windows OndelMenu | grep -c 'visible=1'; }
bar_menus() { kdrv windows VarloChildApp | grep -c 'visible=1'; }
wait_until() { # <what> <command...>: up to 10 s
    local what=$1; shift
    for _ in $(seq 1 50); do "$@" && return 0; sleep 0.2; done
    e2e_fail "$what"
}
no_menu() { [ "$(menus)" -eq 0 ]; }
a_menu() { [ "$(menus)" -ge 1 ]; }
rest_at() { # <x>: the pointer rests on the dock at x for a second
    xdotool mousemove "$1" "$y"; sleep 0.3; xdotool mousemove "$(($1 + 1))" "$y"; sleep 1
}

e2e_rest_mark start
for x in $(seq $((l + 10)) 12 $((r - 10))); do xdotool mousemove "$x" "$y"; sleep 0.02; done
e2e_rest_check sweep

# Each item's menu, the background menu of the separator, closed with Escape.
for x in $((l + 40)) $((l + 110)) $((l + 180)) $((l + 250)) $((r - 90)) $((r - 40)); do
    rest_at "$x"
    xdotool click 3
    wait_until "no menu opened at $((x - l))" a_menu
    sleep 0.5
    [ "$x" = "$((r - 40))" ] && e2e_screenshot trash_menu >/dev/null
    xdotool key Escape
    wait_until "the menu at $((x - l)) did not close on Escape" no_menu
    e2e_rest_check "menu-at-$((x - l))"
done

# The menu bar's logo menu and its context menu, closed with Escape (posted to the menu
# when the key does not reach it: a click on the bare X desktop reaches no window here).
no_bar_menu() { [ "$(bar_menus)" -eq 0 ]; }
for at in "20 12 1" "1000 12 3"; do
    set -- $at
    xdotool mousemove "$1" "$2" click "$3"
    wait_until "no bar menu opened at $1" test "$(bar_menus)" -ge 1
    sleep 0.3
    xdotool key Escape
    sleep 0.5
    if ! no_bar_menu; then
        for menu in $(kdrv windows VarloChildApp | grep 'visible=1' | cut -f1); do kdrv post "$menu" 0x100 27 0 >/dev/null; done
    fi
    wait_until "the bar menu at $1 did not close" no_bar_menu
    e2e_rest_check "bar-menu-at-$1"
done

# Launchpad from its item, hidden with Escape.
rest_at $((l + 90))
xdotool click 1
pad=$(kdrv find OndelLaunchpad - 20000) || e2e_fail "the Launchpad did not open"
wait_until "the Launchpad did not show" sh -c "wine 'C:\\kdriver.exe' info $pad 2>/dev/null | grep -q 'visible=1'"
sleep 0.5
xdotool key Escape
wait_until "the Launchpad did not hide" sh -c "! wine 'C:\\kdriver.exe' info $pad 2>/dev/null | grep -q 'visible=1'"
e2e_rest_check launchpad

# An icon lifted off the row and put back with Escape.
rest_at $((l + 152))
xdotool mousedown 1
for d in 5 10 20 40 60 80; do xdotool mousemove $((l + 152)) $((y - d)); sleep 0.05; done
sleep 0.5
xdotool key Escape
sleep 0.3
xdotool mouseup 1
e2e_rest_check drag

# A display change: the bars are laid out again once it settles.
kdrv post "$(kdrv find KESTRANA - 2000)" 0x7E 32 $(( (1080 << 16) | 1920 )) >/dev/null || e2e_fail "no main window"
sleep 1.5
e2e_rest_check display-change
echo ok
