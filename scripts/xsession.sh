# The demo on a private Xvfb screen, for the scripts that watch it run (soak.sh, memcheck.sh).
# Sourced, not run. The caller defines say() and starts the program itself (in the background,
# its pid in program_pid) once xsession_start has set DISPLAY.
#
#   xsession_build SET      installs the Debian packages of SET (scripts/deps.sh) and builds the
#                           program with DATA/ next to it in build/default
#   xsession_start          temporary directory in $work, Xvfb of 1024x768x24 (which offers the
#                           demo's full-screen mode) on a free display, cleanup at exit
#   xsession_window TRIES   waits up to TRIES × 0.2 s for the window while the program lives;
#                           sets $window, fails if none appeared
#   xsession_escape         presses Escape in the window, as a user ends the demo
#   xsession_end TRIES      waits up to TRIES × 0.1 s for the program to end and sets $status to
#                           its exit code (137 after killing it when it did not end in time)

work=
xvfb_pid=
program_pid=
window=
status=

xsession_cleanup() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [ -n "$work" ] && rm -rf "$work"
}

xsession_build() {
    bash scripts/deps.sh "$1" || return 1
    say "building (preset default)"
    cmake --preset default >/dev/null || return 1
    cmake --build --preset default -j2 --target particles_data >/dev/null
}

xsession_start() {
    work=$(mktemp -d)
    trap xsession_cleanup EXIT
    # Xvfb picks a free display itself and writes its number once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { say "Xvfb did not start"; cat "$work/xvfb.log"; return 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
}

xsession_alive() { kill -0 "$program_pid" 2>/dev/null; }

xsession_window() {
    window=
    for _ in $(seq "$1"); do
        xsession_alive || return 1
        window=$(xdotool search --onlyvisible --name '^OpenGL$' 2>/dev/null | head -n1)
        [ -n "$window" ] && return 0
        sleep 0.2
    done
    return 1
}

xsession_escape() {
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key Escape
}

xsession_end() {
    for _ in $(seq "$1"); do
        xsession_alive || break
        sleep 0.1
    done
    if xsession_alive; then
        kill -9 "$program_pid"
        wait "$program_pid" 2>/dev/null
        status=137
    else
        wait "$program_pid"
        status=$?
    fi
    program_pid=
}
