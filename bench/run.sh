#!/usr/bin/env bash
# Builds the default preset and runs every benchmark binary in build/default/bench, printing
# their figures: Render, the frame loop and the bare loop in a real OpenGL context (frame_bench,
# headless through SDL's offscreen driver), and the particle engine alone (particles_bench).
# Arguments go to every benchmark binary, e.g. --benchmark_repetitions=5. BUILD_DIR picks an
# existing build directory instead of the preset's.
# The other measurements: bench/profile.sh (instructions by object file under callgrind) and
# bench/peak-memory.sh (peak resident memory of the real program).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset default >/dev/null
    build=build/default
else
    build=$BUILD_DIR
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake --build "$build" -j "$(nproc)" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi

export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export PARTICLES_DIALOGS=stderr
echo "== machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
for bench in "$build"/bench/*_bench; do
    [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench" "$@" || status=$?
done
exit "$status"
