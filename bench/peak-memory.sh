#!/usr/bin/env bash
# Peak resident memory of the real program: builds the default preset, runs the demo on a
# private Xvfb screen of 1024x768x24 for a few seconds (full screen, as a user starts it), ends it
# with Escape and reports the "Maximum resident set size" that /usr/bin/time -v measured, with
# the exit status and the time it ran.
#   bench/peak-memory.sh [seconds]      default 5
# BUILD_DIR picks an existing build directory; otherwise the default preset is built.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}

for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "peak-memory: $tool is missing (bash scripts/deps.sh test)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "peak-memory: /usr/bin/time is missing (bash scripts/deps.sh test)" >&2; exit 1; }

if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset default >/dev/null
    dir=build/default
else
    dir=$BUILD_DIR
fi
# The program, and the DATA/ next to it that it reads from its working directory.
cmake --build "$dir" -j2 --target particles particles_data >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs inside xvfb-run: start the program under time, wait for its window, let it run, press
# Escape, wait for the end (killing it after 30 s).
cat >"$work/inside.sh" <<'INSIDE'
set -u
seconds=$1 work=$2
/usr/bin/time -v -o "$work/time.txt" ./particles 2>"$work/stderr.txt" &
pid=$!
window=
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name '^OpenGL$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
[ -n "$window" ] || { echo "peak-memory: no window appeared" >&2; kill "$pid" 2>/dev/null; wait "$pid"; exit 1; }
sleep "$seconds"
# Where the resident memory lies just before the end: resident kB by mapping, the largest first.
program=$(pgrep -P "$pid" | head -n1)
if [ -n "$program" ] && [ -r "/proc/$program/smaps" ]; then
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6 ? $6 : "[anonymous]") }
         /^Rss:/ { rss[name] += $2 }
         END { for (n in rss) if (rss[n] >= 1024) printf "%8d kB  %s\n", rss[n], n }' \
        "/proc/$program/smaps" | sort -rn >"$work/smaps.txt"
fi
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "peak-memory: the program did not end on Escape" >&2
    kill "$pid"
fi
wait "$pid"
INSIDE

status=0
(cd "$dir" && PARTICLES_DIALOGS=stderr xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$work/inside.sh" "$seconds" "$work") || status=$?
if [ ! -s "$work/time.txt" ]; then
    echo "peak-memory: no measurement (status $status)" >&2
    cat "$work/stderr.txt" >&2 2>/dev/null || true
    exit 1
fi
field() { sed -n "s/^[[:space:]]*$1: //p" "$work/time.txt"; }
rss=$(field 'Maximum resident set size (kbytes)')
echo "program:       $dir/particles, $seconds s on Xvfb 1024x768x24, ended with Escape"
echo "exit status:   $(field 'Exit status')"
echo "wall time:     $(field 'Elapsed (wall clock) time (h:mm:ss or m:ss)')"
echo "peak RSS:      $rss kB ($((rss / 1024)) MiB)"
if [ -s "$work/smaps.txt" ]; then
    echo "resident just before the end, by mapping (1 MiB or more):"
    sed 's/^/  /' "$work/smaps.txt"
fi
[ -s "$work/stderr.txt" ] && { echo "its stderr:"; sed 's/^/  /' "$work/stderr.txt"; }
[ "$status" -eq 0 ] || echo "peak-memory: the run ended with status $status" >&2
exit "$status"
