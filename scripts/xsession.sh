#!/usr/bin/env bash
# The virtual display of everything that watches the demo run: the end-to-end tests, the run
# command without a display, and the soak, memcheck and peak-memory scripts. It starts an X server
# on a free display, starts the program, waits for its window, sends keys or closes the window,
# takes screenshots, and always stops what it started.
#
# As a command, one whole run:
#   xsession.sh [options] -- PROGRAM [ARGUMENTS...]
#   --server NAME       the X server: xvfb (the default, or $XSESSION_SERVER), or xorg (Xorg with
#                       the dummy driver, whose display mode really switches)
#   --screen WxHxD      its screen (default 1024x768x24, which offers the demo's full-screen mode;
#                       a larger screen does not)
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
# Exit status: the program's own; 124 if it did not end in time (it is then killed); 125 if the
# run could not be set up (no server, no window, bad options). Progress goes to standard error, on
# lines that start with "xsession:".
#
# Sourced, the steps for a script that watches the program itself (run from the source tree):
#   xsession_build SET            installs the Debian packages of SET (scripts/deps.sh) and builds
#                                 the program with DATA/ beside it in build/default
#   xsession_start [SCREEN]       the server on a free display (DISPLAY exported), a scratch
#                                 directory in $xsession_dir, everything stopped at exit
#   xsession_launch DIR COMMAND...  COMMAND in DIR in the background, its pid in $program_pid;
#                                 redirect the call to keep its output
#   xsession_alive                whether the program still runs
#   xsession_window SECONDS [TITLE]  waits for its window while it runs; the id in $window
#   xsession_key KEY              presses KEY in the window (Escape ends the demo)
#   xsession_close CLOSER         asks the window to close with the close-window tool
#   xsession_screenshot FILE      the whole screen as PNG
#   xsession_dismiss TITLE...     presses Return in every dialog with one of these titles
#   xsession_end SECONDS          waits for the program to end, killing it after SECONDS; its exit
#                                 code in $status (124 if it had to be killed)
#   xsession_reported FILE        the message boxes in the program's standard error FILE (with
#                                 PARTICLES_DIALOGS=stderr, one "caption: text" line each; the
#                                 Win32 layer's own notes are none); fails when there is none
# Each step returns non-zero when it fails, after saying why.

xsession_server=${XSESSION_SERVER:-xvfb}
xsession_dir=
server_pid=
program_pid=
dismisser_pid=
window=
status=

xsession_say() { echo "xsession: $*" >&2; }

xsession_stop() {
    [ -n "$dismisser_pid" ] && kill "$dismisser_pid" 2>/dev/null
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    [ -n "$xsession_dir" ] && rm -rf "$xsession_dir"
    dismisser_pid= program_pid= server_pid= xsession_dir=
}

