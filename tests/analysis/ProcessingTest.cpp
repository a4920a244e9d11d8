// Data processing on small hand-made APs: search caps, search subset, skipped APs, ties, pseudo-points,
// the sign retry, the grid rule, the progress report and the steps after the last AP.
#include "analysis/Processing.h"
#include "analysis/Numeric.h"
#include "analysis/ProcessDataOracle.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"
#include "support/PromptRecorder.h"

#include "model/EditAccess.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace plotra;
using namespace plotra::processing;
using namespace plotra::test;

namespace {

constexpr double kLat0 = 46.95, kLon0 = 7.44;
const double kMetresPerDegLat = GeoDistance(kLat0, kLon0, kLat0 + 1.0, kLon0);
const double kMetresPerDegLon = GeoDistance(kLat0, kLon0, kLat0, kLon0 + 1.0);

/// A sample at (north, east) metres from a fixed corner, in degrees.
CData At(double north, double east, double rssi, int noise = -95) {
    return MakeSample(kLat0 + north / kMetresPerDegLat, kLon0 + east / kMetresPerDegLon, rssi, noise);
}

double NorthOf(const CDataGeo& g) {
    return (g.m_dY - kLat0) * kMetresPerDegLat;
}
double EastOf(const CDataGeo& g) {
    return (g.m_dX - kLon0) * kMetresPerDegLon;
}

/// Samples every 5 m around the border of a 100 m square, heard from an AP 20 m north of the middle of
/// the southern side (-34 dBm at 1 m, 20 dB per decade). That middle sample is the strongest and the
/// search centre; it gets the given RSSI.
CAPInfo RingAp(double strongest) {
    CAPInfo ap;
    auto add = [&](double n, double e) {
        const double rssi =
            (n == 0.0 && e == 50.0) ? strongest : -34.0 - 20.0 * std::log10(std::hypot(n - 20, e - 50));
        ap.m_aSamples.push_back(At(n, e, rssi));
    };
    for (int k = 0; k < 20; ++k)
        add(0.0, k * 5.0);
    for (int k = 0; k < 20; ++k)
        add(k * 5.0, 100.0);
    for (int k = 0; k < 20; ++k)
        add(100.0, 100.0 - k * 5.0);
    for (int k = 0; k < 20; ++k)
        add(100.0 - k * 5.0, 0.0);
    return ap;
}

void ProcessSingle(CPlotraDoc& doc, CAPInfo ap) {
    Edit::Aps(doc).m_aAPs.clear();
    Edit::Aps(doc).m_aAPs.push_back(std::move(ap));
    ProcessData(doc, ProcessingOptions{1});
}

} // namespace

TEST(ProcessingSteps, SearchCapThresholdsAreStrict) {
    EXPECT_EQ(SearchCap(-29.9), 3.0);
    EXPECT_EQ(SearchCap(-30.0), 6.0);
    EXPECT_EQ(SearchCap(-35.0), 6.0);
    EXPECT_EQ(SearchCap(-40.0), 9.0);
    EXPECT_EQ(SearchCap(-59.99), 12.0);
    EXPECT_FALSE(SearchCap(-60.0).has_value());
}

TEST(Processing, StrongAnApIsSearchedNearItsStrongestSample) {
    auto position = [](double strongest) {
        CPlotraDoc doc;
        ProcessSingle(doc, RingAp(strongest));
        EXPECT_EQ(doc.Aps().m_aAPs[0].m_nApGridCols, 50);
        return doc.Aps().m_aAPs[0].m_posAP;
    };
    // Exactly -60 dBm has no cap: the search reaches a quarter of the area (25 m) and finds the AP.
    const CDataGeo free = position(-60.0);
    EXPECT_NEAR(NorthOf(free), 20.0, 1e-6);
    EXPECT_NEAR(EastOf(free), 50.0, 1e-6);
    // Stronger samples keep the search within 12, 6 and 3 m of them.
    const std::pair<double, double> caps[] = {{-59.99, 12.0}, {-35.0, 6.0}, {-29.0, 3.0}};
    for (const auto& [rssi, cap] : caps) {
        const CDataGeo p = position(rssi);
        EXPECT_LE(std::fabs(NorthOf(p)), cap + 1e-6) << rssi;
        EXPECT_LE(std::fabs(EastOf(p) - 50.0), cap + 1e-6) << rssi;
    }
}

