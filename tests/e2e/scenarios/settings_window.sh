# The settings window: a second start opens it in the running instance; the dock's icon
# size changed with the keyboard reaches config.ini and the running dock at once; the
# window remembers its place; the dock menu's "preference" and "--settings" bring it back.
source "$(dirname "$0")/../lib.sh"
e2e_begin settings_window

ini_value() { # <section> <key>
    e2e_text "$E2E_BASE/config.ini" | awk -v s="[$1]" -v k="$2=" '
        /^\[/ { in_section = ($0 == s) } in_section && index($0, k) == 1 { print substr($0, length(k) + 1); exit }'
}

# Without magnification the row stays where it is under the pointer, for the menu below.
printf '[normal]\r\ndetaillog=1\r\ndockicoeffect=0\r\ndockicoeffect_bglight=50\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "program did not start"
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock"
sleep 2 # the first layout and the items' growth settle
read -r l t r b < <(kdrv rect "$render")
width=$((r - l))
size=$(ini_value normal defaultsize)
echo "dock width $width, icon size ${size:-unset}"
[ -n "$size" ] || e2e_fail "no icon size in config.ini after the first start"

# The request is checked: a program from elsewhere, and one of the program's folder that
# sends no proper record, get nothing.
cp "$WINEPREFIX/drive_c/kdriver.exe" "$E2E_BASE/kdriver.exe"
[ "$(kdrv copydata "$main" self $((0x4B530001)) 8)" = 0 ] || e2e_fail "a foreign process's request was served"
[ "$( (cd "$E2E_BASE" && timeout 60 wine 'C:\Kestrana\kdriver.exe' copydata "$main" self $((0x4B530001)) 8) 2>>"$E2E_DIR/wine.log" |
    tr -d '\r')" = 0 ] || e2e_fail "a request that is no proper record was served"
kdrv find KestranaSettings - 500 >/dev/null && e2e_fail "a refused request opened the settings window"
grep -a 'request of another instance' "$E2E_BASE/Kestrana.log" || e2e_fail "the refusals were not logged"

# Starting the program again opens the running instance's settings window.
(cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe') >>"$E2E_DIR/second.log" 2>&1
rc=$?
[ $rc -eq 0 ] || e2e_fail "second start exit code $rc"
settings=$(kdrv find KestranaSettings - 10000) || e2e_fail "the second start opened no settings window"
[ "$(kdrv windows KESTRANA | wc -l)" -eq 1 ] || e2e_fail "a second program instance kept running"
kdrv info "$settings"

# The keyboard: the page list has the focus; Down picks the Dock page, Tab goes past the
# screen choice to the icon size, and each Right makes the icons of that screen's dock a
# pixel larger.
read -r sl st sr sb < <(kdrv rect "$settings")
xdotool mousemove $(((sl + sr) / 2)) $((sb - 10))
kdrv activate "$settings" >/dev/null || true
sleep 0.5
xdotool key Down
sleep 0.5
xdotool key Tab Tab
sleep 0.3
for i in $(seq 1 8); do xdotool key Right; sleep 0.1; done
e2e_screenshot after_keys >/dev/null || true
want=$((size + 8))
for i in $(seq 1 40); do
    now=$(ini_value DISPLAY1 defaultsize)
    [ "$now" = "$want" ] && break
    sleep 0.25
done
[ "$now" = "$want" ] || e2e_fail "config.ini holds icon size ${now:-none} for DISPLAY1, not $want"
[ "$(ini_value normal defaultsize)" = "$size" ] || e2e_fail "the general icon size changed too"
for i in $(seq 1 40); do
    read -r l2 t2 r2 b2 < <(kdrv rect "$(kdrv find OndelAPPRend - 2000)")
    [ $((r2 - l2)) -gt "$width" ] && break
    sleep 0.25
done
echo "dock width after: $((r2 - l2))"
[ $((r2 - l2)) -gt "$width" ] || e2e_fail "the dock did not widen (still $((r2 - l2)) px)"
[ "$(kdrv find OndelAPPRend - 0)" = "$render" ] || e2e_fail "the dock was built again instead of resized"
e2e_screenshot dock_page >/dev/null || true

# The page follows a change made elsewhere: the icon size's number field shows it.
[ "$(kdrv edit-text "$settings")" = "$want" ] || e2e_fail "the icon size field does not show $want"
kdrv ini 'C:\Kestrana\config.ini' DISPLAY1 defaultsize 80 || e2e_fail "cannot write the icon size"
for i in $(seq 1 20); do
    [ "$(kdrv edit-text "$settings")" = 80 ] && break
    sleep 0.25
done
[ "$(kdrv edit-text "$settings")" = 80 ] || e2e_fail "the page did not follow the icon size written elsewhere"

# Closing remembers the place; the dock menu's "preference" opens the window there again.
kdrv post "$settings" 16 0 0 >/dev/null
kdrv gone KestranaSettings - 5000 || e2e_fail "the settings window did not close"
e2e_text "$E2E_BASE/config.ini" | grep -q '^settingwindow=' || e2e_fail "the window's place was not written"
input=$(kdrv find OndelAPP - 2000) || e2e_fail "no dock input window"
read -r l t r b < <(kdrv rect "$input")
e2e_log "dock input area $l $t $r $b"
# The separator between the clock and the trash: the row is four slots, the separator's
# half slot and the trash of the new size.
slot=$(((r - l - want) * 2 / 9))
x=$((l + 4 * slot + slot / 4))
y=$(((t + b) / 2 + 8))
xdotool mousemove "$x" "$y"
sleep 0.5
xdotool mousemove "$((x + 1))" "$y"
sleep 0.4
xdotool click 3
for i in $(seq 1 50); do kdrv windows OndelMenu | grep -q 'visible=1' && break; sleep 0.2; done
menu=$(kdrv windows OndelMenu | grep 'visible=1' | head -n1)
[ -n "$menu" ] || e2e_fail "the dock's menu did not open"
read -r mx my < <(echo "$menu" | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),.*/\1 \2/')
e2e_screenshot dock_menu >/dev/null || true
# Rows of 24 pixels and rules of 9 after a 5-pixel top: the four add and remove rows, rule,
# taskbar, lock, rule, restart, then "preference".
xdotool mousemove $((mx + 40)) $((my + 5 + 4 * 24 + 9 + 2 * 24 + 9 + 24 + 12))
sleep 0.3
xdotool click 1
again=$(kdrv find KestranaSettings - 10000) || e2e_fail "the dock menu's preference opened no settings window"
read -r al at ar ab < <(kdrv rect "$again")
[ "$al $at $ar $ab" = "$sl $st $sr $sb" ] || e2e_fail "the window came back at $al $at $ar $ab, not $sl $st $sr $sb"

# "--settings" brings the window back after it was closed, through the running instance.
kdrv post "$again" 16 0 0 >/dev/null
kdrv gone KestranaSettings - 5000 || e2e_fail "the settings window did not close"
(cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe' --settings) >>"$E2E_DIR/second.log" 2>&1
again=$(kdrv find KestranaSettings - 10000) || e2e_fail "--settings opened no settings window"
[ "$(kdrv windows KESTRANA | wc -l)" -eq 1 ] || e2e_fail "--settings left a second instance running"

# The other pages, for a look: General first, then the pages below the dock's.
kdrv activate "$again" >/dev/null || true
sleep 0.5
e2e_screenshot general_page >/dev/null || true
xdotool key Down
sleep 0.5
xdotool key Down
sleep 1.5
e2e_screenshot previews_page >/dev/null || true
xdotool key Down
sleep 1.5
e2e_screenshot menubar_page >/dev/null || true
for page in launchpad folderstacks animations themes; do
    xdotool key Down
    sleep 2
    e2e_screenshot ${page}_page >/dev/null || true
done

# What opening costs: the window adds under 8 MB (what closing gives back is logged beside it).
grep -a 'settings window: shown in\|settings window: closed' "$E2E_BASE/Kestrana.log" | sed 's/^.*settings window: /  /'
added=$(grep -a 'settings window: shown in' "$E2E_BASE/Kestrana.log" | head -n1 | sed -n 's/.*private memory \([-+][0-9]*\) KB.*/\1/p')
[ -n "$added" ] || e2e_fail "no memory figure for the settings window in the log"
[ "${added#+}" -lt 8192 ] || e2e_fail "opening the settings window added $added KB"

e2e_quit_kestrana
echo ok
