#include "model/ViewState.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include "model/EditAccess.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

using namespace plotra;
using plotra::test::MakeSample;

namespace {

void SetFrame(CPlotraDoc& doc, double ox, double oy, double sx, double sy) {
    Edit::Frame(doc).m_dFrameOriginX = ox;
    Edit::Frame(doc).m_dFrameOriginY = oy;
    Edit::Frame(doc).m_dFrameSpanX = sx;
    Edit::Frame(doc).m_dFrameSpanY = sy;
}

} // namespace

TEST(ViewRounding, FractionAboveFourTenthsRoundsUp) {
    EXPECT_EQ(RoundView(2.4), 2);
    EXPECT_EQ(RoundView(2.41), 3);
    // 2.4 is stored a little below 2.4; these fractions are exactly the double 0.4 (-0.6 is -1 + 0.4
    // to the last bit), which must round down, and the next double above must round up.
    EXPECT_EQ(RoundView(0.4), 0);
    EXPECT_EQ(RoundView(-0.6), -1);
    EXPECT_EQ(RoundView(std::nextafter(0.4, 1.0)), 1);
    EXPECT_EQ(RoundView(std::nextafter(-0.6, 0.0)), 0);
    EXPECT_EQ(RoundView(2.0), 2);
    EXPECT_EQ(RoundView(-0.5), 0);  // floor -1, fraction 0.5
    EXPECT_EQ(RoundView(-0.7), -1); // floor -1, fraction 0.3
    EXPECT_EQ(TruncPixel(-3.9), -3);
    EXPECT_EQ(TruncPixel(1e300), 1000000000);
    EXPECT_EQ(TruncPixel(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ViewMapping, ModelToPixelTruncatesAndPixelToModelInverts) {
    CPlotraDoc doc;
    SetFrame(doc, 100, 200, 50, 20);
    ViewState view;
    const PixelMapping m = view.Mapping(doc, 101, 41);
    EXPECT_EQ(m.Px(100), 0);
    EXPECT_EQ(m.Px(150), 100);
    EXPECT_EQ(m.Px(100.99), 1);  // 1.98 truncates
    EXPECT_EQ(m.Py(200), 40);    // bottom row
    EXPECT_EQ(m.Py(220), 0);     // top row
    EXPECT_EQ(m.Py(210.26), 19); // 40 - 20.52 = 19.48 truncates
    EXPECT_DOUBLE_EQ(m.ModelX(100), 150);
    EXPECT_DOUBLE_EQ(m.ModelY(0), 220);
    EXPECT_DOUBLE_EQ(m.ModelY(40), 200);

    // The visible window picks its part of the frame.
    view.m_dViewXMin = 0.5, view.m_dViewXMax = 1.0;
    view.m_dViewYMin = 0.25, view.m_dViewYMax = 0.75;
    const VisibleFrame f = view.Visible(doc);
    EXPECT_DOUBLE_EQ(f.x0, 125);
    EXPECT_DOUBLE_EQ(f.xs, 25);
    EXPECT_DOUBLE_EQ(f.y0, 205);
    EXPECT_DOUBLE_EQ(f.ys, 10);
}

TEST(ViewZoom, TwelfthZoomInReturnsToTheWholeFrame) {
    test::PromptRecorder prompts;
    ViewState view;
    for (int i = 1; i <= 11; ++i) {
        ASSERT_TRUE(view.Zoom(true, 400, 250, 800, 500, prompts));
        EXPECT_NEAR(view.m_dViewWidth, std::pow(0.8, i), 1e-12) << i;
    }
    EXPECT_LT(view.m_dViewWidth, 0.1);
    EXPECT_TRUE(view.ScrollBarsWanted());
    ASSERT_TRUE(view.Zoom(true, 400, 250, 800, 500, prompts));
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    EXPECT_EQ(view.m_dViewXMax, 1.0);
    EXPECT_EQ(view.m_dViewYMin, 0.0);
    EXPECT_EQ(view.m_dViewYMax, 1.0);
    EXPECT_FALSE(view.UpdateScrollBars());
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST(ViewZoom, ZoomAtTheRightEdgeKeepsTheRightEdgeInsideTheOldWindow) {
    test::PromptRecorder prompts;
    ViewState view;
    view.m_dViewXMin = 0.2, view.m_dViewXMax = 0.7; // a zoomed window
    view.m_dViewYMin = 0.1, view.m_dViewYMax = 0.6;
    ASSERT_TRUE(view.Zoom(true, 799, 250, 800, 500, prompts));
    EXPECT_DOUBLE_EQ(view.m_dViewXMax, 0.7);
    EXPECT_NEAR(view.m_dViewXMin, 0.7 - 0.5 * 0.8, 1e-12);
    EXPECT_GE(view.m_dViewXMin, 0.2);
    EXPECT_GE(view.m_dViewYMin, 0.1);
    EXPECT_LE(view.m_dViewYMax, 0.6);
    // The left edge and the top edge likewise.
    ViewState corner;
    ASSERT_TRUE(corner.Zoom(true, 0, 0, 800, 500, prompts));
    EXPECT_EQ(corner.m_dViewXMin, 0.0);
    EXPECT_EQ(corner.m_dViewYMax, 1.0);
    EXPECT_NEAR(corner.m_dViewYMin, 0.2, 1e-12);
}

TEST(ViewZoom, ScrollPositionsFollowTheZoomedWindow) {
    test::PromptRecorder prompts;
    ViewState view;
    EXPECT_FALSE(view.UpdateScrollBars());
    ASSERT_TRUE(view.Zoom(true, 0, 499, 800, 500, prompts)); // bottom-left corner
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    EXPECT_EQ(view.m_dViewYMin, 0.0);
    EXPECT_EQ(view.m_nHScrollPos, 0);    // the left
    EXPECT_EQ(view.m_nVScrollPos, 1000); // the bottom
    EXPECT_TRUE(view.UpdateScrollBars());
    ViewState other;
    ASSERT_TRUE(other.Zoom(true, 799, 0, 800, 500, prompts)); // top-right corner: window [0.2, 1]
    EXPECT_NEAR(other.m_dViewXMin, 0.2, 1e-12);
    EXPECT_NEAR(other.m_nHScrollPos, 1000, 1); // trunc(0.2 * 1000 / 0.2) in doubles
    EXPECT_NEAR(other.m_nVScrollPos, 0, 1);
}

TEST(ViewZoom, ZoomOutStopsAtTheLimitsAndThenResets) {
    test::PromptRecorder prompts;
    ViewState view;
    int clicks = 0;
    while (view.m_dViewWidth < 5.8 && clicks < 20) {
        ASSERT_TRUE(view.Zoom(false, 400, 250, 800, 500, prompts));
        ++clicks;
    }
    EXPECT_EQ(clicks, 8);
    EXPECT_DOUBLE_EQ(view.m_dViewXMax, ViewState::kZoomOutHigh);
    EXPECT_NEAR(view.m_dViewXMin, ViewState::kZoomOutLow, 1e-4);
    EXPECT_DOUBLE_EQ(view.m_dViewYMax, ViewState::kZoomOutHigh);
    EXPECT_GE(view.m_dViewWidth, 5.8);
    ASSERT_TRUE(view.Zoom(false, 400, 250, 800, 500, prompts));
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    EXPECT_EQ(view.m_dViewXMax, 1.0);
    // Zoomed out the scroll positions keep their range.
    ViewState out;
    out.Zoom(false, 0, 0, 800, 500, prompts);
    out.Zoom(true, 0, 0, 800, 500, prompts);
    EXPECT_GE(out.m_nHScrollPos, 0);
    EXPECT_LE(out.m_nVScrollPos, 1000);
}

TEST(ViewZoom, ClickOutsideTheClientAreaIsRefused) {
    test::PromptRecorder prompts;
    ViewState view;
    EXPECT_FALSE(view.Zoom(true, 800, 10, 800, 500, prompts));
    EXPECT_FALSE(view.Zoom(false, 5, -1, 800, 500, prompts));
    ASSERT_EQ(prompts.prompts.size(), 2u);
    EXPECT_EQ(prompts.prompts[0].text, "The Point Is Out of View!");
    EXPECT_EQ(prompts.prompts[0].caption, "Invalid Point");
    EXPECT_EQ(prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(view.m_dViewXMax, 1.0);
}

TEST(ViewZoom, WheelZoomKeepsThePointUnderTheMouseAndStopsAtTheLimits) {
    ViewState view;
    // The frame fraction under (200, 100) of 800 x 500, by the pixel mapping (W - 1, H - 1), stays
    // there through every step in and out.
    const auto fractionAt = [&](int px, int py) {
        return std::pair{view.m_dViewXMin + px * view.m_dViewWidth / 799.0,
                         view.m_dViewYMin + (499 - py) * view.m_dViewHeight / 499.0};
    };
    const auto before = fractionAt(200, 100);
    ASSERT_TRUE(view.ZoomAbout(true, 200, 100, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, 0.8, 1e-12);
    EXPECT_NEAR(fractionAt(200, 100).first, before.first, 1e-12);
    EXPECT_NEAR(fractionAt(200, 100).second, before.second, 1e-12);
    EXPECT_GE(view.m_dViewXMin, 0.0); // a step in stays inside the old window
    EXPECT_LE(view.m_dViewYMax, 1.0);
    EXPECT_EQ(view.m_nHScrollPos, TruncPixel(view.m_dViewXMin * 1000 / 0.2));
    ASSERT_TRUE(view.ZoomAbout(false, 200, 100, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, 1.0, 1e-12);
    EXPECT_NEAR(fractionAt(200, 100).first, before.first, 1e-12);

    // In: eleven steps, then the wheel stops there (the clicks would return to the whole frame).
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(view.ZoomAbout(true, 799, 499, 800, 500)); // the corner pixel stays put too
    const ViewState deepest = view;
    EXPECT_NEAR(view.m_dViewWidth, std::pow(0.8, 11), 1e-12);
    EXPECT_NEAR(fractionAt(799, 499).first, 1.0, 1e-12);
    EXPECT_NEAR(fractionAt(799, 499).second, 0.0, 1e-12);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(view.ZoomAbout(true, 400, 250, 800, 500));
    EXPECT_EQ(view.m_dViewXMin, deepest.m_dViewXMin);
    EXPECT_EQ(view.m_dViewYMax, deepest.m_dViewYMax);
    EXPECT_EQ(view.m_nHScrollPos, deepest.m_nHScrollPos);

    // Out: the same bounds as the clicks, and there it stops as well.
    view.ResetWindow();
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(view.ZoomAbout(false, 0, 0, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, std::pow(1.25, 8), 1e-9);
    // Held at the bounds as the clicks are (the upper bound wins when the window is wider than both).
    EXPECT_DOUBLE_EQ(view.m_dViewXMax, ViewState::kZoomOutHigh);
    EXPECT_NEAR(view.m_dViewYMin, ViewState::kZoomOutLow, 1e-12);
    EXPECT_FALSE(view.ZoomAbout(false, 0, 0, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, std::pow(1.25, 8), 1e-9);
    // Back in from there works; a point outside the client area does nothing.
    EXPECT_TRUE(view.ZoomAbout(true, 400, 250, 800, 500));
    EXPECT_FALSE(view.ZoomAbout(true, 800, 10, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, std::pow(1.25, 7), 1e-9);
    // A client area of one pixel zooms about its middle without dividing by zero.
    ViewState tiny;
    ASSERT_TRUE(tiny.ZoomAbout(true, 0, 0, 1, 1));
    EXPECT_NEAR(tiny.m_dViewXMin, 0.1, 1e-12);
}

TEST(ViewScroll, VerticalPositionZeroShowsTheTop) {
    ViewState view;
    view.m_dViewYMin = 0.1, view.m_dViewYMax = 0.6; // e = 0.5
    view.Scroll(ScrollAxis::Vertical, ScrollCode::Top, 0, 500, 12);
    EXPECT_EQ(view.m_nVScrollPos, 0);
    EXPECT_DOUBLE_EQ(view.m_dViewYMin, 0.5);
    EXPECT_DOUBLE_EQ(view.m_dViewYMax, 1.0);
    view.Scroll(ScrollAxis::Vertical, ScrollCode::Bottom, 0, 500, 12);
    EXPECT_EQ(view.m_nVScrollPos, 1000);
    EXPECT_DOUBLE_EQ(view.m_dViewYMin, 0.0);
    view.Scroll(ScrollAxis::Vertical, ScrollCode::ThumbTrack, 250, 500, 12);
    EXPECT_DOUBLE_EQ(view.m_dViewYMin, 0.375);
}

TEST(ViewScroll, StepsComeFromTheHiddenLength) {
    ViewState view;
    view.m_dViewXMin = 0.0, view.m_dViewXMax = 0.8; // 800 px show 0.8: 200 px hidden
    const ScrollSteps s = view.StepsFor(ScrollAxis::Horizontal, 800, 8);
    EXPECT_EQ(s.line, 40);   // 8 * 1000 / 200
    EXPECT_EQ(s.page, 4000); // 800 * 1000 / 200
    view.Scroll(ScrollAxis::Horizontal, ScrollCode::LineDown, 0, 800, 8);
    EXPECT_EQ(view.m_nHScrollPos, 40);
    EXPECT_NEAR(view.m_dViewXMin, 0.2 * 0.04, 1e-12);
    view.Scroll(ScrollAxis::Horizontal, ScrollCode::PageDown, 0, 800, 8);
    EXPECT_EQ(view.m_nHScrollPos, 1000); // clamped
    EXPECT_DOUBLE_EQ(view.m_dViewXMax, 1.0);
    view.Scroll(ScrollAxis::Horizontal, ScrollCode::LineUp, 0, 800, 8);
    EXPECT_EQ(view.m_nHScrollPos, 960);
    // The whole frame hides nothing: steps stay at their least and the window does not move.
    ViewState whole;
    EXPECT_EQ(whole.StepsFor(ScrollAxis::Horizontal, 800, 8).line, 1);
    whole.Scroll(ScrollAxis::Horizontal, ScrollCode::PageDown, 0, 800, 8);
    EXPECT_EQ(whole.m_dViewXMin, 0.0);
    EXPECT_EQ(whole.m_dViewXMax, 1.0);
}

TEST(ViewFit, FitInTheWindowWithoutSelectionFramesThePoints) {
    test::RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    Edit::Path(doc).m_aPoints = {MakeSample(5, 10), MakeSample(-5, 30), MakeSample(15, 20)};
    Edit::Aps(doc).m_aAPs.resize(1); // not selected
    Edit::Display(doc).m_bDataLoaded = 1;
    ViewState view;
    view.m_dViewXMin = 0.3, view.m_dViewXMax = 0.5;
    view.FitInWindow(doc, 800, 500);
    // The combined rectangle is the box of the points; the frame is that box widened along x to
    // equal ground per pixel (20 degrees of latitude on 500 pixels, around 5 degrees N).
    EXPECT_EQ(doc.Frame().m_dGridOriginX, 10);
    EXPECT_EQ(doc.Frame().m_dGridOriginY, -5);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, 20);
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 20);
    EXPECT_EQ(doc.Frame().m_dFrameOriginY, -5);
    EXPECT_EQ(doc.Frame().m_dFrameSpanY, 20);
    const double spanX = 20.0 / 500 * 800 / std::cos(5 * std::numbers::pi / 180);
    EXPECT_NEAR(doc.Frame().m_dFrameSpanX, spanX, 1e-12);
    EXPECT_NEAR(doc.Frame().m_dFrameOriginX + doc.Frame().m_dFrameSpanX / 2, 20, 1e-12);
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    EXPECT_EQ(view.m_dViewXMax, 1.0);
    EXPECT_EQ(r.notices.Count(DocChange::Frame), 1);
}

TEST(ViewFit, ShownPlanarMapGetsAMarginAndEqualScale) {
    CPlotraDoc doc;
    Edit::Path(doc).m_aPoints = {MakeSample(0, 0), MakeSample(50, 100)};
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_bDataLoaded = 1;
    ViewState view;
    view.m_bShowMap = true;
    view.FitInWindow(doc, 800, 500);
    // Box 100 x 50, widened by a tenth per side: 120 x 60 from (-10, -5). Units per pixel: 0.15 in x,
    // 0.12 in y, so y widens about its centre to 0.15 * 500 = 75.
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginX, -10);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 120);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 75);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, -5 - (0.15 / 0.12 - 1) * 60 * 0.5);
    // Degrees never get the equal scale.
    CPlotraDoc geo;
    Edit::Path(geo).m_aPoints = doc.Path().m_aPoints;
    view.FitInWindow(geo, 800, 500);
    EXPECT_DOUBLE_EQ(geo.Frame().m_dFrameSpanY, 60);
}

TEST(ViewFit, FitInTheMapAndPathUsesTheTargetSizeAndTheMap) {
    CPlotraDoc doc;
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Map(doc).m_dMapWidth = 200, Edit::Map(doc).m_dMapHeight = 100;
    Edit::Aps(doc).m_aAPs.resize(2);
    Edit::Aps(doc).m_aAPs[0].m_areaOrigin = CDataGeo(20, 30); // y, x
    Edit::Aps(doc).m_aAPs[0].m_areaSize = CDataGeo(10, 10);
    Edit::Aps(doc).m_aAPs[1].m_areaOrigin = CDataGeo(-500, -500); // only the first AP counts
    Edit::Path(doc).m_aPoints = {MakeSample(40, 50), MakeSample(25, 60)};
    ViewState view;
    view.m_dViewXMin = 0.4;
    view.FitInMapPath(doc, 400, 400);
    // Without the map: the box of the first AP and the points (30 x 20 m from (30, 20)), square
    // pixels for 400 x 400.
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginX, 30);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 30);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, 15);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 30);
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    // With the map: the box reaches 0..200 x 0..100, framed with margins, then square pixels for 400 x 400.
    view.m_bShowMap = true;
    view.FitInMapPath(doc, 400, 400);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginX, -20);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 240);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 240);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, -10 - (240.0 / 120.0 - 1) * 120 * 0.5);
    // Without data nothing happens.
    CPlotraDoc empty;
    SetFrame(empty, 1, 2, 3, 4);
    view.FitInMapPath(empty, 400, 400);
    EXPECT_EQ(empty.Frame().m_dFrameSpanY, 4);
}

