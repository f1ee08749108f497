#!/usr/bin/env bash
# Where the instructions of a frame go: runs the steady-state frame loop (frame_bench
# --profile-frames) under callgrind and splits the instructions executed in the measured frames
# by object file, then the program's own share by source directory and function.
#   bench/profile.sh [frames] [frame step in ms]     default: 100 frames at 4 ms (~250 fps)
# BUILD_DIR picks an existing build directory; otherwise the default preset is built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
frames=${1:-100}
step=${2:-4}

command -v valgrind >/dev/null || { echo "profile: valgrind is missing (scripts/deps.sh test)" >&2; exit 1; }
if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset default >/dev/null
    build=build/default
else
    build=$BUILD_DIR
fi
cmake --build "$build" -j "$(nproc)" --target frame_bench >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "== callgrind: $frames frames at a simulated $step ms per frame (a few minutes)"
SDL_VIDEODRIVER=offscreen PARTICLES_DIALOGS=stderr \
    valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.%p" \
    "$build/bench/frame_bench" --profile-frames="$frames" --profile-step-ms="$step" \
    >"$out/log" 2>&1 || { cat "$out/log" >&2; exit 1; }
dump=$(ls "$out"/callgrind.*.1) # written by the client request after the measured frames

awk -v own='/frame_bench$' -f bench/callgrind-split.awk "$dump" |
    awk -v frames="$frames" -v root="$root" '
        $1 == "object" {
            o = $2; c = $3; total += c
            if (o ~ /\/frame_bench$/) group = "the program (frame_bench: src/*, inlined library code)"
            else if (o ~ /swrast_dri|libgallium|libglapi|libGLdispatch|libGLX|libGL\.|libEGL|libGLU|libLLVM/) group = "OpenGL implementation (Mesa, GLU)"
            else if (o == "???") group = "OpenGL implementation (shader code compiled at run time)"
            else if (o ~ /libSDL2/) group = "SDL"
            else group = "C and C++ runtime (libc, libm, libstdc++...)"
            groups[group] += c
            next
        }
        $1 == "source" { sources[$2] += $3; own += $3 }
        END {
            # A sort key and a cost in front of every line; sort orders by both, cut drops them.
            printf "1 0 instructions per frame: %.0f\n", total / frames
            for (g in groups) printf "2 %d   %-58s %12.0f  %6.2f%%\n", groups[g], g, groups[g] / frames, 100 * groups[g] / total
            printf "3 0 the program by source directory (per frame, share of the whole frame):\n"
            for (s in sources) printf "4 %d   %-58s %12.0f  %6.3f%%\n", sources[s], s, sources[s] / frames, 100 * sources[s] / total
        }' | sort -k1,1n -k2,2nr | cut -d' ' -f3-

echo "the program's own functions, instructions per frame (self cost, inlined code included):"
callgrind_annotate --inclusive=no --auto=no --threshold=100 "$dump" 2>/dev/null |
    awk -v frames="$frames" -v root="$root/" '
        # "  1,234 ( 0.01%)  /path/file:function [object]": inlined code has its own line, with
        # the file it came from; it is added to the function it ran in.
        /^ *[0-9,]+ \(/ {
            line = $0; sub(/^ *[0-9,]+ +\([ 0-9.]+%\) +/, "", line)
            sub(/ \[[^]]*\]$/, "", line)
            file = substr(line, 1, index(line, ":") - 1)
            if (index(file, root) == 1) file = substr(file, length(root) + 1)
            if (index(file, "src/") != 1) next
            n = $1; gsub(",", "", n)
            cost[substr(line, index(line, ":") + 1)] += n
        }
        END { for (f in cost) printf "  %10.0f  %s\n", cost[f] / frames, f }' |
    sort -k1,1nr | head -15
