// The long run of the differential test: SoftReal against the x87 on every operation the
// program performs, over as many generated cases as the argument says (tests/core runs a short
// one). A difference stops the run with the operation and its operands.
#include <cinttypes>
#include <cstdio>

#include <benchmark/benchmark.h>

#include "RealCheck.h"
#include "real/FloatEnv.h"

namespace {

void BM_AgreesWithTheX87(benchmark::State& state) {
    SetFloatEnvironment();
    const auto cases = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t compared = 0;
    for (auto _ : state) {
        // Another seed than the unit test's, so that the long run covers new cases.
        realcheck::Generator generator(0x5EED0000u + compared);
        std::uint64_t hardware[realcheck::ResultCount], software[realcheck::ResultCount];
        for (std::uint64_t i = 0; i < cases; ++i) {
            const realcheck::Case c = generator.NextCase();
            realcheck::Evaluate<long double>(c, hardware);
            realcheck::Evaluate<SoftReal>(c, software);
            for (int k = 0; k < realcheck::ResultCount; ++k) {
                if (software[k] != hardware[k]) {
                    char what[256];
                    std::snprintf(what, sizeof what,
                                  "%s differs in case %" PRIu64 ": a %04x:%016" PRIx64
                                  ", b %04x:%016" PRIx64 ", float %08x, double %016" PRIx64
                                  ", int64 %" PRId64,
                                  realcheck::ResultNames[k], i, c.A.SignExponent, c.A.Significand,
                                  c.B.SignExponent, c.B.Significand, c.Float, c.Double, c.Int64);
                    state.SkipWithError(what);
                    return;
                }
            }
        }
        compared += cases;
    }
    state.counters["operations"] =
        static_cast<double>(compared) * static_cast<double>(realcheck::OperationsPerCase);
    state.counters["cases"] = static_cast<double>(compared);
}

} // namespace

#if REALCHECK_HAVE_X87
BENCHMARK(BM_AgreesWithTheX87)
    ->Arg(1000000)
    ->Arg(100000000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
#endif
