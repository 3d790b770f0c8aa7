# End-to-end harness: sourced by scripts/run.sh, tests/e2e/run-all.sh and each scenario.
#
# One initialised Wine prefix is made once (template) and copied for every scenario.
# Each scenario gets its own Xvfb display (with xcompmgr, so layered windows blend as on
# Windows), its own prefix and its own program folder (C:\Kestrana). Every process a
# scenario starts is recorded by id and stopped at the end, also on failure or time-out.

E2E_ROOT=${E2E_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
E2E_BUILD=${E2E_BUILD:-$E2E_ROOT/build/e2e}
E2E_TEMPLATE=$E2E_BUILD/prefix-template
E2E_PROGRAM=${E2E_PROGRAM:-$E2E_ROOT/build/program}
E2E_SCREEN=${E2E_SCREEN:-1280x800x24}

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

e2e_log() { printf '[e2e %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Scratch HOME and XDG folders so wineboot links the user folders and the recycle bin
# to the scenario, never to the real home.
e2e_scratch_env() { # <folder>
    export HOME=$1/home XDG_DATA_HOME=$1/xdg/data XDG_CONFIG_HOME=$1/xdg/config XDG_CACHE_HOME=$1/xdg/cache
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    # Core Audio then finds one (silent) endpoint instead of none.
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
}

e2e_template_stamp() {
    printf '%s|%s|%s' "$(wine --version 2>/dev/null)" "$(sha1sum "${BASH_SOURCE[0]}" | cut -c1-12)" \
        "$(ls /usr/share/wine/fonts/*.ttf 2>/dev/null | wc -l)"
}

# Creates the template prefix once: Windows 10, no crash dialog, fonts with a CJK fallback.
e2e_make_template() {
    local stamp; stamp=$(e2e_template_stamp)
    if [ -f "$E2E_TEMPLATE/.kestrana-stamp" ] && [ "$(cat "$E2E_TEMPLATE/.kestrana-stamp")" = "$stamp" ]; then
        return 0
    fi
    e2e_log "initialising the Wine prefix template (once)"
    rm -rf "$E2E_TEMPLATE" "$E2E_BUILD/template-scratch"
    mkdir -p "$E2E_BUILD"
    (
        e2e_scratch_env "$E2E_BUILD/template-scratch"
        export WINEPREFIX=$E2E_TEMPLATE
        unset DISPLAY
        timeout 180 wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
        reg() { timeout 60 wine reg "$@" /f >/dev/null 2>&1; }
        reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10
        reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
        local fonts="$WINEPREFIX/drive_c/windows/Fonts"
        mkdir -p "$fonts"
        cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
        local fontkey='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
        reg add "$fontkey" /v 'Tahoma (TrueType)' /t REG_SZ /d tahoma.ttf
        reg add "$fontkey" /v 'Tahoma Bold (TrueType)' /t REG_SZ /d tahomabd.ttf
        reg add "$fontkey" /v 'Marlett (TrueType)' /t REG_SZ /d marlett.ttf
        # Host fonts (DejaVu, Droid Sans Fallback for Chinese and Japanese) are registered by
        # Wine itself from fontconfig; a copy in C:\windows\Fonts would shadow them and
        # lose its registration. Tahoma (the dialogs' font) borrows the fallback's glyphs
        # through font linking; Wine matches a link by the file's bare name.
        if [ -f /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf ]; then
            reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
                /t REG_MULTI_SZ /d 'DroidSansFallbackFull.ttf,Droid Sans Fallback'
        fi
        timeout 60 wineserver -w
        # The user folders are links into the scratch HOME; make them real folders so a
        # copied prefix stands alone.
        local users="$WINEPREFIX/drive_c/users"
        find "$users" -maxdepth 2 -type l | while read -r link; do
            rm -f "$link"
            mkdir -p "$link"
        done
    ) || return 1
    echo "$stamp" >"$E2E_TEMPLATE/.kestrana-stamp"
}

# A copy of the template that shares its 600 MB of system files by hard links and
# copies every file Wine may change (registry, ini files, user folders).
e2e_copy_prefix() { # <from> <to>
    cp -al "$1" "$2"
    find "$2" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.sys' ! -iname '*.drv' ! -iname '*.ttf' \
        ! -iname '*.fon' ! -iname '*.acm' ! -iname '*.ocx' ! -iname '*.cpl' ! -iname '*.tlb' \
        ! -iname '*.msstyles' ! -iname '*.ds' ! -iname '*.mui' -print0 |
        while IFS= read -r -d '' f; do
            cp --preserve=all "$f" "$f.copy" && mv -f "$f.copy" "$f"
        done
}

# --- per-scenario session ----------------------------------------------------------

E2E_PIDS=()

e2e_track() { E2E_PIDS+=("$1"); }

# e2e_begin <name> [screen]: fresh display, prefix and program folder for one scenario.
e2e_begin() {
    E2E_NAME=$1
    local screen=${2:-$E2E_SCREEN}
    E2E_DIR=$E2E_BUILD/run/$E2E_NAME
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR"
    e2e_scratch_env "$E2E_DIR"
    export WINEPREFIX=$E2E_DIR/prefix
    e2e_copy_prefix "$E2E_TEMPLATE" "$WINEPREFIX"
    E2E_BASE=$WINEPREFIX/drive_c/Kestrana
    cp -a "$E2E_PROGRAM" "$E2E_BASE"
    cp "$E2E_ROOT/build/win64/bin/kdriver.exe" "$WINEPREFIX/drive_c/kdriver.exe"
    trap e2e_end EXIT

    # Xvfb picks a free display itself and tells us which.
    local fdfile=$E2E_DIR/display
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fdfile" >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_XVFB=$!
    e2e_track "$E2E_XVFB"
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    [ -s "$fdfile" ] || { e2e_log "Xvfb did not start"; return 1; }
    export DISPLAY=:$(head -n1 "$fdfile")
    e2e_wallpaper "${screen%x*}"
    xcompmgr >"$E2E_DIR/xcompmgr.log" 2>&1 &
    e2e_track $!

    # Our own wineserver, so it can be stopped by its id. A program started before the
    # server listens would start a second server of its own, and one of them would fail:
    # wait (2 s at most) for its socket.
    wineserver -f -p >"$E2E_DIR/wineserver.log" 2>&1 &
    E2E_WINESERVER=$!
    e2e_track "$E2E_WINESERVER"
    local server
    server=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for i in $(seq 1 40); do
        compgen -G "/tmp/wine-*/$server/socket" >/dev/null || compgen -G "/tmp/.wine-$(id -u)/$server/socket" >/dev/null &&
            break
        sleep 0.05
    done
    e2e_log "$E2E_NAME: display $DISPLAY, prefix $WINEPREFIX"
}

# A soft gradient on the root window, so translucent bars show in screenshots as they
# would over a wallpaper (made once per screen size).
e2e_wallpaper() { # <width>x<height>
    command -v hsetroot >/dev/null || return 0
    local size=$1 file=$E2E_BUILD/wallpaper-$1.png
    # Scenarios run side by side: made under a name of its own, then moved into place.
    if [ ! -f "$file" ]; then
        convert -size "$size" gradient:'#5b7fa8-#c9a3bd' "$file.$$.png" 2>/dev/null && mv -f "$file.$$.png" "$file" ||
            { rm -f "$file.$$.png"; return 0; }
    fi
    # hsetroot also publishes the picture to the compositor (_XROOTPMAP_ID).
    timeout 10 hsetroot -fill "$file" >/dev/null 2>&1 || true
}

# Runs a Windows program of the scenario in the foreground with a time-out.
e2e_wine() { # <seconds> <program> [args...]
    local seconds=$1; shift
    timeout "$seconds" wine "$@" 2>>"$E2E_DIR/wine.log"
}

# The test driver; prints its answer, returns its exit code. Wine's console output ends
# lines with CR LF; strip the CR.
kdrv() {
    timeout 60 wine 'C:\kdriver.exe' "$@" 2>>"$E2E_DIR/wine.log" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Starts a Windows program and prints "<window> <pid> <ms>" once its first window shows.
# The program keeps the driver's output open, so the answer goes through a file. A start
# that fails within seconds (a busy Wine server can refuse the process) is tried once
# more; one that waited out its time is not, since its window may yet come.
e2e_launch() { # <command line>
    local attempt started
    for attempt in 1 2; do
        started=$SECONDS
        if timeout 30 wine 'C:\kdriver.exe' launch "$1" 15000 >"$E2E_DIR/launch.out" 2>>"$E2E_DIR/wine.log"; then
            tr -d '\r' <"$E2E_DIR/launch.out"
            return 0
        fi
        e2e_log "launch of $1 failed after $((SECONDS - started)) s (attempt $attempt)"
        tail -n 5 "$E2E_DIR/wine.log" | sed 's/^/wine: /' >&2
        [ $((SECONDS - started)) -lt 5 ] || return 1
        sleep 1
    done
    return 1
}

# Starts Kestrana.exe in the background; its id is tracked.
e2e_start_kestrana() { # [args...]
    (cd "$E2E_BASE" && exec wine 'C:\Kestrana\Kestrana.exe' "$@") >>"$E2E_DIR/kestrana.log" 2>&1 &
    E2E_KESTRANA=$!
    e2e_track "$E2E_KESTRANA"
}

# Starts notepad, waits for its window (E2E_NOTEPAD) and brings it to the front. Keys
# typed with xdotool then reach Wine through it (hotkeys need a Wine window in front).
# Not in a command substitution: the process is tracked by this shell.
e2e_notepad_in_front() {
    (cd "$E2E_DIR" && exec wine notepad) >>"$E2E_DIR/notepad.log" 2>&1 &
    e2e_track $!
    E2E_NOTEPAD=$(kdrv find Notepad - 20000) || e2e_fail "notepad did not start"
    kdrv activate "$E2E_NOTEPAD" >/dev/null || true
}

# A sound server of the scenario's own, so Core Audio lists real endpoints: two silent
# outputs and one silent input (plus the outputs' monitors), named after the scenario's
# devices. Call it before Wine starts a program; its runtime folder is private to the
# scenario, and the server is stopped with the scenario's other processes.
e2e_sound_server() {
    export XDG_RUNTIME_DIR=$E2E_DIR/pulse-runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # With the server there, ALSA's silent default would only add a third output.
    rm -f "$HOME/.asoundrc"
    timeout 20 pulseaudio -n --daemonize --exit-idle-time=-1 --log-target="file:$E2E_DIR/pulseaudio.log" \
        -L module-native-protocol-unix \
        -L "module-null-sink sink_name=e2e_speakers sink_properties=device.description=E2E_Speakers" \
        -L "module-null-sink sink_name=e2e_headphones sink_properties=device.description=E2E_Headphones" \
        -L "module-null-source source_name=e2e_microphone description=E2E_Microphone" ||
        { e2e_log "the sound server did not start"; return 1; }
    local pid
    pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null) || { e2e_log "the sound server left no id"; return 1; }
    e2e_track "$pid"
    pactl set-default-sink e2e_speakers >/dev/null 2>&1 || true
    pactl set-default-source e2e_microphone >/dev/null 2>&1 || true
}

# Windows-side process ids are not Unix ids; a Wine process belongs to the scenario when
# its environment names the scenario's prefix (the harness's own shells carry it too, so
# only processes running a Wine binary count).
e2e_prefix_processes() {
    local pid exe
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$pid" = "$$" ] && continue
        exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
        case "$exe" in *wine*) ;; *) continue ;; esac
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
        fi
    done
}

