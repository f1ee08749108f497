#!/usr/bin/env bash
# The packages held to their ecosystems' own validators: lintian --pedantic on the Debian package
# (no error, no warning; the rest is shown), desktop-file-validate, appstreamcli validate
# --pedantic --no-net, hardening-check on every ELF file it installs, its icons (RGBA, the size of
# their directory), its changelog, metainfo and control file agreeing on the version, the
# metainfo's screenshot made by the build at the size it states, and the manifest, copyright and
# 256 px icon read back from the Windows executable (python3-pefile), when it is built.
#
#   check-ecosystems.sh DEB UNPACKED-ROOT BUILD-DIRECTORY [WINDOWS-EXE]
set -uo pipefail
[ $# -ge 3 ] && [ $# -le 4 ] ||
    { echo "usage: $0 DEB UNPACKED-ROOT BUILD-DIRECTORY [WINDOWS-EXE]" >&2; exit 2; }
deb=$1 root=$2 build=$3 exe=${4:-}

failed=0
fail() { echo "check-ecosystems: FAILED: $*"; failed=1; }
say() { echo "check-ecosystems: $*"; }

# lintian refuses nothing as root, but says so on stderr: not a finding.
report=$(lintian --pedantic --info --fail-on error,warning "$deb" 2>&1)
status=$?
report=$(grep -v 'running with root privileges' <<<"$report")
[ -n "$report" ] && sed 's/^/check-ecosystems: lintian: /' <<<"$report"
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings (status $status)"

desktop=$(ls "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --pedantic --no-net --no-color "$metainfo" ||
    fail "appstreamcli validate: $metainfo"
[ "$(basename "$desktop")" = "$(sed -n 's/.*<launchable type="desktop-id">\(.*\)<.*/\1/p' \
    "$metainfo")" ] || fail "the metainfo does not launch $(basename "$desktop")"

version=$(dpkg-deb -f "$deb" Version)
changelog=$(zcat "$root/usr/share/doc/particles/changelog.gz" | sed -n '1s/^particles (\(.*\)).*/\1/p')
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
[ "$changelog" = "$version" ] && [ "$release" = "$version" ] ||
    fail "versions differ: package $version, changelog '$changelog', metainfo '$release'"
MANPATH=$root/usr/share/man man -w particles >/dev/null || fail "man particles finds no page"

# Control-flow protection (CET) marks an executable only when every object in it is marked, the C
# library's start files too: Debian 12's are not, so there the build's -fcf-protection cannot show.
optional=()
if ! readelf -n "$(c++ -print-file-name=Scrt1.o)" 2>/dev/null | grep -q 'x86 feature:.*IBT'; then
    say "the C library's start files have no CET marking: control-flow protection not required"
    optional=(--nocfprotection)
fi
# Branch protection is ARM64's (Debian 13's hardening-check asks for it on every architecture).
if [ "$(dpkg-deb -f "$deb" Architecture)" != arm64 ] &&
    grep -q -- --nobranchprotection <<<"$(hardening-check --help 2>&1)"; then
    optional+=(--nobranchprotection)
fi
elves=$(find "$root" -type f -exec sh -c 'file -b "$1" | grep -q "^ELF"' _ {} \; -print)
[ -n "$elves" ] || fail "no ELF file in the package"
while IFS= read -r elf; do
    [ -n "$elf" ] || continue
    result=$(hardening-check "${optional[@]}" "$elf" 2>&1) || fail "hardening-check: ${elf#"$root"}:"$'\n'"$result"
done <<<"$elves"

for icon in "$root"/usr/share/icons/hicolor/*/apps/particles.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file -b "$icon" | grep -q "^PNG image data, ${size/x/ x }, 8-bit/color RGBA" ||
        fail "${icon#"$root"} is not an RGBA image of $size: $(file -b "$icon")"
done

shot=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\1 x \2 \3|p' \
    "$metainfo")
if [ -f "$build/CMakeFiles/particles_screenshot.dir/build.make" ]; then
    file -b "$build/release/${shot##* }" | grep -q "^PNG image data, ${shot% *}," ||
        fail "the build's screenshot release/${shot##* } is not the metainfo's ${shot% *}"
else
    say "particles-capture is not built: the metainfo's screenshot is not checked"
fi

if [ -z "$exe" ] || [ ! -f "$exe" ]; then
    say "no Windows executable: its manifest is not checked"
    [ "$failed" -eq 0 ] || exit 1
    say "all checks passed"
    exit 0
fi
# Debian's own interpreter, which python3-pefile is installed for.
/usr/bin/python3 - "$exe" <<'PYTHON' || failed=1
import sys
import xml.etree.ElementTree as ET

import pefile

pe = pefile.PE(sys.argv[1])
problems = []


def resources(kind):
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for entry in directory.entries if directory else []:
        if entry.id == kind:
            for name in entry.directory.entries:
                for language in name.directory.entries:
                    data = language.data.struct
                    yield name.id, pe.get_data(data.OffsetToData, data.Size)


manifests = dict(resources(pefile.RESOURCE_TYPE["RT_MANIFEST"]))
if 1 not in manifests:
    problems.append("no manifest (RT_MANIFEST 1)")
else:
    text = manifests[1].decode("utf-8")
    root = ET.fromstring(text)
    found = {element.tag.split("}")[1]: element for element in root.iter()}
    systems = {e.get("Id") for e in root.iter() if e.tag.endswith("}supportedOS")}
    wanted = {
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
    }
    problems += [f"{name} is not a supported OS" for id, name in wanted.items() if id not in systems]
    level = found.get("requestedExecutionLevel")
    if level is None or level.get("level") != "asInvoker":
        problems.append("the execution level is not asInvoker")
    awareness = found.get("dpiAwareness")
    if awareness is None or awareness.text.split(",")[0].strip() != "PerMonitorV2":
        problems.append("DPI awareness is not per-monitor v2 first")
    if found.get("dpiAware") is None or found["dpiAware"].text.strip() != "true":
        problems.append("no system DPI awareness for the systems before per-monitor v2")
    if not any(e.get("name") == "Microsoft.Windows.Common-Controls" and e.get("version") == "6.0.0.0"
               for e in root.iter() if e.tag.endswith("}assemblyIdentity")):
        problems.append("no dependency on the common controls 6")

strings = {}
for info in getattr(pe, "FileInfo", []):
    for block in info:
        for table in getattr(block, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
if not strings.get("LegalCopyright"):
    problems.append("no LegalCopyright in the version information")

# An icon group entry's width byte is 0 for 256 pixels.
sizes = set()
for _, group in resources(pefile.RESOURCE_TYPE["RT_GROUP_ICON"]):
    count = int.from_bytes(group[4:6], "little")
    sizes |= {group[6 + 14 * i] or 256 for i in range(count)}
if 256 not in sizes:
    problems.append(f"no 256 px icon (sizes {sorted(sizes)})")

for problem in problems:
    print(f"check-ecosystems: FAILED: {sys.argv[1]}: {problem}")
if not problems:
    print(f"check-ecosystems: the executable's manifest, copyright and icons ({sorted(sizes)}) hold")
sys.exit(1 if problems else 0)
PYTHON
[ "$failed" -eq 0 ] || exit 1
say "all checks passed"
