// Reading survey data files: throughput of ReadSurveyFile on the simulated city drive.
#include "files/SurveyFile.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"

#include <benchmark/benchmark.h>

namespace {

const std::vector<std::uint8_t>& CityFile() {
    static const std::vector<std::uint8_t> bytes = [] {
        const auto survey = plotra::sim::Generate(*plotra::sim::BuiltInScenario("city"), 1);
        return plotra::EncodeSurveyFile(survey.files.front().image);
    }();
    return bytes;
}

void BM_ReadSurveyFile_City(benchmark::State& state) {
    const auto& bytes = CityFile();
    for (auto _ : state) {
        plotra::CPlotraDoc doc;
        const bool ok = doc.ReadSurveyFile(bytes);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(doc.Survey().m_aDataPoints.ReadingCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_ReadSurveyFile_City)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
