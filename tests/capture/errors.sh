#!/usr/bin/env bash
# particles-capture's usage and error exits: 2 with the usage for a bad or missing option, 1 with
# a message naming an output path that cannot be written (and no file left under any output's
# name), 1 with the demo's messages when a sprite is missing.
#
#   errors.sh CAPTURE SOURCE-DIR      (runs in SOURCE-DIR, whose DATA/ holds the sprites)
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 CAPTURE SOURCE-DIR" >&2; exit 2; }
capture=$(realpath "$1")
cd "$2" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# expect STATUS TEXT -- ARGUMENTS: the exit status, and TEXT as a fixed string on stderr.
expect() {
    local status=$1 text=$2
    shift 3
    "$capture" "$@" >"$work/stdout" 2>"$work/stderr"
    local actual=$?
    if [ "$actual" -ne "$status" ] || ! grep -qF -- "$text" "$work/stderr"; then
        echo "FAIL: particles-capture $*: status $actual (expected $status), stderr:"
        sed 's/^/    | /' "$work/stderr"
        echo "    (expected to contain: $text)"
        fail=1
    else
        echo "ok: $* -> $status, \"$text\""
    fi
}

# Bad or missing options: exit 2, the reason and the usage.
expect 2 "--seed is missing" --
expect 2 "unknown option --sed" -- --sed 1
expect 2 "--seed 1x: not a whole number" -- --seed 1x --step-ms 33 --frames 3 --state s
expect 2 "--step-ms or --times is missing" -- --seed 1 --frames 3 --state s
expect 2 "--frames is missing" -- --seed 1 --step-ms 33 --state s
expect 2 "--frames 0: not a whole number" -- --seed 1 --step-ms 33 --frames 0 --state s
expect 2 "nothing to write" -- --seed 1 --step-ms 33 --frames 3
expect 2 "--every 4 from frame 1 writes none of the 3 frames" -- --seed 1 --step-ms 33 --frames 3 --every 4 --state s
expect 2 "--out needs a value" -- --seed 1 --step-ms 33 --frames 3 --out
printf '33\n66\nsoon\n' >"$work/times"
expect 2 "$work/times:3: \"soon\" is not a time" -- --seed 1 --times "$work/times" --state s
expect 2 "cannot read the times file $work/none" -- --seed 1 --times "$work/none" --state s
grep -q '^usage: particles-capture' "$work/stderr" || { echo "FAIL: no usage on stderr"; fail=1; }
"$capture" --help >"$work/stdout" 2>&1 && grep -q '^usage: particles-capture' "$work/stdout" ||
    { echo "FAIL: --help does not show the usage with status 0"; fail=1; }

# Outputs that cannot be written: a path under a regular file fails even for root. Exit 1 naming
# the path; the state file, opened first, is not left behind under its name or a temporary one.
touch "$work/file"
mkdir "$work/out"
expect 1 "cannot write $work/file/s.bin" -- --seed 1 --step-ms 33 --frames 3 --state "$work/file/s.bin"
expect 1 "cannot write $work/file/a.webp" -- --seed 1 --step-ms 33 --frames 3 --state "$work/out/s.bin" \
    --animation "$work/file/a.webp"
expect 1 "cannot write $work/file/frames" -- --seed 1 --step-ms 33 --frames 3 --state "$work/out/s.bin" \
    --out "$work/file/frames"
expect 1 "cannot write $work/file: not a directory" -- --seed 1 --step-ms 33 --frames 3 --out "$work/file"
if [ -n "$(ls -A "$work/out")" ]; then
    echo "FAIL: failed runs left files behind:" $(ls -A "$work/out")
    fail=1
fi

# Ended by a signal: the state file in the making is removed, nothing is left under its name.
# (SIGTERM: a shell script's background jobs ignore SIGINT.)
mkdir "$work/interrupted"
"$capture" --seed 1 --step-ms 33 --frames 100000 --state "$work/interrupted/s.bin" 2>/dev/null &
pid=$!
for _ in $(seq 100); do
    [ -n "$(ls -A "$work/interrupted")" ] && break
    sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
status=$?
if [ "$status" -ne 143 ] || [ -n "$(ls -A "$work/interrupted")" ]; then
    echo "FAIL: terminated: status $status (expected 143), left:" $(ls -A "$work/interrupted")
    fail=1
else
    echo "ok: terminated: status 143, no file left"
fi

# The sprites, read as the demo reads them: its messages, in its order, and exit 1 before any
# output exists.
mkdir -p "$work/nodata"
(cd "$work/nodata" && "$capture" --seed 1 --step-ms 33 --frames 3 --state s.bin >/dev/null 2>"$work/stderr")
status=$?
expected='BMP Unit: Error opening "DATA\Textures\particle.bmp
Loading Textures: Unable to load DATA\Textures\particle.bmp'
if [ "$status" -ne 1 ] || [ "$(grep -v -E '^Win32 layer: ' "$work/stderr")" != "$expected" ]; then
    echo "FAIL: without DATA/: status $status (expected 1), stderr:"
    sed 's/^/    | /' "$work/stderr"
    fail=1
elif [ -n "$(ls -A "$work/nodata")" ]; then
    echo "FAIL: without DATA/, files were left:" $(ls -A "$work/nodata")
    fail=1
else
    echo "ok: without DATA/: the demo's two messages, status 1, no file"
fi
exit "$fail"
