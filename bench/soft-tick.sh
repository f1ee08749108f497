#!/usr/bin/env bash
# One tick of the scene with the working precision in software against the x87's, side by side:
# particles_bench's BM_SceneTick from the default preset (long double on the x87) and from the
# soft preset (SoftReal), run in turns, the median of each, and their ratio. x86 only.
#   bench/soft-tick.sh [REPETITIONS]      (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-5}

for preset in default soft; do
    cmake --preset "$preset" -DPARTICLES_BUILD_BENCH=ON >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" --target particles_bench >/dev/null
done

# The median CPU time of every BM_SceneTick argument, one "ARG MICROSECONDS" line each.
medians() {
    "build/$1/bench/particles_bench" --benchmark_filter='BM_SceneTick/' \
        --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_time_unit=us 2>/dev/null |
        awk '$1 ~ /^BM_SceneTick\/[0-9]+_median$/ {
                 split($1, name, "[/_]"); print name[3], $4 }'
}

echo "== machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
x87=$(medians default)
soft=$(medians soft)
printf '%-14s %12s %12s %8s\n' "frame step" "x87 (us)" "soft (us)" "ratio"
join <(sort <<<"$x87") <(sort <<<"$soft") | sort -n -r |
    awk '{ printf "%-14s %12.1f %12.1f %7.1fx\n", $1 " ms", $2, $3, $3 / $2 }'
