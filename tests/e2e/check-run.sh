#!/usr/bin/env bash
# One end-to-end run of the demo on a private X screen (scripts/xsession.sh), natively or the
# Windows build under Wine, with the checks of its outcome: exit status 0, and exactly the message
# boxes that the display mode calls for.
#
#   check-run.sh --program PATH [--wine PREFIX] [--dir DIR] --screen WxHxD
#                --mode fullscreen|windowed --end escape|close [--closer PATH] [--run SECONDS]
#                [--picture CHECKER SIDE] [--uptime SECONDS]
#   check-run.sh --program PATH --compositor NAME --output WxH --way xwayland|native
#                --picture CHECKER SIDE
#
# The program runs in DIR, by default in its own directory (where the build puts DATA/).
# fullscreen: the screen offers the 1024x768 mode, so nothing may be reported;
# windowed:   it does not, so the switch must be refused with "Unable to switch to fullscreen!"
#             (natively on stderr, under Wine in a real message box, dismissed with Return), and
#             the demo must go on in a window.
# --picture: also take a screenshot just before the end and check it with CHECKER (the scene's
#             screenshot checker; SIDE is where the flame must be: left or right).
# --uptime: run the program in a time namespace whose clocks say the machine has been up for
#             SECONDS (Linux 5.6 or later, as root; skipped where that is missing).
# --compositor: a Wayland desktop (xsession_compositor) whose output is WxH, the program an X
#             client of its Xwayland or, with no X server to reach (DISPLAY unset), a native
#             Wayland client. The mode cannot really switch there: the screenshot of the whole
#             output must show the 1024x768 picture as a monitor shows that mode (CHECKER's
#             output checks), nothing may be said about the display guard, Escape must end the
#             program with 0, and the output must keep its size. Skipped where the compositor
#             cannot run.
# Exits 77 (skipped) when the program has not been built.
set -uo pipefail
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/xsession.sh"

program=
prefix=
dir=
screen=1024x768x24
mode=fullscreen
end=escape
closer=
run=3
checker=
side=
uptime=
compositor=
output=
way=
while [ $# -gt 0 ]; do
    case "$1" in
        --program) program=$2; shift 2 ;;
        --wine) prefix=$2; shift 2 ;;
        --dir) dir=$2; shift 2 ;;
        --screen) screen=$2; shift 2 ;;
        --mode) mode=$2; shift 2 ;;
        --end) end=$2; shift 2 ;;
        --closer) closer=$2; shift 2 ;;
        --run) run=$2; shift 2 ;;
        --picture) checker=$2 side=$3; shift 3 ;;
        --uptime) uptime=$2; shift 2 ;;
        --compositor) compositor=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        --way) way=$2; shift 2 ;;
        *) echo "check-run: unknown option $1" >&2; exit 2 ;;
    esac
done
if [ ! -f "$program" ]; then
    echo "check-run: $program has not been built; skipped"
    exit 77
fi
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
[ -n "$dir" ] || dir=$(dirname "$program")

