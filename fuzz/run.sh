#!/usr/bin/env bash
# Builds the fuzz preset and fuzzes the bitmap decoder for SECONDS seconds (default 30).
#   fuzz/run.sh [SECONDS]
# New inputs go to fuzz/corpus-work (not committed); the seeds in fuzz/corpus are only read.
# A crash leaves its input as crash-* in the current directory and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_bmp -j2

mkdir -p fuzz/corpus-work
exec build/fuzz/fuzz/fuzz_bmp -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 \
    -print_final_stats=1 fuzz/corpus-work fuzz/corpus
