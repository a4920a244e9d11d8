// Merging repeated samples of an AP and repeated positions of a walk, and the extent of the APs.
#include "analysis/Numeric.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include "model/EditAccess.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace plotra;
using namespace plotra::test;

namespace {

} // namespace

TEST(SampleMerge, ConsecutiveSamplesAtOneSpotBecomeOnePoint) {
    CAPInfo ap;
    ap.m_aSamples = {MakeSample(46.0, 7.0, -60, -91), MakeSample(46.0, 7.0 + 5e-10, -70, -92),
                     MakeSample(46.0, 7.0, -65, -92), MakeSample(46.001, 7.0, -80, -90), MakeSample(46.0, 7.0, -50, -93)};
    ap.m_aApPoints = {MakeSample(1, 1, 1, 1)}; // an earlier build is replaced, not extended
    ap.MergeCoincidentSamples(1e-9);
    ASSERT_EQ(ap.m_aApPoints.size(), 3u);
    EXPECT_EQ(ap.m_aApPoints[0].m_dY, 46.0);
    EXPECT_EQ(ap.m_aApPoints[0].m_dX, 7.0); // the group keeps its first position
    EXPECT_EQ(ap.m_aApPoints[0].m_dRssi, (-60.0 + -70.0 + -65.0) / 3.0);
    EXPECT_EQ(ap.m_aApPoints[0].m_nNoise, -91); // -275 / 3 truncates towards zero
    EXPECT_EQ(ap.m_aApPoints[1].m_dRssi, -80.0);
    // The same spot again after another one starts a new group.
    EXPECT_EQ(ap.m_aApPoints[2].m_dRssi, -50.0);

    CAPInfo empty;
    empty.MergeCoincidentSamples(1e-9);
    EXPECT_TRUE(empty.m_aApPoints.empty());
}

TEST(SampleMerge, PathPositionsWithinAMillimetreMerge) {
    CPlotraDoc doc;
    const double lat = 46.95, lon = 7.44;
    const double mmLon = 0.0005 / GeoDistance(lat, lon, lat, lon + 1.0); // half a millimetre of longitude
    Edit::Path(doc).m_aMeasurements = {MakeSample(lat, lon, -60, -91), MakeSample(lat, lon, -70, -92),
                                       MakeSample(lat, lon + mmLon, -80, -92),
                                       MakeSample(lat + 0.0001, lon, -50, -90)};
    Edit::Path(doc).m_aRawFix = {2, 1, 2, 0};
    Edit::Path(doc).m_aRawAltitude = {100, 101, 103, 500};
    Edit::Path(doc).m_aRawVelocity = {10, 0, 1, 7};
    Edit::Path(doc).m_aGpsState = {9, 9};
    Edit::Path(doc).m_aPoints = {MakeSample(0, 0, 0, 0)}; // positions are appended after what is there
    doc.MergePathPositions();
    ASSERT_EQ(doc.Path().m_aPoints.size(), 3u);
    const CData& p = doc.Path().m_aPoints[1];
    EXPECT_EQ(p.m_dY, lat);
    EXPECT_EQ(p.m_dX, lon);
    const double rssi[] = {-60, -70, -80};
    EXPECT_EQ(p.m_dRssi, Mean(rssi, 3));
    EXPECT_EQ(p.m_nNoise, -91); // -275 / 3
    EXPECT_EQ(doc.Path().m_aGpsState, (std::vector<int>{1, 0}));
    EXPECT_EQ(doc.Path().m_aAltitude, (std::vector<int>{101, 500}));
    EXPECT_EQ(doc.Path().m_aVelocity, (std::vector<int>{3, 7}));

    // Any empty raw list: the state list is emptied and nothing is appended.
    Edit::Path(doc).m_aRawVelocity.clear();
    doc.MergePathPositions();
    EXPECT_EQ(doc.Path().m_aPoints.size(), 3u);
    EXPECT_TRUE(doc.Path().m_aGpsState.empty());
}

namespace {

CAPInfo Area(double y, double x, double h, double w, std::size_t points, bool selected = true) {
    CAPInfo ap;
    ap.m_areaOrigin = CDataGeo(y, x);
    ap.m_areaSize = CDataGeo(h, w);
    ap.m_aApPoints.resize(points);
    ap.m_bSelected = selected ? 1 : 0;
    return ap;
}

} // namespace

