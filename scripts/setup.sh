#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian 12 machine (as root).
# Idempotent: packages already present are not touched, and apt is not even asked.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools libz-mingw-w64-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libpugixml-dev libcjson-dev libminizip-dev zlib1g-dev
    wine wine64 fonts-wine xvfb xcompmgr xdotool x11-utils imagemagick hsetroot xserver-xephyr
    fonts-droid-fallback fonts-dejavu-core
    unicode-data librsvg2-bin sox dpkg-dev bzip2 python3 pulseaudio
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The Windows build compiles some libraries from Debian's source packages.
need_src=0
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    need_src=1
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    elif [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/kestrana-src.list
    fi
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
    echo "setup: installing ${missing[*]:-source package lists}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    if [ ${#missing[@]} -gt 0 ]; then
        apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
    fi
fi
