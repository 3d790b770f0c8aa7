# Every page of the settings window in English and in Chinese, for a look: the window is
# opened by a second start, each page picked in the page list, and a picture of the
# window kept in build/screenshots (settings-<language>-<page>.png). Each page's visible
# labels come from the chosen language: in Chinese every page shows Chinese characters,
# in English none does. On the Menu bar page the status items' order is changed with the
# keyboard and by a drag on the bar (move_clock_with_keys). With the system's apps set dark
# the window follows: three pages are pictured again (settings-dark-<page>.png) and the
# page behind the controls is dark.
source "$(dirname "$0")/../lib.sh"
e2e_begin settings_pages 1600x1000x24

shots=$E2E_ROOT/build/screenshots
mkdir -p "$shots"
# Visible control texts of the window, one per line.
texts() { kdrv children "$1" | awk -F'\t' '$1 ~ /visible=1/ && $2 != "" { print $2 }'; }

ini_value() { # <section> <key>
    e2e_text "$E2E_BASE/config.ini" | awk -v s="[$1]" -v k="$2=" '
        /^\[/ { in_section = ($0 == s) } in_section && index($0, k) == 1 { print substr($0, length(k) + 1); exit }'
}
# The bar's items as "<left> <width>\t<name>", left to right.
bar_items() {
    kdrv acc-tree "$(kdrv find VarloApp - 5000)" |
        awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 != "" { print f[3] " " f[5] "\t" $2 }' | sort -n
}
# The left edge and width of the bar's item <name>.
bar_item() { bar_items | awk -F'\t' -v n="$1" '$2 == n { print $1; exit }'; }
# Waits until the clock is (right|left) of <name> on the bar.
clock_goes() { # <right|left> <name>
    local i clock other
    for i in $(seq 1 30); do
        read -r clock _ < <(bar_item Clock)
        read -r other _ < <(bar_item "$2")
        if [ -n "$clock" ] && [ -n "$other" ]; then
            [ "$1" = right ] && [ "$clock" -gt "$other" ] && return 0
            [ "$1" = left ] && [ "$clock" -lt "$other" ] && return 0
        fi
        sleep 0.25
    done
    return 1
}
wait_ini() { # <section> <key> <value>
    local i
    for i in $(seq 1 30); do
        [ "$(ini_value "$1" "$2")" = "$3" ] && return 0
        sleep 0.25
    done
    return 1
}

# The Menu bar page's order list, with the keyboard alone: Tab from the page list past the
# seven controls above it, End picks the last entry (the clock, at the bar's right end),
# Tab and Space press "Move up". config.ini holds the order a drag would write and the
# running bar shows it. A drag on the bar then puts the clock back: the open page follows,
# so a second "Move up" moves the clock left of its neighbour once more.
move_clock_with_keys() { # <settings window>
    local neighbour key from to
    neighbour=$(bar_items | awk -F'\t' '$2 == "Clock" { print prev; exit } { prev = $2 }')
    [ -n "$neighbour" ] || e2e_fail "no item left of the clock on the bar: $(bar_items | tr '\n' '|')"
    key=$(e2e_text "$E2E_BASE/config.ini" | awk '/^\[/ { f = ($0 == "[finder]") } f && /=2$/ { sub(/=2$/, ""); print; exit }')
    [ "$(ini_value finder systemtime)" = 1 ] && [ -n "$key" ] || e2e_fail "not the first order: clock $(ini_value finder systemtime), second '$key'"
    e2e_log "the clock's neighbour: $neighbour ($key)"
    read -r sl st sr sb < <(kdrv rect "$1")
    # The Wi-Fi switch clicked above holds the focus: a click on the page's own entry in
    # the page list gives it to the list, as a user coming from there would have it.
    read -r ll lt lr lb < <(kdrv rect "$list")
    rowh=$(kdrv send "$list" 417 0 0) # LB_GETITEMHEIGHT
    xdotool mousemove $((ll + 30)) $((lt + 2 + page * rowh + rowh / 2)) click 1
    sleep 0.5
    xdotool key --delay 150 Tab Tab Tab Tab Tab Tab Tab Tab End Tab space
    if ! wait_ini finder systemtime 2; then
        e2e_screenshot settings-order-keys >/dev/null || true
        e2e_fail "Move up did not write systemtime=2 (it is $(ini_value finder systemtime))"
    fi
    [ "$(ini_value finder "$key")" = 1 ] || e2e_fail "$key is $(ini_value finder "$key"), not 1, after the clock moved"
    clock_goes left "$neighbour" || e2e_fail "the bar's clock is not left of $neighbour: $(bar_items | tr '\n' '|')"
    sleep 0.5
    shot=$(e2e_screenshot settings-order-moved) && convert "$shot" -crop "$((sr - sl))x$((sb - st))+$sl+$st" +repage "$shots/settings-order-moved.png"
    # Dragged back on the bar: from the clock's middle past its neighbour's.
    read -r from width < <(bar_item Clock)
    from=$((from + width / 2))
    read -r to width < <(bar_item "$neighbour")
    to=$((to + width / 2 + 6))
    xdotool mousemove "$from" 12 mousedown 1
    while [ "$from" -lt "$to" ]; do
        from=$((from + 8))
        xdotool mousemove "$from" 12
        sleep 0.02
    done
    xdotool mouseup 1
    wait_ini finder systemtime 1 || e2e_fail "the drag on the bar did not put the clock back (systemtime=$(ini_value finder systemtime))"
    clock_goes right "$neighbour" || e2e_fail "the dragged clock is not right of $neighbour"
    sleep 1.5 # the page reads the values again every second
    kdrv activate "$1" >/dev/null || true
    sleep 0.5
    xdotool key space
    wait_ini finder systemtime 2 || e2e_fail "after the drag, Move up wrote systemtime=$(ini_value finder systemtime): the page did not follow the bar"
    [ "$(ini_value finder "$key")" = 1 ] || e2e_fail "$key is $(ini_value finder "$key") after the second Move up"
    clock_goes left "$neighbour" || e2e_fail "the bar's clock is not left of $neighbour after the second move"
}

personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
for pass in English Chinese dark; do
    language=$pass
    pages=
    if [ "$pass" = dark ]; then
        language=English
        pages="0 1 7" # General, Dock, Themes
        e2e_wine 60 reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null ||
            e2e_fail "could not set the apps dark"
    fi
    varlo=0
    [ "$pass" = English ] && varlo=1 # the Menu bar page's item switches are tried on a running bar
    printf '[normal]\r\nlanguage=%s\r\n[brisel]\r\nVarlo=%s\r\n' "$language" "$varlo" >"$E2E_BASE/config.ini"
    e2e_start_kestrana
    kdrv find OndelAPP - 20000 >/dev/null || e2e_fail "no dock ($language)"
    (cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe') >>"$E2E_DIR/second.log" 2>&1
    settings=$(kdrv find KestranaSettings - 10000) || e2e_fail "the second start opened no settings window ($language)"
    list=$(kdrv children "$settings" | awk '$2 == "ListBox" {print $1; exit}')
    [ -n "$list" ] || e2e_fail "no page list"
    count=$(kdrv send "$list" 395 0 0) # LB_GETCOUNT
    [ "${count:-0}" -ge 10 ] || e2e_fail "the page list holds $count pages"
    read -r l t r b < <(kdrv rect "$settings")
    for page in ${pages:-$(seq 0 $((count - 1)))}; do
        kdrv send "$list" 390 "$page" 0 >/dev/null                       # LB_SETCURSEL
        kdrv send "$settings" 273 $(((1 << 16) | 100)) "$list" >/dev/null # LBN_SELCHANGE from the list
        sleep 0.8
        name=$(printf 'settings-%s-%02d' "$pass" "$page")
        shot=$(e2e_screenshot "$name") || e2e_fail "no screenshot"
        convert "$shot" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/$name.png"
        texts "$settings" >"$E2E_DIR/$name.txt"
        wide=$(LC_ALL=C.UTF-8 grep -c -P '[\x{3000}-\x{9FFF}]' "$E2E_DIR/$name.txt" || true) # Chinese characters
        if [ "$pass" = dark ]; then
            # Right of the labels, below the last control: the page itself.
            read -r pr pg pb < <(e2e_pixel "$shot" $((r - 30)) $((b - 60)) | tr ',' ' ')
            [ $((pr + pg + pb)) -lt 200 ] || e2e_fail "page $page is not dark with the apps set dark ($pr $pg $pb)"
        elif [ "$language" = Chinese ]; then
            [ "$wide" -gt 0 ] || e2e_fail "page $page shows no Chinese text: $(head -c 300 "$E2E_DIR/$name.txt")"
        else
            [ "$wide" -eq 0 ] || e2e_fail "page $page shows Chinese in English: $(LC_ALL=C.UTF-8 grep -P '[\x{3000}-\x{9FFF}]' "$E2E_DIR/$name.txt" | head -3)"
            if grep -qx "Notification icons" "$E2E_DIR/$name.txt"; then
                # The Menu bar page: Wi-Fi switched off there leaves the running bar.
                bar=$(kdrv find VarloApp - 10000) || e2e_fail "no menu bar"
                kdrv acc-tree "$bar" | grep -q "	Wi-Fi	" || e2e_fail "no Wi-Fi item on the bar to begin with"
                wifi=$(kdrv children "$settings" | awk -F'\t' '$1 ~ /Button visible=1/ && $2 == "Wi-Fi" { split($1, f, " "); print f[1] }')
                kdrv send "$wifi" 245 0 0 >/dev/null # BM_CLICK
                e2e_text "$E2E_BASE/config.ini" | grep -qx "wifi=0" || e2e_fail "the Wi-Fi switch did not write wifi=0"
                for i in $(seq 1 20); do
                    bar=$(kdrv find VarloApp - 5000) && ! kdrv acc-tree "$bar" | grep -q "	Wi-Fi	" && break
                    sleep 0.5
                done
                ! kdrv acc-tree "$bar" | grep -q "	Wi-Fi	" || e2e_fail "the Wi-Fi item stayed on the bar after it was switched off"
                # Its appearance set to dark there turns the running bar dark.
                # The page's second list (after the screen's); Wine gives such lists no window text.
                look=$(kdrv children "$settings" | awk -F'\t' '$1 ~ /ComboBox visible=1/ { if (++n == 2) { split($1, f, " "); print f[1] } }')
                [ -n "$look" ] || e2e_fail "no appearance choice on the Menu bar page"
                kdrv send "$look" 334 3 0 >/dev/null                             # CB_SETCURSEL: Dark
                kdrv send "$settings" 273 $((1 << 16)) "$look" >/dev/null        # CBN_SELCHANGE
                e2e_text "$E2E_BASE/config.ini" | grep -qx "darkmode=3" || e2e_fail "the appearance did not write darkmode=3"
                sleep 0.5
                read -r br bg bb < <(e2e_pixel "$(e2e_screenshot bar-dark)" 960 4 | tr ',' ' ')
                [ $((br + bg + bb)) -lt 300 ] || e2e_fail "the bar did not turn dark ($br $bg $bb)"
                move_clock_with_keys "$settings"
            fi
        fi
    done
    e2e_log "$pass: $count pages"
    e2e_quit_kestrana
done
echo ok
