#!/usr/bin/env bash
# Builds pugixml, cJSON and minizip for a mingw-w64 target from Debian's own source
# packages, so the Windows build links the same library versions as the native one.
# zlib comes ready-made from Debian's libz-mingw-w64-dev.
#
#   scripts/deps-mingw.sh <triplet> <output-dir>
#
# The result (<output-dir>/include, <output-dir>/lib) is reused while the stamp
# (the source package versions and this script's checksum) stays the same.
set -euo pipefail

triplet=${1:?triplet, e.g. x86_64-w64-mingw32}
out=${2:?output folder}
here=$(cd "$(dirname "$0")" && pwd)
packages=(pugixml cjson minizip)

versions=""
for p in "${packages[@]}"; do
    v=$(apt-cache showsrc "$p" 2>/dev/null | awk '/^Version:/{print $2; exit}')
    [ -n "$v" ] || { echo "deps-mingw: no source package for $p (is deb-src enabled?)" >&2; exit 1; }
    versions+="$p=$v "
done
stamp="$versions $(sha1sum "$0" | cut -c1-12) $triplet"
if [ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ]; then
    exit 0
fi

cc="$triplet-gcc-posix"
cxx="$triplet-g++-posix"
command -v "$cc" >/dev/null || cc="$triplet-gcc"
command -v "$cxx" >/dev/null || cxx="$triplet-g++"
ar="$triplet-ar"

work="$out/.work"
rm -rf "$work" "$out/include" "$out/lib"
mkdir -p "$work" "$out/include/minizip" "$out/lib"
(cd "$work" && apt-get source -q -q "${packages[@]}" >/dev/null 2>"$work/apt-source.log") || {
    cat "$work/apt-source.log" >&2
    exit 1
}

compile() { # compile <lib> <compiler> <flags...> -- <sources...>
    local lib=$1 comp=$2; shift 2
    local flags=() objs=()
    while [ "$1" != "--" ]; do flags+=("$1"); shift; done
    shift
    for src in "$@"; do
        local obj="$work/obj-$lib-$(basename "$src").o"
        "$comp" -O2 -c "${flags[@]}" "$src" -o "$obj"
        objs+=("$obj")
    done
    "$ar" rcs "$out/lib/lib$lib.a" "${objs[@]}"
}

pugi=$(find "$work" -maxdepth 1 -type d -name 'pugixml-*' | head -n1)
compile pugixml "$cxx" -std=c++17 -- "$pugi/src/pugixml.cpp"
cp "$pugi/src/pugixml.hpp" "$pugi/src/pugiconfig.hpp" "$out/include/"

cjson=$(find "$work" -maxdepth 1 -type d -name 'cjson-*' | head -n1)
compile cjson "$cc" -std=c89 -- "$cjson/cJSON.c"
mkdir -p "$out/include/cjson"
cp "$cjson/cJSON.h" "$out/include/cjson/"

mz=$(find "$work" -maxdepth 1 -type d -name 'minizip-*' | head -n1)
compile minizip "$cc" -I"/usr/$triplet/include" -- \
    "$mz/ioapi.c" "$mz/iowin32.c" "$mz/zip.c" "$mz/unzip.c" "$mz/mztools.c"
cp "$mz"/{ioapi.h,iowin32.h,zip.h,unzip.h,mztools.h,crypt.h} "$out/include/minizip/"

rm -rf "$work"
echo "$stamp" >"$out/.stamp"
echo "deps-mingw: built ${packages[*]} for $triplet in $out"
