// The graph window on a city-sized project (200 APs, 20000 path points, a 400 x 400 combined
// coverage with multiple contours, path and legend) at a 1280 x 800 client area, offscreen:
//  - a repaint when nothing changed (the kept picture is shown again: expose, rubber band, bubble);
//  - a frame after the view moved (one scroll line: the renderer composes the picture anew), zoomed
//    in twice, and a new frame of the whole (fitted) frame after a view toggle;
//  - a mouse move (status text), and the hover work of the info window (its text and placement).
#include "capture/gui/LiveSurvey.h"
#include "gui/GuiSession.h"
#include "mapview/DemoDocument.h"
#include "mapview/gui/InfoWnd.h"
#include "mapview/gui/PlotraView.h"
#include "model/EditAccess.h"
#include "model/PointQuery.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using namespace plotra;
using namespace plotra::gui;

constexpr int kWidth = 1280, kHeight = 800;

struct CityWindow {
    GuiSession session;
    std::unique_ptr<CPlotraView> view;
    QImage target{kWidth, kHeight, QImage::Format_RGB32};

    CityWindow() {
        const auto start = std::chrono::steady_clock::now();
        test::DemoOptions o;
        o.scenario = "city";
        o.seed = 3;
        o.coveragePoints = 12;     // the interpolation input only; the pictures keep their size
        o.resolutionDivisor = 400; // 400 x 400 nodes
        CPlotraDoc& doc = session.doc();
        test::BuildDemoDocument(doc, o);
        Edit::Display(doc).m_bCoveragePlotted = 1, Edit::Display(doc).m_bCombined = 1,
        Edit::Display(doc).m_bMultiContours = 1, Edit::Display(doc).m_bShowContour = 0;
        Edit::Display(doc).m_bShowCellRadius = 0,
        Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower),
        Edit::Display(doc).m_bShowLegend = 1, Edit::Display(doc).m_bShowPath = 1;
        doc.Notify(DocChange::Everything);
        view = std::make_unique<CPlotraView>(session);
        // Shown on the offscreen platform, so that the layout follows the resizes at once.
        view->show();
        QApplication::processEvents();
        view->resize(kWidth, kHeight);
        view->runCommand(kCmdInfoWindow);
        // Zoomed in twice about the centre, so that both scroll bars move the view.
        for (int i = 0; i < 2; ++i)
            session.view().Zoom(true, kWidth / 2, kHeight / 2, kWidth, kHeight, doc.Prompts());
        session.notifyViewChanged();
        view->resize(view->size() + (QSize(kWidth, kHeight) - view->viewport()->size()));
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(
            stderr,
            "city window: %zu APs, %zu path points, %d x %d nodes, client %d x %d (built in %.1f s)\n",
            doc.Aps().m_aAPs.size(), doc.Path().m_aPoints.size(), doc.Frame().m_nGridCols,
            doc.Frame().m_nGridRows, view->viewport()->width(), view->viewport()->height(), s);
    }

    // The widget's own paint event, drawn into an offscreen picture.
    void Paint() { view->viewport()->render(&target); }
};

// Made on first use and gone before the application object is.
std::unique_ptr<CityWindow> g_window;

CityWindow& Window() {
    if (!g_window) g_window = std::make_unique<CityWindow>();
    return *g_window;
}

void BM_GraphView_RepaintUnchanged(benchmark::State& state) {
    CityWindow& w = Window();
    w.Paint();
    for (auto _ : state) {
        w.Paint();
        benchmark::DoNotOptimize(w.target.constBits());
    }
}
BENCHMARK(BM_GraphView_RepaintUnchanged)->Unit(benchmark::kMillisecond);

void BM_GraphView_FrameAfterScroll(benchmark::State& state) {
    CityWindow& w = Window();
    QScrollBar* bar = w.view->verticalScrollBar();
    bool down = true;
    for (auto _ : state) {
        bar->triggerAction(down ? QAbstractSlider::SliderSingleStepAdd
                                : QAbstractSlider::SliderSingleStepSub);
        down = !down;
        w.Paint();
        benchmark::DoNotOptimize(w.target.constBits());
    }
}
BENCHMARK(BM_GraphView_FrameAfterScroll)->Unit(benchmark::kMillisecond);

void BM_GraphView_FrameWholeFrame(benchmark::State& state) {
    CityWindow& w = Window();
    w.view->runCommand(kCmdFitWindow);
    for (auto _ : state) {
        // The compass on and off: a view toggle, so a new picture of the whole frame every time.
        w.view->runCommand(kCmdShowDirections);
        w.Paint();
        benchmark::DoNotOptimize(w.target.constBits());
    }
    // Back to the zoomed view of the other frames.
    for (int i = 0; i < 2; ++i)
        w.session.view().Zoom(true, kWidth / 2, kHeight / 2, kWidth, kHeight, w.session.doc().Prompts());
    w.session.notifyViewChanged();
}
BENCHMARK(BM_GraphView_FrameWholeFrame)->Unit(benchmark::kMillisecond);

void BM_GraphView_MouseMove(benchmark::State& state) {
    CityWindow& w = Window();
    int i = 0;
    for (auto _ : state) {
        const QPointF pos(100 + (i * 37) % 1000, 80 + (i * 53) % 600);
        ++i;
        QMouseEvent move(QEvent::MouseMove, pos, w.view->viewport()->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.view->viewport(), &move);
    }
}
BENCHMARK(BM_GraphView_MouseMove)->Unit(benchmark::kMicrosecond);

void BM_GraphView_HoverInfo(benchmark::State& state) {
    CityWindow& w = Window();
    const CPlotraDoc& doc = w.session.doc();
    int i = 0;
    for (auto _ : state) {
        const int x = 100 + (i * 37) % 1000, y = 80 + (i * 53) % 600;
        ++i;
        const QSize size = w.view->infoWindow()->setText(
            QString::fromStdString(InfoText(doc, w.session.view(), x, y, kWidth, kHeight)));
        benchmark::DoNotOptimize(PlaceInfo(x, y, size.width(), size.height(), kWidth, kHeight));
    }
}
BENCHMARK(BM_GraphView_HoverInfo)->Unit(benchmark::kMicrosecond);

// A survey being made over the city project: every iteration appends one point to a walk of 20000
// and repaints the window, which shows the kept picture with the walk drawn over it. The frame
// budget is 16 ms.
void BM_GraphView_RepaintAfterAppendedPoint(benchmark::State& state) {
    CityWindow& w = Window();
    CPlotraDoc& doc = w.session.doc();
    // A walk of 20000 fixes up and down the streets of a square kilometre (no map: the walk is fitted
    // into the window, which is the more work of the two: its extent is found on every repaint).
    LiveTrack track;
    for (int i = 0; i < 20000; ++i) {
        const double street = (i / 1000) * 0.0005, along = (i % 1000) * 0.000009;
        track.points.push_back({47.0 + ((i / 1000) % 2 ? 0.009 - along : along), 7.4 + street, 2});
    }
    const std::size_t walk = track.points.size();
    LiveTrackPainter drawer;
    w.session.setGraphOverlay([&](QPainter& painter, const PixelMapping& m, const QSize& size) {
        drawer.Paint(painter, doc, m, size, track);
    });
    w.Paint();
    std::size_t next = 0;
    for (auto _ : state) {
        track.points.push_back(track.points[next++ % walk]);
        w.session.notifyOverlayChanged();
        w.Paint();
    }
    state.counters["walk_points"] = static_cast<double>(track.points.size());
    w.session.setGraphOverlay({});
}
BENCHMARK(BM_GraphView_RepaintAfterAppendedPoint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