failed=0
fail() { echo "check-run: FAILED: $*"; failed=1; }
if [ -n "$compositor" ]; then
    xsession_compositor "$compositor" "$output" || exit $?
    work=$xsession_dir
    xsession_output_shot "$work/desktop.png"
    before=$(xsession_output_size)
    # The program runs as the caller, whose build the compositor's user may not reach (a clone
    # under /root); the caller can still connect to that user's sockets, and its Xwayland lets the
    # caller in.
    [ ${#xsession_user[@]} -eq 0 ] || xsession_as xhost "+si:localuser:$(id -un)" >/dev/null
    command=(env PARTICLES_DIALOGS=stderr "$program")
    [ "$way" = native ] && command=(env -u DISPLAY PARTICLES_DIALOGS=stderr "$program")
    echo "check-run: $program on $compositor ($output), $way"
    xsession_launch "$dir" "${command[@]}" 2>"$work/stderr"
    if [ "$way" = native ]; then
        window= && sleep 3 # no X window to wait for
    else
        xsession_window 60 || fail "no window"
    fi
    xsession_pointer_cross
    sleep "$run"
    # A compositor may show a new full-screen window a while after it is mapped: the shot is
    # taken once the bars are there (black where the desktop is not), within 20 s.
    for _ in $(seq 40); do
        xsession_output_shot "$work/shot.png"
        [ "$(convert "$work/shot.png" -format '%[fx:maxima]' -crop "10x10+0+$((${output#*x} / 2))" \
            info: 2>/dev/null)" = 0 ] && break
        sleep 0.5
    done
    xsession_alive || fail "the program ended on its own"
    xsession_wayland_key Escape
    xsession_end 20
    echo "check-run: the program's stderr:"
    sed 's/^/    | /' "$work/stderr"
    [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
    xsession_reported "$work/stderr" && fail "no message should be shown"
    grep -q 'display guard' "$work/stderr" && fail "the display guard had nothing to put back"
    after=$(xsession_output_size)
    [ "$after" = "$before" ] || fail "the output was $(echo $before) and is $(echo $after)"
    convert "$work/desktop.png" -depth 8 "ppm:$work/desktop.ppm" &&
        convert "$work/shot.png" -depth 8 "ppm:$work/shot.ppm" &&
        { [ -z "${PARTICLES_SHOTS:-}" ] || cp "$work/shot.png" "$PARTICLES_SHOTS/$compositor-$way.png"; } ||
        fail "no screenshot"
    "$checker" "$work/shot.ppm" "$side" 1024x768 "$work/desktop.ppm" ||
        fail "the output does not show the picture as a 1024x768 mode"
    [ "$failed" -eq 0 ] && echo "check-run: passed"
    exit "$failed"
fi
[ -n "$prefix" ] && ! command -v wine >/dev/null && { echo "check-run: wine is missing; skipped"; exit 77; }
xsession_start "$screen" || exit 1
work=$xsession_dir
xsession_timeout=120 xsession_closer=$closer
[ -n "$checker" ] && xsession_shot=$work/shot.png

if [ -n "$prefix" ]; then
    mkdir -p "$prefix"
    prefix=$(cd "$prefix" && pwd)
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$prefix/system.reg" ]; then
        echo "check-run: creating the Wine prefix $prefix (once; slow)"
        timeout 300 wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # A wineserver left from another run may still serve a display that is gone; a Wine started
    # while it shuts down can end at once without running the program, so wait until it is gone.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    xsession_dismiss Error "Ошибка"
    # Ends Wine's own processes while the screen is still there: they would complain of the lost
    # display on stderr.
    command=(bash -c 'wine "$0"; status=$?; wineserver -k; exit $status' "$program")
else
    export PARTICLES_DIALOGS=stderr
    command=("$program")
fi

if [ -n "$uptime" ]; then
    if ! unshare --time --fork true 2>/dev/null; then
        echo "check-run: no time namespaces here (they need Linux 5.6 or later, and root); skipped"
        exit 77
    fi
    # CLOCK_MONOTONIC, which the counter reads, and CLOCK_BOOTTIME move together on a machine
    # that has not been suspended.
    offset=$((uptime - $(cut -d. -f1 /proc/uptime)))
    command=(unshare --time --monotonic "$offset" --boottime "$offset" --fork -- "${command[@]}")
fi

echo "check-run: ${prefix:+wine }$program on $screen${uptime:+, $uptime s after the machine started}, expecting $mode mode, ending with $end"
xsession_run "$dir" "$run" "$end" "${command[@]}" >/dev/null 2>"$work/stderr"
[ -n "$prefix" ] && { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }

echo "check-run: the program's stderr:"
sed 's/^/    | /' "$work/stderr"

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
[ -n "$window" ] || fail "the window never appeared"
[ -z "$xsession_early" ] || fail "the program ended on its own"

refused="Error: Unable to switch to fullscreen!"
if [ -n "$prefix" ]; then
    # The message boxes are real windows here; stderr has only Wine's own reports (a crash of
    # the program itself shows in its exit status).
    if [ "$mode" = windowed ]; then
        xsession_dismissed Error || fail "no \"Error\" message box"
    fi
    xsession_dismissed "Ошибка" && fail "a tear-down failure was reported"
    if [ "$mode" = fullscreen ] && { xsession_dismissed Error || xsession_dismissed "Ошибка"; }; then
        fail "a message box was shown"
    fi
else
    # With PARTICLES_DIALOGS=stderr each message box is one "caption: text" line. The Win32
    # layer's own notes (a missing swap-interval control, say) are no message boxes.
    xsession_reported "$work/stderr" >"$work/boxes"
    if [ "$mode" = windowed ]; then
        [ "$(cat "$work/boxes")" = "$refused" ] ||
            fail "the only message should be \"$refused\""
    else
        [ -s "$work/boxes" ] && fail "no message should be shown"
    fi
fi

if [ -n "$checker" ]; then
    if convert "$work/shot.png" -depth 8 "ppm:$work/shot.ppm"; then
        "$checker" "$work/shot.ppm" "$side" || fail "the picture is not the scene"
    else
        fail "no screenshot"
    fi
fi

[ "$failed" -eq 0 ] && echo "check-run: passed"
exit "$failed"
