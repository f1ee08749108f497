#!/usr/bin/env bash
# Builds the demo and runs it: on your display if you have one (press Escape or close the window
# to end it), otherwise on a virtual screen (scripts/xsession.sh) for ten seconds, leaving a
# screenshot in build/screenshot.png. Installs the Debian packages the demo needs first, and the
# virtual screen's when there is no display.
#   bash scripts/run.sh --web [PORT]   builds the page instead (preset web) and serves build/web/
#                                      on 127.0.0.1 (port 8017 unless told), printing its address
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--web" ]; then
    bash scripts/deps.sh web
    echo "== building the page (preset web)"
    cmake --preset web >/dev/null
    cmake --build --preset web -j "$(nproc)"
    echo "== serving build/web/"
    exec node tests/web/serve.mjs build/web "${2:-8017}"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    display=yes
    bash scripts/deps.sh build
else
    display=
    bash scripts/deps.sh run
fi

echo "== building (preset default)"
cmake --preset default >/dev/null
# The program, and DATA/ next to it: it reads DATA\Textures relative to its working directory.
cmake --build --preset default -j "$(nproc)" --target particles_data
cd build/default

if [ -n "$display" ]; then
    echo "== running the demo (Escape or closing the window ends it)"
    exec ./particles
fi

echo "== no display: running the demo on a virtual 1024x768 screen for ten seconds"
set +e
. ../../scripts/xsession.sh
xsession_start 1024x768x24 || exit 1
# Message boxes would wait for a click nobody can give: report on stderr instead.
rm -f ../screenshot.png
xsession_shot=$PWD/../screenshot.png
PARTICLES_DIALOGS=stderr xsession_run . 10 escape ./particles
if [ "$status" -eq 0 ] && [ -f ../screenshot.png ]; then
    echo "== the demo ran for ten seconds and ended on Escape; screenshot: build/screenshot.png"
else
    echo "== the demo ended with status $status" >&2
fi
exit "$status"
