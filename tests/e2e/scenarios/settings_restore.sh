# A backup made on the settings window's Backup page and restored from it: the restore
# puts the saved config.ini back, keeps the replaced one in the backup folder and starts
# the program again on the restored settings, whose dock then has the saved icon size.
source "$(dirname "$0")/../lib.sh"
e2e_begin settings_restore 1280x800x24

ini_value() { # <section> <key>
    e2e_text "$E2E_BASE/config.ini" | awk -v s="[$1]" -v k="$2=" '
        /^\[/ { in_section = ($0 == s) } in_section && index($0, k) == 1 { print substr($0, length(k) + 1); exit }'
}
dock_width() { read -r l t r b < <(kdrv rect "$(kdrv find OndelAPPRend - 20000)") && echo $((r - l)); }
backups=$E2E_BASE/backup

printf '[normal]\r\ndetaillog=1\r\ndefaultsize=48\r\nmaxsize=96\r\ndockicoeffect=0\r\ndockicoeffect_bglight=50\r\n' >"$E2E_BASE/config.ini"
e2e_start_kestrana
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock"
sleep 1.5
small=$(dock_width)

# The Backup page is the last of the list; its first button makes the backup.
(cd "$E2E_BASE" && timeout 30 wine 'C:\Kestrana\Kestrana.exe' --settings) >>"$E2E_DIR/second.log" 2>&1
settings=$(kdrv find KestranaSettings - 10000) || e2e_fail "no settings window"
read -r sl st sr sb < <(kdrv rect "$settings")
xdotool mousemove $(((sl + sr) / 2)) $((sb - 10))
kdrv activate "$settings" >/dev/null || true
sleep 0.5
xdotool key End
sleep 1
xdotool key Tab space
for i in $(seq 1 40); do ls "$backups"/*.settings.zip >/dev/null 2>&1 && break; sleep 0.25; done
zip=$(ls "$backups"/*.settings.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || e2e_fail "Back up now wrote no backup into $backups"
unzip -l "$zip" | grep -q 'config.ini' || e2e_fail "the backup holds no config.ini"

# A setting changed after the backup.
kdrv ini 'C:\Kestrana\config.ini' normal defaultsize 80 >/dev/null
old_pid=$E2E_KESTRANA

# Restore: the next button opens the file dialog, where the backup is chosen.
kdrv activate "$settings" >/dev/null || true
xdotool mousemove $(((sl + sr) / 2)) $((sb - 10))
sleep 0.3
xdotool key Tab space
dialog=$(kdrv find '#32770' - 10000) || e2e_fail "Restore opened no file dialog"
read -r dl dt dr db < <(kdrv rect "$dialog")
e2e_log "file dialog at $dl $dt $dr $db"
sleep 0.5
e2e_screenshot dialog >/dev/null || true
# The dialog opens in the backup folder: the backup is the first file of its list; a
# click chooses it, then Open.
xdotool mousemove $((dl + 110)) $((dt + 66))
sleep 0.3
xdotool click 1
sleep 0.5
e2e_screenshot chosen >/dev/null || true
xdotool mousemove $((dl + 374)) $((dt + 212))
sleep 0.3
xdotool click 1

# The program starts again on the restored file; the replaced one stays in the backup folder.
for i in $(seq 1 60); do kill -0 "$old_pid" 2>/dev/null || break; sleep 0.25; done
kill -0 "$old_pid" 2>/dev/null && e2e_fail "the program did not restart after the restore"
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock after the restart"
[ "$(ini_value normal defaultsize)" = 48 ] || e2e_fail "config.ini holds icon size $(ini_value normal defaultsize), not the backup's 48"
kept=$(find "$backups" -path '*before-restore*' -name config.ini | head -n1)
[ -n "$kept" ] || e2e_fail "the replaced config.ini was not kept in the backup folder ($(find "$backups" | tr '\n' ' '))"
e2e_text "$kept" | grep -qx 'defaultsize=80' || e2e_fail "the kept config.ini is not the replaced one"
sleep 1.5
[ "$(dock_width)" -le "$small" ] || e2e_fail "the restarted dock is $(dock_width) px wide, not the restored $small"
e2e_screenshot restored >/dev/null || true
echo ok
