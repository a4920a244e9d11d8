// Painting the graph: milliseconds per 800 x 500 picture of a city-sized project (200 APs with
// 50 x 50 grids and pictures, 20000 path points, a 400 x 400 combined coverage with its contours).
#include "mapview/DemoDocument.h"
#include "mapview/GraphRenderer.h"
#include "mapview/PlainShapes.h"
#include "mapview/Shapes.h"
#include "model/EditAccess.h"
#include "model/ViewState.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

using namespace plotra;

CPlotraDoc& CityDocument() {
    static CPlotraDoc doc;
    static const bool built = [] {
        const auto start = std::chrono::steady_clock::now();
        test::DemoOptions o;
        o.scenario = "city";
        o.seed = 3;
        o.coveragePoints = 12;     // the interpolation input only; the pictures keep their size
        o.resolutionDivisor = 400; // 400 x 400 nodes
        test::BuildDemoDocument(doc, o);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::size_t areas = 0, lines = 0;
        for (const auto& c : doc.Coverage().m_aContours)
            areas += c.m_aLevelAreas.size(), lines += c.m_aLines.size();
        std::fprintf(stderr,
                     "city document: %zu APs, %zu path points, %d x %d nodes, %zu contour pieces, %zu "
                     "segments (built in %.1f s)\n",
                     doc.Aps().m_aAPs.size(), doc.Path().m_aPoints.size(), doc.Frame().m_nGridCols,
                     doc.Frame().m_nGridRows, areas, lines, s);
        return true;
    }();
    (void)built;
    return doc;
}

void Run(benchmark::State& state, CPlotraDoc& doc, const ViewState& view) {
    for (auto _ : state) {
        QImage picture = RenderGraph(doc, view, 800, 500);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_Render_CombinedPowerMultiContours(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    Edit::Display(doc).m_bCoveragePlotted = 1, Edit::Display(doc).m_bCombined = 1,
    Edit::Display(doc).m_bMultiContours = 1, Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bShowCellRadius = 0,
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower),
    Edit::Display(doc).m_bShowLegend = 1;
    ViewState view;
    Run(state, doc, view);
}
BENCHMARK(BM_Render_CombinedPowerMultiContours)->Unit(benchmark::kMillisecond);

void BM_Render_CombinedPowerPlain(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    Edit::Display(doc).m_bCoveragePlotted = 1, Edit::Display(doc).m_bCombined = 1,
    Edit::Display(doc).m_bMultiContours = 0, Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bShowCellRadius = 0,
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower),
    Edit::Display(doc).m_bShowLegend = 1;
    ViewState view;
    Run(state, doc, view);
}
BENCHMARK(BM_Render_CombinedPowerPlain)->Unit(benchmark::kMillisecond);

void BM_Render_PerApOverlays(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    Edit::Display(doc).m_bCoveragePlotted = 1, Edit::Display(doc).m_bCombined = 0,
    Edit::Display(doc).m_bMultiContours = 0, Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bShowCellRadius = 0,
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    ViewState view;
    Run(state, doc, view);
}
BENCHMARK(BM_Render_PerApOverlays)->Unit(benchmark::kMillisecond);

void BM_Render_CellRadiusDegrees(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    Edit::Display(doc).m_bCoveragePlotted = 0, Edit::Display(doc).m_bCombined = 0,
    Edit::Display(doc).m_bMultiContours = 0, Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bShowCellRadius = 1,
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    ViewState view;
    Run(state, doc, view);
}
BENCHMARK(BM_Render_CellRadiusDegrees)->Unit(benchmark::kMillisecond);

void BM_Render_NumberOfApsAreas(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    Edit::Display(doc).m_bCoveragePlotted = 1, Edit::Display(doc).m_bCombined = 1,
    Edit::Display(doc).m_bMultiContours = 1, Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bShowCellRadius = 0,
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::ApCount);
    ViewState view;
    Run(state, doc, view);
}
BENCHMARK(BM_Render_NumberOfApsAreas)->Unit(benchmark::kMillisecond);

// The batched shapes against one QPainter call per shape, on the city's power contour pieces and its
// path circles: the ratio of the two is the gain of the batching.
const ContourLayerSet& PowerContours() {
    return CityDocument().Coverage().m_aContours[FactsOf(GraphKind::SignalPower).contourSet];
}

PixelMapping CityMapping() {
    ViewState view;
    return view.Mapping(CityDocument(), 800, 500);
}

void BM_Shapes_ContourPieces_Batched(benchmark::State& state) {
    const auto& set = PowerContours();
    const PixelMapping m = CityMapping();
    QImage image(800, 500, QImage::Format_RGB32);
    for (auto _ : state)
        FillContourPieces(image, m, set.m_aLevelAreas.data(), set.m_aLevelAreas.size(), QColor(10, 200, 30));
    state.counters["pieces"] = static_cast<double>(set.m_aLevelAreas.size());
}
BENCHMARK(BM_Shapes_ContourPieces_Batched)->Unit(benchmark::kMillisecond);

void BM_Shapes_ContourPieces_Plain(benchmark::State& state) {
    const auto& set = PowerContours();
    const PixelMapping m = CityMapping();
    QImage image(800, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        test::PlainContourPieces(p, m, set.m_aLevelAreas.data(), set.m_aLevelAreas.size(),
                                 QColor(10, 200, 30));
    }
}
BENCHMARK(BM_Shapes_ContourPieces_Plain)->Unit(benchmark::kMillisecond);

std::vector<QPoint> PathPixels() {
    const PixelMapping m = CityMapping();
    std::vector<QPoint> out;
    for (const CData& p : CityDocument().Path().m_aPoints)
        out.emplace_back(m.Px(p.m_dX), m.Py(p.m_dY));
    return out;
}

void BM_Shapes_PathCircles_Batched(benchmark::State& state) {
    const auto centres = PathPixels();
    QImage image(800, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setPen(QPen(Qt::blue, 1));
        p.setBrush(Qt::white);
        DrawDiscs(p, centres, 2);
    }
    state.counters["circles"] = static_cast<double>(centres.size());
}
BENCHMARK(BM_Shapes_PathCircles_Batched)->Unit(benchmark::kMillisecond);

void BM_Shapes_PathCircles_Plain(benchmark::State& state) {
    const auto centres = PathPixels();
    QImage image(800, 500, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setPen(QPen(Qt::blue, 1));
        p.setBrush(Qt::white);
        test::PlainDiscs(p, centres, 2);
    }
}
BENCHMARK(BM_Shapes_PathCircles_Plain)->Unit(benchmark::kMillisecond);

void BM_Render_ReportPicture(benchmark::State& state) {
    CPlotraDoc& doc = CityDocument();
    ReportSwitches s;
    s.coverage = true;
    s.contourLevels = true;
    for (auto _ : state) {
        QImage picture = RenderReportPicture(doc, GraphKind::SignalPower, s);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_Render_ReportPicture)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
