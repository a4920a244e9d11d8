// Pixel probes on rendered graphs of small hand-made documents. The frame is 0..100 in both axes on a
// planar map, so on a 401 x 401 picture model (x, y) is pixel (4x, 400 - 4y).
#include "mapview/GraphRenderer.h"
#include "mapview/ApIcons.h"
#include "mapview/Axes.h"
#include "mapview/BitmapFile.h"
#include "mapview/CoverageImages.h"
#include "mapview/Legend.h"
#include "mapview/MapImage.h"
#include "mapview/RenderApplication.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <QPainter>

#include "model/EditAccess.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plotra;
using plotra::test::MakeSample;

namespace {

constexpr int kSize = 401;
constexpr QRgb kWhite = 0xFFFFFFFFu;

int PX(double x) {
    return static_cast<int>(x * 4);
}
int PY(double y) {
    return static_cast<int>(400 - y * 4);
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}
QRgb Rgb32(int r, int g, int b) {
    return qRgb(r, g, b);
}

void Planar(CPlotraDoc& doc) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Frame(doc).m_dFrameOriginX = Edit::Frame(doc).m_dFrameOriginY = 0;
    Edit::Frame(doc).m_dFrameSpanX = Edit::Frame(doc).m_dFrameSpanY = 100;
    Edit::Display(doc).m_nAlpha = 255;
    Edit::Display(doc).m_bShowPath = 0;
    Edit::Display(doc).m_bShowApMarkers = 0;
    Edit::Display(doc).m_bCoveragePlotted = 0;
    Edit::Display(doc).m_bShowLonLat = 0;
    Edit::Display(doc).m_bShowNoGps = 0;
}

// A selected AP with n points spread over its area and a one-colour 3 x 3 coverage picture.
CAPInfo MakeAp(double x0, double y0, double size, std::size_t n, COLORREF colour) {
    CAPInfo ap;
    ap.m_bSelected = 1;
    ap.m_crColour = colour;
    ap.m_areaOrigin = CDataGeo(y0, x0);
    ap.m_areaSize = CDataGeo(size, size);
    ap.m_posAP = CDataGeo(y0 + size / 2, x0 + size / 2);
    for (std::size_t i = 0; i < n; ++i)
        ap.m_aApPoints.push_back(MakeSample(y0 + size * static_cast<double>(i / 5 % 5) / 4,
                                            x0 + size * static_cast<double>(i % 5) / 4));
    ap.m_nApGridCols = ap.m_nApGridRows = 3;
    ap.m_aCoverageBitmap.assign(9, colour);
    return ap;
}

QImage Render(CPlotraDoc& doc, const ViewState& view = ViewState()) {
    return RenderGraph(doc, view, kSize, kSize);
}

// Every pixel where the two pictures differ lies inside \p allowed; returns how many differ.
int DiffersOnlyInside(const QImage& a, const QImage& b, const QRect& allowed) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                EXPECT_TRUE(allowed.contains(x, y)) << x << "," << y;
                ++n;
            }
    return n;
}

bool AnyNonWhite(const QImage& image, const QRect& box) {
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (At(image, x, y) != kWhite) return true;
    return false;
}

bool AnyOf(const QImage& image, QRgb colour, const QRect& box = QRect(0, 0, kSize, kSize)) {
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (At(image, x, y) == colour) return true;
    return false;
}

std::vector<std::uint8_t> SolidMapBmp(int w, int h, QColor colour) {
    QImage map(w, h, QImage::Format_RGB32);
    map.fill(colour);
    return EncodeBmp24(map);
}

class GraphRenderer : public ::testing::Test {
  protected:
    void SetUp() override { EnsureRenderApplication(); }
};

} // namespace

TEST_F(GraphRenderer, PerApPictureChangesOnlyItsOwnRectangle) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bCoveragePlotted = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(50, 40, 20, 30, Rgb(255, 0, 0)));
    const QImage with = Render(doc);
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    const QImage without = Render(doc);
    const QRect rect(PX(50), PY(60), PX(70) - PX(50), PY(40) - PY(60));
    EXPECT_GT(DiffersOnlyInside(with, without, rect), rect.width() * rect.height() / 2);
    // Blended with constant alpha 200 over white.
    const QRgb c = At(with, PX(60), PY(50));
    EXPECT_EQ(qRed(c), 255);
    EXPECT_NEAR(qGreen(c), 255 - 200, 1);
    EXPECT_NEAR(qBlue(c), 255 - 200, 1);
}

