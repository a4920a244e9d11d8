// The client report PDF of the simulated city (every AP with more than 20 points ticked, combined
// coverage calculated): seconds per PDF, and the memory the writing adds on top of the project
// (the process's peak from the start of the write, less what it held before).
#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "report/ClientReport.h"
#include "support/DocFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace plotra;

CPlotraDoc& CityDocument() {
    static CPlotraDoc doc;
    static const bool built = [] {
        test::PlaceGenerated(doc, sim::Generate(*sim::BuiltInScenario("city"), 1));
        const std::size_t ticked = test::ProcessTickAndCover(doc);
        std::fprintf(stderr, "city: %zu APs, %zu ticked, %d x %d nodes\n", doc.Aps().m_aAPs.size(), ticked,
                     doc.Frame().m_nGridCols, doc.Frame().m_nGridRows);
        return true;
    }();
    (void)built;
    return doc;
}

/// A line of /proc/self/status in kB (VmRSS, VmHWM); 0 when it cannot be read.
double StatusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1));
    return 0;
}

void BM_ClientReport_CityPdf(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    const std::string path = (std::filesystem::temp_directory_path() / "plotra-bench-client.pdf").string();
    ClientReportOptions o;
    o.clock = [] { return static_cast<std::time_t>(0); };
    double extraMb = 0, bytes = 0;
    for (auto _ : state) {
        const double before = StatusKb("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the current size
        if (!WriteClientReport(doc, path, o)) state.SkipWithError("the PDF was not written");
        extraMb = std::max(extraMb, (StatusKb("VmHWM") - before) / 1024.0);
        bytes = static_cast<double>(std::filesystem::file_size(path));
    }
    state.counters["peak_extra_MB"] = extraMb;
    state.counters["pdf_MB"] = bytes / (1024.0 * 1024.0);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ClientReport_CityPdf)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
