# Running programs on the dock, in one Wine session: a program that is not pinned gets an
# item of its own with its icon and running mark, and loses it when its windows close;
# two windows of one program are one item; excluded programs and rundll32 never show;
# two programs are two items; a pinned program lights up its own item instead. Also
# measures how long after a window shows its running mark is presented (detail log).
source "$(dirname "$0")/../lib.sh"
e2e_begin running_programs 1920x1080x24

printf '[normal]\r\nrunicon=1\r\ndetaillog=1\r\n' >"$E2E_BASE/config.ini"
notepad='C:\windows\system32\notepad.exe'
log=$E2E_BASE/Kestrana.log
shots=$E2E_ROOT/build/screenshots
mkdir -p "$shots"

start_dock() {
    e2e_start_kestrana
    input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"
    sleep 1.5
    width=$(bar_width)
}
bar_width() {
    local l t r b
    read -r l t r b < <(kdrv rect "$input")
    echo $(( r - l ))
}
# Waits until the bar is `want` pixels wide (within 2), at most `tries` looks.
wait_width() { # <want> [tries]
    local want=$1 tries=${2:-40} w
    for i in $(seq 1 "$tries"); do
        w=$(bar_width)
        [ $(( w - want )) -le 2 ] && [ $(( want - w )) -le 2 ] && return 0
        sleep 0.1
    done
    echo "bar is $w wide, wanted $want" >&2
    return 1
}
# Stays `want` wide for a second and a half: nothing came or went.
stays_width() { # <want>
    local w
    for i in 1 2 3 4 5 6; do
        sleep 0.25
        w=$(bar_width)
        [ $(( w - $1 )) -le 2 ] && [ $(( $1 - w )) -le 2 ] || { echo "bar is $w wide, wanted $1" >&2; return 1; }
    done
}
# The program keeps the driver's output open (Wine hands it on), so it goes to a file.
launch() {
    timeout 30 wine 'C:\kdriver.exe' launch "$1" 15000 >"$E2E_DIR/launch.out" 2>>"$E2E_DIR/wine.log" ||
        echo "$1 showed no window" >&2
    tr -d '\r' <"$E2E_DIR/launch.out"
}
close_window() { kdrv post "$1" 16 0 0 >/dev/null; }
quit_dock() {
    kdrv post "$(kdrv find KESTRANA - 2000)" 16 0 0 >/dev/null
    for i in $(seq 1 100); do kill -0 "$E2E_KESTRANA" 2>/dev/null || return 0; sleep 0.1; done
    e2e_fail "the program did not quit"
}

start_dock
rest=$width
step=64 # one icon at the default size and no spacing
echo "bar at rest: $rest"
e2e_screenshot start >/dev/null

# A program that is not pinned: an item of its own while it runs. Each round also times
# the window's showing against the first frame the dock presented after it.
latencies=()
for round in $(seq 1 10); do
    read -r hwnd pid shown < <(launch "$notepad")
    wait_width $(( rest + step )) || e2e_fail "notepad got no item (round $round)"
    if [ "$round" = 1 ]; then
        sleep 0.6 # the item has grown in and its picture arrived
        cp "$(e2e_screenshot notepad)" "$shots/running-notepad.png"
    fi
    sleep 0.3 # the log's writer is behind the screen
    presented=$(sed -n 's/.*running marks: presented at \([0-9.]*\) ms.*/\1/p' "$log" |
        awk -v t="$shown" '$1 >= t { print; exit }')
    [ -n "$presented" ] && latencies+=("$(awk -v a="$presented" -v b="$shown" 'BEGIN { printf "%.1f", a - b }')")
    close_window "$hwnd"
    wait_width "$rest" || e2e_fail "notepad's item stayed after it closed (round $round)"
done
echo "window shown -> running mark presented (ms): ${latencies[*]}"
[ ${#latencies[@]} -ge 8 ] || e2e_fail "too few timings in the detail log"
printf '%s\n' "${latencies[@]}" | sort -n | awk '{ v[NR] = $1 } END {
    printf "median %.1f ms, 90th percentile %.1f ms over %d windows\n", v[int((NR + 1) / 2)], v[int(NR * 0.9 + 0.5)], NR }'

# Two windows of one program are one item; both closed, it goes.
read -r first _ < <(launch "$notepad")
read -r second _ < <(launch "$notepad")
stays_width $(( rest + step )) || e2e_fail "two notepad windows are not one item"
close_window "$first"
stays_width $(( rest + step )) || e2e_fail "the item went with one of two windows"
close_window "$second"
wait_width "$rest" || e2e_fail "the item stayed after both windows closed"

# A window of rundll32 never shows, even one that asks to be on the task list (its
# Control Panel window is owned by its hidden window; the flag makes it a candidate).
read -r control _ < <(launch 'rundll32.exe shell32.dll,Control_RunDLL')
[ -n "$control" ] || e2e_fail "rundll32 showed no window"
kdrv add-exstyle "$control" 0x40000 || e2e_fail "cannot mark the rundll32 window"
stays_width "$rest" || e2e_fail "a rundll32 window got an item"
close_window "$control"

# Two programs are two items.
read -r editor _ < <(launch 'C:\windows\regedit.exe')
read -r third _ < <(launch "$notepad")
wait_width $(( rest + 2 * step )) || e2e_fail "regedit and notepad are not two items"
sleep 0.6
cp "$(e2e_screenshot two-programs)" "$shots/running-two-programs.png"
close_window "$editor"
close_window "$third"
wait_width "$rest" || e2e_fail "the items stayed"

# A program named in "blacklist" never shows.
kdrv ini 'C:\Kestrana\config.ini' blacklist notepad.exe 1 || e2e_fail "cannot write the setting"
read -r hidden _ < <(launch "$notepad")
stays_width "$rest" || e2e_fail "a blacklisted program got an item"
close_window "$hidden"
kdrv ini 'C:\Kestrana\config.ini' blacklist notepad.exe 0 >/dev/null

# Pinned, notepad lights up its own item: no second item comes.
quit_dock
kdrv ini 'C:\Kestrana\ico.ini' ico7 appname notepad.exe >/dev/null
kdrv ini 'C:\Kestrana\ico.ini' ico7 filepath "$notepad" >/dev/null
kdrv ini 'C:\Kestrana\ico.ini' ico7 realpath "$notepad" >/dev/null
start_dock
pinned=$width
[ $(( pinned - rest - step )) -le 2 ] && [ $(( rest + step - pinned )) -le 2 ] || e2e_fail "notepad was not pinned ($pinned)"
before=$(e2e_screenshot pinned-idle)
read -r lit _ < <(launch "$notepad")
stays_width "$pinned" || e2e_fail "a pinned program got a second item"
after=$(e2e_screenshot pinned-running)
cp "$after" "$shots/running-pinned.png"
read -r l t r b < <(kdrv rect "$input")
# The running mark lies in the bar's lowest rows, under the last icon.
changed=$(compare -metric AE -crop "$(( step + 20 ))x14+$(( r - step - 30 ))+$(( b - 14 ))" "$before" "$after" null: 2>&1 || true)
echo "pixels changed under the pinned item: $changed"
[ "${changed%% *}" -gt 10 ] 2>/dev/null || e2e_fail "no running mark under the pinned item"
close_window "$lit"
echo ok
