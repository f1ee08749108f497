#!/usr/bin/env bash
# Builds and runs every test: formatting, the native build's unit and end-to-end tests (the latter
# under Xvfb, and the Windows build under Wine), the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short fuzzing run of the bitmap decoder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh test
jobs=$(nproc)

echo "== formatting"
git ls-files -- 'src/*' 'tests/*' 'bench/*' 'fuzz/*' 'tools/*' | grep -E '\.(h|cpp)$' |
    xargs clang-format --dry-run --Werror

echo "== Windows build (MinGW-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

echo "== native build and tests"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -LE e2e

if [ -x fuzz/run.sh ]; then
    echo "== fuzzing the bitmap decoder"
    bash fuzz/run.sh 30
fi
