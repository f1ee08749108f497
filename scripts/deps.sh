#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing.
#   scripts/deps.sh build   what the demo needs: compiler, CMake, SDL2, Xlib with RandR, OpenGL,
#                           GLU
#   scripts/deps.sh run     build + Xvfb, xdotool and screenshot tools, to run without a display
#   scripts/deps.sh test    run + MinGW-w64 (with its binutils: windres, strip, objdump), Wine,
#                           clang with libFuzzer and llvm-cov, valgrind, libpng and libwebp for
#                           particles-capture, Xorg's dummy driver and xrandr for a display whose
#                           mode really switches, GoogleTest, Google Benchmark, dpkg-dev and file
#                           for the Debian package, the ARM64 cross compiler, qemu-user and
#                           GoogleTest's sources for the ARM64 core, sway, weston, mutter,
#                           kwin and Xwayland for the Wayland desktops, the packages' validators
#                           (lintian, desktop-file-validate, appstreamcli, hardening-check,
#                           python3-pefile, man), and web-test
#   scripts/deps.sh web     what the page needs: emscripten, and Node with npm to serve it
#   scripts/deps.sh web-test  web + Chromium and Firefox ESR, for the page's tests and benchmark
#                           (the browsers' driver comes from npm, pinned by
#                           tests/web/package-lock.json)
# Debian 12 and 13 are tested: every name below is the same on both.
set -euo pipefail

build=(cmake make g++ pkg-config libsdl2-dev libx11-dev libxrandr-dev libgl-dev libglu1-mesa-dev
       libgl1-mesa-dri libegl1)
run=("${build[@]}" xvfb xauth x11-apps x11-utils imagemagick xdotool)
test=("${run[@]}" mingw-w64 binutils-mingw-w64-x86-64 wine wine64 valgrind clang-format time
      libpng-dev libwebp-dev xserver-xorg-video-dummy x11-xserver-utils)
# clang with libFuzzer and the LLVM tools: the release's own version (14 on Debian 12, 19 on
# Debian 13) through the unversioned names, which every release has.
test+=(clang libclang-rt-dev llvm)

# The unit tests, the benchmarks and the package's dependencies; the demo builds without them.
test+=(libgtest-dev libgmock-dev libbenchmark-dev dpkg-dev file)
# The ecosystems' validators of the packages (tests/e2e/check-ecosystems.sh).
test+=(lintian desktop-file-utils appstream man-db python3-pefile devscripts)
# The core cross-built for ARM64 and run under qemu-user, with GoogleTest built from its sources.
test+=(g++-aarch64-linux-gnu qemu-user googletest)

# Wayland desktops for the e2e runs: the compositors with Xwayland, screenshots and keys on sway,
# D-Bus sessions for mutter and kwin, xprop and xdpyinfo (x11-utils) for their Xwayland.
test+=(sway weston mutter kwin-wayland xwayland grim wtype dbus util-linux)

# The page: emscripten builds it, Node serves it, Chromium shows it to the tests.
web=(cmake make python3 emscripten nodejs)
# Some Node packages (NodeSource's) bring npm themselves and conflict with Debian's.
command -v npm >/dev/null || web+=(npm)
# Chromium and Firefox ESR show it to the tests (the same package names on Debian 12 and 13).
web_test=("${web[@]}" chromium firefox-esr)
test+=("${web_test[@]}")

case "${1:-build}" in
    build) wanted=("${build[@]}") ;;
    run) wanted=("${run[@]}") ;;
    test) wanted=("${test[@]}") ;;
    web) wanted=("${web[@]}") ;;
    web-test) wanted=("${web_test[@]}") ;;
    *) echo "deps: unknown set '$1' (build, run, test, web or web-test)" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
