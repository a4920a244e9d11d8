// The table window on large surveys: opening it (model and view over every reading), painting a
// screen of rows somewhere in the table, and the text export. The synthetic surveys have 8
// readings per point; "city" is the simulated drive (20,000 points).
#include "files/FileIo.h"
#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"
#include "table/TableModel.h"
#include "table/gui/TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <cstdio>
#include <filesystem>
#include <random>

namespace {

using namespace plotra;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_table";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

/// A survey of \p readings readings, 8 per point, as a wardriving log of that size would give.
void FillSynthetic(CPlotraDoc& doc, std::size_t readings) {
    Edit::Survey(doc).m_aDataPoints.clear();
    std::mt19937 random(7);
    for (std::size_t n = 0; n < readings / 8; ++n) {
        CDataPoint p;
        p.m_rec.m_nLatMas = static_cast<std::int32_t>(169000000 + random() % 100000);
        p.m_rec.m_nLonMas = static_cast<std::int32_t>(26800000 + random() % 100000);
        p.m_rec.m_byFix = 2;
        for (int k = 0; k < 8; ++k) {
            CHssData r;
            r.m_byChannel = static_cast<std::uint8_t>(1 + random() % 11);
            r.m_nRssi256 = static_cast<std::int16_t>(-256 * static_cast<int>(40 + random() % 50));
            r.m_abyMAC = {2, 0, 0, 0, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(random())};
            std::snprintf(r.m_szSSID.data(), r.m_szSSID.size(), "net-%d", static_cast<int>(random() % 500));
            p.m_aReadings.push_back(r);
        }
        Edit::Survey(doc).m_aDataPoints.push_back(std::move(p));
    }
    Edit::Survey(doc).m_bNoData = 0;
}

/// Opening the table window: the row index and the view's header over every row.
void BM_TableOpen(benchmark::State& state) {
    App();
    gui::GuiSession session;
    FillSynthetic(session.doc(), static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        gui::CTableView view(session);
        view.resize(800, 600);
        benchmark::DoNotOptimize(view.model()->rowCount());
    }
    state.counters["rows"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_TableOpen)->Arg(100000)->Arg(1000000)->Arg(4000000)->Unit(benchmark::kMillisecond);

/// One screen of rows at a random place, painted as the window paints it (every cell formatted).
void BM_TablePaintScreen(benchmark::State& state) {
    App();
    gui::GuiSession session;
    FillSynthetic(session.doc(), static_cast<std::size_t>(state.range(0)));
    gui::CTableView view(session);
    view.resize(800, 600);
    std::mt19937 random(3);
    QImage target(view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.verticalScrollBar()->setValue(
            static_cast<int>(random() % static_cast<unsigned>(view.verticalScrollBar()->maximum())));
        view.viewport()->render(&target);
    }
    state.counters["formatted rows"] = static_cast<double>(view.tableModel().formattedRows());
}
BENCHMARK(BM_TablePaintScreen)->Arg(100000)->Arg(4000000)->Unit(benchmark::kMillisecond);

/// "Save Table As..." of the city drive: rows formatted and written one at a time.
void BM_TableExportCity(benchmark::State& state) {
    static CPlotraDoc doc;
    if (doc.Survey().m_aDataPoints.empty())
        test::ReadGenerated(doc, sim::Generate(*sim::BuiltInScenario("city"), 1));
    const std::string path = (std::filesystem::temp_directory_path() / "bench_table_export.txt").string();
    SilentPrompts prompts;
    const auto rows = CTableRowIndex(doc).RowCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteDocumentTable(doc, path, true, true, '\t', prompts));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
    state.counters["rows"] = static_cast<double>(rows);
    std::filesystem::remove(path);
}
BENCHMARK(BM_TableExportCity)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
