#!/usr/bin/env bash
# End to end: runs the demo on a private X screen in a directory that holds only
# DATA/Textures/particle1.bmp.
# The loader must report the missing particle.bmp, then "Unable to load" it, in that order and
# nothing about particle1.bmp, and the program must end with exit code 1.
#
#   missing-texture.sh PROGRAM DATA-DIRECTORY
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM DATA-DIRECTORY" >&2; exit 2; }
program=$1 data=$2
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/xsession.sh"
xsession_start || exit 1
work=$xsession_dir
mkdir -p "$work/run/DATA/Textures"
cp "$data/Textures/particle1.bmp" "$work/run/DATA/Textures/"

export PARTICLES_DIALOGS=stderr
xsession_run "$work/run" 0 none "$program" 2>"$work/stderr"
echo "--- the program's standard error:"
cat "$work/stderr"
echo "---"

fail=0
if [ "$status" -ne 1 ]; then
    echo "FAIL: exit status $status, not 1"
    fail=1
fi
opening='BMP Unit: Error opening "DATA\Textures\particle.bmp'
unable='Loading Textures: Unable to load DATA\Textures\particle.bmp'
first=$(grep -nxF "$opening" "$work/stderr" | head -n1 | cut -d: -f1)
second=$(grep -nxF "$unable" "$work/stderr" | head -n1 | cut -d: -f1)
if [ -z "$first" ]; then
    echo "FAIL: no line \"$opening\""
    fail=1
fi
if [ -z "$second" ]; then
    echo "FAIL: no line \"$unable\""
    fail=1
fi
if [ -n "$first" ] && [ -n "$second" ] && [ "$first" -ge "$second" ]; then
    echo "FAIL: the open error does not come before \"Unable to load\""
    fail=1
fi
if grep -q 'particle1' "$work/stderr"; then
    echo "FAIL: particle1.bmp was tried after particle.bmp had failed"
    fail=1
fi
[ "$fail" -eq 0 ] && echo "ok: open error, then \"Unable to load\", exit status 1"
exit "$fail"
