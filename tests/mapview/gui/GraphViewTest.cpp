// The graph window: its commands and their enable rules, zoom by mouse clicks and the wheel, the
// scroll bars, the fit commands, the kept picture and the legend, the status text and the info window.
#include "mapview/gui/GraphViewFixture.h"

#include "mapview/GraphRenderer.h"
#include "mapview/Legend.h"
#include "mapview/gui/InfoWnd.h"
#include "mapview/gui/LegendWnd.h"
#include "model/EditAccess.h"
#include "model/PointQuery.h"
#include "support/DocFixtures.h"
#include "support/Fixtures.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

QPoint Centre(const GraphWindow& w) {
    return QPoint(w.area()->width() / 2, w.area()->height() / 2);
}

} // namespace

TEST(GraphViewCommands, EnableAndCheckRulesFollowDataMapAndModes) {
    GraphWindow w;
    const int graphCommands[] = {kCmdRuler,      kCmdZoomIn,         kCmdZoomOut,    kCmdFitWindow,
                                 kCmdFitMapPath, kCmdShowDirections, kCmdInfoWindow, kCmdShowLegend,
                                 kCmdMoveAp,     kCmdCreateKml};
    for (int id : graphCommands)
        EXPECT_TRUE(w.view->handlesCommand(id)) << id;
    for (int id : {kCmdShowMap, kCmdSaveGraphImage, kCmdPrint, kCmdPrintPreview})
        EXPECT_TRUE(w.view->handlesCommand(id)) << id;
    for (int id : {kCmdCreateReport, kCmdLoadMap, kCmdTableWindow, kCmdPrintSetup})
        EXPECT_FALSE(w.view->handlesCommand(id)) << id;

    // Without data: every command of the graph is off; the framework's ones stay on.
    for (int id : graphCommands)
        EXPECT_FALSE(w.State(id).enabled) << id;
    EXPECT_FALSE(w.State(kCmdShowMap).enabled);
    for (int id : {kCmdSaveGraphImage, kCmdPrint, kCmdPrintPreview})
        EXPECT_TRUE(w.State(id).enabled) << id;
    // The ruler answers itself; the zoom does nothing.
    w.view->runCommand(kCmdRuler);
    w.view->runCommand(kCmdZoomIn);
    EXPECT_FALSE(w.view_().m_bRuler);
    EXPECT_FALSE(w.view_().m_bZoomIn);
    ASSERT_EQ(w.prompts.prompts.size(), 1u);
    EXPECT_EQ(w.prompts.prompts[0].text, "Please Input the Data File!");
    EXPECT_EQ(w.prompts.prompts[0].caption, "No Data");
    EXPECT_EQ(w.prompts.prompts[0].icon, PromptIcon::Information);

    BuildDemo(w.doc(), false, true);
    w.Changed();
    for (int id : graphCommands)
        EXPECT_TRUE(w.State(id).enabled) << id;
    EXPECT_TRUE(w.State(kCmdShowMap).enabled); // a map is loaded

    // The four mouse modes: at most one on, each command toggles its own and clears the others.
    const int changes = w.viewChanges;
    w.view->runCommand(kCmdRuler);
    EXPECT_TRUE(w.State(kCmdRuler).checked);
    w.view->runCommand(kCmdZoomIn);
    EXPECT_TRUE(w.State(kCmdZoomIn).checked);
    EXPECT_FALSE(w.State(kCmdRuler).checked);
    EXPECT_EQ(w.area()->cursor().shape(), Qt::BitmapCursor);
    w.view->runCommand(kCmdZoomOut);
    EXPECT_TRUE(w.State(kCmdZoomOut).checked);
    EXPECT_FALSE(w.State(kCmdZoomIn).checked);
    w.view->runCommand(kCmdMoveAp);
    EXPECT_TRUE(w.State(kCmdMoveAp).checked);
    EXPECT_FALSE(w.State(kCmdZoomOut).checked);
    EXPECT_EQ(w.area()->cursor().shape(), Qt::ArrowCursor);
    w.view->runCommand(kCmdMoveAp);
    EXPECT_FALSE(w.view_().m_bMoveAP);
    EXPECT_GE(w.viewChanges - changes, 5) << "the toolbar hears of every mode change";
    // Move Access Point needs the markers; its check mark shows only with them.
    w.doc().SetDisplayFlag(DisplayFlag::ApMarkers, false);
    w.view->runCommand(kCmdMoveAp);
    EXPECT_FALSE(w.view_().m_bMoveAP);
    w.doc().SetDisplayFlag(DisplayFlag::ApMarkers, true);
    w.view->runCommand(kCmdMoveAp);
    EXPECT_TRUE(w.State(kCmdMoveAp).checked);
    Edit::Display(w.doc()).m_bShowApMarkers = 0;
    EXPECT_FALSE(w.State(kCmdMoveAp).checked);
    Edit::Display(w.doc()).m_bShowApMarkers = 1;
    w.view->runCommand(kCmdMoveAp);

    // The toggles.
    w.view->runCommand(kCmdInfoWindow);
    EXPECT_TRUE(w.State(kCmdInfoWindow).checked);
    w.view->runCommand(kCmdShowDirections);
    EXPECT_TRUE(w.State(kCmdShowDirections).checked);
    w.view->runCommand(kCmdShowLegend);
    EXPECT_TRUE(w.State(kCmdShowLegend).checked);
    EXPECT_EQ(w.doc().Display().m_bShowLegend, 1);

    // The map: shown, the frame recomputed for the selected APs with the map; the KML needs it hidden.
    EXPECT_TRUE(w.State(kCmdCreateKml).enabled);
    w.view->runCommand(kCmdShowMap);
    EXPECT_TRUE(w.State(kCmdShowMap).checked);
    EXPECT_FALSE(w.State(kCmdCreateKml).enabled);
    const ExtentRects expected = w.doc().ExtentFor(800, 500, 0, true);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameOriginX, expected.frame.originX);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameSpanY, expected.frame.spanY);
    w.view->runCommand(kCmdShowMap);
    EXPECT_FALSE(w.State(kCmdShowMap).checked);
    EXPECT_TRUE(w.State(kCmdCreateKml).enabled);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameSpanX, w.doc().ExtentFor(800, 500, 0, false).frame.spanX);
    EXPECT_EQ(w.prompts.prompts.size(), 1u);
}