# Two screens of 800x600 and 640x480 side by side: Xephyr with Xinerama inside the
# scenario's display, which Wine then reads through Xinerama instead of XRandR.
e2e_two_screens() {
    command -v Xephyr >/dev/null || e2e_fail "Xephyr is not installed"

    Xephyr -displayfd 3 +xinerama -screen 800x600 -screen 640x480 -nolisten tcp 3>"$E2E_DIR/xephyr-display" \
        >"$E2E_DIR/xephyr.log" 2>&1 &
    e2e_track $!
    for i in $(seq 1 100); do [ -s "$E2E_DIR/xephyr-display" ] && break; sleep 0.05; done
    [ -s "$E2E_DIR/xephyr-display" ] || e2e_fail "Xephyr did not start"
    export DISPLAY=:$(head -n1 "$E2E_DIR/xephyr-display")
    timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
}

e2e_text() { # <file>: a settings file as UTF-8 text without carriage returns, whichever encoding it has
    if [ "$(head -c2 "$1" 2>/dev/null | od -An -tx1 | tr -d ' ')" = fffe ]; then
        iconv -f UTF-16 -t UTF-8 "$1"
    else
        cat "$1"
    fi | tr -d '\r'
}

e2e_item_lines() { # <file>: the "appname=" lines of a saved item list, on one line (nothing while it is missing)
    [ -f "$1" ] || return 0
    e2e_text "$1" | grep '^appname=' | tr '\n' ' '
}

