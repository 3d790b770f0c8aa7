# A program folder from an older version, with its item list in "ico.xml": the list is
# migrated to "ico.ini" in document order before the dock loads it, and "ico.xml" goes.
source "$(dirname "$0")/../lib.sh"
e2e_begin items_xml_list 1920x1080x24

rm -f "$E2E_BASE/ico.ini" "$E2E_BASE/ico_bak.ini"
cat >"$E2E_BASE/ico.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<config>
  <zz><tag>Notepad</tag><appname>notepad.exe</appname><filepath>C:\Windows\notepad.exe</filepath></zz>
  <aa><appname>launchpad|</appname></aa>
  <mm><delimiter>1</delimiter></mm>
  <bb><tag>Clock</tag><appname>macclock</appname></bb>
  <cc><appname>trash|</appname></cc>
</config>
XML

e2e_start_kestrana
kdrv find OndelAPPRend - 20000 >/dev/null || e2e_fail "no dock window"
sleep 1
[ -f "$E2E_BASE/ico.xml" ] && e2e_fail "ico.xml is still there"
list=$(iconv -f UTF-16 -t UTF-8 "$E2E_BASE/ico.ini" 2>/dev/null) || e2e_fail "no UTF-16 ico.ini"
names=$(echo "$list" | tr -d '\r' | sed -n 's/^appname=//p' | tr '\n' ' ')
echo "appnames: $names"
# The old clock item is renamed, and that upgrade is saved at once.
for i in $(seq 1 50); do
    case "$names" in *systemtime*) break ;; esac
    sleep 0.1
    names=$(iconv -f UTF-16 -t UTF-8 "$E2E_BASE/ico.ini" 2>/dev/null | tr -d '\r' | sed -n 's/^appname=//p' | tr '\n' ' ')
done
[ "$names" = "notepad.exe launchpad| systemtime trash| " ] || e2e_fail "the migrated list is wrong: $names"
iconv -f UTF-16 -t UTF-8 "$E2E_BASE/ico.ini" | tr -d '\r' | grep -qx 'delimiter=1' || e2e_fail "the separator was lost"
echo ok