TEST(GraphViewZoom, ClicksStepInAndOutWithinTheLimitsAndRefuseOutsideTheWindow) {
    GraphWindow w;
    BuildDemo(w.doc(), false);
    w.Changed();
    const QImage whole = w.view->picture();
    w.view->runCommand(kCmdZoomIn);
    EXPECT_FALSE(w.view->verticalScrollBar()->isVisibleTo(w.view.get()));
    for (int i = 1; i <= 11; ++i) {
        w.Click(Centre(w));
        EXPECT_NEAR(w.view_().m_dViewWidth, std::pow(0.8, i), 1e-12) << i;
        EXPECT_TRUE(w.view->verticalScrollBar()->isVisibleTo(w.view.get())) << i;
        EXPECT_TRUE(w.view->horizontalScrollBar()->isVisibleTo(w.view.get())) << i;
        EXPECT_EQ(w.view->horizontalScrollBar()->value(), w.view_().m_nHScrollPos);
        EXPECT_EQ(w.view->verticalScrollBar()->value(), w.view_().m_nVScrollPos);
    }
    EXPECT_NE(w.view->picture().cacheKey(), whole.cacheKey());
    // The twelfth click returns to the whole frame; the bars go.
    w.Click(Centre(w));
    EXPECT_EQ(w.view_().m_dViewXMin, 0.0);
    EXPECT_EQ(w.view_().m_dViewYMax, 1.0);
    EXPECT_FALSE(w.view->verticalScrollBar()->isVisibleTo(w.view.get()));
    EXPECT_EQ(w.area()->size(), QSize(800, 500));
    EXPECT_TRUE(w.view_().m_bZoomIn) << "the zoom mode stays on";

    // A click at the right edge keeps the right edge of the window.
    w.Click(QPoint(799, 250));
    EXPECT_DOUBLE_EQ(w.view_().m_dViewXMax, 1.0);
    EXPECT_NEAR(w.view_().m_dViewXMin, 0.2, 1e-12);

    // Zooming out stops at the bounds; the step after them returns to the whole frame.
    w.view->runCommand(kCmdZoomOut);
    for (int i = 0; i < 9 && w.view_().m_dViewWidth < 5.8; ++i)
        w.Click(Centre(w));
    // Held at the bounds (a window wider than both keeps the upper one).
    EXPECT_GE(w.view_().m_dViewXMin, ViewState::kZoomOutLow - 1e-3);
    EXPECT_GE(w.view_().m_dViewYMin, ViewState::kZoomOutLow - 1e-3);
    EXPECT_LE(w.view_().m_dViewXMax, ViewState::kZoomOutHigh);
    EXPECT_GE(w.view_().m_dViewWidth, 5.8);
    w.Click(Centre(w));
    EXPECT_EQ(w.view_().m_dViewWidth, 1.0);

    // Outside the window: refused, nothing changes.
    w.Press(QPoint(100, 100));
    w.Release(QPoint(850, 100));
    w.Click(QPoint(-1, 10));
    EXPECT_EQ(w.view_().m_dViewWidth, 1.0);
    ASSERT_EQ(w.prompts.prompts.size(), 2u);
    EXPECT_EQ(w.Messages()[0], "Invalid Point: The Point Is Out of View!");
    EXPECT_EQ(w.prompts.prompts[1].icon, PromptIcon::Stop);
}

