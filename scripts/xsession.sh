# The virtual display of everything that watches the demo run, sourced by the end-to-end tests,
# the run command without a display, and the soak, memcheck and peak-memory scripts. Each step
# returns non-zero when it fails, after saying why on stderr ("xsession: ..." lines, for people;
# scripts look at the variables named here). Everything started is stopped at exit.
#   xsession_build SET        installs the packages of SET (scripts/deps.sh), builds build/default
#   xsession_start [SCREEN]   an X server ($xsession_server: xvfb, or xorg with the dummy driver,
#                             whose mode really switches) with SCREEN (default 1024x768x24, which
#                             offers the demo's mode); DISPLAY exported, scratch in $xsession_dir
#   xsession_cleanup PATH...  removes PATH too at exit
#   xsession_launch DIR COMMAND...  COMMAND in DIR in the background (pid in $program_pid);
#                             redirect the call to keep its output; xsession_alive: still running
#   xsession_window SECONDS [TITLE]  waits for its window (default title OpenGL), id in $window
#   xsession_key KEY, xsession_close CLOSER (the close-window tool), xsession_screenshot FILE
#   xsession_dismiss TITLE... presses Return in every dialog with one of these titles (the real
#                             message boxes under Wine); xsession_dismissed TITLE: whether it did
#   xsession_end SECONDS      waits for the end, killing it after SECONDS: $status, 124 if killed
#   xsession_run DIR SECONDS END COMMAND...  a whole run: launched, its window awaited (titled
#                             $xsession_title, within $xsession_timeout s), SECONDS of running, a
#                             screenshot to $xsession_shot if set, then ended: END is escape, close
#                             (with the tool $xsession_closer) or none. $status as above ($window
#                             empty and 125 when none came up); $xsession_early: it ended too soon
#   xsession_reported FILE    the message boxes in its stderr FILE (PARTICLES_DIALOGS=stderr: one
#                             "caption: text" line each; the layer's own notes are none)
#   xsession_compositor NAME WxH  a Wayland compositor with one WxH output of the colour
#                             $xsession_desktop and Xwayland: sway headless (as an unprivileged
#                             user when run as root), or weston, mutter or kwin nested on a private
#                             Xvfb ($xsession_host). Exports XDG_RUNTIME_DIR, WAYLAND_DISPLAY and
#                             DISPLAY (its Xwayland); 77 when it is missing or cannot run here.
#                             Its clients run as its user: xsession_as COMMAND...
#   xsession_output_shot FILE, xsession_output_size: the output as the compositor shows it
#   xsession_wayland_key KEY  presses KEY on the compositor's seat, for the window with the focus
#                             (nested: on the host; sway: wtype, or through Xwayland for the X
#                             window $window); xsession_pointer_cross: the host's pointer crosses
#                             the nested output

xsession_home=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
xsession_server=${XSESSION_SERVER:-xvfb}
xsession_title=OpenGL xsession_timeout=60 xsession_closer= xsession_shot= xsession_early=
xsession_dir= xsession_junk=() server_pid= program_pid= dismisser_pid= window= status=
xsession_desktop=208040 xsession_compositor= xsession_host= compositor_pid= xsession_user=()
# Progress goes where the caller's stderr went when this was sourced, whatever a call redirects.
exec {xsession_log}>&2

xsession_say() { echo "xsession: $*" >&"$xsession_log"; }
xsession_need() {
    command -v "$1" >/dev/null && return 0
    xsession_say "$1 is missing (bash scripts/deps.sh $2)"
    return 1
}

xsession_stop() {
    [ -n "$dismisser_pid" ] && kill "$dismisser_pid" 2>/dev/null
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    # A compositor runs in a session of its own, with its Xwayland and D-Bus.
    [ -n "$compositor_pid" ] && kill -- "-$compositor_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$xsession_dir" "${xsession_junk[@]}"
    dismisser_pid= program_pid= server_pid= compositor_pid= xsession_dir= xsession_junk=()
}

xsession_cleanup() { xsession_junk+=("$@"); trap xsession_stop EXIT; }

