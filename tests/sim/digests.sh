#!/usr/bin/env bash
# The simulation alone, without window or OpenGL: sim_state's state after 300 frames must have
# the digests that tests/capture/digests.sh pins for particles-capture (read from that script, so
# that one re-pinning serves both), on whatever machine and working precision it was built for.
#
#   digests.sh SOURCE-DIR COMMAND...     COMMAND runs sim_state (an emulator's words may precede it)
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: $0 SOURCE-DIR COMMAND..." >&2; exit 2; }
source_dir=$1
shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t pinned < <(grep -oE '"[0-9]+ [0-9]+ [0-9a-f]{64}"' "$source_dir/tests/capture/digests.sh" |
    tr -d '"')
[ ${#pinned[@]} -gt 0 ] || { echo "FAIL: no pinned digests in tests/capture/digests.sh"; exit 1; }

fail=0
for entry in "${pinned[@]}"; do
    read -r seed step expected <<<"$entry"
    if ! "$@" "$seed" "$step" 300 300 "$work/state.bin"; then
        echo "FAIL: seed $seed, step $step ms: sim_state failed"
        fail=1
        continue
    fi
    actual=$(sha256sum <"$work/state.bin" | cut -d' ' -f1)
    if [ "$actual" = "$expected" ]; then
        echo "ok: seed $seed, step $step ms: $actual"
    else
        echo "FAIL: seed $seed, step $step ms: state digest $actual, pinned $expected"
        fail=1
    fi
done
exit "$fail"
