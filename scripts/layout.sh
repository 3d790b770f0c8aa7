#!/usr/bin/env bash
# Lays out the program folder (what users install): the Windows executables and DLLs,
# the hand-written shipped files of assets/ and the generated ones of the build.
#   scripts/layout.sh [build-dir] [program-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
out=${2:-$root/build/program}

rm -rf "$out.new"
mkdir -p "$out.new"
# The 32-bit companion comes from the i686 build beside the 64-bit one.
for f in "$build"/bin/*.exe "$build"/bin/*.dll "$(dirname "$build")"/win32/bin/*.exe "$(dirname "$build")"/win32/bin/*.dll; do
    [ -e "$f" ] || continue
    case "$(basename "$f")" in kdriver.exe) continue ;; esac
    cp "$f" "$out.new/"
done
[ -d "$root/assets/lang" ] && cp -r "$root/assets/lang" "$out.new/lang"
if [ -d "$build/shipped" ]; then
    cp -r "$build/shipped/." "$out.new/"
fi
rm -rf "$out"
mv "$out.new" "$out"
