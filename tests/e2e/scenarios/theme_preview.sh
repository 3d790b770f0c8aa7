# The default theme as the compositor draws it under Wine: themeview.exe, started in the
# program folder, shows the preview of the skin "default", the shipped dockskin pictures
# and every special icon on a light and a dark backdrop. The screenshot of its window is
# kept in build/screenshots (THEME_PREVIEW_OUT=docs/theme-preview-wine.png renews the
# picture the documentation shows).
source "$(dirname "$0")/../lib.sh"
viewer=${THEMEVIEW_EXE:-$E2E_ROOT/build/win64/e2e-bin/themeview.exe}
out=${THEME_PREVIEW_OUT:-$E2E_ROOT/build/screenshots/theme-preview-wine.png}
e2e_begin theme_preview

[ -f "$viewer" ] || e2e_fail "no themeview.exe at $viewer (tools/themeview)"
[ -f "$E2E_BASE/themes/default/dockskin/config.ini" ] || e2e_fail "the program folder has no default theme"
cp "$viewer" "$E2E_BASE/themeview.exe"

(cd "$E2E_BASE" && exec wine 'C:\Kestrana\themeview.exe' 90) >>"$E2E_DIR/themeview.log" 2>&1 &
e2e_track $!
win=$(kdrv find KestranaThemeView - 30000) || e2e_fail "no KestranaThemeView window"
kdrv wait-prop "$win" ThemeViewReady 1 30000 >/dev/null || e2e_fail "the viewer never finished drawing"
info=$(kdrv info "$win")
echo "$info"
grep -q '^visible=1' <<<"$info" || e2e_fail "the viewer window is not visible"
read -r left top right bottom <<<"$(kdrv rect "$win")"
[ "$((right - left))x$((bottom - top))" = 1200x720 ] || e2e_fail "window rect $left $top $right $bottom"

# The compositor shows the first frame a moment after the window appears: take pictures
# until the window's area holds the drawing (the two halves light and dark, not flat).
crop=$E2E_DIR/theme_preview_window.png
ok=0
for attempt in $(seq 1 20); do
    shot=$(e2e_screenshot theme_preview) || e2e_fail "no screenshot"
    convert "$shot" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$crop" ||
        e2e_fail "cannot crop the screenshot"
    light=$(convert "$crop" -crop 1200x360+0+0 -colorspace Gray -format '%[fx:mean]' info:)
    dark=$(convert "$crop" -crop 1200x360+0+360 -colorspace Gray -format '%[fx:mean]' info:)
    spread=$(convert "$crop" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    if awk -v l="$light" -v d="$dark" -v s="$spread" 'BEGIN { exit !(l > 0.55 && d < 0.35 && s > 0.1) }'; then
        ok=1
        break
    fi
    sleep 0.3
done
echo "light half $light, dark half $dark, spread $spread (attempt $attempt)"
[ $ok = 1 ] || e2e_fail "the window never showed a light and a dark half"

mkdir -p "$(dirname "$out")"
cp "$crop" "$out" || e2e_fail "cannot copy the picture to $out"
echo "ok: $out"