TEST(GraphViewScroll, BarsAndWheelMoveTheWindowByTheViewSteps) {
    GraphWindow w;
    BuildDemo(w.doc(), false);
    w.Changed();
    w.view->runCommand(kCmdZoomIn);
    w.Click(QPoint(0, 0));
    w.Click(Centre(w));
    w.view->runCommand(kCmdZoomIn); // off again: clicks do nothing now
    QScrollBar* h = w.view->horizontalScrollBar();
    QScrollBar* v = w.view->verticalScrollBar();
    ViewState& s = w.view_();
    const QSize client = w.area()->size();
    const QFontMetrics fm(w.view->font());
    const ScrollSteps hs = s.StepsFor(ScrollAxis::Horizontal, client.width(), fm.horizontalAdvance('X'));
    const ScrollSteps vs = s.StepsFor(ScrollAxis::Vertical, client.height(), fm.height());
    EXPECT_EQ(h->singleStep(), hs.line);
    EXPECT_EQ(h->pageStep(), hs.page);

    const int start = s.m_nHScrollPos;
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.m_nHScrollPos, std::min(1000, start + hs.line));
    EXPECT_EQ(h->value(), s.m_nHScrollPos);
    EXPECT_DOUBLE_EQ(s.m_dViewXMin, (1 - s.m_dViewWidth) * s.m_nHScrollPos / 1000.0);
    h->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(s.m_nHScrollPos, std::max(0, std::min(1000, start + hs.line) - hs.page));
    h->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(s.m_dViewXMin, 0.0);
    h->setSliderPosition(437); // dragging the thumb
    EXPECT_EQ(s.m_nHScrollPos, 437);
    EXPECT_DOUBLE_EQ(s.m_dViewXMin, (1 - s.m_dViewWidth) * 0.437);

    // Vertical: 0 shows the top of the frame, 1000 the bottom.
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(s.m_nVScrollPos, 0);
    EXPECT_DOUBLE_EQ(s.m_dViewYMax, 1.0);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.m_nVScrollPos, std::min(1000, vs.page));
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(s.m_dViewYMin, 0.0);
    const QImage bottom = w.view->picture();

    // The wheel: a notch towards the user scrolls down by the system's lines, away from him up.
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    w.Wheel(Centre(w), -120);
    EXPECT_EQ(s.m_nVScrollPos, std::min(1000, vs.line * QApplication::wheelScrollLines()));
    EXPECT_EQ(v->value(), s.m_nVScrollPos);
    w.Wheel(Centre(w), 120);
    EXPECT_EQ(s.m_nVScrollPos, 0);
    EXPECT_NE(w.view->picture().cacheKey(), bottom.cacheKey());

    // Ctrl + wheel zooms about the mouse: the model point under it stays.
    const PixelMapping before = w.view->mapping();
    const QPoint at(200, 150);
    w.Wheel(at, 120, Qt::ControlModifier);
    EXPECT_NEAR(s.m_dViewWidth, 0.8 * 0.8 * 0.8, 1e-12);
    const PixelMapping after = w.view->mapping();
    const double spanX = w.doc().Frame().m_dFrameSpanX, spanY = w.doc().Frame().m_dFrameSpanY;
    EXPECT_NEAR(after.ModelX(at.x()), before.ModelX(at.x()), spanX * 1e-9);
    EXPECT_NEAR(after.ModelY(at.y()), before.ModelY(at.y()), spanY * 1e-9);
    w.Wheel(at, -240, Qt::ControlModifier);
    EXPECT_NEAR(s.m_dViewWidth, 0.8 * 0.8 * 0.8 * 1.25 * 1.25, 1e-12);
}

