# The weather item against a stand-in service on 127.0.0.1 (plain HTTP is allowed to the
# loopback address only): the request carries the stored place's longitude and latitude,
# the service's name for the place is written to "weather"/"cityname", the item reads as
# the answer's temperature and condition to a screen reader, and a click opens the view
# (this Wine has no weather package). Then the clock item shows its skin's night face once
# the stored sunset has passed (a second start with other sun times). The calendar item
# draws its page from the calendar skin of config.ini (its night twin after sunset), and the
# battery item is drawn. Last, a digital clock skin draws its hour over its face.
# Screenshots: build/e2e/run/weather/weather-*.png.
source "$(dirname "$0")/../lib.sh"
# The sun times below are clock times of the day, and no stored sunrise comes before 1:00:
# the scenario runs at midday in a time zone chosen for it (Wine takes the zone from TZ),
# whatever hour it is on the machine. POSIX zones count west: "UTC-9" is nine hours ahead.
utc_hour=$((10#$(date -u +%H)))
export TZ="UTC$((utc_hour - 12))"
e2e_begin weather 1280x800x24

data=$E2E_ROOT/tests/data/weather
python3 "$E2E_ROOT/tests/e2e/weather_server.py" "$data/service_forecast.json" "$data/service_cities.json" \
    "$E2E_DIR/port" "$E2E_DIR/requests.log" >"$E2E_DIR/server.log" 2>&1 &
e2e_track $!
for i in $(seq 1 50); do
    [ -s "$E2E_DIR/port" ] && break
    sleep 0.1
done
port=$(cat "$E2E_DIR/port" 2>/dev/null) || e2e_fail "the stand-in service did not start"

printf '%s\r\n' '[ico1]' 'appname=weather' '[ico2]' 'appname=systemtime' '[ico3]' 'appname=trash|' \
    '[ico4]' 'appname=cal|' '[ico5]' 'appname=battery' >"$E2E_BASE/ico.ini"
# A blue calendar page with white texts (the built-in page is white and red).
convert -size 64x64 xc:'#1e50dc' "$E2E_BASE/calpage.png" || e2e_fail "no calendar page picture"
# Its night twin is red.
convert -size 64x64 xc:'#b01818' "$E2E_BASE/calpage_dark.png" || e2e_fail "no night calendar page picture"
# Day from 1:00 to 23:58 (this Wine has no location service, so the stored times stay).
printf '%s\r\n' '[normal]' 'detaillog=1' 'sunrise=1:0' 'sunset=23:58' '[weather]' "service=http://127.0.0.1:$port" \
    'citycode=116.39723,39.90750' '[cal]' 'enabled=1' 'filepath=calpage.png' 'mfontsize=40' 'mfontcolor=-1' \
    'mfontline=1' 'mfonty=20' 'dfontsize=120' 'dfontcolor=4294967295' 'dfontline=1' 'dfonty=80' >"$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock"

# The first fetch waits for the location service (up to 10 s; Wine has none).
for i in $(seq 1 100); do
    [ -s "$E2E_DIR/requests.log" ] && break
    sleep 0.2
done
request=$(head -n1 "$E2E_DIR/requests.log" 2>/dev/null)
echo "request: $request"
case "$request" in
/api_v2/weather.cgi\?format=JSON\&ver=2\&lon=116.39723\&lat=39.90750) ;;
*) e2e_fail "the request was '$request'" ;;
esac

for i in $(seq 1 50); do
    e2e_text "$E2E_BASE/config.ini" | grep -q '^cityname=' && break
    sleep 0.2
done
name=$(e2e_text "$E2E_BASE/config.ini" | sed -n 's/^cityname=//p')
[ "$name" = "Beijing Shi Beijing" ] || e2e_fail "cityname is '$name'"

# The picture and the value follow on the next second's tick.
for i in $(seq 1 20); do
    dock=$(kdrv acc-tree "$input")
    value=$(printf '%s\n' "$dock" | awk -F'\t' '$2 == "Weather" { print $3 }')
    [ -n "$value" ] && break
    sleep 0.5
done
echo "$dock"
# The degree sign comes through the console's code page, whichever that is.
case "$value" in 21?*", Partly cloudy") ;; *) e2e_fail "the weather item reads '$value'" ;; esac
e2e_screenshot weather-item >/dev/null

# The view: opened by the item's default action, as a click would.
id=$(printf '%s\n' "$dock" | awk -F'\t' '$2 == "Weather" { split($1, f, " "); print f[7] }')
kdrv acc-do "$input" "$id" || e2e_fail "the reader could not press the weather item"
view=$(kdrv find OndelWeatherView - 5000) || e2e_fail "no weather view window"
e2e_wait_visible "$view" || e2e_fail "the weather view did not show"
read -r vl vt vr vb < <(kdrv rect "$view")
[ $((vr - vl)) -ge 300 ] && [ $((vb - vt)) -ge 300 ] || e2e_fail "the view is $((vr - vl)) x $((vb - vt))"
sleep 0.5
e2e_screenshot weather-view >/dev/null

