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
#   guard        on the same Xorg server: SIGKILL, SIGSEGV, SIGABRT and SIGBUS in full screen
#                each give the 1280x1024 desktop back within 3 s, and neither the program nor its
#                display guard runs 3 s after those ends, after Escape, or after the close box;
#                a program without its guard beside it says so, and still runs and restores.
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

# The live processes running the executable $1 (a zombie has no executable left).
running() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$1" ] && echo "${p#/proc/}"
    done
}

# Starts the demo in full screen, ends it by $1 (a signal, escape or close) and checks the end:
# the exit status ($2), the desktop back at 1280x1024 within 3 s, and no process of the program
# or its guard ($3, the guard's path) still running 3 s after the end.
guard_run() {
    local how=$1 expected=$2 guard=$3 guard_pid= waited
    xsession_launch "$dir" "$program" 2>"$log"
    xsession_window 60 || { fail "$how: no window"; cat "$log"; return; }
    sleep 1
    [ "$(desktop)" = 1024x768 ] || fail "$how: the mode did not switch (desktop $(desktop))"
    guard_pid=$(running "$guard" | head -n1)
    [ -n "$guard_pid" ] || fail "$how: no display guard runs"
    case "$how" in
        SIG*) kill -s "${how#SIG}" "$program_pid" ;;
        escape) xsession_key Escape ;;
        close) xsession_close "$closer" ;;
    esac
    xsession_end 20
    [ "$status" -eq "$expected" ] || fail "$how: exit status $status, not $expected"
    for waited in $(seq 30) timeout; do
        [ "$(desktop)" = 1280x1024 ] && [ -z "$(running "$program")$(running "$guard")" ] && break
        sleep 0.1
    done
    [ "$waited" != timeout ] || fail "$how: 3 s after the end the desktop is at $(desktop)," \
        "still running: $(running "$program") $(running "$guard")"
    xrandr -s 1280x1024 >/dev/null 2>&1
}

case "$case" in
    guard)
        [ -x "$closer" ] || { echo "check-hostile: needs --closer"; exit 2; }
        program=$(readlink -f "$program") # as /proc/PID/exe names it
        guard=$dir/display-guard
        [ -x "$guard" ] || { fail "no display guard beside the program"; exit 1; }
        ulimit -c 0 # no core files from the fatal signals
        xsession_server=xorg
        xsession_start 1280x1024x24 || exit 77
        guard_run SIGKILL $((128 + 9)) "$guard"
        guard_run SIGSEGV $((128 + 11)) "$guard"
        guard_run SIGABRT $((128 + 6)) "$guard"
        guard_run SIGBUS $((128 + 7)) "$guard"
        guard_run escape 0 "$guard"
        guard_run close 0 "$guard"
        # Without its guard the program says so, runs, and still puts the mode back itself.
        mkdir "$xsession_dir/alone"
        cp "$program" "$xsession_dir/alone/"
        cp -r "$dir/DATA" "$xsession_dir/alone/"
        program=$xsession_dir/alone/$(basename "$program") dir=$xsession_dir/alone
        xsession_launch "$dir" "$program" 2>"$log"
        xsession_window 60 || fail "without a guard: no window"
        sleep 1
        [ "$(desktop)" = 1024x768 ] || fail "without a guard: the mode did not switch"
        xsession_key Escape
        xsession_end 20
        [ "$status" -eq 0 ] || fail "without a guard: exit status $status, not 0"
        grep -q '^Win32 layer: cannot start the display guard .*display-guard' "$log" ||
            fail "without a guard: nothing said"
        sleep 0.5
        [ "$(desktop)" = 1280x1024 ] || fail "without a guard: the desktop was left at $(desktop)"
        ;;
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
