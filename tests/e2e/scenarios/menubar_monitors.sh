# The five system monitors on the bar: CPU, temperature, memory, disk and network appear
# in their creation order (position 1 rightmost, so right to left) and read as their values
# through the accessible elements. This Wine's performance counters know only a fixed
# processor-time value, so the counters are switched off by the diagnostic setting and
# the CPU comes from system times: it must follow a busy loop. The pop-ups open and close.
# The temperature reader is started through the hook companion, announces itself, stays
# one even when asked twice, lives on without a thermal zone (Wine has none) and without a
# display adapter that tells its temperature (the GPU is asked for here), and ends
# when its item is switched off; switching items off and on again needs no restart, even
# when none was left.
source "$(dirname "$0")/../lib.sh"
e2e_begin menubar_monitors 1280x800x24
# Wi-Fi and Bluetooth stay off: on this narrow screen the wide text type needs their room.
printf '[brisel]\r\nVarlo=1\r\n[normal]\r\ndetaillog=1\r\n[finder]\r\ndarkmode=3\r\nwifi=0\r\nbluetooth=0\r\n[findermonitor]\r\nCPUON=1\r\nTEMPON=1\r\nMENON=1\r\nDISKON=1\r\nNETON=1\r\nCPUTYPE=0\r\nMENTYPE=1\r\nDISKTYPE=2\r\nTEMPGPU=1\r\nnocounters=1\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
bar=$(kdrv find VarloApp - 20000) || e2e_fail "no menu bar window"
log=$E2E_BASE/Kestrana.log
config='C:\Kestrana\config.ini'

value() { e2e_acc_item "$1" "$2" | cut -f2; }
left() { e2e_acc_item "$1" "$2" | cut -f1 | awk '{ print $1 }'; }
wait_tree() { # <condition on $tree> : until the bar's tree meets it (10 s at most)
    local i
    for i in $(seq 1 25); do
        tree=$(kdrv acc-tree "$bar")
        eval "$1" && return 0
        sleep 0.4
    done
    return 1
}

names="CPU Temperature Memory Disk Network"
all_there='for n in $names; do [ -n "$(e2e_acc_item "$tree" $n)" ] || return 1; done; [ -n "$(value "$tree" CPU)" ]'
wait_tree "$all_there" || e2e_fail "the five monitor items are not all on the bar"
previous=100000
for n in $names; do
    x=$(left "$tree" $n)
    echo "$n at $x reads '$(value "$tree" $n)'"
    [ "$x" -lt "$previous" ] || e2e_fail "$n is not left of the item created before it"
    previous=$x
done
for n in CPU Memory Disk; do
    case "$(value "$tree" $n)" in [0-9]*%) ;; *) e2e_fail "$n does not read as a percentage" ;; esac
done
[ "$(value "$tree" Disk)" = "0%" ] || e2e_fail "without counters the disk should read 0%"
case "$(value "$tree" Network)" in "Upload "*" KB/s, Download "*/s) ;; *) e2e_fail "the network item does not read as two rates" ;; esac
grep -aq "performance counters switched off" "$log" || e2e_fail "the sampler did not take the system-times path"
rest=$(e2e_screenshot monitors_types_012)

# The CPU follows a busy loop on every core.
busy=()
for i in 1 2 3; do
    (while :; do :; done) &
    busy+=($!)
    e2e_track $!
done
high=""
for i in $(seq 1 15); do
    sleep 0.5 # each look costs a Wine start as well
    cpu=$(value "$(kdrv acc-tree "$bar")" CPU)
    echo "CPU under load: $cpu"
    [ "${cpu%\%}" -ge 60 ] 2>/dev/null && { high=$cpu; break; }
done
kill "${busy[@]}" 2>/dev/null
[ -n "$high" ] || e2e_fail "the CPU item did not follow the busy loop"

# The fourth display type, switched in the file while running; the graph keeps scrolling.
kdrv ini "$config" findermonitor CPUTYPE 3 >/dev/null
width() { e2e_acc_item "$tree" "$1" | cut -f1 | awk '{ print $3 }'; }
wait_tree '[ "$(width CPU)" -ge 56 ]' || e2e_fail "the CPU item did not take the text type's width"
typeshot=$(e2e_screenshot monitors_type_3)