# An item's average colour on a screenshot, as "red green blue" out of 255.
item_colour() { # <png> <acc-tree> <name>
    local rect
    rect=$(printf '%s\n' "$2" | awk -F'\t' -v name="$3" '$2 == name { split($1, f, " "); print f[5] "x" f[6] "+" f[3] "+" f[4] }')
    [ -n "$rect" ] || return 1
    convert "$1" -crop "$rect" -resize 1x1 -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]\n" info: 2>/dev/null
}
# How much an item's grey levels vary: a drawn picture has its ink, an empty place none.
item_contrast() { # <png> <acc-tree> <name>
    local rect
    rect=$(printf '%s\n' "$2" | awk -F'\t' -v name="$3" '$2 == name { split($1, f, " "); print f[5] "x" f[6] "+" f[3] "+" f[4] }')
    [ -n "$rect" ] || return 1
    convert "$1" -crop "$rect" -colorspace gray -format "%[fx:int(255*standard_deviation)]" info: 2>/dev/null
}
items=$(e2e_screenshot weather-items)
read -r cr cg cb < <(item_colour "$items" "$dock" Calendar) || e2e_fail "no calendar item"
echo "calendar item colour: $cr $cg $cb"
[ "$cb" -gt $((cr + 40)) ] || e2e_fail "the calendar is not drawn from its skin ($cr $cg $cb)"
battery=$(printf '%s\n' "$dock" | awk -F'\t' '$2 == "Battery" { print $3 }')
echo "battery item: $battery"
[ -n "$battery" ] || e2e_fail "the battery item has no value"
contrast=$(item_contrast "$items" "$dock" Battery) || e2e_fail "no battery item"
echo "battery item contrast: $contrast"
[ "$contrast" -gt 30 ] || e2e_fail "the battery item is not drawn (contrast $contrast)"

# The clock's face: its average brightness on a screenshot.
clock_brightness() { # <png> <acc-tree>
    local rect
    rect=$(printf '%s\n' "$2" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] == 61 { print f[5] "x" f[6] "+" f[3] "+" f[4] }')
    [ -n "$rect" ] || return 1
    convert "$1" -crop "$rect" -resize 1x1 -format "%[fx:int(255*luminance)]" info: 2>/dev/null
}
day_shot=$(e2e_screenshot weather-clock-day)
day_clock=$(clock_brightness "$day_shot" "$dock") || e2e_fail "no clock item"
# The skin has a second hand: the clock is drawn again each second.
sleep 2.2
clock_rect=$(printf '%s\n' "$dock" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] == 61 { print f[5] "x" f[6] "+" f[3] "+" f[4] }')
convert "$day_shot" -crop "$clock_rect" +repage "$E2E_DIR/clock-a.png"
convert "$(e2e_screenshot weather-clock-later)" -crop "$clock_rect" +repage "$E2E_DIR/clock-b.png"
moved=$(compare -metric AE "$E2E_DIR/clock-a.png" "$E2E_DIR/clock-b.png" null: 2>&1)
echo "clock pixels changed over two seconds: $moved"
[ "${moved%%.*}" -gt 0 ] 2>/dev/null || e2e_fail "the clock's second hand did not move ($moved)"
e2e_quit_kestrana || e2e_fail "Kestrana did not quit cleanly"

# Sunrise and sunset both at 23:59: night now (it is midday).
{ printf '\xff\xfe'; e2e_text "$E2E_BASE/config.ini" | sed 's/^sunrise=.*/sunrise=23:59/; s/^sunset=.*/sunset=23:59/; s/$/\r/' |
    iconv -f UTF-8 -t UTF-16LE; } >"$E2E_BASE/config.ini.new" && mv "$E2E_BASE/config.ini.new" "$E2E_BASE/config.ini"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock after the second start"
sleep 1.5
dock=$(kdrv acc-tree "$input")
night_shot=$(e2e_screenshot weather-clock-night)
night_clock=$(clock_brightness "$night_shot" "$dock") || e2e_fail "no clock item at night"
read -r cr cg cb < <(item_colour "$night_shot" "$dock" Calendar) || e2e_fail "no calendar item at night"
echo "calendar item colour at night: $cr $cg $cb"
[ "$cr" -gt $((cb + 40)) ] || e2e_fail "the calendar did not turn to its night page ($cr $cg $cb)"
echo "clock face brightness: day $day_clock, night $night_clock"
[ "$night_clock" -lt $((day_clock - 60)) ] || e2e_fail "the clock did not turn to its night face ($day_clock, $night_clock)"
e2e_quit_kestrana || e2e_fail "Kestrana did not quit cleanly"

# A digital clock skin: the hour as white text over a dark face.
digits=$E2E_BASE/themes/digits/clock
mkdir -p "$digits"
convert -size 64x64 xc:'#202020' "$digits/bg.png" || e2e_fail "no digital clock face"
printf '%s\r\n' '[config]' 'type=1' 'bg=bg.png' '[hour]' 'format=HH' 'font_size=110' 'font_color=-1' 'font_align=1' \
    'position_x=0' 'position_y=70' '[minute]' 'format=' '[second]' 'format=' >"$digits/config.ini"
kdrv ini 'C:\Kestrana\config.ini' themes timeskin digits >/dev/null || e2e_fail "could not choose the digital skin"
e2e_start_kestrana
input=$(kdrv find OndelAPP - 20000) || e2e_fail "no dock with the digital clock"
sleep 1.5
dock=$(kdrv acc-tree "$input")
shot=$(e2e_screenshot weather-clock-digits)
clock_rect=$(printf '%s\n' "$dock" | awk -F'\t' '{ split($1, f, " ") } f[1] == 1 && f[2] == 61 { print f[5] "x" f[6] "+" f[3] "+" f[4] }')
[ -n "$clock_rect" ] || e2e_fail "no clock item with the digital skin"
read -r mean spread < <(convert "$shot" -crop "$clock_rect" -colorspace gray \
    -format "%[fx:int(255*mean)] %[fx:int(255*standard_deviation)]\n" info:)
echo "digital clock: mean $mean, spread $spread"
# Dark face, white digits: darker than the light dock around it, with the digits' contrast.
[ "$mean" -lt 120 ] && [ "$spread" -gt 30 ] || e2e_fail "the digital clock is not drawn (mean $mean, spread $spread)"
e2e_quit_kestrana || e2e_fail "Kestrana did not quit cleanly"
e2e_log "weather: passed"
