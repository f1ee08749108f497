#!/usr/bin/env bash
# End to end: runs the demo under Xvfb from the directory of its executable (where the build puts
# DATA/), takes a screenshot after two seconds, presses Escape, and checks the exit status 0 and
# the picture.
#
#   screenshot.sh RUNNER PROGRAM CHECKER SCREENSHOT.png FLAME-SIDE
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: $0 RUNNER PROGRAM CHECKER SCREENSHOT.png left|right" >&2; exit 2; }
runner=$1 program=$2 checker=$3 shot=$4 side=$5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -f "$shot"

export PARTICLES_DIALOGS=stderr
bash "$runner" --dir "$(dirname "$program")" --run 2 --screenshot "$shot" \
    --stderr "$work/stderr" -- "$program"
status=$?
echo "--- the program's standard error:"
cat "$work/stderr"
echo "---"
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status, not 0"
    exit 1
fi
[ -s "$shot" ] || { echo "FAIL: no screenshot"; exit 1; }
convert "$shot" -depth 8 "ppm:$work/shot.ppm" || { echo "FAIL: cannot convert $shot"; exit 1; }
"$checker" "$work/shot.ppm" "$side"
