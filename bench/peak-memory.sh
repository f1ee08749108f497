#!/usr/bin/env bash
# Peak resident memory of the real program: builds the default preset, runs the demo on a private
# X screen of 1024x768x24 (scripts/xsession.sh) for a few seconds (full screen, as a user starts
# it), ends it with Escape and reports the "Maximum resident set size" that /usr/bin/time -v
# measured, with the exit status and the time it ran.
#   bench/peak-memory.sh [seconds]      default 5
# BUILD_DIR picks an existing build directory; otherwise the default preset is built.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
say() { echo "peak-memory: $*" >&2; }

[ -x /usr/bin/time ] || { say "/usr/bin/time is missing (bash scripts/deps.sh test)"; exit 1; }
. scripts/xsession.sh
if [ -z "${BUILD_DIR:-}" ]; then
    xsession_build run || exit 1
    dir=build/default
else
    dir=$BUILD_DIR
    # The program, and the DATA/ next to it that it reads from its working directory.
    cmake --build "$dir" -j "$(nproc)" --target particles_data >/dev/null || exit 1
fi

xsession_start 1024x768x24 || exit 1
work=$xsession_dir
PARTICLES_DIALOGS=stderr xsession_launch "$dir" /usr/bin/time -v -o "$work/time.txt" ./particles \
    2>"$work/stderr.txt"
xsession_window 30 || exit 1
sleep "$seconds"
# Where the resident memory lies just before the end: resident kB by mapping, the largest first.
program=$(pgrep -P "$program_pid" | head -n1)
if [ -n "$program" ] && [ -r "/proc/$program/smaps" ]; then
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6 ? $6 : "[anonymous]") }
         /^Rss:/ { rss[name] += $2 }
         END { for (n in rss) if (rss[n] >= 1024) printf "%8d kB  %s\n", rss[n], n }' \
        "/proc/$program/smaps" | sort -rn >"$work/smaps.txt"
fi
xsession_key Escape
xsession_end 30
if [ ! -s "$work/time.txt" ]; then
    say "no measurement (status $status)"
    cat "$work/stderr.txt" >&2
    exit 1
fi
field() { sed -n "s/^[[:space:]]*$1: //p" "$work/time.txt"; }
rss=$(field 'Maximum resident set size (kbytes)')
echo "program:       $dir/particles, $seconds s on a 1024x768x24 X screen, ended with Escape"
echo "exit status:   $(field 'Exit status')"
echo "wall time:     $(field 'Elapsed (wall clock) time (h:mm:ss or m:ss)')"
echo "peak RSS:      $rss kB ($((rss / 1024)) MiB)"
if [ -s "$work/smaps.txt" ]; then
    echo "resident just before the end, by mapping (1 MiB or more):"
    sed 's/^/  /' "$work/smaps.txt"
fi
[ -s "$work/stderr.txt" ] && { echo "its stderr:"; sed 's/^/  /' "$work/stderr.txt"; }
[ "$status" -eq 0 ] || say "the run ended with status $status"
exit "$status"
