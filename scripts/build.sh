#!/usr/bin/env bash
# Configures (first time) and builds one or more presets: scripts/build.sh native-asan win64 ...
#   --program first: only what the installed program and the test driver need (no unit
#   tests, benchmarks or test libraries), for running it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
program_only=0
if [ "${1:-}" = --program ]; then
    program_only=1
    shift
fi
for preset in "$@"; do
    if [ ! -f "build/$preset/build.ninja" ]; then
        cmake --preset "$preset" >"build-$preset.configure.log" 2>&1 || {
            cat "build-$preset.configure.log" >&2
            rm -f "build-$preset.configure.log"
            exit 1
        }
        rm -f "build-$preset.configure.log"
    fi
    targets=()
    if [ $program_only = 1 ]; then
        ninja -C "build/$preset" build.ninja >/dev/null 2>&1 || true # sources added since the last configure
        mapfile -t targets < <(ninja -C "build/$preset" -t targets all 2>/dev/null |
            sed -n 's/^\([A-Za-z0-9_]*\): phony$/\1/p' |
            grep -Ev '^(all|test|install|edit_cache|rebuild_cache|list_install_components|unit_.*|bench.*|fuzz_.*|gtest.*|gmock.*|kestrana_fakes|themeview|cmake_.*)$')
        [ ${#targets[@]} -gt 0 ] && targets=(--target "${targets[@]}")
    fi
    cmake --build "build/$preset" "${targets[@]}" -- -k 0 >"build/$preset/build.log" 2>&1 || {
        grep -E 'error|Error|FAILED' -A3 "build/$preset/build.log" | head -60 >&2
        echo "build of $preset failed (full log: build/$preset/build.log)" >&2
        exit 1
    }
done