TEST_F(GraphRenderer, TwentyPointsAreCirclesAndTwentyOneThePicture) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bCoveragePlotted = 1;
    Edit::Display(doc).m_nLineWidth = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(50, 40, 20, 20, Rgb(0, 0, 255)));
    const QImage circles = Render(doc);
    // Points lie on a 5 x 5 lattice with 5-unit (20-pixel) spacing: discs of radius 5 at the
    // points, white between them.
    EXPECT_NE(At(circles, PX(50), PY(40)), kWhite);
    EXPECT_EQ(At(circles, PX(52.5), PY(42.5)), kWhite);
    // Changes reach at most the rectangle enlarged by the disc radius.
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    const QImage none = Render(doc);
    const QRect rect = QRect(PX(50), PY(60), PX(70) - PX(50), PY(40) - PY(60)).adjusted(-5, -5, 5, 5);
    EXPECT_GT(DiffersOnlyInside(circles, none, rect), 0);

    Edit::Aps(doc).m_aAPs[0] = MakeAp(50, 40, 20, 21, Rgb(0, 0, 255));
    const QImage picture = Render(doc);
    EXPECT_NE(At(picture, PX(52.5), PY(42.5)), kWhite);
}

TEST_F(GraphRenderer, AlphaOpaqueShowsTheOverlayAndZeroOnlyWhatCameBefore) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bCoveragePlotted = 1;
    Edit::Display(doc).m_bCombined = 1;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::ApCount);
    Edit::Frame(doc).m_nGridCols = 2, Edit::Frame(doc).m_nGridRows = 2;
    Edit::Frame(doc).m_dGridOriginX = 50, Edit::Frame(doc).m_dGridOriginY = 50,
    Edit::Frame(doc).m_dGridSpanX = 40, Edit::Frame(doc).m_dGridSpanY = 40;
    Edit::Coverage(doc).m_aCoveragePictures[CPlotraDoc::kApCount] = {Rgb(10, 20, 30), Rgb(40, 50, 60),
                                                                     Rgb(70, 80, 90), Rgb(100, 110, 120)};
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(50, 50, 40, 30, Rgb(255, 0, 0)));
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_aMapImage = SolidMapBmp(10, 10, QColor(0, 200, 0));
    Edit::Map(doc).m_dMapWidth = Edit::Map(doc).m_dMapHeight = 100;
    ViewState view;
    view.m_bShowMap = true;

    const QImage opaque = Render(doc, view);
    EXPECT_EQ(At(opaque, PX(55), PY(85)), Rgb32(10, 20, 30)); // top-left picture pixel
    EXPECT_EQ(At(opaque, PX(85), PY(55)), Rgb32(100, 110, 120));
    EXPECT_EQ(At(opaque, PX(20), PY(80)), Rgb32(0, 200, 0)); // map around the picture

    Edit::Display(doc).m_nAlpha = 0;
    const QImage clear = Render(doc, view);
    EXPECT_EQ(At(clear, PX(55), PY(85)), Rgb32(0, 200, 0));
    EXPECT_EQ(At(clear, PX(85), PY(55)), Rgb32(0, 200, 0));

    // The mixed and dominant power pictures follow the overlay switch.
    Edit::Display(doc).m_nAlpha = 255;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Coverage(doc).m_aCoveragePictures[CPlotraDoc::kPowerMixed].assign(4, Rgb(1, 2, 3));
    Edit::Coverage(doc).m_aCoveragePictures[CPlotraDoc::kPowerDominant].assign(4, Rgb(4, 5, 6));
    EXPECT_EQ(At(Render(doc, view), PX(60), PY(60)), Rgb32(1, 2, 3));
    Edit::Display(doc).m_bCoverageOverlay = 0;
    EXPECT_EQ(At(Render(doc, view), PX(60), PY(60)), Rgb32(4, 5, 6));
}

