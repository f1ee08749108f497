#!/usr/bin/env bash
# The simulation's state after 300 frames, pinned for two seeds and two frame steps; the same
# state from a times file as from the equal fixed step; and the same bytes in every file from two
# runs with the same arguments.
#
#   digests.sh CAPTURE SOURCE-DIR      (runs in SOURCE-DIR, whose DATA/ holds the sprites)
#
# The state is the tool's --state file: every particle slot of both systems, the generator and
# the frame loop's tick reference. The pinned digests, and how to re-pin them, are in
# pinned-states.sh.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 CAPTURE SOURCE-DIR" >&2; exit 2; }
capture=$(realpath "$1")
. "$(dirname "$(realpath "$0")")/pinned-states.sh"
cd "$2" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

capture_state() {
    "$capture" --seed "$1" --step-ms "$2" --frames 300 --every 300 --state "$3" 2>"$work/stderr" ||
        { cat "$work/stderr"; return 1; }
}
check_pinned_states capture_state "$work" || fail=1

# The frame times of --step-ms 33, from a file: the same state.
seq 33 33 9900 >"$work/times"
if "$capture" --seed 1 --times "$work/times" --every 300 --state "$work/times.bin" 2>/dev/null &&
    cmp -s "$work/times.bin" "$work/state-1-33.bin"; then
    echo "ok: --times with the readings of --step-ms 33 gives the same state"
else
    echo "FAIL: --times with the readings of --step-ms 33 gives another state"
    fail=1
fi

# Two runs, every output: the same bytes.
for run in 1 2; do
    "$capture" --seed 5 --start-ms 2147483000 --step-ms 40 --frames 30 --every 10 \
        --out "$work/run$run" --state "$work/run$run.bin" --animation "$work/run$run.webp" \
        2>/dev/null || { echo "FAIL: run $run of the repeated capture failed"; fail=1; }
done
if [ "$fail" -eq 0 ]; then
    ls "$work/run1" >"$work/names"
    if [ "$(cat "$work/names")" != "$(printf 'frame-%06d.png\n' 10 20 30)" ]; then
        echo "FAIL: the frames written are"
        cat "$work/names"
        fail=1
    elif diff -r "$work/run1" "$work/run2" >/dev/null && cmp -s "$work/run1.bin" "$work/run2.bin" &&
        cmp -s "$work/run1.webp" "$work/run2.webp"; then
        echo "ok: two runs across the clock's wrap wrote the same PNG, state and animation bytes"
    else
        echo "FAIL: two runs with the same arguments wrote different files"
        fail=1
    fi
fi
exit "$fail"