TEST(ProcessingSteps, SearchSubsetNeedsTwoHundredStrongPoints) {
    std::vector<double> rssi(300, -80.0);
    for (int i = 0; i < 200; ++i)
        rssi[static_cast<std::size_t>(i) + 50] = -64.9;
    const auto set200 = SearchPointSet(rssi.data(), rssi.size());
    ASSERT_EQ(set200.size(), 200u);
    EXPECT_EQ(set200.front(), 50u);
    EXPECT_EQ(set200.back(), 249u);
    rssi[50] = -65.0; // not strictly above
    EXPECT_EQ(SearchPointSet(rssi.data(), rssi.size()).size(), 300u);
}

TEST(Processing, SearchSubsetCasesMatchTheOracle) {
    // 260 points; 200 or 199 of them above -65 dBm.
    for (int strong : {200, 199}) {
        CPlotraDoc prod, oracle;
        CAPInfo ap;
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> u(0.0, 120.0);
        for (int i = 0; i < 260; ++i) {
            const double n = u(rng), e = u(rng);
            ap.m_aSamples.push_back(At(n, e, i < strong ? -50.0 - (i % 14) : -70.0 - (i % 20)));
        }
        Edit::Aps(prod).m_aAPs.push_back(ap);
        Edit::Aps(oracle).m_aAPs.push_back(ap);
        ProcessData(prod, ProcessingOptions{1});
        ProcessDataOracle(oracle);
        for (const auto& d : ProcessingDifferences(prod, oracle))
            ADD_FAILURE() << strong << ": " << d;
    }
}

TEST(Processing, NineteenPointsAreSkippedTwentyAreProcessed) {
    CAPInfo ap19;
    for (int i = 0; i < 19; ++i)
        ap19.m_aSamples.push_back(At(i * 5.0, (i % 4) * 7.0, -60.0 - i));
    CAPInfo ap20 = ap19;
    ap20.m_aSamples.push_back(At(100.0, 3.0, -85.0));

    CPlotraDoc doc;
    ProgressRecorder progress;
    doc.SetOutside(nullptr, &progress, nullptr);
    Edit::Aps(doc).m_aAPs = {ap19, ap20};
    ProcessData(doc, ProcessingOptions{1});

    const CAPInfo& skipped = doc.Aps().m_aAPs[0];
    EXPECT_TRUE(skipped.m_aGrid.empty());
    EXPECT_EQ(skipped.m_nApGridCols, 0);
    EXPECT_EQ(skipped.m_dGridMax, -101.0);
    EXPECT_EQ(skipped.m_dSlope, 0.0);
    EXPECT_NEAR(skipped.m_areaSize.m_dY * kMetresPerDegLat, 90.0, 1e-6); // its area is still measured
    EXPECT_TRUE(skipped.m_aCoverageBitmap.empty());

    const CAPInfo& done = doc.Aps().m_aAPs[1];
    EXPECT_EQ(done.m_aGrid.size(), 2500u);
    EXPECT_EQ(done.m_nApGridCols, 50);
    EXPECT_EQ(done.m_nApGridRows, 50);
    EXPECT_EQ(done.m_aCoverageBitmap.size(), 2500u);
    EXPECT_GE(done.m_dGridMax, doc.Coverage().m_dMeanRssi);
    EXPECT_LE(done.m_dGridMin, doc.Coverage().m_dMeanRssi);
    // The skipped AP moves no bar: 0 at the start, 1 * 90 / 2 + 90 / 2 after the second, 100 at the end.
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 90, 100}));
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"Beginning Data Processing...", "Process 1 out of 2 APs....",
                                        "Process 2 out of 2 APs...."}));
}

TEST(Processing, FirstOfTwoEqualStrongestSamplesIsTheSearchCentre) {
    CAPInfo ap;
    for (int i = 0; i < 30; ++i)
        ap.m_aSamples.push_back(At(i * 3.0, (i % 5) * 20.0, -75.0 - (i % 7)));
    ap.m_aSamples.Set(3, At(0.0, 0.0, -40.0));    // first strongest
    ap.m_aSamples.Set(15, At(90.0, 80.0, -40.0)); // equally strong, later
    CPlotraDoc doc;
    ProcessSingle(doc, ap);
    const CDataGeo pos = doc.Aps().m_aAPs[0].m_posAP;
    // -40 dBm is not above -40: the cap is 9 m around the first one.
    EXPECT_LE(std::fabs(NorthOf(pos)), 9.0 + 1e-6);
    EXPECT_LE(std::fabs(EastOf(pos)), 9.0 + 1e-6);
}