TEST_F(GraphRenderer, TwoSurveyFilesAreTwoSeparatePolylines) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(0, 0, 1, 1, 0));
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    Edit::Path(doc).m_aPoints = {MakeSample(80, 20), MakeSample(80, 30), MakeSample(80, 40),
                                 MakeSample(20, 60), MakeSample(20, 70), MakeSample(20, 80)};
    Edit::Path(doc).m_aFilePathCount = {3, 3};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0), Rgb(0, 160, 0)};
    Edit::Path(doc).m_aGpsState.assign(6, 2);
    const QImage image = Render(doc);
    EXPECT_EQ(At(image, PX(35), PY(80)), Rgb32(255, 0, 0));
    EXPECT_EQ(At(image, PX(65), PY(20)), Rgb32(0, 160, 0));
    // Nothing on the way from the first file's end to the second file's start.
    for (double t = 0.1; t < 0.95; t += 0.05)
        EXPECT_EQ(At(image, PX(40 + 20 * t), PY(80 - 60 * t)), kWhite) << t;
    // Circles of radius 2 with white inside at the segment starts and at the very last point.
    EXPECT_EQ(At(image, PX(20), PY(80)), kWhite);
    EXPECT_EQ(At(image, PX(20) - 2, PY(80)), Rgb32(255, 0, 0));
    EXPECT_EQ(At(image, PX(80), PY(20)), kWhite);
    EXPECT_EQ(At(image, PX(80) + 2, PY(20)), Rgb32(0, 160, 0));
}

TEST_F(GraphRenderer, GpsRingsMarkTwoDimensionalAndMissingFixes) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_bShowNoGps = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(0, 0, 1, 1, 0));
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    Edit::Path(doc).m_aPoints = {MakeSample(50, 20), MakeSample(50, 50), MakeSample(50, 80)};
    Edit::Path(doc).m_aFilePathCount = {3};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0)};
    Edit::Path(doc).m_aGpsState = {2, 1, 0};
    const QImage image = Render(doc);
    const QRgb black = Rgb32(0, 0, 0);
    EXPECT_FALSE(AnyOf(image, black, QRect(PX(20) - 6, PY(50) - 6, 13, 13)));
    EXPECT_EQ(At(image, PX(50) + 3, PY(50)), black); // radius lw + 2
    EXPECT_EQ(At(image, PX(80) + 4, PY(50)), black); // radius lw + 3
    Edit::Display(doc).m_bShowNoGps = 0;
    EXPECT_FALSE(AnyOf(Render(doc), black, QRect(PX(45), PY(55), 200, 40)));
}

TEST_F(GraphRenderer, MarkersOnlyForFixedApsOrWellFittedOnes) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bShowApMarkers = 1;
    auto ap = [](double x, double y, std::size_t n, double slope, bool fixed) {
        CAPInfo a = MakeAp(x - 1, y - 1, 2, n, Rgb(0, 0, 0));
        a.m_posAP = CDataGeo(y, x);
        a.m_dSlope = slope;
        a.m_bFixed = fixed;
        return a;
    };
    Edit::Aps(doc).m_aAPs = {ap(20, 80, 5, 0.0, true), ap(60, 80, 80, -10.5, false),
                             ap(20, 40, 80, -10.0, false), ap(60, 40, 79, -20.0, false)};
    const QImage image = Render(doc);
    auto box = [](double x, double y) { return QRect(PX(x) - 16, PY(y) - 16, 32, 32); };
    EXPECT_TRUE(AnyNonWhite(image, box(20, 80)));
    EXPECT_TRUE(AnyNonWhite(image, box(60, 80)));
    EXPECT_FALSE(AnyNonWhite(image, box(20, 40))); // a slope of exactly -10 gets none
    EXPECT_FALSE(AnyNonWhite(image, box(60, 40))); // 79 points
    // The icon's top-left corner sits 16 pixels left of and above the position.
    const QImage icon = ApIcon(185);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(icon.pixel(x, y)) == 255) {
                ASSERT_EQ(At(image, PX(60) - 16 + x, PY(80) - 16 + y), icon.pixel(x, y) | 0xFF000000u);
            }
    Edit::Display(doc).m_bShowApMarkers = 0;
    EXPECT_FALSE(AnyNonWhite(Render(doc), box(20, 80)));
    Edit::Display(doc).m_bShowApMarkers = 1;
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    EXPECT_FALSE(AnyNonWhite(Render(doc), box(20, 80)));
}