# Reading a window's accessibility tree. "kdrv acc-tree" prints one element a line:
# "<depth> <role> <left> <top> <width> <height> <id>\t<name>\t<value>"; these look at the
# window's own elements (depth 1). Each kdrv call costs a Wine start: read a tree once.
e2e_acc_item() { # <tree> <name>: "<left> <top> <width> <height> <id>\t<value>" of an element
    printf '%s\n' "$1" | awk -F'\t' -v n="$2" '{ split($1, f, " ") } f[1] == 1 && $2 == n { print f[3] " " f[4] " " f[5] " " f[6] " " f[7] "\t" $3 }'
}
e2e_acc_names() { # <tree>: its named elements, one a line
    printf '%s\n' "$1" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 != "" { print $2 }'
}
e2e_acc_values() { # <tree>: "<name>\t<value>" of its named elements, one a line
    printf '%s\n' "$1" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && $2 != "" { print $2 "\t" $3 }'
}
e2e_acc_id() { # <tree> <name>: the element's id, for "kdrv acc-do"
    e2e_acc_item "$1" "$2" | cut -f1 | awk '{ print $5 }'
}
e2e_acc_tree_with() { # <window> <name>...: the window's tree once it has all these elements (10 s at most)
    local window=$1 tree name
    shift
    for _ in $(seq 1 25); do
        tree=$(kdrv acc-tree "$window")
        for name in "$@"; do
            [ -n "$(e2e_acc_item "$tree" "$name")" ] || { sleep 0.2; continue 2; }
        done
        printf '%s\n' "$tree"
        return 0
    done
    return 1
}

