#!/usr/bin/env bash
# End to end: the Windows zip as a Windows user gets it. Packs the MinGW-w64 build with CPack,
# unpacks the zip, checks that it holds the executable, DATA/ and README.txt, that the executable
# carries its icon and version information and no debug section, and runs the unpacked
# executable under Wine from its own folder (check-run.sh).
#
#   check-windows-package.sh MINGW-BUILD-DIRECTORY WINE-PREFIX
# Exits 77 (skipped) when the Windows build or Wine is not there.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 MINGW-BUILD-DIRECTORY WINE-PREFIX" >&2; exit 2; }
build=$1 prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
objdump=x86_64-w64-mingw32-objdump
if [ ! -f "$build/CPackConfig.cmake" ] || ! command -v "$objdump" >/dev/null; then
    echo "check-windows-package: no Windows build in $build; skipped"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
    echo "check-windows-package: FAILED: cpack could not build the zip:"
    cat "$work/cpack.log"
    exit 1
fi
zip=$(ls "$work"/package/*.zip)
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip") || exit 1
top=$(ls -d "$work"/unpacked/*/)
echo "check-windows-package: $(basename "$zip"): $(cd "$top" && find . -type f | sort | tr '\n' ' ')"

failed=0
fail() { echo "check-windows-package: FAILED: $*"; failed=1; }
for path in particles.exe README.txt DATA/Textures/particle.bmp DATA/Textures/particle1.bmp; do
    [ -f "$top/$path" ] || fail "no $path in the zip"
done
exe=$top/particles.exe
[ -f "$exe" ] || exit 1
"$objdump" -h "$exe" | grep -q '\.debug' && fail "the executable has debug sections"
# The resource types at the top of .rsrc: 3 icon, 14 icon group, 16 version, 24 manifest.
types=$("$objdump" -p "$exe" | sed -n '/^The .rsrc Resource Directory/,/^$/p' |
    sed -n 's/^0[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
[ "$types" = "3 e 10 18 " ] ||
    fail "resource types '$types', expected icon, icon group, version and manifest"
strings -el "$exe" | grep -qx 'particles.exe' || fail "no version information naming particles.exe"
grep -q 'Escape' "$top/README.txt" && grep -q 'DATA' "$top/README.txt" ||
    fail "README.txt says nothing of Escape or DATA"
[ "$failed" -eq 0 ] || exit 1

bash "$here/check-run.sh" --program "$exe" --wine "$prefix" --screen 1024x768x24 \
    --mode fullscreen --end escape