// Without a map the picture is drawn to scale: on a log at 32 degrees N a pixel covers the same
// ground east-west as north-south, whichever fit made the frame, while the combined rectangle the
// coverage is computed on stays the box of the data.
TEST(ViewFit, WithoutTheMapAPixelCoversEqualGroundBothWays) {
    // Metres per pixel of a frame on W x H, measured on the sphere at the frame's centre.
    const auto metresPerPixel = [](const ModelRect& f, int w, int h) {
        const double lat = f.originY + f.spanY / 2, lon = f.originX + f.spanX / 2;
        return std::pair{GeoDistance(lat, lon, lat, lon + f.spanX / w),
                         GeoDistance(lat, lon, lat + f.spanY / h, lon)};
    };
    const auto frameOf = [](const CPlotraDoc& d) {
        return ModelRect{d.Frame().m_dFrameOriginY, d.Frame().m_dFrameOriginX, d.Frame().m_dFrameSpanY,
                         d.Frame().m_dFrameSpanX};
    };
    const auto expectSquare = [&](const ModelRect& f, int w, int h) {
        const auto [x, y] = metresPerPixel(f, w, h);
        EXPECT_GT(x, 0.0);
        EXPECT_NEAR(x / y, 1.0, 1e-9) << x << " m against " << y << " m per pixel";
    };

    // A wide log (about 19 km east-west, 1.1 km north-south): the frame grows north and south.
    CPlotraDoc doc;
    Edit::Path(doc).m_aPoints = {MakeSample(32.70, -117.0), MakeSample(32.71, -116.8),
                                 MakeSample(32.705, -116.9)};
    Edit::Aps(doc).m_aAPs.resize(1); // not ticked
    Edit::Display(doc).m_bDataLoaded = 1;
    ViewState view;
    {
        // Before: 0.2 degrees of longitude on 800 pixels against 0.01 degrees of latitude on 500.
        const auto [x, y] = metresPerPixel(ModelRect{32.70, -117.0, 0.01, 0.2}, 800, 500);
        EXPECT_GT(x / y, 5.0);
    }
    view.FitInWindow(doc, 800, 500);
    expectSquare(frameOf(doc), 800, 500);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginX, -117.0);
    EXPECT_EQ(doc.Frame().m_dFrameSpanX, -116.8 - -117.0); // x untouched
    EXPECT_NEAR(doc.Frame().m_dFrameOriginY + doc.Frame().m_dFrameSpanY / 2, 32.705,
                1e-12); // widened about the centre
    EXPECT_EQ(doc.Frame().m_dGridOriginY, 32.70);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, -116.8 - -117.0);
    // Fit in the map/path and the extent of the processing give the same kind of frame; the grid
    // rectangle the coverage uses stays the box.
    Edit::Aps(doc).m_aAPs[0].m_areaOrigin = CDataGeo(32.69, -116.95); // y, x
    Edit::Aps(doc).m_aAPs[0].m_areaSize = CDataGeo(0.05, 0.01); // a tall rectangle: the frame grows sideways
    view.FitInMapPath(doc, 640, 480);
    expectSquare(frameOf(doc), 640, 480);
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 1;
    const ExtentRects r = doc.ExtentFor(800, 500, 0, false);
    EXPECT_EQ(r.grid.originX, -116.95);
    EXPECT_NEAR(r.grid.spanY, 0.05, 1e-12);
    expectSquare(r.frame, 800, 500);
    EXPECT_EQ(r.frame.spanY, r.grid.spanY);
    EXPECT_NEAR(r.frame.originX + r.frame.spanX / 2, -116.945, 1e-12);

    // The map case keeps its own frame: a margin of a tenth, and square units on a planar map.
    const ExtentRects shown = doc.ExtentFor(800, 500, 0, true);
    EXPECT_EQ(shown.frame.spanY, r.grid.spanY * 1.2);
    EXPECT_NEAR(shown.frame.spanX, shown.frame.spanY / 500 * 800, 1e-15);

    // Degenerate frames stay usable: a single row of points gets a height to scale, one point or a
    // pole is left alone, and nothing turns into a NaN.
    CPlotraDoc row;
    Edit::Path(row).m_aPoints = {MakeSample(32.7, -117.0), MakeSample(32.7, -116.8)};
    Edit::Display(row).m_bDataLoaded = 1;
    view.FitInWindow(row, 800, 500);
    EXPECT_GT(row.Frame().m_dFrameSpanY, 0.0);
    expectSquare(frameOf(row), 800, 500);
    CPlotraDoc point;
    Edit::Path(point).m_aPoints = {MakeSample(32.7, -117.0)};
    Edit::Display(point).m_bDataLoaded = 1;
    view.FitInWindow(point, 800, 500);
    EXPECT_EQ(point.Frame().m_dFrameSpanX, 0.0);
    EXPECT_EQ(point.Frame().m_dFrameSpanY, 0.0);
    CPlotraDoc pole;
    Edit::Path(pole).m_aPoints = {MakeSample(80, 10), MakeSample(100, 20)}; // centred on 90 degrees
    Edit::Display(pole).m_bDataLoaded = 1;
    view.FitInWindow(pole, 800, 500);
    EXPECT_EQ(pole.Frame().m_dFrameSpanX, 10.0);
    EXPECT_EQ(pole.Frame().m_dFrameSpanY, 20.0);
}
