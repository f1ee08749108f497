#!/usr/bin/env bash
# The simulation alone, without window or OpenGL: sim_state's state after 300 frames must have
# the digests pinned for particles-capture (tests/capture/pinned-states.sh, so that one
# re-pinning serves both), on whatever machine and working precision it was built for.
#
#   digests.sh SOURCE-DIR COMMAND...     COMMAND runs sim_state (an emulator's words may precede it)
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: $0 SOURCE-DIR COMMAND..." >&2; exit 2; }
source_dir=$1
shift
command=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$source_dir/tests/capture/pinned-states.sh"
sim_state() { "${command[@]}" "$1" "$2" 300 300 "$3"; }
check_pinned_states sim_state "$work"
