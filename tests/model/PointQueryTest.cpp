// The graph window's arithmetic without a window: AP hit test, ruler, status text, info bubble text
// and placement. The document is a planar one framed so that one pixel is one metre (101 x 101
// pixels over a 100 m frame).
#include "model/PointQuery.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

using namespace plotra;

namespace {

constexpr int kSize = 101;

CAPInfo ApAt(double y, double x, std::size_t points, double slope = -20.0) {
    CAPInfo ap;
    ap.m_bSelected = 1;
    ap.m_posAP = CDataGeo(y, x);
    ap.m_abyMAC = {0, 0x11, 0x22, 0x33, 0x44, 0x55};
    ap.m_szSSID = MakeSsid("office");
    ap.m_byChannel = 6;
    ap.m_dSlope = slope;
    for (std::size_t i = 0; i < points; ++i) {
        CData p;
        p.m_dY = y;
        p.m_dX = x;
        p.m_dRssi = -60.0;
        ap.m_aApPoints.push_back(p);
    }
    return ap;
}

struct PlanarDoc {
    CPlotraDoc doc;
    ViewState view;
    PlanarDoc() {
        Edit::Display(doc).m_bDataLoaded = 1;
        Edit::Map(doc).m_bMetricXY = 1;
        Edit::Display(doc).m_bShowLonLat = 0;
        Edit::Display(doc).m_dUnitFactor = 1.0;
        Edit::Frame(doc).m_dFrameOriginX = Edit::Frame(doc).m_dFrameOriginY = 0.0;
        Edit::Frame(doc).m_dFrameSpanX = Edit::Frame(doc).m_dFrameSpanY = 100.0;
    }
    PixelMapping Mapping() const { return view.Mapping(doc, kSize, kSize); }
};

} // namespace

TEST(PointQuery, HitTestTakesTheNearestMarkerWithinFivePixels) {
    PlanarDoc p;
    Edit::Aps(p.doc).m_aAPs = {ApAt(50, 50, 100), ApAt(50, 53, 100), ApAt(20, 20, 100)};
    Edit::Aps(p.doc).m_aAPs[2].m_bSelected = 0; // unticked APs are never hit
    const PixelMapping m = p.Mapping();
    EXPECT_EQ(HitTestAp(p.doc, m, 55, 50), 1); // 5 px from AP 0, 2 px from AP 1
    EXPECT_EQ(HitTestAp(p.doc, m, 51, 50), 0);
    EXPECT_EQ(HitTestAp(p.doc, m, 59, 50), -1); // 6 px from AP 1 misses
    EXPECT_EQ(HitTestAp(p.doc, m, 58, 50), 1);
    EXPECT_EQ(HitTestAp(p.doc, m, 52, 50), 1);
    EXPECT_EQ(HitTestAp(p.doc, m, 20, 80), -1);
    Edit::Aps(p.doc).m_aAPs[1].m_posAP = CDataGeo(50, 50); // two markers on one spot: the first in list order
    EXPECT_EQ(HitTestAp(p.doc, m, 52, 51), 0);
}

