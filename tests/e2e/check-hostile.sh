#!/usr/bin/env bash
# The demo in a hostile environment, each case ending as the program's rules say: a clear
# message, a clean end with the specified exit code, and the display mode put back.
#
#   check-hostile.sh CASE --program PATH [--closer PATH]
#
#   signals      on an X server whose mode really switches (Xorg with the dummy driver, a
#                1280x1024 desktop that offers 1024x768): SIGINT, SIGTERM and SIGHUP end the
#                program with exit code 0; SIGUSR1 ends it as the signal does; a window destroyed
#                by another client ends it with 0; a cut connection ends it with 0 at once. After
#                each, the desktop is back at 1280x1024.
#   no-display   no X server: the creation failure on stderr and exit code 0 within seconds.
#   fifo         a FIFO in place of the emitter's sprite: the open error, "Unable to load", exit 1.
#   broken-pipe  stderr a pipe nobody reads: the windowed fallback's message costs nothing, and
#                Escape ends the program with exit code 0.
# Exits 77 (skipped) when the program or what a case needs is not there.
set -uo pipefail
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/xsession.sh"

case=${1:-}
shift || true
program=
closer=
while [ $# -gt 0 ]; do
    case "$1" in
        --program) program=$2; shift 2 ;;
        --closer) closer=$2; shift 2 ;;
        *) echo "check-hostile: unknown option $1" >&2; exit 2 ;;
    esac
done
if [ ! -x "$program" ]; then
    echo "check-hostile: $program has not been built; skipped"
    exit 77
fi
dir=$(dirname "$program")
failed=0
fail() { echo "check-hostile: FAILED: $*"; failed=1; }
log=$(mktemp)
xsession_cleanup "$log"

desktop() { xrandr 2>/dev/null | grep -o 'current [0-9]* x [0-9]*' | tr -d ' ' | sed 's/current//'; }

# Starts the demo, waits for its full-screen window, does $1 to it, and checks the exit code
# ($2) and that the desktop's mode is back.
hostile_run() {
    local what=$1 expected=$2
    xsession_launch "$dir" "$program" 2>"$log"
    xsession_window 60 || { fail "$what: no window"; cat "$log"; return; }
    sleep 1
    [ "$(desktop)" = 1024x768 ] || fail "$what: the mode did not switch (desktop $(desktop))"
    case "$what" in
        SIG*) kill -s "${what#SIG}" "$program_pid" ;;
        destroy) "$closer" --destroy "$window" ;;
        kill-client) "$closer" --kill "$window" ;;
    esac
    xsession_end 20
    [ "$status" -eq "$expected" ] || fail "$what: exit status $status, not $expected"
    sleep 0.5
    [ "$(desktop)" = 1280x1024 ] || fail "$what: the desktop was left at $(desktop)"
    xrandr -s 1280x1024 >/dev/null 2>&1
}

case "$case" in
    signals)
        [ -x "$closer" ] || { echo "check-hostile: needs --closer"; exit 2; }
        xsession_server=xorg
        xsession_start 1280x1024x24 || exit 77
        for signal in SIGINT SIGTERM SIGHUP; do
            hostile_run "$signal" 0
        done
        hostile_run SIGUSR1 $((128 + 10))
        hostile_run destroy 0
        hostile_run kill-client 0
        ;;
    no-display)
        start=$SECONDS
        (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
            PARTICLES_DIALOGS=stderr timeout 20 "$program") 2>"$log"
        status=$?
        [ "$status" -eq 0 ] || fail "exit status $status, not 0"
        [ $((SECONDS - start)) -le 5 ] || fail "took $((SECONDS - start)) s"
        grep -qx 'Error: Unable to create window!' "$log" || fail "no creation failure reported"
        ;;
    fifo)
        work=$(mktemp -d)
        mkdir -p "$work/DATA/Textures"
        cp "$dir/DATA/Textures/particle1.bmp" "$work/DATA/Textures/"
        mkfifo "$work/DATA/Textures/particle.bmp"
        xsession_start || exit 77
        (cd "$work" && PARTICLES_DIALOGS=stderr timeout 20 "$program") 2>"$log"
        status=$?
        rm -rf "$work"
        [ "$status" -eq 1 ] || fail "exit status $status, not 1"
        grep -qx 'BMP Unit: Error opening "DATA\\Textures\\particle.bmp' "$log" ||
            fail "no open error"
        grep -qx 'Loading Textures: Unable to load DATA\\Textures\\particle.bmp' "$log" ||
            fail "no \"Unable to load\""
        ;;
    broken-pipe)
        xsession_start 1280x1024x24 || exit 77
        # A pipe whose reader has gone: every write to it fails (and would raise SIGPIPE).
        exec 6> >(exec true)
        sleep 0.5
        PARTICLES_DIALOGS=stderr xsession_launch "$dir" "$program" 2>&6
        exec 6>&-
        xsession_window 60 || fail "no window"
        xsession_key Escape
        xsession_end 20
        [ "$status" -eq 0 ] || fail "exit status $status, not 0"
        ;;
    *)
        echo "check-hostile: no case '$case'" >&2
        exit 2
        ;;
esac
[ "$failed" -eq 0 ] && echo "check-hostile: $case: passed"
cat "$log" | head -20
exit "$failed"