xsession_build() {
    bash scripts/deps.sh "$1" || return 1
    xsession_say "building (preset default)"
    local log
    log=$({ cmake --preset default &&
        cmake --build --preset default -j "$(nproc)" --target particles_data; } 2>&1) ||
        { echo "$log" >&2; xsession_say "the build failed"; return 1; }
}

# A server backend starts its server in the background with the screen $1, has it write its
# display number to descriptor 3 once it accepts clients, and sets server_pid.
xsession_server_xvfb() {
    xsession_need Xvfb run || return 1
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$xsession_dir/display" \
        >"$xsession_dir/server.log" 2>&1 &
    server_pid=$!
}

xsession_server_xorg() {
    [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || xsession_need dummy_drv.so test || return 1
    xsession_need Xorg test || return 1
    local size=${1%x*}
    sed -e "s/@SIZE@/$size/g" -e "s/@WIDTH@/${size%x*}/g" -e "s/@HEIGHT@/${size#*x}/g" \
        "$xsession_home/xorg-dummy.conf" >"$xsession_dir/xorg.conf"
    Xorg -displayfd 3 -config "$xsession_dir/xorg.conf" -noreset -nolisten tcp -novtswitch \
        -sharevts -logfile "$xsession_dir/xorg.log" 3>"$xsession_dir/display" \
        >"$xsession_dir/server.log" 2>&1 &
    server_pid=$!
}

xsession_start() {
    local screen=${1:-1024x768x24}
    declare -F "xsession_server_$xsession_server" >/dev/null ||
        { xsession_say "no X server backend '$xsession_server'"; return 1; }
    xsession_need xdotool run || return 1
    xsession_dir=$(mktemp -d)
    xsession_cleanup
    trap 'exit 130' INT; trap 'exit 143' TERM
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

xsession_launch() { local dir=$1; shift; (cd "$dir" && exec "$@") & program_pid=$!; }

xsession_alive() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

xsession_window() {
    local deadline=$((SECONDS + $1)) title=${2:-OpenGL} && window=
    while [ $SECONDS -lt $deadline ] && xsession_alive; do
        window=$(xsession_as xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
        [ -n "$window" ] && return 0
        sleep 0.2
    done
    xsession_alive && xsession_say "no window titled \"$title\" within $1 s" ||
        xsession_say "the program ended before its window appeared"
    return 1
}

xsession_key() {
    xsession_say "pressing $1"
    xsession_as xdotool windowfocus --sync "$window" 2>/dev/null
    xsession_as xdotool key "$1"
}

xsession_close() { xsession_say "closing the window"; "$1" "$window"; }

xsession_screenshot() {
    xsession_need import run || return 1
    import -window root "$1" 2>"$xsession_dir/import.log" &&
        { xsession_say "screenshot saved to $1"; return 0; }
    xsession_say "no screenshot: $(cat "$xsession_dir/import.log")"
    return 1
}

# Each dialog seen is noted once in $xsession_dir/dismissed, as "ID TITLE".
xsession_dismiss() {
    local name id
    while sleep 0.5; do
        for name in "$@"; do
            for id in $(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null); do
                grep -q "^$id " "$xsession_dir/dismissed" 2>/dev/null || {
                    xsession_say "dismissing the dialog \"$name\""
                    echo "$id $name" >>"$xsession_dir/dismissed"
                }
                xdotool windowfocus --sync "$id" key Return 2>/dev/null
                # Give it time to go before pressing Return again.
                for _ in 1 2 3 4 5 6; do
                    xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | grep -qx "$id" ||
                        break
                    sleep 0.5
                done
            done
        done
    done &
    dismisser_pid=$!
}

xsession_dismissed() { cut -d' ' -f2- "$xsession_dir/dismissed" 2>/dev/null | grep -qxF -- "$1"; }

xsession_end() {
    local deadline=$((SECONDS + $1))
    while [ $SECONDS -lt $deadline ] && xsession_alive; do sleep 0.1; done
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

xsession_run() {
    local dir=$1 seconds=$2 end=$3 && shift 3 && xsession_early=
    xsession_launch "$dir" "$@"
    if xsession_window "$xsession_timeout" "$xsession_title"; then
        xsession_say "window $window is up"
        sleep "$seconds"
        if ! xsession_alive; then
            xsession_early=1
            xsession_say "the program ended while it should have been running"
        else
            [ -n "$xsession_shot" ] && xsession_screenshot "$xsession_shot"
            case "$end" in
                escape) xsession_key Escape ;;
                close) xsession_close "$xsession_closer" ;;
            esac
        fi >/dev/null 2>&1
    elif xsession_alive; then
        kill -9 "$program_pid" && wait "$program_pid" 2>/dev/null
        program_pid= status=125
        return 1
    fi
    xsession_end "$xsession_timeout"
}

xsession_reported() { grep -v -E '^Win32 layer: ' "$1" | grep .; }

xsession_as() { "${xsession_user[@]}" "$@"; }

# Each starts the compositor $1 with an output of $2 (WxH) in the background, in a session of its
# own (compositor_pid), its socket "particles" in $XDG_RUNTIME_DIR, and makes it write the
# DISPLAY of its Xwayland to $xsession_dir/xwayland from a client that ends with that Xwayland.
# None keeps the harness's descriptors: a test runner waits for their last holder.
xsession_compositor_sway() {
    local config=$xsession_dir/sway.conf
    printf 'output HEADLESS-1 mode %s bg #%s solid_color\nxwayland enable\n' "$2" \
        "$xsession_desktop" >"$config"
    echo "exec sh -c 'echo \$DISPLAY \$XAUTHORITY >$xsession_dir/xwayland'" >>"$config"
    # sway refuses to run as root. Its Xwayland makes /tmp/.X11-unix its user's unless it exists.
    if [ "$(id -u)" -eq 0 ]; then
        xsession_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        chown 65534:65534 "$xsession_dir" "$XDG_RUNTIME_DIR"
        [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
    fi
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setsid "${xsession_user[@]}" sway -c "$config" >"$xsession_dir/compositor.log" 2>&1 {xsession_log}>&- &
    compositor_pid=$!
}

xsession_compositor_weston() {
    printf '[shell]\nbackground-color=0xff%s\npanel-position=none\n[core]\nidle-time=0\n' \
        "$xsession_desktop" >"$xsession_dir/weston.ini"
    setsid weston --backend=x11-backend.so --use-pixman --width="${2%x*}" --height="${2#*x}" \
        --xwayland --socket=particles --config="$xsession_dir/weston.ini" \
        >"$xsession_dir/compositor.log" 2>&1 {xsession_log}>&- &
    compositor_pid=$!
    # Weston starts Xwayland when a client first connects, and says where it listens.
    ( for _ in $(seq 100); do
        grep -o 'xserver listening on display :[0-9]*' "$xsession_dir/compositor.log" \
            2>/dev/null | grep -o ':[0-9]*' >"$xsession_dir/xwayland" && break
        sleep 0.1
    done ) &
}

xsession_compositor_mutter() {
    MUTTER_DEBUG_DUMMY_MODE_SPECS=$2 setsid dbus-run-session -- mutter --nested --wayland \
        --wayland-display=particles -- \
        sh -c "echo \$DISPLAY \$XAUTHORITY >$xsession_dir/xwayland; exec xprop -root -spy >/dev/null" \
        >"$xsession_dir/compositor.log" 2>&1 {xsession_log}>&- &
    compositor_pid=$!
}

xsession_compositor_kwin() {
    # A copy without the file capabilities of Debian's, which a container cannot grant.
    cp "$(command -v kwin_wayland)" "$xsession_dir/kwin_wayland"
    setsid dbus-run-session -- "$xsession_dir/kwin_wayland" --x11-display "$DISPLAY" --xwayland \
        --socket particles --width "${2%x*}" --height "${2#*x}" \
        "sh -c 'echo \$DISPLAY \$XAUTHORITY >$xsession_dir/xwayland; exec xprop -root -spy'" \
        >"$xsession_dir/compositor.log" 2>&1 {xsession_log}>&- &
    compositor_pid=$!
}

xsession_compositor() {
    local name=$1 size=$2 tool
    case "$name" in
        sway) tool=sway ;; weston) tool=weston ;; mutter) tool=mutter ;; kwin) tool=kwin_wayland ;;
        *) xsession_say "no compositor '$name'"; return 2 ;;
    esac
    for tool in "$tool" Xwayland xdotool; do
        command -v "$tool" >/dev/null || { xsession_say "$tool is missing (bash scripts/deps.sh test)"; return 77; }
    done
    if [ "$name" = sway ]; then
        xsession_dir=$(mktemp -d)
        xsession_cleanup
        trap 'exit 130' INT; trap 'exit 143' TERM
    else
        xsession_start "${size}x24" || return 1
        xsession_host=$DISPLAY
    fi
    chmod 755 "$xsession_dir"
    export XDG_RUNTIME_DIR=$xsession_dir/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
    "xsession_compositor_$name" "$name" "$size"
    xsession_compositor=$name
    local socket=
    for _ in $(seq 150); do
        socket=$(ls "$XDG_RUNTIME_DIR" 2>/dev/null | grep -E '^(particles|wayland-[0-9]+)$')
        [ -n "$socket" ] && [ -s "$xsession_dir/xwayland" ] && break
        kill -0 "$compositor_pid" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$socket" ] || [ ! -s "$xsession_dir/xwayland" ]; then
        xsession_say "$name did not start:"
        tail -n 20 "$xsession_dir/compositor.log" >&2
        return 77
    fi
    # Its Xwayland, and the cookie that mutter's asks for.
    read -r DISPLAY XAUTHORITY <"$xsession_dir/xwayland"
    export WAYLAND_DISPLAY=$socket DISPLAY XAUTHORITY
    [ -n "$XAUTHORITY" ] || unset XAUTHORITY
    [ -n "$xsession_host" ] && sleep 2 # its first frame on the host
    xsession_say "$name on $WAYLAND_DISPLAY, Xwayland $DISPLAY, output $size"
}

