// Coverage calculation on the simulated city at 400 x 400 nodes over every AP with more than 20
// points: the indexed, threaded production loop against the straightforward oracle, whose per-node
// cost is measured on a sub-grid of columns.
#include "analysis/Coverage.h"
#include "analysis/CoverageOracle.h"
#include "analysis/Processing.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"

#include <benchmark/benchmark.h>

namespace {

const plotra::CoverageSnapshot& CitySnapshot() {
    static const plotra::CoverageSnapshot snapshot = [] {
        plotra::CPlotraDoc doc;
        plotra::test::PlaceGenerated(doc, plotra::sim::Generate(*plotra::sim::BuiltInScenario("city"), 1));
        plotra::ProcessData(doc);
        for (auto& ap : plotra::Edit::Aps(doc).m_aAPs)
            ap.m_bSelected = ap.m_aApPoints.size() > 20 ? 1 : 0;
        plotra::Edit::Frame(doc).m_dResolutionX = plotra::Edit::Frame(doc).m_dResolutionY =
            1e-6; // clamps to 400 x 400 nodes
        return *plotra::PrepareCoverage(doc, doc.ProgressSink());
    }();
    return snapshot;
}

void BM_Coverage_City400_Production(benchmark::State& state) {
    const auto& s = CitySnapshot();
    plotra::Progress progress;
    for (auto _ : state) {
        auto r = plotra::RunCoverage(s, progress, static_cast<unsigned>(state.range(0)));
        benchmark::DoNotOptimize(r.power.data());
    }
    state.counters["nodes"] = static_cast<double>(s.cols) * s.rows;
    state.counters["us_per_node"] = benchmark::Counter(static_cast<double>(s.cols) * s.rows,
                                                       benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Coverage_City400_Production)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Coverage_City400_OracleSubGrid(benchmark::State& state) {
    const auto& s = CitySnapshot();
    const std::size_t step = 100; // four columns of 400 nodes
    for (auto _ : state) {
        auto g = plotra::test::CoverageOracle(s, 13, step);
        benchmark::DoNotOptimize(g.power.data());
    }
    const double nodes = static_cast<double>((s.cols - 13 + step - 1) / step) * s.rows;
    state.counters["nodes"] = nodes;
    state.counters["us_per_node"] = benchmark::Counter(nodes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Coverage_City400_OracleSubGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