TEST(Processing, PseudoPointsOnTheBorderAndNotNextToAPoint) {
    // 20 points on a 5 x 4 grid, 10 m apart: area 40 m north by 30 m east.
    CAPInfo ap;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            ap.m_aSamples.push_back(At(r * 10.0, c * 10.0, -50.0 - r - c));
    CPlotraDoc doc;
    const CData first = ap.m_aSamples[0];
    const CData last = ap.m_aSamples.back();
    // The walk passes every sample position (listed, but next to a point: no pseudo-point) ...
    for (const CData& s : ap.m_aSamples)
        Edit::Path(doc).m_aPoints.push_back(s);
    // ... and five more positions.
    CData onBorder = At(40.0, 15.0, 0.0);
    onBorder.m_dY = last.m_dY; // exactly on the northern border
    CData corner = first;      // exactly the lower corner, but a point is there
    CData near = At(20.0, 20.0, 0.0);
    const CData& p11 = ap.m_aSamples[2 * 4 + 2];
    near.m_dY = p11.m_dY + 4e-8;
    near.m_dX = p11.m_dX + 5e-8; // L1 distance 9e-8 < 1e-7
    CData notNear = near;
    notNear.m_dX = p11.m_dX + 7e-8; // L1 distance 1.1e-7
    CData outside = At(5.0, 5.0, 0.0);
    outside.m_dX = first.m_dX - 1e-12; // a hair west of the area
    for (const CData& p : {onBorder, corner, near, notNear, outside})
        Edit::Path(doc).m_aPoints.push_back(p);

    ProcessSingle(doc, ap);
    const auto& pts = doc.Aps().m_aAPs[0].m_aApPoints;
    ASSERT_EQ(pts.size(), 22u);
    EXPECT_EQ(pts[20].m_dY, onBorder.m_dY);
    EXPECT_EQ(pts[20].m_dX, onBorder.m_dX);
    EXPECT_EQ(pts[20].m_dRssi, -101.0);
    EXPECT_EQ(pts[20].m_nNoise, 0);
    EXPECT_EQ(pts[21].m_dX, notNear.m_dX);
    EXPECT_EQ(pts[21].m_dRssi, -101.0);
}

TEST(Processing, NoPseudoPointsUnlessMorePositionsThanPoints) {
    CAPInfo ap;
    for (int i = 0; i < 25; ++i)
        ap.m_aSamples.push_back(At(i * 4.0, (i % 3) * 10.0, -55.0 - i));
    CPlotraDoc doc;
    // 25 positions inside the area, none near a point: not more than n, so none is added.
    for (int i = 0; i < 25; ++i)
        Edit::Path(doc).m_aPoints.push_back(At(i * 3.8 + 1.0, 5.0, 0.0));
    ProcessSingle(doc, ap);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_aApPoints.size(), 25u);
    // One more position and all 26 become pseudo-points.
    Edit::Path(doc).m_aPoints.push_back(At(1.0, 1.0, 0.0));
    ProcessSingle(doc, ap);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_aApPoints.size(), 51u);
}

TEST(ProcessingSteps, PositiveSlopeBelowFiveIsRetried) {
    std::vector<double> criteria = {5.0, 1.0, 3.0, 2.0, 9.0};
    std::vector<std::size_t> tried;
    auto slopeAt = [&](std::size_t k) {
        tried.push_back(k);
        return tried.size() < 2 ? 3.0 : -20.0;
    };
    const SignRetry r = RetryPositiveSlope(criteria, 1, 3.0, slopeAt);
    // The best (index 1) is pushed back to the largest criterion; next come 3 and then 2.
    EXPECT_EQ(tried, (std::vector<std::size_t>{3, 2}));
    EXPECT_EQ(r.candidate, 2u);
    EXPECT_EQ(r.slope, -20.0);
    EXPECT_EQ(r.retries, 2);
    EXPECT_EQ(criteria[1], 9.0);
    EXPECT_EQ(criteria[3], 9.0);

    for (double slope : {6.0, 5.0, 0.0, -4.0}) {
        std::vector<double> c = {1.0, 2.0};
        const SignRetry none = RetryPositiveSlope(c, 0, slope, [](std::size_t) -> double {
            ADD_FAILURE() << "no retry expected";
            return 0.0;
        });
        EXPECT_EQ(none.retries, 0) << slope;
        EXPECT_EQ(none.candidate, 0u);
    }
}