e2e_wait_visible() { # <window>: until the window is shown (5 s at most)
    for _ in $(seq 1 25); do
        [ "$(kdrv info "$1" | sed -n 's/^visible=//p')" = 1 ] && return 0
        sleep 0.2
    done
    return 1
}

e2e_wait_windows() { # <class> <count>: until that many windows of the class exist (10 s at most)
    for _ in $(seq 1 40); do
        [ "$(kdrv windows "$1" | wc -l)" -ge "$2" ] && return 0
        sleep 0.25
    done
    return 1
}

e2e_quit_kestrana() { # asks the program to quit (WM_CLOSE to its main window); fails unless it ends cleanly within 10 s
    local main i rc
    main=$(kdrv find KESTRANA - 2000) || e2e_fail "no main window to ask to quit"
    kdrv post "$main" 16 0 0 >/dev/null || e2e_fail "cannot ask the program to quit"
    for i in $(seq 1 100); do
        kill -0 "$E2E_KESTRANA" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$E2E_KESTRANA" 2>/dev/null && e2e_fail "Kestrana.exe still runs 10 s after the quit request"
    wait "$E2E_KESTRANA"; rc=$?
    [ $rc -eq 0 ] || e2e_fail "exit code $rc"
}

e2e_screenshot() { # <name>: a screenshot of the whole display into the scenario's folder
    local out=$E2E_DIR/$1.png
    if command -v import >/dev/null; then
        import -display "$DISPLAY" -window root "$out" 2>/dev/null && { echo "$out"; return 0; }
    fi
    kdrv screenshot "Z:$(echo "$out" | tr / '\\')" >/dev/null && echo "$out"
}

e2e_end() {
    local rc=$?
    trap - EXIT
    if [ -n "${WINEPREFIX:-}" ]; then
        timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    sleep 0.2
    for pid in "${E2E_PIDS[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    for pid in $(e2e_prefix_processes); do
        kill -9 "$pid" 2>/dev/null || true
    done
    E2E_PIDS=()
    return $rc
}

# The colour of one pixel of a screenshot, as "r g b".
e2e_pixel() { # <png> <x> <y>
    convert "$1" -format "%[fx:int(255*u.r)] %[fx:int(255*u.g)] %[fx:int(255*u.b)]" -crop "1x1+$2+$3" info: 2>/dev/null
}
# True when two "r g b" colours differ clearly (more than `limit` in some channel); the
# compositor and the wallpaper's gradient shift pixels by one or two.
e2e_colours_differ() { # <"r g b"> <"r g b"> [limit]
    local limit=${3:-24}
    awk -v a="$1" -v b="$2" -v l="$limit" 'BEGIN { split(a, x, " "); split(b, y, " ");
        for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < 0) d = -d; if (d > l) exit 0 } exit 1 }'
}

# Screenshots until a pixel has a colour (within `limit`), for pictures a loaded machine
# may present late; prints the last screenshot's path and the pixel, fails after `seconds`.
e2e_pixel_until() { # <name> <x> <y> <"r g b"> [limit] [seconds]
    local shot pixel deadline=$((SECONDS + ${6:-5}))
    while :; do
        shot=$(e2e_screenshot "$1") || return 1
        pixel=$(e2e_pixel "$shot" "$2" "$3")
        e2e_colours_differ "$pixel" "$4" "${5:-24}" || { echo "$shot $pixel"; return 0; }
        [ "$SECONDS" -lt "$deadline" ] || { echo "$shot $pixel"; return 1; }
        sleep 0.3
    done
}

