#!/usr/bin/env bash
# End to end: the Debian package installs a demo that runs from anywhere. Packs the build with
# CPack's DEB generator, unpacks the package into a scratch root, checks its layout, and runs the
# unpacked `particles` command from an unrelated directory (check-run.sh): the window appears,
# Escape ends the program, exit status 0, nothing reported.
#
#   check-package.sh BUILD-DIRECTORY
set -uo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD-DIRECTORY" >&2; exit 2; }
build=$1
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1; then
    echo "check-package: FAILED: cpack could not build the package:"
    cat "$work/cpack.log"
    exit 1
fi
deb=$(ls "$work"/package/*.deb)
echo "check-package: $(basename "$deb"); Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$work/root" || exit 1

failed=0
for path in usr/bin/particles usr/lib/particles/particles \
    usr/lib/particles/display-guard \
    usr/share/particles/DATA/Textures/particle.bmp usr/share/particles/DATA/Textures/particle1.bmp \
    usr/share/applications/particles.desktop usr/share/icons/hicolor/128x128/apps/particles.png; do
    [ -e "$work/root/$path" ] || { echo "check-package: FAILED: no /$path in the package"; failed=1; }
done
[ "$failed" -eq 0 ] || exit 1

mkdir "$work/elsewhere"
bash "$here/check-run.sh" --program "$work/root/usr/bin/particles" --dir "$work/elsewhere" \
    --screen 1024x768x24 --mode fullscreen --end escape