// Ctrl + wheel stops at the zoom limits instead of jumping back to the whole frame: further notches
// do nothing (not even a repaint), and on the way in the model point under the mouse stays under it,
// also on the first notch, where the scroll bars appear and take some of the area.
TEST(GraphViewZoom, CtrlWheelStopsAtItsLimitsWithThePointUnderTheMouse) {
    GraphWindow w;
    BuildDemo(w.doc(), false);
    w.Changed();
    ViewState& s = w.view_();
    const QPoint at(600, 120);
    const double spanX = w.doc().Frame().m_dFrameSpanX, spanY = w.doc().Frame().m_dFrameSpanY;
    int steps = 0;
    while (s.m_dViewWidth >= 0.1 && steps < 20) {
        const PixelMapping before = w.view->mapping();
        w.Wheel(at, 120, Qt::ControlModifier);
        ++steps;
        const PixelMapping after = w.view->mapping();
        EXPECT_NEAR(after.ModelX(at.x()), before.ModelX(at.x()), spanX * 1e-9) << "notch " << steps;
        EXPECT_NEAR(after.ModelY(at.y()), before.ModelY(at.y()), spanY * 1e-9) << "notch " << steps;
    }
    EXPECT_EQ(steps, 11);
    const double xMin = s.m_dViewXMin, yMin = s.m_dViewYMin, width = s.m_dViewWidth;
    const int changes = w.viewChanges;
    w.Wheel(at, 120, Qt::ControlModifier);
    w.Wheel(at, 360, Qt::ControlModifier); // a fast spin: three notches at once
    EXPECT_EQ(s.m_dViewXMin, xMin);
    EXPECT_EQ(s.m_dViewYMin, yMin);
    EXPECT_EQ(s.m_dViewWidth, width);
    EXPECT_EQ(w.viewChanges, changes);
    EXPECT_TRUE(w.view->verticalScrollBar()->isVisibleTo(w.view.get()));

    // Out: nineteen of thirty notches reach the zoom-out limit of the clicks (1.25^8 frames), and
    // there the wheel stops too.
    w.Wheel(at, -120 * 30, Qt::ControlModifier);
    EXPECT_NEAR(s.m_dViewWidth, std::pow(1.25, 8), 1e-9);
    EXPECT_FALSE(w.view->verticalScrollBar()->isVisibleTo(w.view.get()));
    const int outChanges = w.viewChanges;
    w.Wheel(at, -120, Qt::ControlModifier);
    EXPECT_NEAR(s.m_dViewWidth, std::pow(1.25, 8), 1e-9);
    EXPECT_EQ(w.viewChanges, outChanges);
}

