#!/usr/bin/env bash
# The simulation's state after 300 frames, pinned for two seeds and two frame steps; the same
# state from a times file as from the equal fixed step; and the same bytes in every file from two
# runs with the same arguments.
#
#   digests.sh CAPTURE SOURCE-DIR      (runs in SOURCE-DIR, whose DATA/ holds the sprites)
#
# The state is the tool's --state file: every particle slot of both systems, the generator and
# the frame loop's tick reference. It depends on nothing but the seed and the frame times, so
# these digests hold on every machine. A change of one bit anywhere in the simulation changes
# them. When a change of the simulation is intended, re-pin them: from the source tree, for each
# SEED and STEP below,
#   build/default/particles-capture --seed SEED --step-ms STEP --frames 300 --every 300 \
#       --state /tmp/state.bin && sha256sum /tmp/state.bin
# and say in the commit why the state had to change.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 CAPTURE SOURCE-DIR" >&2; exit 2; }
capture=$(realpath "$1")
cd "$2" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

pinned=(
    "1 16 01fe6c2892d41ee5a4e537f5d62bc2ceef446d6b06c5daa2a3ed701763d97a1f"
    "1 33 8d6f477761e68b34cd57acfe1bb897d2b934ef969d3d2a2542df951db3d63ec2"
    "20261208 16 daea63645d58685087c1578829b6d0acc751b25d75cf6ec2bbd013cfbf8f27e5"
    "20261208 33 c987339001c365fddf886c515f3b351a70148c7d02313fcdab2aa7266a8f237c"
)
for entry in "${pinned[@]}"; do
    read -r seed step expected <<<"$entry"
    state=$work/state-$seed-$step.bin
    if ! "$capture" --seed "$seed" --step-ms "$step" --frames 300 --every 300 --state "$state" \
        2>"$work/stderr"; then
        echo "FAIL: seed $seed, step $step ms: the capture failed:"
        cat "$work/stderr"
        fail=1
        continue
    fi
    actual=$(sha256sum <"$state" | cut -d' ' -f1)
    if [ "$actual" = "$expected" ]; then
        echo "ok: seed $seed, step $step ms: $actual"
    else
        echo "FAIL: seed $seed, step $step ms: state digest $actual, pinned $expected"
        fail=1
    fi
done

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
