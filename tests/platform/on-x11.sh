#!/usr/bin/env bash
# Runs a test program with SDL's x11 driver on a private X screen of the shared harness.
#   on-x11.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/xsession.sh"
xsession_start 1024x768x24 || exit 1
SDL_VIDEODRIVER=x11 "$@"