TEST(GraphViewFit, FitCommandsResetTheWindowAndFrameTheData) {
    GraphWindow w;
    BuildDemo(w.doc(), false);
    w.Changed();
    w.view->runCommand(kCmdZoomIn);
    w.Click(QPoint(100, 100));
    Edit::Frame(w.doc()).m_dFrameSpanX *= 3;
    w.view->runCommand(kCmdFitWindow);
    EXPECT_EQ(w.view_().m_dViewWidth, 1.0);
    EXPECT_FALSE(w.view->verticalScrollBar()->isVisibleTo(w.view.get()));
    const ExtentRects aps = w.doc().ExtentFor(800, 500, 0, false);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameSpanX, aps.frame.spanX);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameOriginY, aps.frame.originY);

    // No AP ticked: the box of the measurement points, widened about its centre so that a pixel of
    // the window (the whole 800 x 500, the scroll bars go with the fit) covers equal ground both ways.
    w.doc().SetTickedAps({});
    w.view->runCommand(kCmdFitWindow);
    double minX = 1e300, maxX = -1e300;
    for (const CData& p : w.doc().Path().m_aPoints)
        minX = std::min(minX, p.m_dX), maxX = std::max(maxX, p.m_dX);
    const CPlotraDoc& d = w.doc();
    EXPECT_EQ(d.Frame().m_dGridOriginX, minX);
    EXPECT_EQ(d.Frame().m_dGridSpanX, maxX - minX);
    EXPECT_LE(d.Frame().m_dFrameOriginX, minX);
    EXPECT_GE(d.Frame().m_dFrameOriginX + d.Frame().m_dFrameSpanX, maxX);
    const double lat = d.Frame().m_dFrameOriginY + d.Frame().m_dFrameSpanY / 2;
    EXPECT_NEAR(d.Frame().m_dFrameSpanX * std::cos(lat * std::numbers::pi / 180) / 800 /
                    (d.Frame().m_dFrameSpanY / 500),
                1.0, 1e-9);

    w.Click(QPoint(300, 300));
    w.view->runCommand(kCmdFitMapPath);
    EXPECT_EQ(w.view_().m_dViewWidth, 1.0);
    const auto frame = MapPathFrame(w.doc(), false, 800, 500);
    ASSERT_TRUE(frame);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameOriginX, frame->originX);
    EXPECT_DOUBLE_EQ(w.doc().Frame().m_dFrameSpanY, frame->spanY);
}

TEST(GraphViewPicture, RepaintsKeepThePictureUntilTheDocumentOrTheViewChanges) {
    GraphWindow w;
    BuildDemo(w.doc());
    Edit::Display(w.doc()).m_bMultiContours = 1;
    Edit::Display(w.doc()).m_bShowLegend = 1;
    w.Changed();
    const QImage first = w.view->picture();
    EXPECT_EQ(first.size(), QSize(800, 500));
    // What the window shows is the kept picture, legend window included.
    EXPECT_EQ(GraphPictureOf(w.doc()).cacheKey(), first.cacheKey());
    EXPECT_EQ(w.Shown(), first);
    EXPECT_EQ(w.view->picture().cacheKey(), first.cacheKey()) << "a repaint composed the picture again";

    // The legend window sits in the top-right corner and shows the picture's own legend pixels.
    Legend legend;
    legend.Refresh(w.doc());
    const QSize size = legend.GetSize(&first);
    ASSERT_GT(size.width(), 0);
    CLegendWnd* wnd = w.view->legendWindow();
    EXPECT_TRUE(wnd->isVisible());
    EXPECT_EQ(wnd->geometry(), QRect(800 - size.width(), 0, size.width(), size.height()));
    EXPECT_EQ(wnd->grab().toImage().convertToFormat(QImage::Format_RGB32), first.copy(wnd->geometry()));
    // Every text of the legend lies inside its window, with short file names and with the path
    // hidden too: the legend drawn alone leaves nothing beyond the window's size, and the window
    // shows exactly that drawing.
    for (CDataFile& file : Edit::Survey(w.doc()).m_aFiles)
        file.m_strName = "a";
    for (const int path : {1, 0}) {
        Edit::Display(w.doc()).m_bShowPath = path;
        w.Changed();
        legend.Refresh(w.doc());
        const QImage picture = w.view->picture();
        const QSize part = legend.GetSize(&picture);
        ASSERT_TRUE(wnd->isVisible()) << "path " << path;
        ASSERT_EQ(wnd->geometry(), QRect(800 - part.width(), 0, part.width(), part.height()));
        QImage alone(part + QSize(200, 50), QImage::Format_RGB32);
        alone.fill(Qt::green);
        {
            QPainter p(&alone);
            legend.Draw(p, QRect(QPoint(0, 0), part));
        }
        QImage green(200, alone.height(), QImage::Format_RGB32);
        green.fill(Qt::green);
        EXPECT_EQ(alone.copy(QRect(part.width(), 0, 200, alone.height())), green) << "path " << path;
        EXPECT_EQ(wnd->grab().toImage().convertToFormat(QImage::Format_RGB32),
                  alone.copy(QRect(QPoint(0, 0), part)));
    }

    // An edit through the document, a view toggle and a new size each give a new picture.
    w.doc().SetAlpha(60);
    const QImage lighter = w.view->picture();
    EXPECT_NE(lighter.cacheKey(), first.cacheKey());
    EXPECT_NE(lighter, first);
    w.view->runCommand(kCmdShowDirections);
    EXPECT_NE(w.view->picture().cacheKey(), lighter.cacheKey());
    w.Resize(640, 400);
    EXPECT_EQ(w.session.graphClientQSize(), QSize(640, 400));
    EXPECT_EQ(w.view->picture().size(), QSize(640, 400));
    // Another painter of the document's picture (an export) does not leave the window showing it.
    RenderGraph(w.doc(), ViewState(), 100, 100);
    EXPECT_EQ(w.view->picture().size(), QSize(640, 400));
    EXPECT_EQ(GraphPictureOf(w.doc()).size(), QSize(640, 400));

    // Legend off: the window goes at once.
    w.view->runCommand(kCmdShowLegend);
    EXPECT_FALSE(wnd->isVisible());
    w.view->picture();
    EXPECT_FALSE(wnd->isVisible());
}