TEST(ProcessingSteps, SignRetryEndsAfterEveryCandidate) {
    std::vector<double> criteria(kCandidates);
    for (std::size_t k = 0; k < kCandidates; ++k)
        criteria[k] = static_cast<double>((k * 37) % 1000);
    int calls = 0;
    const SignRetry r =
        RetryPositiveSlope(criteria, ArgMin(criteria.data(), kCandidates), 2.0, [&](std::size_t) {
            ++calls;
            return 2.0;
        });
    EXPECT_EQ(r.retries, 961);
    EXPECT_EQ(calls, 961);
}

namespace {

/// The grid of the definition: every node's distances to all points and the bubble-pass IDW.
std::vector<double> BruteGrid(const std::vector<double>& y, const std::vector<double>& x,
                              const std::vector<double>& rssi, bool metric, const AreaBounds& a, CDataGeo P,
                              double slope, double intercept) {
    std::vector<double> out(2500);
    const double sx = (a.maxX - a.minX) / 49, sy = (a.maxY - a.minY) / 49;
    std::vector<double> d(y.size());
    for (int ix = 0; ix < 50; ++ix)
        for (int iy = 0; iy < 50; ++iy) {
            const double ny = a.minY + iy * sy, nx = a.minX + ix * sx;
            auto dist = [&](double py, double px) {
                return metric ? std::sqrt((ny - py) * (ny - py) + (nx - px) * (nx - px))
                              : GeoDistance(ny, nx, py, px);
            };
            for (std::size_t i = 0; i < y.size(); ++i)
                d[i] = dist(y[i], x[i]);
            const double idw = IdwNearest(d.data(), rssi.data(), y.size(), 3, 2);
            const double model = slope * Log10Distance(dist(P.m_dY, P.m_dX)) + intercept;
            out[static_cast<std::size_t>(ix * 50 + iy)] = slope >= 0 ? idw : 0.6 * model + 0.4 * idw;
        }
    return out;
}

} // namespace

TEST(ProcessingSteps, GridIsPureIdwForARisingModelAndABlendOtherwise) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (bool metric : {false, true}) {
        std::vector<double> y, x, rssi;
        for (int i = 0; i < 300; ++i) {
            const double n = 200.0 * u(rng), e = 150.0 * u(rng);
            // Clusters of repeated positions with different values decide ties by index.
            const int copies = i % 10 == 0 ? 3 : 1;
            for (int c = 0; c < copies; ++c) {
                const CData s = At(n, e, -40.0 - 50.0 * u(rng));
                y.push_back(metric ? n : s.m_dY);
                x.push_back(metric ? e : s.m_dX);
                rssi.push_back(s.m_dRssi);
            }
        }
        AreaBounds area{*std::min_element(y.begin(), y.end()), *std::min_element(x.begin(), x.end()),
                        *std::max_element(y.begin(), y.end()), *std::max_element(x.begin(), x.end())};
        const CDataGeo P(0.5 * (area.minY + area.maxY), 0.5 * (area.minX + area.maxX));
        const PointArrays pts{y.data(), x.data(), rssi.data(), y.size()};
        for (double slope : {0.0, 2.5, -22.0}) {
            const ApGrid g = PredictApGrid(pts, metric, area, 50, 50, P, slope, -38.0, -70.0);
            const auto expected = BruteGrid(y, x, rssi, metric, area, P, slope, -38.0);
            ASSERT_EQ(g.values.size(), expected.size());
            double mx = -70.0, mn = -70.0;
            for (std::size_t k = 0; k < expected.size(); ++k) {
                ASSERT_TRUE(SameBits(g.values[k], expected[k]))
                    << "metric " << metric << " slope " << slope << " node " << k;
                mx = std::max(mx, expected[k]);
                mn = std::min(mn, expected[k]);
            }
            EXPECT_EQ(g.maximum, mx);
            EXPECT_EQ(g.minimum, mn);
        }
    }
}

