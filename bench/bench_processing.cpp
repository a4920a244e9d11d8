// Data processing on the simulated city drive: the production ProcessData against the step-by-step
// oracle. The oracle is measured on every 20th AP and its time is scaled to all APs per processed AP.
// Counters: ms per processed AP for each, and the ratio oracle/production.
#include "analysis/Log10Batch.h"
#include "analysis/ProcessDataOracle.h"
#include "analysis/Processing.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"
#include "support/Accuracy.h"
#include "support/DocFixtures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace plotra;

const sim::GeneratedSurvey& City() {
    static const sim::GeneratedSurvey survey = sim::Generate(*sim::BuiltInScenario("city"), 1);
    return survey;
}

std::size_t ProcessedAps(const CPlotraDoc& doc) {
    std::size_t k = 0;
    for (const auto& ap : doc.Aps().m_aAPs)
        k += ap.m_aGrid.empty() ? 0 : 1;
    return k;
}

double g_productionMsPerAp = 0.0;
double g_oracleMsPerAp = 0.0;

void BM_ProcessData_City(benchmark::State& state) {
    std::unique_ptr<CPlotraDoc> doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc = std::make_unique<CPlotraDoc>();
        test::PlaceGenerated(*doc, City());
        state.ResumeTiming();
        ProcessData(*doc, ProcessingOptions{static_cast<unsigned>(state.range(0))});
    }
    const auto accuracy = test::PositionAccuracy(*doc, City());
    state.counters["aps"] = static_cast<double>(ProcessedAps(*doc));
    state.counters["median_error_m"] = accuracy.median;
    state.counters["p90_error_m"] = accuracy.p90;
}
BENCHMARK(BM_ProcessData_City)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Production and oracle on the same subset of APs, one run each, and the ratio per processed AP.
void BM_ProcessData_City_VersusOracle(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        CPlotraDoc prod, oracle;
        test::PlaceGenerated(prod, City());
        test::PlaceGenerated(oracle, City());
        test::KeepEveryNthAp(prod, 20);
        test::KeepEveryNthAp(oracle, 20);
        const auto t0 = Clock::now();
        ProcessData(prod, ProcessingOptions{1});
        const auto t1 = Clock::now();
        test::ProcessDataOracle(oracle);
        const auto t2 = Clock::now();
        const double aps = static_cast<double>(ProcessedAps(prod));
        g_productionMsPerAp = std::chrono::duration<double, std::milli>(t1 - t0).count() / aps;
        g_oracleMsPerAp = std::chrono::duration<double, std::milli>(t2 - t1).count() / aps;
        state.counters["aps"] = aps;
    }
    state.counters["oracle_ms_per_ap"] = g_oracleMsPerAp;
    state.counters["production_1thread_ms_per_ap"] = g_productionMsPerAp;
    state.counters["ratio_1thread"] = g_oracleMsPerAp / g_productionMsPerAp;
}
BENCHMARK(BM_ProcessData_City_VersusOracle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The batch logarithm against the library's, on distances as the fits take them (metres to
// kilometres): ns per value for each and their ratio (the values are the same to the bit).
void BM_Log10Batch_VersusLibrary(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> in(4096), out(in.size());
    std::uint64_t x = 88172645463325252u;
    for (double& d : in) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        d = 1.0 + static_cast<double>(x >> 11) * 0x1p-53 * 3000.0;
    }
    double batchNs = 0.0, libraryNs = 0.0, sink = 0.0;
    for (auto _ : state) {
        constexpr int kRounds = 2000;
        const auto t0 = Clock::now();
        for (int r = 0; r < kRounds; ++r) {
            Log10Batch(in.data(), out.data(), in.size());
            sink += out[static_cast<std::size_t>(r) % out.size()];
        }
        const auto t1 = Clock::now();
        for (int r = 0; r < kRounds; ++r) {
            for (std::size_t i = 0; i < in.size(); ++i)
                out[i] = std::log10(in[i]);
            sink += out[static_cast<std::size_t>(r) % out.size()];
        }
        const auto t2 = Clock::now();
        const double values = static_cast<double>(kRounds) * static_cast<double>(in.size());
        batchNs = std::chrono::duration<double, std::nano>(t1 - t0).count() / values;
        libraryNs = std::chrono::duration<double, std::nano>(t2 - t1).count() / values;
    }
    benchmark::DoNotOptimize(sink);
    state.counters["batch_ns_per_value"] = batchNs;
    state.counters["library_ns_per_value"] = libraryNs;
    state.counters["ratio"] = libraryNs / batchNs;
    state.counters["fast_path"] = Log10BatchIsFast() ? 1.0 : 0.0;
}
BENCHMARK(BM_Log10Batch_VersusLibrary)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