// Opening a workspace draws the window's first picture on the job's thread, from the decoded
// project; the window shows it only when it is the picture the window would draw itself. The oracle
// is a second window whose project was opened synchronously and which draws its own picture.
TEST(GraphViewPicture, AnOpenedWorkspaceShowsThePictureDrawnBesideTheReadingOrDrawsItsOwn) {
    TempDir dir;
    const std::string path = dir.File("demo.hws");
    {
        CPlotraDoc demo;
        BuildDemo(demo, true, true);
        Edit::Display(demo).m_bMultiContours = 1;
        Edit::Display(demo).m_bShowLegend = 1;
        ASSERT_TRUE(demo.WriteWorkspace(path));
    }
    // Settings the windows keep through an opening: not stored in a workspace, or the view's own.
    auto setUp = [](GraphWindow& w) {
        Edit::Display(w.doc()).m_nLineWidth = 3;
        Edit::Display(w.doc()).m_bShowNoGps = 1;
        w.view_().m_bShowDirections = true;
        w.view_().m_dViewXMin = 0.1, w.view_().m_dViewXMax = 0.7;
        w.view_().m_dViewYMin = 0.2, w.view_().m_dViewYMax = 0.9;
        w.view_().m_palette = PaletteKind::Viridis;
        w.session.notifyViewChanged(); // the zoomed window shows its scroll bars
        QApplication::processEvents();
    };
    GraphWindow w(640, 400);
    setUp(w);
    for (const bool zoomedMeanwhile : {false, true}) {
        SCOPED_TRACE(zoomedMeanwhile ? "zoomed while the file was read" : "untouched");
        bool opened = false;
        w.session.openDocument(path, [&](OpenOutcome o) { opened = o == OpenOutcome::Opened; });
        if (zoomedMeanwhile) {
            w.view_().m_dViewXMin = 0.15;
            w.session.notifyViewChanged();
        }
        w.view->picture(); // the project shown while the file is read
        const int drawn = w.view->picturesDrawn();
        ASSERT_TRUE(WaitUntil([&] { return opened && !w.session.jobRunning(); }));
        QApplication::processEvents();
        const QImage shown = w.view->picture();
        EXPECT_EQ(w.view->picturesDrawn() - drawn, zoomedMeanwhile ? 1 : 0);
        EXPECT_EQ(GraphPictureOf(w.doc()).cacheKey(), shown.cacheKey());

        GraphWindow oracle(640, 400);
        setUp(oracle);
        oracle.view_().m_dViewXMin = w.view_().m_dViewXMin;
        ASSERT_TRUE(oracle.doc().OnOpenDocument(path));
        EXPECT_EQ(oracle.view_().m_bShowMap, w.view_().m_bShowMap);
        EXPECT_TRUE(shown == oracle.view->picture()) << "the picture differs from the window's own";
        EXPECT_EQ(w.Shown(), oracle.Shown());
    }
}

