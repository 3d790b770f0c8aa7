#!/usr/bin/env bash
# Composes a contact sheet of a built theme's icons: light icons on a light ground and
# dark icons (the light one where a theme has no dark variant) on a dark ground, each at
# 256 px and at 48 px, with the clock drawn at 10:08:30. Needs ImageMagick.
#
#   scripts/gen-theme-sheet.sh <built theme folder> <sheet.png>
#   e.g. scripts/gen-theme-sheet.sh build/native-asan/shipped/themes/default docs/theme-default.png
set -euo pipefail

theme=${1:?built theme folder (…/themes/default)}
out=${2:?output png}
names=(explorer pad ControlPlanel folder Calendar startmenu Systemtray Network
       Trash_Empty Trash_Full Usbdevice MyDocuments virtualdesktop Weather)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The clock as the dock composes it: face, then hour, minute and second hands rotated
# about the centre.
clock() { # <suffix> <output>
    convert "$theme/clock/bg$1.png" \
        \( "$theme/clock/hour$1.png" -background none -distort SRT 304 \) -composite \
        \( "$theme/clock/minute$1.png" -background none -distort SRT 51 \) -composite \
        \( "$theme/clock/second$1.png" -background none -distort SRT 180 \) -composite "$2"
}
clock "" "$tmp/clock.png"
clock "_dark" "$tmp/clock_dark.png"

panel() { # <light|dark> <ground colour>
    local mode=$1 ground=$2 files=() small=()
    for n in "${names[@]}"; do
        local f="$theme/icons/$n.png"
        [ "$mode" = dark ] && [ -f "$theme/icons/${n}_dark.png" ] && f="$theme/icons/${n}_dark.png"
        [ -f "$f" ] || { echo "gen-theme-sheet: missing $f" >&2; exit 1; }
        files+=("$f")
    done
    if [ "$mode" = dark ]; then files+=("$tmp/clock_dark.png"); else files+=("$tmp/clock.png"); fi
    for i in "${!files[@]}"; do
        convert "${files[$i]}" -filter Lanczos -resize 48x48 "$tmp/s_${mode}_$i.png"
        small+=("$tmp/s_${mode}_$i.png")
    done
    montage "${files[@]}" -background "$ground" -geometry 256x256+12+12 -tile 8x "$tmp/big_$mode.png"
    montage "${small[@]}" -background "$ground" -geometry 48x48+10+10 -tile 15x "$tmp/small_$mode.png"
    convert "$tmp/big_$mode.png" \( "$tmp/small_$mode.png" \) -background "$ground" -gravity center \
        -append -bordercolor "$ground" -border 16 "$tmp/panel_$mode.png"
}
panel light '#eceef2'
panel dark '#1c1d21'
mkdir -p "$(dirname "$out")"
convert "$tmp/panel_light.png" "$tmp/panel_dark.png" -append -strip -depth 8 "$out"
