# The Launchpad catalogue under Wine, through the shell as the program uses it: shortcuts
# on the desktop, in the Start menu (Wine has no applications folder, so its program
# folders stand in) and in launchpad\Pinned\ all become entries; their icons are
# extracted into launchpad\cache\ as 256 px PNG pictures (a contact sheet of them is kept
# as launchpad_icons.png in the scenario's folder); the export holds the pinned
# shortcuts, the catalogue file and padconfig.ini; a second load takes every icon from
# the cache and writes nothing. The pack, imported into another program folder, brings the
# arrangement along.
source "$(dirname "$0")/../lib.sh"
e2e_begin launchpad_catalogue

base='C:\Kestrana'
utf16() { { printf '\xff\xfe'; printf "$1" | iconv -f UTF-8 -t UTF-16LE; } }
# Source choice 3: the applications folder (here the Start menu) and the desktop.
utf16 '[normal]\r\npadicotype=3\r\n' >"$E2E_BASE/config.ini"

desktop=$(kdrv folder desktop) || e2e_fail "no desktop folder"
programs=$(kdrv folder programs) || e2e_fail "no Start menu folder"
echo "desktop: $desktop; Start menu: $programs"
shortcut() { kdrv shortcut "$@" || e2e_fail "cannot make the shortcut $1"; }
shortcut "$desktop\\Notepad.lnk" 'C:\windows\notepad.exe'
shortcut "$programs\\Registry Editor.lnk" 'C:\windows\regedit.exe'
shortcut "$programs\\Games\\Mines.lnk" 'C:\windows\system32\winemine.exe'
shortcut "$base\\launchpad\\Pinned\\Wordpad.lnk" 'C:\Program Files\Windows NT\Accessories\wordpad.exe'
# The user's name for the Start menu entry, kept in padconfig.ini.
utf16 "[startmenu]\r\n${programs//\\/\\\\}\\\\Registry Editor.lnk=Registry\r\n" >"$E2E_BASE/padconfig.ini"

# A load by the test driver. Wine has been seen to take the driver down with a signal
# (exit 139) now and then in full runs, outside any Windows exception handling: such a
# death is reported and the load asked once more; any other failure stands.
pad_load() { # <folder>
    local answer code
    answer=$(kdrv pad-load "$1" 60000)
    code=$?
    if [ "$code" -gt 128 ]; then
        e2e_log "the test driver died by signal $((code - 128)) during a load; loading again"
        answer=$(kdrv pad-load "$1" 60000)
        code=$?
    fi
    echo "$answer"
    return "$code"
}

out=$(pad_load "$base") || { echo "$out"; e2e_fail "the first load failed"; }
echo "$out"
expect_entry() { # <source> <name>
    grep -qP "^entry\t[0-9]+\t[0-9]+\t-\t$1\t$2\t" <<<"$out" || e2e_fail "no $1 entry \"$2\""
}
expect_entry desktop Notepad
expect_entry startmenu Registry
expect_entry startmenu Mines
expect_entry pinned Wordpad
grep -qP "\tnone$" <<<"$out" && e2e_fail "an entry has no icon"
[ -f "$E2E_BASE/padconfig_startmenudesktop.xml" ] || e2e_fail "no catalogue file"

cache=$E2E_BASE/launchpad/cache
shopt -s nullglob
icons=("$cache"/*.png)
[ ${#icons[@]} -ge 4 ] || e2e_fail "${#icons[@]} icons in launchpad\\cache"
for icon in "${icons[@]}"; do
    size=$(identify -format '%wx%h' "$icon") || e2e_fail "$icon is no picture"
    echo "cached: $(basename "$icon") $size"
    [ "$size" = 256x256 ] || e2e_fail "$(basename "$icon") is $size, not 256 px"
done
montage "${icons[@]}" -background '#808080' -geometry 256x256+8+8 -tile x1 "$E2E_DIR/launchpad_icons.png" 2>/dev/null &&
    echo "contact sheet: $E2E_DIR/launchpad_icons.png"

kdrv pad-export "$base" || e2e_fail "the export failed"
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
    "$E2E_BASE/pad.zip") || e2e_fail "pad.zip is no archive"
echo "$listing"
for member in 'launchpad/Pinned/Wordpad.lnk' 'padconfig_startmenudesktop.xml' 'padconfig.ini'; do
    grep -qx "$member" <<<"$listing" || e2e_fail "pad.zip lacks $member"
done
[ "$(wc -l <<<"$listing")" = 3 ] || e2e_fail "pad.zip holds more than the pack's files"

# The pack moves the arrangement to another program folder (with the same source choice
# in its own config.ini): the same entries in the same places, the user's names and the
# pinned shortcut come along.
mkdir -p "$WINEPREFIX/drive_c/Moved" && cp "$E2E_BASE/config.ini" "$WINEPREFIX/drive_c/Moved/"
imported=$(kdrv pad-import 'C:\Moved' "$base\\pad.zip") || { echo "$imported"; e2e_fail "the import failed"; }
moved=$(pad_load 'C:\Moved') || { echo "$moved (exit $?)"; e2e_fail "the load after the import failed"; }
[ "$(grep '^entry' <<<"$moved" | cut -f2-6)" = "$(grep '^entry' <<<"$out" | cut -f2-6)" ] ||
    e2e_fail "the imported arrangement differs: $moved"
grep -qP '\tpinned\tWordpad\tC:\\Moved\\launchpad\\Pinned\\Wordpad.lnk\t256x256$' <<<"$moved" ||
    e2e_fail "the pinned shortcut did not come along"

stamps=$(stat -c '%n %Y %s' "${icons[@]}" "$E2E_BASE/padconfig_startmenudesktop.xml")
sleep 1
again=$(pad_load "$base") || { echo "$again (exit $?)"; e2e_fail "the second load failed"; }
grep -P '^(loaded|icons)' <<<"$again"
[ "$(grep -c '^entry' <<<"$again")" = "$(grep -c '^entry' <<<"$out")" ] || e2e_fail "the second load shows other entries"
grep -qP "\tnone$" <<<"$again" && e2e_fail "an icon did not come from the cache"
[ "$(stat -c '%n %Y %s' "${icons[@]}" "$E2E_BASE/padconfig_startmenudesktop.xml")" = "$stamps" ] ||
    e2e_fail "the second load rewrote a file"
echo "ok"
