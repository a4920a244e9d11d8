#include "model/ViewState.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace plotra;
using plotra::test::MakeSample;

namespace {

void SetFrame(CPlotraDoc& doc, double ox, double oy, double sx, double sy) {
    doc.m_dFrameOriginX = ox;
    doc.m_dFrameOriginY = oy;
    doc.m_dFrameSpanX = sx;
    doc.m_dFrameSpanY = sy;
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

TEST(ViewZoom, WheelZoomKeepsThePointUnderTheMouse) {
    ViewState view;
    // The frame fraction under (200, 100) of 800 x 500 stays there through a step in and a step out.
    const auto fractionAt = [&](int px, int py) {
        return std::pair{view.m_dViewXMin + px * view.m_dViewWidth / 800.0,
                         view.m_dViewYMin + (500 - py) * view.m_dViewHeight / 500.0};
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
    // The same limits as the clicks: zooming out stops at the bounds, then resets; outside: nothing.
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(view.ZoomAbout(false, 0, 0, 800, 500));
    EXPECT_NEAR(view.m_dViewWidth, std::pow(1.25, 8), 1e-9);
    // Held at the bounds as the clicks are (the upper bound wins when the window is wider than both).
    EXPECT_DOUBLE_EQ(view.m_dViewXMax, ViewState::kZoomOutHigh);
    EXPECT_NEAR(view.m_dViewYMin, ViewState::kZoomOutLow, 1e-12);
    ASSERT_TRUE(view.ZoomAbout(false, 0, 0, 800, 500));
    EXPECT_EQ(view.m_dViewWidth, 1.0);
    EXPECT_FALSE(view.ZoomAbout(true, 800, 10, 800, 500));
    EXPECT_EQ(view.m_dViewWidth, 1.0);
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
    doc.m_aPoints = {MakeSample(5, 10), MakeSample(-5, 30), MakeSample(15, 20)};
    doc.m_aAPs.resize(1); // not selected
    doc.m_bDataLoaded = 1;
    ViewState view;
    view.m_dViewXMin = 0.3, view.m_dViewXMax = 0.5;
    view.FitInWindow(doc, 800, 500);
    EXPECT_EQ(doc.m_dFrameOriginX, 10);
    EXPECT_EQ(doc.m_dFrameOriginY, -5);
    EXPECT_EQ(doc.m_dFrameSpanX, 20);
    EXPECT_EQ(doc.m_dFrameSpanY, 20);
    EXPECT_EQ(doc.m_dGridOriginX, 10);
    EXPECT_EQ(doc.m_dGridSpanY, 20);
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    EXPECT_EQ(view.m_dViewXMax, 1.0);
    EXPECT_EQ(r.notices.Count(DocChange::Frame), 1);
}

TEST(ViewFit, ShownPlanarMapGetsAMarginAndEqualScale) {
    CPlotraDoc doc;
    doc.m_aPoints = {MakeSample(0, 0), MakeSample(50, 100)};
    doc.m_bMetricXY = 1;
    doc.m_bDataLoaded = 1;
    ViewState view;
    view.m_bShowMap = true;
    view.FitInWindow(doc, 800, 500);
    // Box 100 x 50, widened by a tenth per side: 120 x 60 from (-10, -5). Units per pixel: 0.15 in x,
    // 0.12 in y, so y widens about its centre to 0.15 * 500 = 75.
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginX, -10);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanX, 120);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanY, 75);
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginY, -5 - (0.15 / 0.12 - 1) * 60 * 0.5);
    // Degrees never get the equal scale.
    CPlotraDoc geo;
    geo.m_aPoints = doc.m_aPoints;
    view.FitInWindow(geo, 800, 500);
    EXPECT_DOUBLE_EQ(geo.m_dFrameSpanY, 60);
}

TEST(ViewFit, FitInTheMapAndPathUsesTheTargetSizeAndTheMap) {
    CPlotraDoc doc;
    doc.m_bMetricXY = 1;
    doc.m_bDataLoaded = 1;
    doc.m_dMapWidth = 200, doc.m_dMapHeight = 100;
    doc.m_aAPs.resize(2);
    doc.m_aAPs[0].m_areaOrigin = CDataGeo(20, 30); // y, x
    doc.m_aAPs[0].m_areaSize = CDataGeo(10, 10);
    doc.m_aAPs[1].m_areaOrigin = CDataGeo(-500, -500); // only the first AP counts
    doc.m_aPoints = {MakeSample(40, 50), MakeSample(25, 60)};
    ViewState view;
    view.m_dViewXMin = 0.4;
    view.FitInMapPath(doc, 400, 400);
    // Without the map: the box of the first AP and the points.
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginX, 30);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanX, 30);
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginY, 20);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanY, 20);
    EXPECT_EQ(view.m_dViewXMin, 0.0);
    // With the map: the box reaches 0..200 x 0..100, framed with margins, then square pixels for 400 x 400.
    view.m_bShowMap = true;
    view.FitInMapPath(doc, 400, 400);
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginX, -20);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanX, 240);
    EXPECT_DOUBLE_EQ(doc.m_dFrameSpanY, 240);
    EXPECT_DOUBLE_EQ(doc.m_dFrameOriginY, -10 - (240.0 / 120.0 - 1) * 120 * 0.5);
    // Without data nothing happens.
    CPlotraDoc empty;
    SetFrame(empty, 1, 2, 3, 4);
    view.FitInMapPath(empty, 400, 400);
    EXPECT_EQ(empty.m_dFrameSpanY, 4);
}
