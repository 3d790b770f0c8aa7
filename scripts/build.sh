#!/usr/bin/env bash
# Configures (first time) and builds one or more presets: scripts/build.sh native-asan win64 ...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for preset in "$@"; do
    if [ ! -f "build/$preset/build.ninja" ]; then
        cmake --preset "$preset" >"build-$preset.configure.log" 2>&1 || {
            cat "build-$preset.configure.log" >&2
            rm -f "build-$preset.configure.log"
            exit 1
        }
        rm -f "build-$preset.configure.log"
    fi
    cmake --build "build/$preset" -- -k 0 >"build/$preset/build.log" 2>&1 || {
        grep -E 'error|Error|FAILED' -A3 "build/$preset/build.log" | head -60 >&2
        echo "build of $preset failed (full log: build/$preset/build.log)" >&2
        exit 1
    }
done