TEST(GraphViewStatus, TextsForEveryGraphTypeInsideAndOutsideTheCoverage) {
    GraphWindow w;
    // Without data: pixel positions inside, nothing outside.
    w.Move(QPoint(10, 20));
    EXPECT_EQ(w.status, "(X_Pixel = 10, Y_Pixel =  20)");
    w.Move(QPoint(-3, 20));
    EXPECT_EQ(w.status, "");

    BuildDemo(w.doc());
    w.Changed();
    ASSERT_TRUE(w.doc().Display().m_bCombined);
    // Zoomed out once, so that the window shows a margin without coverage around the frame.
    w.view->runCommand(kCmdZoomOut);
    w.Click(Centre(w));
    w.view->runCommand(kCmdZoomOut);
    const QRegularExpression pair(R"(\(Lon = -?\d+\.\d{5}, Lat = -?\d+\.\d{5})");
    const char* values[] = {R"(, Power = -?\d+ dBm\)$)", R"(, SNR = -?\d+ dB\)$)", R"(, \d+ APs\)$)"};
    const QSize client = w.area()->size();
    for (std::size_t graph = 0; graph < kGraphKinds.size(); ++graph) {
        w.doc().SetGraphType(kGraphKinds[graph]);
        w.Move(Centre(w));
        EXPECT_TRUE(w.status.startsWith("(Lon = ")) << w.status.toStdString();
        EXPECT_TRUE(QRegularExpression(values[graph]).match(w.status).hasMatch())
            << w.status.toStdString();
        EXPECT_EQ(w.status.toStdString(), StatusText(w.doc(), w.view_(), Centre(w).x(), Centre(w).y(),
                                                     client.width(), client.height()));
        w.Move(QPoint(3, 3));
        EXPECT_TRUE(w.status.startsWith("No coverage! (Lon = ")) << w.status.toStdString();
    }
    // Per AP: the position only; in the display unit without the longitude/latitude display.
    Edit::Display(w.doc()).m_bCombined = 0;
    w.doc().SetDisplayFlag(DisplayFlag::LonLat, false);
    w.Move(Centre(w));
    EXPECT_TRUE(QRegularExpression(R"(^\(X = -?\d+\.\d{3}, Y = -?\d+\.\d{3}\)$)").match(w.status).hasMatch())
        << w.status.toStdString();
    EXPECT_TRUE(pair.isValid());
}

TEST(GraphViewInfo, BubbleOpensOnHoverBesideTheMouseAtEveryEdgeAndGoesOnTheNextMove) {
    GraphWindow w;
    BuildLineProject(w.doc());
    w.Changed();
    CInfoWnd* info = w.view->infoWindow();
    // Off: resting gives nothing.
    w.Move(QPoint(400, 250));
    QTest::qWait(20);
    EXPECT_FALSE(info->isVisible());
    w.view->runCommand(kCmdInfoWindow);

    struct Case {
        QPoint at;
        bool left, above;
    } cases[] = {{{20, 20}, false, false},
                 {{790, 20}, true, false},
                 {{20, 490}, false, true},
                 {{790, 490}, true, true}};
    for (const Case& c : cases) {
        w.Move(c.at);
        ASSERT_TRUE(WaitUntil([&] { return info->isVisible(); }, 5000)) << c.at.x() << "," << c.at.y();
        const std::string text = InfoText(w.doc(), w.view_(), c.at.x(), c.at.y(), 800, 500);
        EXPECT_EQ(info->text().toStdString(), text);
        const QSize size = info->size();
        const InfoPlacement place = PlaceInfo(c.at.x(), c.at.y(), size.width(), size.height(), 800, 500);
        EXPECT_EQ(info->pos(), QPoint(place.x, place.y));
        EXPECT_EQ(info->left(), c.left) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(info->above(), c.above) << c.at.x() << "," << c.at.y();
        // The bubble stays inside the window and off the mouse.
        EXPECT_TRUE(QRect(0, 0, 800, 500).contains(info->geometry())) << c.at.x() << "," << c.at.y();
        EXPECT_FALSE(info->geometry().contains(c.at));
        // Its pointer starts at the corner nearest the mouse.
        const QPoint tip = info->pointer().at(0) + info->pos();
        EXPECT_LE((tip - c.at).manhattanLength(), 4);
        w.Move(c.at + QPoint(1, 0));
        EXPECT_FALSE(info->isVisible()) << "the next move hides the bubble";
    }
    // Near a path point the altitude and speed are listed; the AP's marker names it.
    const PixelMapping m = w.view->mapping();
    const QPoint ap(RoundView(m.PxExact(0)), RoundView(m.PyExact(0)));
    w.Move(ap);
    ASSERT_TRUE(WaitUntil([&] { return info->isVisible(); }, 5000));
    EXPECT_TRUE(info->text().contains("Altitude =   120 m, Velocity =   5.4 KPH"))
        << info->text().toStdString();
    EXPECT_TRUE(info->text().contains("(AP)      6  00-11-22-33-44-55  line")) << info->text().toStdString();
    EXPECT_TRUE(info->text().contains("1 selected AP covers this point")) << info->text().toStdString();
    // Switched off, the bubble goes and stays away.
    w.view->runCommand(kCmdInfoWindow);
    EXPECT_FALSE(info->isVisible());
}