TEST_F(GraphRenderer, NumberOfApsGraphDrawsContourAreasButNoLines) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bCombined = 1;
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(0, 0, 1, 1, 0));
    for (auto& set : Edit::Coverage(doc).m_aContours) {
        CData_Area square;
        square.m_nCorners = 4;
        square.m_adX = {50, 70, 70, 50};
        square.m_adY = {50, 50, 70, 70};
        set.m_aLevelAreas = {square};
        CData_Pos areaLevel;
        areaLevel.m_nCount = 1, areaLevel.m_nRed = 0, areaLevel.m_nGreen = 100, areaLevel.m_nBlue = 200;
        set.m_aAreaLevels = {areaLevel};
        CData_Contour segment;
        segment.m_dX1 = 50, segment.m_dY1 = 90, segment.m_dX2 = 90, segment.m_dY2 = 90;
        set.m_aLines = {segment};
        CData_Pos lineLevel;
        lineLevel.m_nCount = 1, lineLevel.m_nRed = 250, lineLevel.m_nGreen = 0, lineLevel.m_nBlue = 100;
        set.m_aLineLevels = {lineLevel};
    }
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    const QImage power = Render(doc);
    EXPECT_EQ(At(power, PX(60), PY(60)), Rgb32(0, 100, 200));
    EXPECT_EQ(At(power, PX(70), PY(90)), Rgb32(250, 0, 100));
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::ApCount);
    const QImage count = Render(doc);
    EXPECT_EQ(At(count, PX(60), PY(60)), Rgb32(0, 100, 200));
    EXPECT_FALSE(AnyOf(count, Rgb32(250, 0, 100)));
    // Per-AP mode shows no contours at all.
    Edit::Display(doc).m_bCombined = 0;
    EXPECT_EQ(At(Render(doc), PX(60), PY(60)), kWhite);
}

TEST_F(GraphRenderer, SingleContourFillsBothThresholdAreas) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bCombined = 1;
    Edit::Display(doc).m_bShowContour = 1;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(0, 0, 1, 1, 0));
    CData_Area low, high;
    low.m_nCorners = high.m_nCorners = 4;
    low.m_adX = {40, 80, 80, 40}, low.m_adY = {40, 40, 80, 80};
    high.m_adX = {55, 65, 60, 60}, high.m_adY = {55, 55, 65, 65}; // a triangle-like quad
    Edit::Coverage(doc).m_aContours[FactsOf(GraphKind::SignalPower).contourSet].m_aAreaLow = {low};
    Edit::Coverage(doc).m_aContours[FactsOf(GraphKind::SignalPower).contourSet].m_aAreaHigh = {high};
    const QImage image = Render(doc);
    EXPECT_EQ(At(image, PX(45), PY(45)), Rgb32(128, 200, 0));
    EXPECT_EQ(At(image, PX(60), PY(58)), Rgb32(128, 80, 0));
}

TEST_F(GraphRenderer, WithoutDataOnlyTheMapIsDrawn) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_aMapImage = SolidMapBmp(8, 8, QColor(0, 0, 160));
    Edit::Map(doc).m_dMapWidth = Edit::Map(doc).m_dMapHeight = 50;
    Edit::Map(doc).m_dMapOriginX = Edit::Map(doc).m_dMapOriginY = 25;
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_bShowLegend = 1;
    Edit::Path(doc).m_aPoints = {MakeSample(10, 10), MakeSample(90, 90)};
    Edit::Path(doc).m_aFilePathCount = {2};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0)};
    ViewState view;
    view.m_bShowMap = true;
    view.m_bShowDirections = true;
    auto onlyMap = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool inMap = x >= PX(25) && x < PX(75) && y >= PY(75) && y < PY(25);
                if (At(image, x, y) != (inMap ? Rgb32(0, 0, 160) : kWhite)) return false;
            }
        return true;
    };
    Edit::Display(doc).m_bDataLoaded = 0;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(30, 30, 20, 30, Rgb(255, 0, 0)));
    EXPECT_TRUE(onlyMap(Render(doc, view)));
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Aps(doc).m_aAPs.clear();
    EXPECT_TRUE(onlyMap(Render(doc, view)));
    // With data the axes, path, legend and compass appear.
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(30, 30, 20, 30, Rgb(255, 0, 0)));
    Edit::Aps(doc).m_aAPs[0].m_bSelected = 0;
    EXPECT_FALSE(onlyMap(Render(doc, view)));
}