TEST(PointQuery, RulerLabelsAndUnits) {
    PlanarDoc p;
    RulerReading r = MeasureRuler(p.doc, 0, 0, 1000, 0);
    EXPECT_EQ(r.leftLabel, "Y");
    EXPECT_EQ(r.rightLabel, "X");
    EXPECT_EQ(r.right2, "1000.000");
    EXPECT_EQ(r.distanceLabel, "Distance (Meter)");
    EXPECT_EQ(r.distance, "1000.000000");
    r = MeasureRuler(p.doc, 0, 0, 1001, 0);
    EXPECT_EQ(r.distanceLabel, "Distance (KMs)");
    EXPECT_EQ(r.distance, "1.001000");

    Edit::Display(p.doc).m_dUnitFactor = 0.3048; // feet
    r = MeasureRuler(p.doc, 0, 0, 5278 * 0.3048, 0);
    EXPECT_EQ(r.distanceLabel, "Distance (Feet)");
    EXPECT_EQ(r.right2, "5278.000");
    r = MeasureRuler(p.doc, 0, 0, 5279 * 0.3048, 0);
    EXPECT_EQ(r.distanceLabel, "Distance (Miles)");
    EXPECT_EQ(r.distance, "1.000024"); // 5279 ft in miles of 1609 m

    Edit::Map(p.doc).m_bMetricXY = 0; // latitude/longitude: degrees as they are, distance on the sphere
    Edit::Display(p.doc).m_dUnitFactor = 1.0;
    r = MeasureRuler(p.doc, 7.0, 46.0, 7.0, 46.001);
    EXPECT_EQ(r.leftLabel, "Lat");
    EXPECT_EQ(r.left2, "46.001000");
    EXPECT_EQ(r.distanceLabel, "Distance (Meter)");
    EXPECT_EQ(r.distance.substr(0, 6), "111.31");

    EXPECT_EQ(r.unit, RulerUnit::Meter);

    // The dialog's "Calculation" with edited texts gives the distance in the unit its label names.
    EXPECT_EQ(RulerDistance(true, RulerUnit::Meter, "3", "0", "0", "4"), "5.000");
    EXPECT_EQ(RulerDistance(true, RulerUnit::Kilometre, "3000", "0", "0", "4000"), "5.000");
    EXPECT_EQ(RulerDistance(true, RulerUnit::Foot, "3", "0", "0", "4"), "5.000");
    EXPECT_EQ(RulerDistance(true, RulerUnit::Mile, "0", "0", "0", "49200"), "9.320"); // 49200 ft
    // The edited texts are read in single precision, as the dialog's fields hold them.
    const double metres = GeoDistance(46.0f, 7.0f, 46.001f, 7.0f);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%4.6f", metres);
    EXPECT_EQ(RulerDistance(false, RulerUnit::Meter, "46", "7", "46.001", "7"), expected);
    std::snprintf(expected, sizeof expected, "%4.6f", metres / 0.3048);
    EXPECT_EQ(RulerDistance(false, RulerUnit::Foot, "46", "7", "46.001", "7"), expected);
    // Measured and calculated again from the fields as shown, each reading keeps its unit.
    struct Case {
        bool metric;
        double unitFactor, x2;
        RulerUnit unit;
    };
    for (const Case c :
         {Case{true, 1.0, 14994.333, RulerUnit::Kilometre}, Case{true, 0.3048, 14994.333, RulerUnit::Mile},
          Case{false, 1.0, 7.2, RulerUnit::Kilometre}, Case{false, 0.3048, 7.2, RulerUnit::Mile}}) {
        Edit::Map(p.doc).m_bMetricXY = c.metric ? 1 : 0;
        Edit::Display(p.doc).m_dUnitFactor = c.unitFactor;
        const double y = c.metric ? 0.0 : 46.0, x1 = c.metric ? 0.0 : 7.0;
        r = MeasureRuler(p.doc, x1, y, c.x2, y);
        EXPECT_EQ(r.unit, c.unit);
        const double measured = std::stod(r.distance);
        const double again = std::stod(RulerDistance(r.metric, r.unit, r.left1, r.right1, r.left2, r.right2));
        EXPECT_NEAR(again, measured, 0.002 * measured) << r.distanceLabel << " " << r.distance;
    }
}

