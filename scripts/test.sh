#!/usr/bin/env bash
# Builds and runs every test: formatting, a configure of the demo alone, the native build's unit
# and end-to-end tests (the latter on a private X screen, with the Windows build under Wine and the
# Debian package unpacked and run), the web page in headless Chromium, the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzzing run of the bitmap decoder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh test
jobs=$(nproc)

echo "== formatting"
git ls-files -- 'src/*' 'tests/*' 'bench/*' 'fuzz/*' 'tools/*' | grep -E '\.(h|cpp)$' |
    xargs clang-format --dry-run --Werror

echo "== the demo alone configures without GoogleTest and Google Benchmark"
rm -rf build/demo-only
cmake -S . -B build/demo-only -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON | grep -E '^-- (Not built|Build files)'
rm -rf build/demo-only

echo "== Windows build (MinGW-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

echo "== native build and tests"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== the web page (emscripten) in headless Chromium"
cmake --preset web >/dev/null
cmake --build --preset web -j "$jobs"
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
PARTICLES_CHECK_SCREENSHOT="$PWD/build/default/tests/e2e/check_screenshot" node --test tests/web/

echo "== sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -LE e2e

echo "== fuzzing the bitmap decoder"
bash fuzz/run.sh 30
