# The program starts, creates its hidden main window and its cloaked icon host, and the
# main window serves window requests from other processes on the user-interface thread.
source "$(dirname "$0")/../lib.sh"
e2e_begin startup_main_window

e2e_start_kestrana
main=$(kdrv find KESTRANA - 20000) || e2e_fail "no KESTRANA main window"
info=$(kdrv info "$main")
echo "$info"
grep -q '^visible=0' <<<"$info" || e2e_fail "the main window must stay hidden"
# Tool window (0x80), topmost (0x8), no-activate (0x08000000).
exstyle=$(sed -n 's/^exstyle=//p' <<<"$info")
(( (exstyle & 0x80) && (exstyle & 0x8) && (exstyle & 0x08000000) )) || e2e_fail "main window styles $exstyle"
[ "$(kdrv prop "$main" NonRudeHWND)" = 1 ] || e2e_fail "NonRudeHWND not set"
main_tid=$(sed -n 's/^tid=//p' <<<"$info")

kdrv find OndelIconsCwnd - 5000 >/dev/null || e2e_fail "no OndelIconsCwnd window at start"

# 65100/1 from another process: an owned icon host, made on the user-interface thread.
host=$(kdrv send "$main" 65100 1 0) || e2e_fail "65100/1 not answered"
[ "$host" != 0 ] || e2e_fail "65100/1 returned no window"
hinfo=$(kdrv info "$host")
echo "$hinfo"
grep -q '^class=OndelIconsCwnd$' <<<"$hinfo" || e2e_fail "65100/1 made the wrong class"
[ "$(sed -n 's/^tid=//p' <<<"$hinfo")" = "$main_tid" ] || e2e_fail "icon host not on the UI thread"
[ "$(sed -n 's/^owner=//p' <<<"$hinfo")" = "$main" ] || e2e_fail "icon host not owned by the main window"
[ "$(kdrv rect "$host")" = "-32000 -32000 -31744 -31744" ] || e2e_fail "icon host geometry $(kdrv rect "$host")"

# 65100/2: the same without an owner.
free=$(kdrv send "$main" 65100 2 0)
grep -q '^class=OndelHwnd$' <<<"$(kdrv info "$free")" || e2e_fail "65100/2 made the wrong window"
grep -q '^owner=0$' <<<"$(kdrv info "$free")" || e2e_fail "65100/2 window has an owner"

# 65100/999 destroys our windows, never the main window nor another process's window.
[ "$(kdrv send "$main" 65100 999 "$host")" = 1 ] || e2e_fail "65100/999 did not destroy the icon host"
kdrv info "$host" >/dev/null && e2e_fail "icon host still exists"
[ "$(kdrv send "$main" 65100 999 "$main")" = 0 ] || e2e_fail "65100/999 accepted the main window"
desktop=$(kdrv find '#32769' - 0 || true)
if [ -n "$desktop" ]; then
    [ "$(kdrv send "$main" 65100 999 "$desktop")" = 0 ] || e2e_fail "65100/999 accepted a foreign window"
fi
# A forged creation block from another process is refused, not dereferenced.
[ "$(kdrv send "$main" 65100 666 305419896)" = 0 ] || e2e_fail "65100/666 accepted a foreign pointer"
# Copy-data: a tray record must be exactly 1484 bytes; other sizes pick no window.
[ "$(kdrv copydata "$main" 0 1 1483)" = 0 ] || e2e_fail "a short tray record was accepted"
[ "$(kdrv copydata "$main" 0 1 5000)" = 0 ] || e2e_fail "an oversized record was accepted"
[ "$(kdrv copydata "$main" 0 $(( (120 << 16) | 300 )) 7)" = 0 ] || e2e_fail "an unknown window kind was created"
# Copy-data windows are made only for the program's own processes, owned by the window
# the request names: a copy of the driver in the program folder asks with a window of its own.
[ "$(kdrv copydata "$main" self $(( (120 << 16) | 300 )) 2)" = 0 ] || e2e_fail "a foreign process got a stack window"
cp "$WINEPREFIX/drive_c/kdriver.exe" "$E2E_BASE/kdriver.exe"
stack=$(timeout 60 wine 'C:\Kestrana\kdriver.exe' copydata "$main" self $(( (120 << 16) | 300 )) 2 2>>"$E2E_DIR/wine.log" | tr -d '\r')
[ "$stack" != 0 ] || e2e_fail "copy-data 2 made no stack window"
sinfo=$(kdrv info "$stack")
grep -q '^class=OndelStack$' <<<"$sinfo" || e2e_fail "copy-data 2 made $(sed -n 's/^class=//p' <<<"$sinfo")"
[ "$(kdrv rect "$stack" | awk '{print $3-$1, $4-$2}')" = "300 120" ] || e2e_fail "stack window size $(kdrv rect "$stack")"
[ "$(kdrv copydata "$main" 123456789 $(( (10 << 16) | 10 )) 0)" = 0 ] || e2e_fail "a window with a dead owner was created"
kdrv info "$main" >/dev/null || e2e_fail "main window gone after hostile requests"

e2e_screenshot startup >/dev/null
echo "ok"