TEST(PointQuery, StatusTextForEachGraphInsideAndOutsideTheCoverage) {
    PlanarDoc p;
    Edit::Display(p.doc).m_bDataLoaded = 0;
    EXPECT_EQ(StatusText(p.doc, p.view, 3, 4, kSize, kSize), "(X_Pixel = 3, Y_Pixel =  4)");
    EXPECT_EQ(StatusText(p.doc, p.view, -1, 4, kSize, kSize), "");
    Edit::Display(p.doc).m_bDataLoaded = 1;
    EXPECT_EQ(StatusText(p.doc, p.view, 10, 90, kSize, kSize), "(X = 10.000, Y = 10.000)");
    EXPECT_EQ(StatusText(p.doc, p.view, kSize, 90, kSize, kSize), "");
    Edit::Display(p.doc).m_dUnitFactor = 0.3048;
    EXPECT_EQ(StatusText(p.doc, p.view, 10, 90, kSize, kSize), "(X = 32.808, Y = 32.808)");
    Edit::Display(p.doc).m_dUnitFactor = 1.0;

    // A 5 x 5 combined grid over 20..60 m: pixel (40, 60) is node (2, 2).
    Edit::Display(p.doc).m_bCombined = 1;
    Edit::Frame(p.doc).m_dGridOriginX = Edit::Frame(p.doc).m_dGridOriginY = 20.0;
    Edit::Frame(p.doc).m_dGridSpanX = Edit::Frame(p.doc).m_dGridSpanY = 40.0;
    Edit::Frame(p.doc).m_nGridCols = Edit::Frame(p.doc).m_nGridRows = 5;
    Edit::Coverage(p.doc).m_aGridPower.assign(25, -90.0);
    Edit::Coverage(p.doc).m_aGridSnr.assign(25, 5.0);
    Edit::Coverage(p.doc).m_aGridCount.assign(25, 0);
    Edit::Coverage(p.doc).m_aGridPower[12] = -55.7;
    Edit::Coverage(p.doc).m_aGridSnr[12] = 30.9;
    Edit::Coverage(p.doc).m_aGridCount[12] = 3;
    EXPECT_EQ(StatusText(p.doc, p.view, 40, 60, kSize, kSize), "(X = 40.000, Y = 40.000, Power = -55 dBm)");
    Edit::Display(p.doc).m_nGraphType = StoredValue(GraphKind::Snr);
    EXPECT_EQ(StatusText(p.doc, p.view, 40, 60, kSize, kSize), "(X = 40.000, Y = 40.000, SNR = 30 dB)");
    Edit::Display(p.doc).m_nGraphType = StoredValue(GraphKind::ApCount);
    EXPECT_EQ(StatusText(p.doc, p.view, 40, 60, kSize, kSize), "(X = 40.000, Y = 40.000, 3 APs)");
    EXPECT_EQ(StatusText(p.doc, p.view, 10, 90, kSize, kSize), "No coverage! (X = 10.000, Y = 10.000)");
    // Rounding: 0.4 of a cell stays, more goes to the next (pixel 45 is 2.5 cells: node 3).
    EXPECT_EQ(GridCellAt(44, 80, 20, 60, 40, 80, 5, 5), std::optional<std::size_t>(2 * 5 + 0));
    EXPECT_EQ(GridCellAt(45, 80, 20, 60, 40, 80, 5, 5), std::optional<std::size_t>(3 * 5 + 0));

    // Degrees with the longitude/latitude display print the position itself.
    Edit::Map(p.doc).m_bMetricXY = 0;
    Edit::Display(p.doc).m_bShowLonLat = 1;
    Edit::Display(p.doc).m_bCombined = 0;
    Edit::Frame(p.doc).m_dFrameOriginX = 7.0, Edit::Frame(p.doc).m_dFrameOriginY = 46.0;
    Edit::Frame(p.doc).m_dFrameSpanX = Edit::Frame(p.doc).m_dFrameSpanY = 0.01;
    EXPECT_EQ(StatusText(p.doc, p.view, 50, 50, kSize, kSize), "(Lon = 7.00500, Lat = 46.00500)");
}