TEST_F(GraphRenderer, CellRadiusCirclesNeedEightyPoints) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bShowCellRadius = 1;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(40, 40, 20, 80, Rgb(200, 0, 0)));
    Edit::Aps(doc).m_aAPs[0].m_fReliability = 10.0f; // 40 pixels
    const QImage circle = Render(doc);
    const int cx = PX(50), cy = PY(50);
    EXPECT_NE(At(circle, cx + 38, cy), kWhite);
    EXPECT_EQ(At(circle, cx + 43, cy), kWhite);
    EXPECT_NE(At(circle, cx, cy - 38), kWhite);
    Edit::Aps(doc).m_aAPs[0] = MakeAp(40, 40, 20, 79, Rgb(200, 0, 0));
    Edit::Aps(doc).m_aAPs[0].m_fReliability = 10.0f;
    EXPECT_EQ(At(Render(doc), cx + 20, cy), kWhite);
    Edit::Aps(doc).m_aAPs[0] = MakeAp(40, 40, 20, 80, Rgb(200, 0, 0));
    Edit::Aps(doc).m_aAPs[0].m_fReliability = 10.0f;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::Snr); // only with the signal power graph
    EXPECT_EQ(At(Render(doc), cx + 20, cy), kWhite);
}

TEST_F(GraphRenderer, CompassLegendAndGridLinesHaveTheirPlaces) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(0, 0, 1, 1, 0));
    Edit::Display(doc).m_bXGrid = Edit::Display(doc).m_bYGrid = 1;
    Edit::Display(doc).m_bShowLegend = 1;
    Edit::Display(doc).m_bShowPath = 1;
    CDataFile file;
    file.m_strName = "walk.hsd";
    Edit::Survey(doc).m_aFiles = {file};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0)};
    ViewState view;
    view.m_bShowDirections = true;
    const QImage image = RenderGraph(doc, view, 800, 500);
    EXPECT_EQ(At(image, 100 + 31, 5 + 31), Rgb32(200, 20, 150)); // the compass centre
    // Legend in the top-right corner, with its left border.
    Legend legend;
    legend.Refresh(doc);
    const QSize size = legend.GetSize(&image);
    ASSERT_GT(size.width(), 40);
    EXPECT_EQ(At(image, 800 - size.width(), 2), Rgb32(20, 20, 20));
    EXPECT_EQ(At(image, 799, 2), kWhite);
    // Four dotted yellow lines each way with five divisions: x = 160, 320, 480, 640 and y = 400, 300,
    // 200, 100.
    std::vector<int> columns, rows;
    for (int x = 0; x < 800 - size.width(); ++x)
        if (AnyOf(image, Rgb32(255, 255, 0), QRect(x, 210, 1, 4))) columns.push_back(x);
    for (int y = 0; y < 500; ++y)
        if (AnyOf(image, Rgb32(255, 255, 0), QRect(250, y, 4, 1))) rows.push_back(y);
    EXPECT_EQ(columns, (std::vector<int>{160, 320, 480, 640}));
    EXPECT_EQ(rows, (std::vector<int>{100, 200, 300, 400}));
}

