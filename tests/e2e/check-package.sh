#!/usr/bin/env bash
# End to end: the Debian package installs a demo that runs from anywhere. Packs the build with
# CPack's DEB generator, unpacks the package into a scratch root, checks its layout, and runs the
# unpacked `particles` command from an unrelated directory (check-run.sh): the window appears,
# Escape ends the program, exit status 0, nothing reported. Before the run, the package and the
# Windows executable (when built) go through their ecosystems' validators (check-ecosystems.sh).
#
#   check-package.sh BUILD-DIRECTORY [WINDOWS-EXE]
set -uo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 BUILD-DIRECTORY [WINDOWS-EXE]" >&2; exit 2; }
build=$1 exe=${2:-}
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
    usr/share/applications/org.example.particles.desktop \
    usr/share/metainfo/org.example.particles.metainfo.xml usr/share/man/man6/particles.6.gz \
    usr/share/doc/particles/copyright usr/share/doc/particles/changelog.gz \
    usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/particles.png; do
    [ -e "$work/root/$path" ] || { echo "check-package: FAILED: no /$path in the package"; failed=1; }
done
[ "$failed" -eq 0 ] || exit 1
bash "$here/check-ecosystems.sh" "$deb" "$work/root" "$build" ${exe:+"$exe"} || exit 1

mkdir "$work/elsewhere"
bash "$here/check-run.sh" --program "$work/root/usr/bin/particles" --dir "$work/elsewhere" \
    --screen 1024x768x24 --mode fullscreen --end escape
