#!/usr/bin/env bash
# Builds and runs every test: formatting, a configure of the demo alone, the native build's unit
# and end-to-end tests (the latter on a private X screen, with the Windows build under Wine and the
# Debian package unpacked and run), the core's tests and the capture's digests with the working
# precision in software (forced on x86, and with a 64-bit long double), the core cross-built for
# ARM64 and run under qemu-user, the simulation built for WebAssembly and run under Node, the web
# page in headless Chromium and Firefox, the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short fuzzing run of the bitmap decoder.
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

# The working precision in software on x86 (as ARM64 and WebAssembly have it), and with a
# 64-bit long double (as MSVC has it): the core's tests, the capture's digests and golden frame.
for preset in soft ld64; do
    echo "== the working precision in software: preset $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" --target core_tests particles_tests \
        particles-capture capture_tests sim_state
    for tests in core/core_tests particles/particles_tests; do
        PARTICLES_DIALOGS=stderr "build/$preset/tests/$tests" --gtest_brief=1
    done
    ctest --test-dir "build/$preset" -j "$jobs" --output-on-failure -R '^(capture|sim)\.'
done

echo "== ARM64: the core and its tests cross-built, run under qemu-user"
cmake --preset arm64 >/dev/null
cmake --build --preset arm64 -j "$jobs"
ctest --preset arm64 -j "$jobs"

echo "== WebAssembly: the simulation alone, as the page computes it, run under Node"
cmake --preset wasm-core >/dev/null
cmake --build --preset wasm-core -j "$jobs" --target sim_state
ctest --test-dir build/wasm-core --output-on-failure -R '^sim\.'

echo "== the web page (emscripten) in headless Chromium and Firefox"
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