// Whatever the legend and the axes write stays inside their place: the legend's rectangle (it sits
// at the picture's right edge, so a text beyond it is cut there) and the picture itself.
TEST_F(GraphRenderer, LegendTextsAndTheLastAxisLabelStayInside) {
    CPlotraDoc doc;
    Edit::Display(doc).m_bCombined = 1;
    Edit::Coverage(doc).m_dPowerMax = -30, Edit::Coverage(doc).m_dPowerMin = -100;
    CDataFile shortName, longName;
    shortName.m_strName = "a.hsd";
    longName.m_strName = "a-rather-long-survey-file-name.hsd";
    struct Case {
        int path, multi, single, graph;
        std::vector<CDataFile> files;
    };
    const Case cases[] = {{1, 1, 0, 1, {shortName}}, {0, 1, 0, 1, {}},         {0, 1, 0, 3, {}},
                          {1, 0, 1, 1, {shortName}}, {1, 1, 0, 2, {longName}}, {1, 0, 0, 1, {longName}}};
    for (const Case& c : cases) {
        Edit::Display(doc).m_bShowPath = c.path;
        Edit::Display(doc).m_bMultiContours = c.multi;
        Edit::Display(doc).m_bShowContour = c.single;
        Edit::Display(doc).m_nGraphType = c.graph;
        Edit::Survey(doc).m_aFiles = c.files;
        Edit::Survey(doc).m_aFileColor.assign(c.files.size(), Rgb(255, 0, 0));
        Legend legend;
        legend.Refresh(doc);
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::green); // nothing the legend draws
        const QSize size = legend.GetSize(&image);
        ASSERT_GT(size.width(), 0) << "the levels are shown with or without the path";
        ASSERT_LT(size.width(), 300);
        ASSERT_GT(size.height(), 0);
        {
            QPainter p(&image);
            legend.Draw(p, QRect(QPoint(0, 0), size));
        }
        int outside = 0, inkRight = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = At(image, x, y);
                if (x >= size.width() || y >= size.height())
                    outside += px != Rgb32(0, 255, 0);
                else if (qGray(px) < 128 && x > 0 && y < size.height() - 1)
                    inkRight = std::max(inkRight, x); // dark text, not the border
            }
        EXPECT_EQ(outside, 0) << "case path " << c.path << " multi " << c.multi << " graph " << c.graph;
        EXPECT_GT(inkRight, size.width() - 12) << "the legend is no wider than its texts";
    }

    // Axis labels of a 400-pixel target drawn on a wider picture: nothing beyond x = 399. The last
    // label reads "210.00" in metres, "-122.30000" in degrees.
    Edit::Display(doc).m_dUnitFactor = 1.0;
    for (const bool lonLat : {false, true}) {
        Edit::Display(doc).m_bShowLonLat = lonLat ? 1 : 0;
        Edit::Map(doc).m_bMetricXY = lonLat ? 0 : 1;
        const VisibleFrame frame =
            lonLat ? VisibleFrame{-122.5, 47.5, 0.2, 0.1} : VisibleFrame{0, 0, 210, 100};
        QImage image(480, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            DrawAxes(p, doc, frame, 400, 300, false, false);
        }
        EXPECT_FALSE(AnyNonWhite(image, QRect(400, 0, 80, 300))) << (lonLat ? "degrees" : "metres");
        EXPECT_TRUE(AnyNonWhite(image, QRect(370, 280, 30, 20))) << "the last label is drawn";
    }
}

TEST_F(GraphRenderer, KeepsTheLastPictureWithTheDocument) {
    CPlotraDoc doc;
    Planar(doc);
    EXPECT_TRUE(GraphPictureOf(doc).isNull());
    const QImage image = RenderGraph(doc, ViewState(), 64, 48);
    EXPECT_EQ(GraphPictureOf(doc), image);
    EXPECT_TRUE(RenderGraph(doc, ViewState(), 0, 10).isNull());
}

TEST_F(GraphRenderer, ReportPictureAlwaysShowsMarkersAndGridLines) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_bShowApMarkers = 0;
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(40, 40, 20, 5, Rgb(0, 0, 0)));
    Edit::Aps(doc).m_aAPs[0].m_bFixed = 1;
    Edit::Aps(doc).m_aAPs[0].m_posAP = CDataGeo(50, 50);
    ReportSwitches switches;
    const QImage image = RenderReportPicture(doc, GraphKind::SignalPower, switches);
    ASSERT_EQ(image.size(), QSize(800, 500));
    const int x = static_cast<int>(50 * 799 / 100.0), y = static_cast<int>(499 - 50 * 499 / 100.0);
    EXPECT_TRUE(AnyNonWhite(image, QRect(x - 16, y - 16, 32, 32)));
    EXPECT_TRUE(AnyOf(image, Rgb32(255, 255, 0), QRect(160, 100, 1, 300))); // x = 1 * 800 / 5
    EXPECT_TRUE(AnyOf(image, Rgb32(255, 255, 0), QRect(100, 400, 300, 1))); // y = 500 - 500 / 5
    EXPECT_EQ(doc.Display().m_bXGrid, 0);
    EXPECT_EQ(doc.Display().m_bYGrid, 0);
}

