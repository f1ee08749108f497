#!/usr/bin/env bash
# The page's frame-rate benchmark (bench/web/fps.mjs): builds the page (preset web), installs the
# pinned browser driver (tests/web, npm ci) and measures the page beside a bare WebGL loop in
# headless Chromium and Firefox. Prints the rates, their ratio, the time to the first frame and
# the sizes of the .wasm and the .js.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/deps.sh web-test
cmake --preset web >/dev/null
cmake --build --preset web -j 2 >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/web/fps.mjs "${1:-10}"
