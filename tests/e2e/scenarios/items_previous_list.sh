# A program folder whose "ico.ini" is missing but whose "ico_bak.ini" (the list before the
# last save) is there: the dock takes the previous list back as "ico.ini", in its order,
# and shows it: a bar for seven items, with the programs' own icons from the shell.
source "$(dirname "$0")/../lib.sh"
e2e_begin items_previous_list 1920x1080x24

rm -f "$E2E_BASE/ico.ini"
printf '%s\r\n' '[ico1]' 'tag=Notepad' 'appname=notepad.exe' 'filepath=c:\windows\notepad.exe' \
    'realpath=c:\windows\notepad.exe' '[ico2]' 'appname=launchpad|' '[second name]' 'tag=Windows' \
    'appname=windows' 'filepath=c:\windows' 'realpath=c:\windows' '[ico4]' 'delimiter=1' '[ico5]' \
    'tag=Regedit' 'appname=regedit.exe' 'filepath=%windir%\regedit.exe' '[ico6]' 'appname=cal|' \
    '[ico7]' 'appname=trash|' >"$E2E_BASE/ico_bak.ini"

e2e_start_kestrana
render=$(kdrv find OndelAPPRend - 20000) || e2e_fail "no dock window"
input=$(kdrv find OndelAPP - 5000) || e2e_fail "no dock input window"
sleep 1
[ -f "$E2E_BASE/ico.ini" ] || e2e_fail "no ico.ini"
# A save may follow the load (first start settings); it keeps the same list either way.
appnames() { e2e_text "$1" | sed -n 's/^appname=//p' | tr '\n' ' '; }
names=$(appnames "$E2E_BASE/ico.ini")
echo "appnames: $names"
[ "$names" = "notepad.exe launchpad| windows regedit.exe cal| trash| " ] || e2e_fail "the list is not the previous one: $names"

read -r il it ir ib < <(kdrv rect "$input")
echo "bar: $il $it $ir $ib"
[ $(( ir - il )) -gt 400 ] || e2e_fail "the bar is too short for seven items ($il..$ir)"
shot=$(e2e_screenshot items)
mkdir -p "$E2E_ROOT/build/screenshots"
cp "$shot" "$E2E_ROOT/build/screenshots/items-previous-list.png"
echo ok