TEST(GraphViewRobustness, TinyWindowAndEmptyFrameAnswerEveryGesture) {
    GraphWindow w(1, 1);
    BuildLineProject(w.doc());
    Edit::Frame(w.doc()).m_dFrameSpanX = 0; // a damaged project: a frame without extent
    w.Changed();
    for (int id : {kCmdZoomIn, kCmdInfoWindow})
        w.view->runCommand(id);
    EXPECT_FALSE(w.view->picture().isNull());
    for (QPoint p : {QPoint(0, 0), QPoint(3, -2)}) {
        w.Move(p);
        w.Click(p);
        w.Click(p, Qt::RightButton);
        w.Wheel(p, 120, Qt::ControlModifier);
        w.Wheel(p, -120);
    }
    w.view->runCommand(kCmdZoomIn);
    w.view->runCommand(kCmdRuler);
    w.Press(QPoint(0, 0));
    w.Release(QPoint(0, 0));
    w.view->runCommand(kCmdMoveAp);
    w.Press(QPoint(0, 0));
    w.Release(QPoint(0, 0));
    w.Resize(200, 100);
    EXPECT_EQ(w.view->picture().size(), QSize(200, 100));
    QTest::qWait(5);
}

// A processing draws the window's first picture of the processed project on the job's thread too,
// from a copy of what the window draws with; the window takes it only when nothing it shows changed
// meanwhile. The oracle is a second window that processes the same project synchronously.
TEST(GraphViewPicture, AProcessedProjectShowsThePictureDrawnBesideTheProcessingOrDrawsItsOwn) {
    auto setUp = [](GraphWindow& w) {
        BuildDemo(w.doc(), true, true);
        Edit::Display(w.doc()).m_bShowLegend = 1;
        Edit::Display(w.doc()).m_nLineWidth = 3;
        Edit::Display(w.doc()).m_bShowNoGps = 1;
        w.view_().m_bShowMap = true;
        w.view_().m_bShowDirections = true;
        w.view_().m_dViewXMin = 0.1, w.view_().m_dViewXMax = 0.7;
        w.view_().m_palette = PaletteKind::Viridis;
        w.Changed();
    };
    for (const bool resizedMeanwhile : {false, true}) {
        SCOPED_TRACE(resizedMeanwhile ? "resized while processing" : "untouched");
        GraphWindow w(640, 400);
        setUp(w);
        w.view->picture();
        bool done = false;
        const auto connection =
            QObject::connect(&w.session, &gui::GuiSession::jobFinished, [&] { done = true; });
        w.session.startProcessing(w.doc());
        if (resizedMeanwhile) w.Resize(600, 420);
        w.view->picture(); // the project shown while it is processed
        const int drawn = w.view->picturesDrawn();
        ASSERT_TRUE(WaitUntil([&] { return done; }));
        QObject::disconnect(connection);
        QApplication::processEvents();
        const QImage shown = w.view->picture();
        EXPECT_EQ(w.view->picturesDrawn() - drawn, resizedMeanwhile ? 1 : 0);
        EXPECT_EQ(GraphPictureOf(w.doc()).cacheKey(), shown.cacheKey());
        EXPECT_EQ(w.view_().m_dViewXMin, 0.0); // the processing fitted the zoom to the new frame

        GraphWindow oracle(resizedMeanwhile ? 600 : 640, resizedMeanwhile ? 420 : 400);
        setUp(oracle);
        ASSERT_TRUE(oracle.doc().RunProcessing());
        EXPECT_TRUE(ProcessingDifferences(oracle.doc(), w.doc()).empty());
        EXPECT_TRUE(shown == oracle.view->picture()) << "the picture differs from the window's own";
        EXPECT_EQ(w.Shown(), oracle.Shown());
    }
}
