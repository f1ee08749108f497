#!/usr/bin/env bash
# Builds the fuzz preset and fuzzes the bitmap decoder, for a time or for a number of executions,
# or minimises what the fuzzing found into a new seed corpus.
#
#   fuzz/run.sh [SECONDS]            fuzz for SECONDS seconds (default 30)
#   fuzz/run.sh --runs N [--jobs J]  fuzz for N executions in all; with J > 1, J processes run
#                                    N/J executions each, sharing the work corpus (their output
#                                    goes to build/fuzz/fuzz-*.log, shown when they end)
#   fuzz/run.sh --merge              minimise fuzz/corpus and fuzz/corpus-work into a fresh
#                                    directory, then make that the seed corpus fuzz/corpus
#   fuzz/run.sh --coverage [DIR...]  line, region and branch coverage of the decoder reached by
#                                    the inputs in DIR... (default fuzz/corpus), replayed under
#                                    clang's source-based coverage (paths relative to the
#                                    repository); needs llvm-cov
#
# Fuzzing reads the seeds in fuzz/corpus and puts new inputs in fuzz/corpus-work (not committed).
# The final statistics (executions, speed, peak memory) are printed at the end, the coverage
# (cov: edges, ft: features) and corpus size on libFuzzer's progress lines. A crash, leak,
# timeout or failed consistency check leaves its input in build/fuzz/ as crash-*, leak-*, ... and
# fails the script; reproduce it with build/fuzz/fuzz/fuzz_bmp FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=time
seconds=30
inputs=()
runs=
jobs=1
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) mode=runs; runs=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --merge) mode=merge; shift ;;
        --coverage) mode=coverage; shift; inputs=("$@"); set -- ;;
        [0-9]*) seconds=$1; shift ;;
        *) echo "fuzz/run.sh: usage: run.sh [SECONDS] | --runs N [--jobs J] | --merge |" \
               "--coverage [DIR...]" >&2; exit 2 ;;
    esac
done

cmake --preset fuzz >/dev/null
if [ "$mode" = coverage ]; then
    cmake --build --preset fuzz --target fuzz_bmp_coverage -j "$(nproc)"
    [ ${#inputs[@]} -gt 0 ] || inputs=(fuzz/corpus)
    profile=build/fuzz/coverage
    rm -rf "$profile"
    mkdir -p "$profile"
    LLVM_PROFILE_FILE="$profile/replay.profraw" build/fuzz/fuzz/fuzz_bmp_coverage "${inputs[@]}"
    llvm-profdata merge "$profile/replay.profraw" -o "$profile/replay.profdata"
    llvm-cov report build/fuzz/fuzz/fuzz_bmp_coverage -instr-profile="$profile/replay.profdata" \
        src/game/BmpDecode.cpp
    # Lines never reached, if any, with their numbers.
    llvm-cov show build/fuzz/fuzz/fuzz_bmp_coverage -instr-profile="$profile/replay.profdata" \
        src/game/BmpDecode.cpp | grep -E '^ *[0-9]+\| *0\|' || true
    exit 0
fi
cmake --build --preset fuzz --target fuzz_bmp -j "$(nproc)"
fuzzer=$root/build/fuzz/fuzz/fuzz_bmp

# The sprites are 64 x 64 (12342 bytes); 16 KiB leaves room for larger headers and tables.
options=(-max_len=16384 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
         -artifact_prefix="$root/build/fuzz/")
mkdir -p fuzz/corpus-work

case "$mode" in
    time)
        exec "$fuzzer" "${options[@]}" -max_total_time="$seconds" fuzz/corpus-work fuzz/corpus
        ;;
    runs)
        if [ "$jobs" -le 1 ]; then
            exec "$fuzzer" "${options[@]}" -runs="$runs" fuzz/corpus-work fuzz/corpus
        fi
        # Each job is a separate process that runs -runs executions; libFuzzer starts them and
        # waits for them all, each writing build/fuzz/fuzz-<job>.log.
        rm -f build/fuzz/fuzz-*.log
        status=0
        (cd build/fuzz && exec "$fuzzer" "${options[@]}" -runs=$((runs / jobs)) -jobs="$jobs" \
            -workers="$jobs" "$root/fuzz/corpus-work" "$root/fuzz/corpus") || status=$?
        for log in build/fuzz/fuzz-*.log; do
            echo "== $log"
            grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::|^==[0-9]+==|ERROR|SUMMARY' "$log" || true
        done
        exit "$status"
        ;;
    merge)
        fresh=build/fuzz/corpus-merged
        rm -rf "$fresh"
        mkdir -p "$fresh"
        "$fuzzer" -merge=1 -max_len=16384 -rss_limit_mb=2048 "$fresh" fuzz/corpus fuzz/corpus-work
        rm -rf fuzz/corpus
        cp -r "$fresh" fuzz/corpus
        echo "fuzz/run.sh: fuzz/corpus now holds $(ls fuzz/corpus | wc -l) files," \
            "$(du -sb fuzz/corpus | cut -f1) bytes"
        ;;
esac