xsession_build() {
    bash scripts/deps.sh "$1" || return 1
    xsession_say "building (preset default)"
    local log
    log=$(mktemp)
    if ! { cmake --preset default && cmake --build --preset default -j "$(nproc)" \
        --target particles_data; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        xsession_say "the build failed"
        return 1
    fi
    rm -f "$log"
}

# A server backend starts its server in the background with the screen $1, has it write its
# display number to file descriptor 3 once it accepts clients, and sets server_pid.
xsession_server_xvfb() {
    command -v Xvfb >/dev/null || { xsession_say "Xvfb is missing (bash scripts/deps.sh run)"; return 1; }
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$xsession_dir/display" \
        >"$xsession_dir/server.log" 2>&1 &
    server_pid=$!
}

# Xorg with the dummy video driver: a display whose mode really switches. The desktop is the
# screen asked for; 1024x768 (the demo's) and 800x600 are offered besides.
xsession_server_xorg() {
    command -v Xorg >/dev/null && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
        { xsession_say "Xorg with the dummy driver is missing (bash scripts/deps.sh test)"; return 1; }
    local size=${1%x*}
    cat >"$xsession_dir/xorg.conf" <<CONF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
    Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "$size" "1024x768" "800x600"
        Virtual ${size%x*} ${size#*x}
    EndSubSection
EndSection
CONF
    Xorg -displayfd 3 -config "$xsession_dir/xorg.conf" -noreset -nolisten tcp -novtswitch \
        -sharevts -logfile "$xsession_dir/xorg.log" 3>"$xsession_dir/display" \
        >"$xsession_dir/server.log" 2>&1 &
    server_pid=$!
}

xsession_start() {
    local screen=${1:-1024x768x24}
    if ! declare -F "xsession_server_$xsession_server" >/dev/null; then
        xsession_say "no X server backend '$xsession_server'"
        return 1
    fi
    command -v xdotool >/dev/null || { xsession_say "xdotool is missing (bash scripts/deps.sh run)"; return 1; }
    xsession_dir=$(mktemp -d)
    trap xsession_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    "xsession_server_$xsession_server" "$screen" || return 1
    for _ in $(seq 100); do
        [ -s "$xsession_dir/display" ] && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$xsession_dir/display" ]; then
        xsession_say "the $xsession_server server did not start:"
        cat "$xsession_dir/server.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$xsession_dir/display")"
    xsession_say "$xsession_server $DISPLAY, screen $screen"
}

xsession_launch() {
    local dir=$1
    shift
    (cd "$dir" && exec "$@") &
    program_pid=$!
}

xsession_alive() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

xsession_window() {
    local deadline=$((SECONDS + $1)) title=${2:-OpenGL}
    window=
    while [ $SECONDS -lt $deadline ] && xsession_alive; do
        window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
        [ -n "$window" ] && return 0
        sleep 0.2
    done
    if xsession_alive; then
        xsession_say "no window titled \"$title\" within $1 s"
    else
        xsession_say "the program ended before its window appeared"
    fi
    return 1
}

xsession_key() {
    xsession_say "pressing $1"
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key "$1"
}

xsession_close() {
    xsession_say "closing the window"
    "$1" "$window"
}

xsession_screenshot() {
    command -v import >/dev/null ||
        { xsession_say "import (imagemagick) is missing (bash scripts/deps.sh run)"; return 1; }
    if import -window root "$1" 2>"$xsession_dir/import.log"; then
        xsession_say "screenshot saved to $1"
    else
        xsession_say "no screenshot: $(cat "$xsession_dir/import.log")"
        return 1
    fi
}

xsession_dismiss() {
    (
        seen=" "
        while sleep 0.5; do
            for name in "$@"; do
                for id in $(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null); do
                    case "$seen" in
                        *" $id "*) ;;
                        *) xsession_say "dismissing the dialog \"$name\""; seen="$seen$id " ;;
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
}

xsession_end() {
    local deadline=$((SECONDS + $1))
    while [ $SECONDS -lt $deadline ] && xsession_alive; do
        sleep 0.1
    done
    if xsession_alive; then
        xsession_say "the program did not end within $1 s; killing it"
        kill -9 "$program_pid"
        wait "$program_pid" 2>/dev/null
        status=124
    else
        wait "$program_pid"
        status=$?
        xsession_say "exit status $status"
    fi
    program_pid=
    [ "$status" -ne 124 ]
}

xsession_reported() { grep -v -E '^Win32 layer: ' "$1" | grep .; }

xsession_main() {
    local screen=1024x768x24 dir=. run=3 end=escape closer= screenshot= out= err= title=OpenGL
    local timeout=60 dismiss=()
    usage() { sed -n '2,/^# Sourced/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 125; }
    while [ $# -gt 0 ]; do
        case "$1" in
            --server) xsession_server=$2; shift 2 ;;
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
            *) xsession_say "unknown option $1"; usage ;;
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
        close) [ -x "$closer" ] || { xsession_say "--end close needs --closer with the close-window tool"; exit 125; } ;;
        *) xsession_say "--end is escape, close or none, not '$end'"; exit 125 ;;
    esac

    xsession_start "$screen" || exit 125
    # The program's output goes where ours does unless it is to be saved (reopening /dev/stdout
    # would empty a file the caller sends ours to).
    exec 4>&1 5>&2
    [ -n "$out" ] && exec 4>"$out"
    [ -n "$err" ] && exec 5>"$err"
    xsession_launch "$dir" "$@" >&4 2>&5
    exec 4>&- 5>&-
    [ ${#dismiss[@]} -gt 0 ] && xsession_dismiss "${dismiss[@]}"

    if xsession_window "$timeout" "$title"; then
        xsession_say "window $window is up: $(xdotool getwindowgeometry "$window" 2>/dev/null |
            tail -n +2 | tr -s ' \n' ' ')"
        sleep "$run"
        if ! xsession_alive; then
            xsession_say "the program ended while it should have been running"
        else
            [ -n "$screenshot" ] && xsession_screenshot "$screenshot"
            case "$end" in
                escape) xsession_key Escape ;;
                close) xsession_close "$closer" ;;
            esac
        fi
    elif xsession_alive; then
        exit 125
    fi
    xsession_end "$timeout"
    exit "$status"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -uo pipefail
    xsession_main "$@"
fi
