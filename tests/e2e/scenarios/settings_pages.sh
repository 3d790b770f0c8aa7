# Every page of the settings window in English and in Chinese, for a look: the window is
# opened by a second start, each page picked in the page list, and a picture of the
# window kept in build/screenshots (settings-<language>-<page>.png). Each page's visible
# labels come from the chosen language: in Chinese every page shows Chinese characters,
# in English none does. With the system's apps set dark the window follows: three pages
# are pictured again (settings-dark-<page>.png) and the page behind the controls is dark.
source "$(dirname "$0")/../lib.sh"
e2e_begin settings_pages 1600x1000x24

shots=$E2E_ROOT/build/screenshots
mkdir -p "$shots"
# Visible control texts of the window, one per line.
texts() { kdrv children "$1" | awk -F'\t' '$1 ~ /visible=1/ && $2 != "" { print $2 }'; }

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
            fi
        fi
    done
    e2e_log "$pass: $count pages"
    e2e_quit_kestrana
done
echo ok