# Assertions that name what failed.
e2e_fail() {
    # The program's own account of the last moments, for failures seen only in CI.
    [ -f "${E2E_BASE:-}/Kestrana.log" ] && tail -n 8 "$E2E_BASE/Kestrana.log" | sed 's/^/log: /' >&2
    e2e_log "FAIL ($E2E_NAME): $*"
    exit 1
}
e2e_expect() { # <description> <command...>
    local what=$1; shift
    "$@" || e2e_fail "$what"
}

# The resting look of the bars. An interaction must leave the dock and the menu bar drawn
# as they were: `e2e_rest_mark` takes them at rest (pointer away, a settle time) once,
# `e2e_rest_check` after each interaction takes them again, compares with the last look
# and keeps the new one for the next check. Only the bands of the screen the bars stand
# in count (each visible dock and bar window, grown by E2E_REST_MARGIN for labels and
# grown icons), so other programs' windows elsewhere do not; a few hundred pixels may
# differ for the clock's hands and the time text.
e2e_rest_regions() { # prints "WxH+X+Y" per visible dock or menu bar window
    local screen_w screen_h margin=${E2E_REST_MARGIN:-120}
    read -r screen_w screen_h < <(xdpyinfo -display "$DISPLAY" 2>/dev/null | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    { kdrv windows OndelAPPRend; kdrv windows VarloApp; } | grep 'visible=1' |
        sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\).*/\1 \2 \3 \4/' |
        while read -r l t r b; do
            l=$((l - margin)); t=$((t - margin)); r=$((r + margin)); b=$((b + margin))
            [ $l -lt 0 ] && l=0; [ $t -lt 0 ] && t=0
            [ $r -gt "$screen_w" ] && r=$screen_w; [ $b -gt "$screen_h" ] && b=$screen_h
            [ $r -gt $l ] && [ $b -gt $t ] && echo "$((r - l))x$((b - t))+$l+$t"
        done
}
e2e_rest_shot() { # <name>: pointer away, settle, screenshot
    xdotool mousemove ${E2E_REST_AWAY:-960 540}
    sleep "${E2E_REST_SETTLE:-2}"
    e2e_screenshot "rest-$1" >/dev/null || e2e_fail "no screenshot of the resting bars ($1)"
}
e2e_rest_mark() { # [name]: the resting look the next check compares with
    E2E_REST_REGIONS=$(e2e_rest_regions)
    [ -n "$E2E_REST_REGIONS" ] || e2e_fail "no dock or menu bar to take at rest"
    E2E_REST_LAST=${1:-start}
    e2e_rest_shot "$E2E_REST_LAST"
}
e2e_rest_check() { # <name>: the look after the interaction <name>, within E2E_REST_TOLERANCE pixels of the last
    [ -n "${E2E_REST_LAST:-}" ] || e2e_fail "no resting look taken before $1"
    e2e_rest_shot "$1"
    local region n total attempt i
    # A loaded machine can still be finishing the interaction's last frames when the settle
    # time ends: a look that differs is taken again, up to three times, a second apart; a
    # look that stays different fails.
    for attempt in 1 2 3 4; do
        total=0 i=0
        for region in $E2E_REST_REGIONS; do
            i=$((i + 1))
            n=$(compare -metric AE -fuzz 8% "$E2E_DIR/rest-$E2E_REST_LAST.png[$region]" "$E2E_DIR/rest-$1.png[$region]" \
                "$E2E_DIR/rest-$1-diff$i.png" 2>&1 >/dev/null)
            n=${n%% *}
            [[ "$n" =~ ^[0-9.e+]+$ ]] || e2e_fail "cannot compare the resting bars ($1): $n"
            total=$((total + ${n%.*}))
        done
        e2e_log "resting look after $1: $total pixels differ from $E2E_REST_LAST (look $attempt)"
        [ "$total" -le "${E2E_REST_TOLERANCE:-400}" ] && break
        [ "$attempt" -lt 4 ] || e2e_fail "the bars are drawn differently at rest after $1: $total pixels differ (see rest-$1-diff*.png)"
        sleep 1
        e2e_screenshot "rest-$1" >/dev/null || e2e_fail "no screenshot of the resting bars ($1)"
    done
    E2E_REST_LAST=$1
}