xsession_output_shot() {
    if [ "$xsession_compositor" = sway ]; then
        xsession_as grim - >"$1"
    else
        DISPLAY=$xsession_host xsession_screenshot "$1" >/dev/null 2>&1
    fi
}

# The output's size as the compositor has it, and as Xwayland shows it to other clients.
xsession_output_size() {
    if [ "$xsession_compositor" = sway ]; then
        xsession_as swaymsg -s "$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*)" -t get_outputs -r |
            tr -d ' \n' | grep -o '"current_mode":{"width":[0-9]*,"height":[0-9]*' |
            grep -o '[0-9]*,"height":[0-9]*' | sed 's/,"height":/x/'
    else
        DISPLAY=$xsession_host xdpyinfo | grep -o 'dimensions: *[0-9]*x[0-9]*' | grep -o '[0-9x]*$'
    fi
    xsession_as xrandr --current 2>/dev/null | grep -o 'current [0-9]* x [0-9]*' | tr -d ' ' |
        sed 's/current//'
}

xsession_wayland_key() {
    xsession_say "pressing $1 on the compositor's seat"
    if [ "$xsession_compositor" = sway ] && [ -n "$window" ]; then
        xsession_key "$1" # an X client's: through Xwayland
    elif [ "$xsession_compositor" = sway ]; then
        xsession_as wtype -s 500 -k "$1" -s 200 # its keyboard appears first, then the key
    else
        DISPLAY=$xsession_host xdotool key "$1"
    fi
}

# On a nested compositor, moves the host's pointer from a corner of the output to its centre.
xsession_pointer_cross() {
    [ -n "$xsession_host" ] || return 0
    local size
    size=$(DISPLAY=$xsession_host xdpyinfo | grep -o 'dimensions: *[0-9]*x[0-9]*' | grep -o '[0-9x]*$')
    DISPLAY=$xsession_host xdotool mousemove 5 5 sleep 0.2 \
        mousemove $((${size%x*} / 2)) $((${size#*x} / 2)) sleep 0.3
}