TEST(Extent, UnionOfTheSelectedAps) {
    CPlotraDoc doc;
    HostRecorder host;
    doc.SetOutside(nullptr, nullptr, &host);
    Edit::Aps(doc).m_aAPs = {Area(10, 20, 5, 5, 30), Area(0, 0, 100, 100, 30, false),
                             Area(12, 18, 10, 3, 20)};
    doc.ComputeExtent(0, 0, 0);
    EXPECT_EQ(doc.Frame().m_dGridOriginY, 10);
    EXPECT_EQ(doc.Frame().m_dGridOriginX, 18);
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 12);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, 7);
    // Without the map shown the frame is the rectangle, widened about its centre to equal ground per
    // pixel of the graph window (here along x: 12 degrees of latitude on 500 pixels around 16 N).
    EXPECT_EQ(doc.Frame().m_dFrameOriginY, 10);
    EXPECT_EQ(doc.Frame().m_dFrameSpanY, 12);
    EXPECT_NEAR(doc.Frame().m_dFrameSpanX, 12.0 / 500 * 800 / std::cos(16 * std::numbers::pi / 180), 1e-12);
    EXPECT_NEAR(doc.Frame().m_dFrameOriginX + doc.Frame().m_dFrameSpanX / 2, 18 + 3.5, 1e-12);
    EXPECT_EQ(host.zoomResets, 1);
    // Mode 1 leaves out APs with 20 points or fewer.
    doc.ComputeExtent(0, 0, 1);
    EXPECT_EQ(doc.Frame().m_dGridOriginX, 20);
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 5);
}

TEST(Extent, FlatRectangleWithoutAMapTakesATenthOfTheFrame) {
    CPlotraDoc doc;
    Edit::Frame(doc).m_dFrameSpanY = 40;
    Edit::Frame(doc).m_dFrameSpanX = 80;
    Edit::Aps(doc).m_aAPs = {Area(10, 20, 0, 6, 30)};
    doc.ComputeExtent(0, 0, 0);
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 4);
    EXPECT_EQ(doc.Frame().m_dGridOriginY, 8);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, 6);
    // With a map a flat side becomes a tenth of the map.
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Map(doc).m_dMapHeight = 300;
    doc.ComputeExtent(0, 0, 0);
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 30);
    EXPECT_EQ(doc.Frame().m_dGridOriginY, 10);
}

TEST(Extent, ShownMapWidensTheFrameToTheWindow) {
    CPlotraDoc doc;
    HostRecorder host;
    host.setMapShown(true);
    host.clientSize = {800, 500};
    doc.SetOutside(nullptr, nullptr, &host);
    Edit::Map(doc).m_bMetricXY = Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Aps(doc).m_aAPs = {Area(0, 0, 100, 100, 30)};
    doc.ComputeExtent(0, 0, 0);
    // Frame 120 x 120 from -10; 0.24 m per pixel vertically, so the x side grows to 192.
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, -10);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 120);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 192);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginX, -46);
    // An explicit size is used as given: a tall window widens y instead.
    doc.ComputeExtent(200, 1000, 0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 120);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 600);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, -10 - 4.0 * 120 * 0.5);
}

TEST(Extent, WithoutSelectedApsTheWalkAndTheMapAreShown) {
    CPlotraDoc doc;
    HostRecorder host;
    host.setMapShown(true);
    host.clientSize = {100, 100};
    doc.SetOutside(nullptr, nullptr, &host);
    Edit::Map(doc).m_bMetricXY = Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_dMapHeight = 200;
    Edit::Map(doc).m_dMapWidth = 200;
    Edit::Aps(doc).m_aAPs = {Area(0, 0, 10, 10, 30, false)};
    CData a, b;
    a.m_dY = 50, a.m_dX = 60, b.m_dY = 70, b.m_dX = 90;
    Edit::Path(doc).m_aPoints = {a, b};
    doc.ComputeExtent(0, 0, 0);
    EXPECT_EQ(doc.Frame().m_dGridOriginY, 50);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, 30);
    // The frame covers the whole map (0..200) with its margin.
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameOriginY, -20);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanY, 240);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dFrameSpanX, 240);
}