TEST_F(GraphRenderer, GridColoursFromMaximumToMinimum) {
    // One column of three nodes, node row 0 (the minimum) at the bottom.
    const QImage image = GridToImage({-100.0, -70.0, -40.0}, 1, 3, Rgb(200, 100, 50), -100.0, -40.0);
    ASSERT_EQ(image.size(), QSize(1, 3));
    EXPECT_EQ(At(image, 0, 0), Rgb32(80, 40, 20));         // maximum: 60 % black
    EXPECT_EQ(At(image, 0, 1), Rgb32(200, 100, 50));       // middle: the base colour
    EXPECT_EQ(At(image, 0, 2), Rgb32(255, 255, 255));      // minimum: white
    EXPECT_TRUE(ColoursToImage({1, 2, 3}, 2, 2).isNull()); // a size that does not match
}

TEST_F(GraphRenderer, MapPlacementClipsAndDescribesTheVisiblePart) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Map(doc).m_dMapOriginX = -50, Edit::Map(doc).m_dMapOriginY = 50;
    Edit::Map(doc).m_dMapWidth = 100,
    Edit::Map(doc).m_dMapHeight = 100; // x -50..50, y 50..150 on a frame of 0..100
    ViewState view;
    const MapPlacement p = PlaceMap(doc, view.Mapping(doc, kSize, kSize));
    ASSERT_TRUE(p.visible);
    EXPECT_EQ(p.dest, QRect(0, 0, PX(50), PY(50)));
    EXPECT_DOUBLE_EQ(p.start, 0.5);
    EXPECT_DOUBLE_EQ(p.end, 1.0);
    EXPECT_DOUBLE_EQ(p.lower, 0.0);
    EXPECT_DOUBLE_EQ(p.upper, 0.5);

    // The part drawing: the upper half of a picture whose top half is red and bottom half blue.
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPainter(&picture).fillRect(0, 0, 4, 2, Qt::red);
    QImage half(8, 8, QImage::Format_RGB32), whole(8, 8, QImage::Format_RGB32),
        direct(8, 8, QImage::Format_RGB32);
    half.fill(Qt::white), whole.fill(Qt::white), direct.fill(Qt::white);
    {
        QPainter ph(&half), pw(&whole), pd(&direct);
        RenderPicturePart(ph, picture, QRect(0, 0, 8, 8), 0, 1, 0.5, 1);
        RenderPicturePart(pw, picture, QRect(0, 0, 8, 8), 0, 1, 0, 1);
        pd.drawImage(QRect(0, 0, 8, 8), picture);
        RenderPicturePart(pd, picture, QRect(0, 0, 0, 8), 0, 1, 0, 1); // less than a pixel wide: nothing
    }
    EXPECT_TRUE(AnyOf(half, qRgb(255, 0, 0), QRect(0, 7, 8, 1)));
    EXPECT_FALSE(AnyOf(half, qRgb(0, 0, 255), QRect(0, 0, 8, 8)));
    EXPECT_EQ(whole, direct);
}

