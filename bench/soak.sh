#!/usr/bin/env bash
# Soak test: runs the real demo (build/default/particles, from build/default where its DATA/ is)
# on a private X screen (scripts/xsession.sh) for MINUTES minutes, samples its resident memory
# every ten seconds, then ends it with Escape as a user would.
#
#   bench/soak.sh [MINUTES]      (default 10, at least 1)
#
# Samples: VmRSS from /proc/PID/status, in KiB, at 0, 10, 20, ... seconds after the window
# appeared and once more at the end, written to build/soak-rss.csv (seconds,vmrss_kib).
#
# Passes when
# - the program runs for the whole time and ends on Escape with exit code 0, reporting nothing
#   (message boxes go to stderr here, as "caption: text" lines), and
# - memory does not grow: the last sample is at most max(1 MiB, 2 % of it) above the sample at
#   30 s. The first seconds are left out on purpose: the driver compiles its shaders and fills
#   its caches while the first frames are drawn. The program itself allocates everything at
#   start-up, so after that any growth that outlasts the noise of the allocator is a leak.
set -uo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
case "$minutes" in
    '' | *[!0-9]*) echo "soak: MINUTES must be a whole number" >&2; exit 2 ;;
esac
[ "$minutes" -ge 1 ] || { echo "soak: MINUTES must be at least 1" >&2; exit 2; }
duration=$((minutes * 60))
csv=$PWD/build/soak-rss.csv

say() { echo "soak: $*"; }

. scripts/xsession.sh
xsession_build run || exit 1
xsession_start || exit 1
stderr=$xsession_dir/stderr
PARTICLES_DIALOGS=stderr xsession_launch build/default ./particles >/dev/null 2>"$stderr"

if ! xsession_window 60; then
    say "FAILED: no window appeared; the program's stderr:"
    cat "$stderr"
    exit 1
fi
say "pid $program_pid, window $window on $DISPLAY; sampling VmRSS every 10 s for $minutes min"

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status" 2>/dev/null; }

echo "seconds,vmrss_kib" >"$csv"
start=$(date +%s)
died=0
for ((t = 0; t <= duration; t += 10)); do
    # Sample on a fixed grid from the start, so that slow samples do not shift the later ones.
    now=$(date +%s)
    [ $((start + t)) -gt "$now" ] && sleep $((start + t - now))
    kib=$(rss)
    if ! xsession_alive || [ -z "$kib" ]; then
        died=1
        break
    fi
    echo "$t,$kib" >>"$csv"
    [ $((t % 60)) -eq 0 ] && say "t=${t}s VmRSS ${kib} KiB"
done

failed=0
fail() { say "FAILED: $*"; failed=1; }

if [ "$died" -eq 1 ]; then
    fail "the program ended on its own during the run"
    wait "$program_pid"
    status=$?
else
    xsession_key Escape
    xsession_end 60 || fail "the program did not end within 60 s of Escape"
fi
[ "$status" -eq 0 ] || fail "exit code $status, expected 0"
if xsession_reported "$stderr" >/dev/null; then
    fail "the program reported:"
    sed 's/^/    | /' "$stderr"
fi

# first, at 30 s, max, last (in KiB)
read -r first at30 peak last < <(awk -F, 'NR > 1 {
        if (NR == 2) first = $2
        if ($1 == 30) at30 = $2
        if ($2 > peak) peak = $2
        last = $2
    } END { print first + 0, (at30 == "" ? "none" : at30), peak + 0, last + 0 }' "$csv")
say "VmRSS KiB: first $first, at 30 s $at30, max $peak, last $last ($csv)"
if [ "$at30" != none ] && [ "$died" -eq 0 ]; then
    margin=$((at30 / 50))
    [ "$margin" -lt 1024 ] && margin=1024
    if [ "$last" -gt $((at30 + margin)) ]; then
        fail "memory grew: last $last KiB > $at30 KiB at 30 s + $margin KiB"
    else
        say "memory steady: last $last KiB <= $at30 KiB at 30 s + $margin KiB"
    fi
fi

[ "$failed" -eq 0 ] && say "passed"
exit "$failed"
