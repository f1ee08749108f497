#!/usr/bin/env bash
# Runs the demo (or any program that opens a window titled "OpenGL") on a private Xvfb screen:
# waits for its window, lets it run, optionally takes a screenshot, ends it the way a user would
# and hands back its exit status.
#
#   run-in-xvfb.sh [options] -- PROGRAM [ARGUMENTS...]
#
#   --screen WxHxD      Xvfb screen (default 1024x768x24; 1024x768 offers the demo's full-screen
#                       mode, a larger screen does not)
#   --dir DIR           working directory of the program (default: the current one)
#   --run SECONDS       how long it runs once its window is up (default 3)
#   --end HOW           escape: press Escape in its window (default)
#                       close:  ask the window to close, like a close box (needs --closer)
#                       none:   wait for the program to end by itself
#   --closer PATH       the close-window tool built with the tests (sends WM_DELETE_WINDOW)
#   --screenshot FILE   save the whole screen to FILE (PNG) just before ending the program
#   --stdout FILE       save the program's standard output to FILE
#   --stderr FILE       save the program's standard error to FILE
#   --dismiss TITLE     press Return in every dialog window titled TITLE (repeatable; for the
#                       real message boxes of the Windows build under Wine)
#   --window TITLE      title of the program's window (default OpenGL)
#   --timeout SECONDS   how long to wait for the window and for the end (default 60)
#
# Exit status: the program's own; 124 if it did not end in time (it is then killed); 125 if the
# run could not be set up (no Xvfb, no window, bad options). Progress goes to standard error,
# each line starting with "run-in-xvfb:".
set -uo pipefail

screen=1024x768x24
dir=.
run=3
end=escape
closer=
screenshot=
out=
err=
dismiss=()
title=OpenGL
timeout=60

say() { echo "run-in-xvfb: $*" >&2; }
usage() { sed -n '2,/^set -uo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 125; }

while [ $# -gt 0 ]; do
    case "$1" in
        --screen) screen=$2; shift 2 ;;
        --dir) dir=$2; shift 2 ;;
        --run) run=$2; shift 2 ;;
        --end) end=$2; shift 2 ;;
        --closer) closer=$2; shift 2 ;;
        --screenshot) screenshot=$2; shift 2 ;;
        --stdout) out=$2; shift 2 ;;
        --stderr) err=$2; shift 2 ;;
        --dismiss) dismiss+=("$2"); shift 2 ;;
        --window) title=$2; shift 2 ;;
        --timeout) timeout=$2; shift 2 ;;
        --) shift; break ;;
        -h | --help) usage ;;
        *) say "unknown option $1"; usage ;;
    esac
done
[ $# -gt 0 ] || usage
# A relative path to the program means relative to here, not to --dir.
case "$1" in
    /*) ;;
    */*) set -- "$PWD/$1" "${@:2}" ;;
esac
case "$end" in
    escape | none) ;;
    close) [ -x "$closer" ] || { say "--end close needs --closer with the close-window tool"; exit 125; } ;;
    *) say "--end is escape, close or none, not '$end'"; exit 125 ;;
esac
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { say "$tool is missing (bash scripts/deps.sh run)"; exit 125; }
done
if [ -n "$screenshot" ] && ! command -v import >/dev/null; then
    say "import (imagemagick) is missing (bash scripts/deps.sh run)"
    exit 125
fi

work=$(mktemp -d)
xvfb_pid=
program_pid=
dismisser_pid=
cleanup() {
    [ -n "$dismisser_pid" ] && kill "$dismisser_pid" 2>/dev/null
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    say "Xvfb did not start:"
    cat "$work/xvfb.log" >&2
    exit 125
fi
export DISPLAY=":$(head -n1 "$work/display")"
say "Xvfb $DISPLAY, screen $screen"

(
    cd "$dir" || exit 125
    exec "$@" >"${out:-/dev/stdout}" 2>"${err:-/dev/stderr}"
) &
program_pid=$!

ended() { ! kill -0 "$program_pid" 2>/dev/null; }

if [ ${#dismiss[@]} -gt 0 ]; then
    (
        seen=" "
        while sleep 0.5; do
            for name in "${dismiss[@]}"; do
                for id in $(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null); do
                    case "$seen" in
                        *" $id "*) ;;
                        *) echo "run-in-xvfb: dismissing the dialog \"$name\"" >&2; seen="$seen$id " ;;
                    esac
                    xdotool windowfocus --sync "$id" key Return 2>/dev/null
                    # Give it time to go before pressing Return again.
                    for _ in 1 2 3 4 5 6; do
                        xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | grep -qx "$id" || break
                        sleep 0.5
                    done
                done
            done
        done
    ) &
    dismisser_pid=$!
fi

# Wait for the window (or for the program to end without one).
window=
deadline=$((SECONDS + timeout))
while [ $SECONDS -lt "$deadline" ] && ! ended; do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.2
done

if [ -n "$window" ]; then
    say "window $window is up: $(xdotool getwindowgeometry "$window" 2>/dev/null | tail -n +2 | tr -s ' \n' ' ')"
    sleep "$run"
    if ended; then
        say "the program ended while it should have been running"
    else
        if [ -n "$screenshot" ]; then
            if import -window root "$screenshot" 2>"$work/import.log"; then
                say "screenshot saved to $screenshot"
            else
                say "no screenshot: $(cat "$work/import.log")"
            fi
        fi
        case "$end" in
            escape)
                say "pressing Escape"
                xdotool windowfocus --sync "$window" 2>/dev/null
                xdotool key Escape
                ;;
            close)
                say "closing the window"
                "$closer" "$window"
                ;;
            none) ;;
        esac
    fi
    deadline=$((SECONDS + timeout))
elif ended; then
    say "the program ended before its window appeared"
else
    say "no window titled \"$title\" within $timeout s"
    exit 125
fi

while [ $SECONDS -lt "$deadline" ] && ! ended; do
    sleep 0.1
done
if ! ended; then
    say "the program did not end within $timeout s; killing it"
    exit 124
fi
wait "$program_pid"
status=$?
program_pid=
say "exit status $status"
exit "$status"