TEST(Legend, SizeLabelsAndFileColours) {
    EnsureRenderApplication();
    CPlotraDoc doc;
    Edit::Display(doc).m_bCombined = 1;
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Coverage(doc).m_dPowerMax = -30, Edit::Coverage(doc).m_dPowerMin = -100;
    Edit::Display(doc).m_bShowPath = 0;
    Legend legend;
    legend.Refresh(doc);
    QImage device(10, 10, QImage::Format_RGB32);
    EXPECT_EQ(legend.LevelLabel(0), "-37:-30");
    EXPECT_EQ(legend.LevelLabel(1), "-44:-37");
    EXPECT_EQ(legend.LevelLabel(9), "-100:-93");
    EXPECT_EQ(legend.Title(), "Power: dBm");
    EXPECT_EQ(legend.m_aLevelColour[0], doc.Display().m_crPalette[9]);

    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::ApCount);
    legend.Refresh(doc);
    EXPECT_EQ(legend.Title(), "N APs");
    EXPECT_EQ(legend.LevelLabel(0), "N=1");
    EXPECT_EQ(legend.LevelLabel(8), "N=9");
    EXPECT_EQ(legend.LevelLabel(9), "N>=10");

    // The single contour's range comes from the contour range control's thumbs.
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Display(doc).m_bShowContour = 1;
    Edit::Display(doc).m_panel.m_nContourLow = -85, Edit::Display(doc).m_panel.m_nContourHigh = -55;
    legend.Refresh(doc);
    EXPECT_EQ(legend.m_dRangeMin, -85);
    EXPECT_EQ(legend.m_dRangeMax, -55);

    // Files that are not used take no colour and no row.
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bMultiContours = 0;
    CDataFile a, b, c;
    a.m_strName = "first.hsd", b.m_strName = "skipped-with-a-long-name.hsd", c.m_strName = "third.hsd";
    b.m_bUse = 0;
    Edit::Survey(doc).m_aFiles = {a, b, c};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0), Rgb(0, 0, 255)};
    legend.Refresh(doc);
    const QFontMetrics fm(legend.m_font, &device);
    const int h = fm.height() + 2;
    const QSize size = legend.GetSize(&device);
    EXPECT_EQ(size.height(), 3 * h + 2);
    QImage picture(size.width() + 10, size.height() + 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        legend.Draw(p, QRect(0, 0, size.width(), size.height()));
    }
    // The third file's row (the second row of files) carries the second colour.
    EXPECT_EQ(At(picture, 30, 2 * h + h / 2), Rgb32(0, 0, 255));
}

TEST_F(GraphRenderer, DamagedProjectValuesDrawWithoutHangingOrCrashing) {
    CPlotraDoc doc;
    Planar(doc);
    Edit::Display(doc).m_nLineWidth = 1 << 30;
    Edit::Display(doc).m_nGridDivisions = 1 << 30;
    Edit::Display(doc).m_bXGrid = Edit::Display(doc).m_bYGrid = 1;
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_bShowNoGps = 1;
    Edit::Display(doc).m_bShowCellRadius = 1;
    Edit::Display(doc).m_bCombined = 1;
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Display(doc).m_bShowApMarkers = 1;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Display(doc).m_nAlpha = 1000;
    Edit::Path(doc).m_aPoints = {MakeSample(10, std::nan("")), MakeSample(-1e300, 1e300), MakeSample(50, 50)};
    Edit::Path(doc).m_aFilePathCount = {7, -3}; // more points than exist, then a negative count
    Edit::Path(doc).m_aGpsState = {0, 1, 0};
    Edit::Aps(doc).m_aAPs.push_back(MakeAp(40, 40, 20, 90, Rgb(1, 2, 3)));
    Edit::Aps(doc).m_aAPs[0].m_fReliability = 1e30f;
    Edit::Aps(doc).m_aAPs[0].m_bFixed = 1;
    Edit::Aps(doc).m_aAPs[0].m_nIconId = -7;
    CData_Area area;
    area.m_nCorners = 99;
    area.m_adX = {1e300, -1e300, std::nan(""), 5};
    Edit::Coverage(doc).m_aContours[0].m_aLevelAreas = {area};
    CData_Pos level;
    level.m_nCount = 1 << 30;
    level.m_nRed = 999, level.m_nGreen = -5;
    Edit::Coverage(doc).m_aContours[0].m_aAreaLevels = {level, level};
    Edit::Coverage(doc).m_aContours[0].m_aLineLevels = {level};
    const QImage image = Render(doc);
    EXPECT_EQ(image.size(), QSize(kSize, kSize));
    EXPECT_TRUE(RenderGraph(doc, ViewState(), kMaxPictureSide + 1, 10).isNull());
    // A frame without extent draws the map only.
    Edit::Frame(doc).m_dFrameSpanX = 0;
    EXPECT_FALSE(Render(doc).isNull());
}