# Pop-ups: the CPU's usage and per-core rows, the network's rates, the memory's processes;
# each closes again. The per-core loads and the processes are gathered only while their
# pop-up is open, so they reach a window already shown: the pop-up takes new rows.
for pair in "CPU:Usage|CPU Core #1" "Network:Upload|IPV4" "Memory:Used|Processes"; do
    n=${pair%%:*} row=${pair#*:}
    tree=$(kdrv acc-tree "$bar") # the network's width follows its rates
    # Opened by a click on the item, as a user does.
    read -r il it iw ih _ <<<"$(e2e_acc_item "$tree" $n | cut -f1)"
    xdotool mousemove $((il + iw / 2)) $((it + ih / 2)) click 1
    menu=$(kdrv find VarloChildApp - 5000) || e2e_fail "the $n pop-up did not open"
    # Read until every wanted row is there (the window can be found before its rows are
    # laid out, and the gathered rows come with the next sample).
    IFS='|' read -ra wanted <<<"$row"
    for i in $(seq 1 30); do
        listed=$(e2e_acc_values "$(kdrv acc-tree "$menu")")
        missing=""
        for w in "${wanted[@]}"; do
            printf '%s\n' "$listed" | cut -f1 | grep -qx "$w" || missing=$w
        done
        [ -z "$missing" ] && break
        sleep 0.3
    done
    echo "$n pop-up:"; echo "$listed"
    [ -z "$missing" ] || e2e_fail "the $n pop-up lacks '$missing'"
    [ "$n" = Network ] && popshot=$(e2e_screenshot monitors_network_popup)
    [ "$n" = CPU ] && cpushot=$(e2e_screenshot monitors_cpu_popup)
    [ "$n" = Memory ] && memshot=$(e2e_screenshot monitors_memory_popup)
    xdotool key Escape
    kdrv gone VarloChildApp - 3000 >/dev/null || { xdotool mousemove 640 400 click 1; kdrv gone VarloChildApp - 3000 >/dev/null; } ||
        { xdotool mousemove $((il + iw / 2)) $((it + ih / 2)) click 1; kdrv gone VarloChildApp - 5000 >/dev/null; } ||
        { e2e_screenshot "stuck_$n" >/dev/null; kdrv windows VarloChildApp; e2e_fail "the $n pop-up did not close"; }
done

# The temperature reader: started by the hook companion, announced, alone.
reader=$(kdrv find ThermelReader - 20000) || e2e_fail "the temperature reader never came"
for i in $(seq 1 20); do
    grep -aq "temperature reader announced itself" "$log" && break
    sleep 0.3
done
grep -aq "temperature reader announced itself" "$log" || e2e_fail "the reader's announcement was not taken"
hook=$(kdrv find hookel32 - 2000) || e2e_fail "no hook companion"
kdrv post "$hook" "$(kdrv register KestranaShareTemp)" 1 0 >/dev/null
sleep 2
count=$(kdrv windows ThermelReader | grep -c .)
[ "$count" -eq 1 ] || e2e_fail "$count temperature readers run"
# No thermal zone here: no value, and the reader lives on.
[ -z "$(value "$(kdrv acc-tree "$bar")" Temperature)" ] || e2e_fail "a temperature was shown without a thermal zone"
kdrv find ThermelReader - 0 >/dev/null || e2e_fail "the reader ended without a thermal zone"

# Switching off in the file: the item goes and the reader ends; the network goes and
# comes back, all without a restart.
kdrv ini "$config" findermonitor TEMPON 0 >/dev/null
kdrv ini "$config" findermonitor NETON 0 >/dev/null
wait_tree '[ -z "$(e2e_acc_item "$tree" Temperature)" ] && [ -z "$(e2e_acc_item "$tree" Network)" ]' || e2e_fail "switched-off items stayed"
kdrv gone ThermelReader - 5000 >/dev/null || e2e_fail "the reader outlived its item"
kdrv ini "$config" findermonitor NETON 5 >/dev/null
wait_tree '[ -n "$(e2e_acc_item "$tree" Network)" ]' || e2e_fail "the network item did not come back"
# With none left, the file is still watched: one switched on comes at once.
for key in CPUON MENON DISKON NETON; do kdrv ini "$config" findermonitor $key 0 >/dev/null; done
none_there() { for n in $names; do [ -z "$(e2e_acc_item "$tree" $n)" ] || return 1; done; }
wait_tree none_there || e2e_fail "monitor items stayed"
sleep 3 # a few ticks without any item
kdrv ini "$config" findermonitor MENON 1 >/dev/null
wait_tree '[ -n "$(value "$tree" Memory)" ]' || e2e_fail "an item switched on after all were off did not come"
kdrv find VarloApp - 0 >/dev/null || e2e_fail "the bar is gone"

mkdir -p "$E2E_ROOT/build/screenshots"
cp "$rest" "$E2E_ROOT/build/screenshots/menubar-monitors.png"
cp "$typeshot" "$E2E_ROOT/build/screenshots/menubar-monitors-text.png"
cp "$popshot" "$E2E_ROOT/build/screenshots/menubar-monitors-network.png"
cp "$cpushot" "$E2E_ROOT/build/screenshots/menubar-monitors-cpu.png"
cp "$memshot" "$E2E_ROOT/build/screenshots/menubar-monitors-memory.png"
echo ok