TEST(Processing, ACandidateOnAPointGivesFiniteResults) {
    // Points on one line; the middle candidate of the search falls exactly on the strongest point.
    CPlotraDoc doc;
    Edit::Map(doc).m_bMetricXY = 1;
    CAPInfo ap;
    for (int i = 0; i < 20; ++i) {
        CData p;
        p.m_dY = i * 5.0;
        p.m_dX = 0.0;
        p.m_dRssi = i == 10 ? -40.0 : -45.0 - 2.0 * std::abs(i - 10);
        p.m_nNoise = -95;
        ap.m_aApPoints.push_back(p);
    }
    ProcessSingle(doc, ap);
    const CAPInfo& a = doc.Aps().m_aAPs[0];
    ASSERT_EQ(a.m_aGrid.size(), 2500u);
    EXPECT_TRUE(std::isfinite(a.m_dSlope));
    EXPECT_TRUE(std::isfinite(a.m_dIntercept));
    EXPECT_TRUE(std::isfinite(a.m_dShadowStd));
    for (double v : a.m_aGrid)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(a.m_dSlope, 0.0);
}

TEST(Processing, StepsAfterTheLastAp) {
    RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    ProgressRecorder& progress = r.progress;
    HostRecorder& host = r.host;
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Display(doc).m_bShowContour = Edit::Display(doc).m_bMultiContours = Edit::Display(doc).m_bCombined =
        Edit::Coverage(doc).m_bCoverageReady = 1;
    Edit::Display(doc).m_bXGrid = Edit::Display(doc).m_bYGrid = 1;
    Edit::Display(doc).m_bShowPath = 0;
    Edit::Display(doc).m_nAlpha = 10;
    Edit::Aps(doc).m_aApNotes.resize(7);
    progress.requestCancel();
    CAPInfo ap;
    for (int i = 0; i < 21; ++i) {
        CData p;
        p.m_dY = i * 5.0;        // 100 m north
        p.m_dX = (i % 3) * 25.0; // 50 m east
        p.m_dRssi = -50.0 - i;
        p.m_nNoise = -90;
        ap.m_aApPoints.push_back(p);
    }
    ap.m_bSelected = 1;
    Edit::Aps(doc).m_aAPs = {ap, ap, ap};
    ProcessData(doc, ProcessingOptions{2});

    EXPECT_FALSE(progress.cancelRequested());
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 30, 60, 90, 100}));
    EXPECT_EQ(progress.shows, 1);
    EXPECT_EQ(progress.hides, 1);
    EXPECT_EQ(doc.Display().m_bDataLoaded, 1);
    EXPECT_EQ(doc.Display().m_bShowPath, 1);
    EXPECT_EQ(doc.Display().m_bShowContour + doc.Display().m_bMultiContours + doc.Display().m_bCombined +
                  doc.Coverage().m_bCoverageReady,
              0);
    EXPECT_EQ(doc.Display().m_bXGrid + doc.Display().m_bYGrid, 0);
    EXPECT_EQ(doc.Display().m_nAlpha, 192);
    ASSERT_EQ(doc.Aps().m_aApNotes.size(), 3u);
    EXPECT_EQ(doc.Aps().m_aApNotes[2].m_strTxPower, " ");
    EXPECT_EQ(doc.Aps().m_aApNotes[2].m_strNotes, " ");
    // Selected APs span 100 x 50 map metres; the resolution is a fiftieth of that in metres.
    EXPECT_EQ(doc.Frame().m_dGridSpanY, 100.0);
    EXPECT_EQ(doc.Frame().m_dGridSpanX, 50.0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dResolutionY, 2.0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dResolutionX, 1.0);
    EXPECT_EQ(doc.Frame().m_nGridCols, 50);
    EXPECT_EQ(r.notices.Count(DocChange::Everything), 1);
    EXPECT_EQ(r.notices.notices.size(), 1u);
    EXPECT_EQ(host.zoomResets, 1);
    // The document keeps the values of the AP processed last.
    EXPECT_EQ(doc.Coverage().m_dSlope, doc.Aps().m_aAPs[2].m_dSlope);
    EXPECT_EQ(doc.Coverage().m_dShadowStd, doc.Aps().m_aAPs[2].m_dShadowStd);
}
