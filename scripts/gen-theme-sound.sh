#!/usr/bin/env bash
# Synthesises one of the default theme's sounds with sox, so no recording is stored.
#
#   scripts/gen-theme-sound.sh <cleartrash|deletefile|Volume> <output.wav>
#
# The output is 44.1 kHz 16-bit stereo PCM (what PlaySound plays without a codec) and is
# the same on every run: -R fixes the noise and dither seeds.
set -euo pipefail

name=${1:?sound name: cleartrash, deletefile or Volume}
out=${2:?output file}
sox=${SOX:-sox}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
run() { "$sox" -R -V1 "$@"; }
fmt=(-r 44100 -b 16)

case $name in
Volume)
    # A short soft blip with a slight downward glide and a quiet octave above; gone in
    # 0.13 s so that holding a volume key does not smear into a drone.
    run -n "${fmt[@]}" -c 1 "$tmp/a.wav" synth 0.13 sine 784-740 fade h 0.004 0.13 0.11
    run -n "${fmt[@]}" -c 1 "$tmp/b.wav" synth 0.13 sine 1568-1480 fade h 0.002 0.13 0.12
    run -m -v 0.85 "$tmp/a.wav" -v 0.15 "$tmp/b.wav" "$tmp/mono.wav" gain -n -12
    ;;
deletefile)
    # A brief paper swish: band-limited noise that swells and falls away, low in level.
    run -n "${fmt[@]}" -c 1 "$tmp/mono.wav" synth 0.3 pinknoise \
        sinc 1200-4200 fade h 0.07 0.3 0.23 gain -n -16
    ;;
cleartrash)
    # Emptying the bin: a crumple whose flutter speeds up, sliding into a soft whoosh,
    # with a little room around it.
    run -n "${fmt[@]}" -c 1 "$tmp/crumple.wav" synth 0.62 pinknoise synth 0.62 sine amod 14-42 70 \
        sinc 700-4800 fade q 0.04 0.62 0.3
    run -n "${fmt[@]}" -c 1 "$tmp/whoosh.wav" synth 0.62 brownnoise \
        sinc 300-2600 fade h 0.25 0.62 0.3
    run "$tmp/crumple.wav" "$tmp/c2.wav" pad 0 0.18
    run "$tmp/whoosh.wav" "$tmp/w2.wav" pad 0.18 0
    run -m -v 0.8 "$tmp/c2.wav" -v 0.6 "$tmp/w2.wav" "$tmp/dry.wav"
    run "$tmp/dry.wav" "$tmp/mono.wav" reverb 18 50 40 gain -n -12
    ;;
*)
    echo "gen-theme-sound: unknown sound '$name'" >&2
    exit 2
    ;;
esac

mkdir -p "$(dirname "$out")"
run "$tmp/mono.wav" "$tmp/stereo.wav" channels 2
mv "$tmp/stereo.wav" "$out.part"
mv "$out.part" "$out"