TEST(PointQuery, InfoTextNamesTheApsThatCoverThePoint) {
    PlanarDoc p;
    Edit::Display(p.doc).m_bShowPath = 1;
    CData pathPoint;
    pathPoint.m_dY = 30.0, pathPoint.m_dX = 30.0;
    Edit::Path(p.doc).m_aPoints = {pathPoint};
    Edit::Path(p.doc).m_aAltitude = {123456}; // cm
    Edit::Path(p.doc).m_aVelocity = {1000};   // cm/s
    CAPInfo few = ApAt(30, 30, 5);
    few.m_szSSID = MakeSsid("lab");
    CAPInfo located = ApAt(30, 32, 100);         // marker 2 px away
    CAPInfo predicted = ApAt(90, 90, 100, -5.0); // no marker: its grid answers
    predicted.m_areaOrigin = CDataGeo(20, 20);
    predicted.m_areaSize = CDataGeo(20, 20);
    predicted.m_nApGridCols = predicted.m_nApGridRows = 3;
    predicted.m_aGrid.assign(9, -72.4);
    Edit::Aps(p.doc).m_aAPs = {few, located, predicted};

    const std::string text = InfoText(p.doc, p.view, 30, 70, kSize, kSize);
    EXPECT_EQ(text, "X(m) = 30.000, Y(m) = 30.000 \n"
                    "Lon = 30.00000, Lat = 30.00000 \n"
                    "Altitude =  1235 m, Velocity =  36.0 KPH\n"
                    "\n  RSSI     CH          MAC                  SSID\n"
                    "\n -60 dBm  6  00-11-22-33-44-55  lab\n" // every reading under the mouse
                    "\n -60 dBm  6  00-11-22-33-44-55  lab\n"
                    "\n -60 dBm  6  00-11-22-33-44-55  lab\n"
                    "\n -60 dBm  6  00-11-22-33-44-55  lab\n"
                    "\n -60 dBm  6  00-11-22-33-44-55  lab\n"
                    "\n   (AP)      6  00-11-22-33-44-55  office\n"
                    "\n -72 dBm  6  00-11-22-33-44-55  office\n"
                    "\n 3 selected APs cover this point \n"); // the readings' AP counts once

    // A placed AP with few points is named once however many of its points are near.
    Edit::Aps(p.doc).m_aAPs = {few};
    Edit::Aps(p.doc).m_aAPs[0].m_bFixed = 1;
    const std::string placed = InfoText(p.doc, p.view, 30, 70, kSize, kSize);
    EXPECT_EQ(placed.substr(placed.find("SSID\n")), "SSID\n"
                                                    "\n   (AP)      6  00-11-22-33-44-55  lab\n"
                                                    "\n 1 selected AP covers this point \n");

    // Feet, no path point under the mouse, a grid value at -100 dBm is not counted.
    Edit::Display(p.doc).m_dUnitFactor = 0.3048;
    Edit::Aps(p.doc).m_aAPs = {predicted};
    Edit::Aps(p.doc).m_aAPs[0].m_aGrid.assign(9, -100.0);
    const std::string feet = InfoText(p.doc, p.view, 25, 75, kSize, kSize);
    EXPECT_EQ(feet.substr(0, 14), "X(Ft) = 82.021");
    EXPECT_EQ(feet.find("Altitude"), std::string::npos);
    EXPECT_NE(feet.find("\n No selected AP covers this point\n"), std::string::npos);
    Edit::Aps(p.doc).m_aAPs[0].m_aGrid.assign(9, -99.0);
    EXPECT_NE(InfoText(p.doc, p.view, 25, 75, kSize, kSize).find("\n 1 selected AP covers this point \n"),
              std::string::npos);
}

TEST(PointQuery, InfoBubbleStaysInsideTheWindow) {
    const auto at = [](int x, int y, int w, int h) { return PlaceInfo(x, y, w, h, 100, 100); };
    auto p = at(10, 10, 30, 30);
    EXPECT_EQ(std::tie(p.x, p.y, p.left, p.above), std::make_tuple(11, 11, false, false));
    p = at(90, 10, 30, 30); // right edge: left of the mouse
    EXPECT_EQ(std::tie(p.x, p.y, p.left, p.above), std::make_tuple(59, 11, true, false));
    p = at(90, 90, 30, 30); // bottom-right corner: left and above
    EXPECT_EQ(std::tie(p.x, p.y, p.left, p.above), std::make_tuple(59, 59, true, true));
    p = at(10, 90, 30, 30); // bottom edge: above
    EXPECT_EQ(std::tie(p.x, p.y, p.left, p.above), std::make_tuple(11, 59, false, true));
    p = at(10, 10, 200, 200); // fits nowhere: right of and below the mouse
    EXPECT_EQ(std::tie(p.x, p.y, p.left, p.above), std::make_tuple(11, 11, false, false));
}
