#include "analysis/Coverage.h"
#include "analysis/Numeric.h"
#include "model/EditAccess.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plotra;
using namespace plotra::test;

namespace {

/// An AP on a planar map whose points form a 5 x 5 lattice over [x0, x0 + 40] x [y0, y0 + 40].
CoverageAp LatticeAp(double x0, double y0, COLORREF colour, double rssiAtCentre, double slope = -30) {
    CoverageAp ap;
    ap.colour = colour;
    ap.posX = x0 + 20, ap.posY = y0 + 20;
    ap.slope = slope;
    ap.intercept = rssiAtCentre;
    ap.originX = x0, ap.originY = y0, ap.sizeX = 40, ap.sizeY = 40;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            CData p;
            p.m_dX = x0 + 10 * i;
            p.m_dY = y0 + 10 * j;
            p.m_dRssi = rssiAtCentre - 2 * (std::abs(i - 2) + std::abs(j - 2));
            p.m_nNoise = -95;
            ap.points.push_back(p);
        }
    return ap;
}

CoverageSnapshot PlanarSnapshot(std::vector<CoverageAp> aps, int cols = 50, int rows = 50) {
    CoverageSnapshot s;
    s.metric = true;
    s.cols = cols, s.rows = rows;
    s.originX = 0, s.originY = 0, s.spanX = 100, s.spanY = 100;
    s.meanRssi = -70, s.meanSnr = 20;
    s.palette = {0x0000FF, 0x6A5ACD, 0x000080, 0x228B22, 0x9ACD32, 0xADFF2F, 0xCD5C5C, 0xFF69B4, 0xFFFF00, 0xFF0000};
    s.aps = std::move(aps);
    return s;
}

} // namespace

TEST(CoverageGrid, NodeCountClampsAndMovesTheResolution) {
    double res = 2;
    EXPECT_EQ(CoverageNodeCount(60, res), 50);
    EXPECT_DOUBLE_EQ(res, 1.2);
    res = 2;
    EXPECT_EQ(CoverageNodeCount(1000, res), 400);
    EXPECT_DOUBLE_EQ(res, 2.5);
    res = 2;
    EXPECT_EQ(CoverageNodeCount(300, res), 150);
    EXPECT_DOUBLE_EQ(res, 2);
}

TEST(CoverageGrid, BorderNodesAreCoveredAndOthersAreWhite) {
    Progress progress;
    // An AP whose area ends exactly on node columns: 0..40 with nodes every 100/49.
    auto s = PlanarSnapshot({LatticeAp(0, 0, Rgb(200, 0, 0), -50)}, 50, 50);
    const auto r = RunCoverage(s, progress, 1);
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.count[0], 1);                         // node (0, 0) on the border
    EXPECT_EQ(r.count[49 * 50 + 49], 0);              // far corner: nobody
    EXPECT_DOUBLE_EQ(r.power[49 * 50 + 49], -101.0);
    EXPECT_EQ(r.dominant[49 * 50 + 49], Rgb(255, 255, 255));
    EXPECT_EQ(r.pictures[CPlotraDoc::kApCount][0], s.palette[0]); // top-left pixel is node (0, 49): nobody
}

TEST(CoverageGrid, EqualPowerKeepsTheFirstApDominantAndThreeColoursMixEqually) {
    Progress progress;
    const COLORREF a = Rgb(240, 0, 0), b = Rgb(0, 240, 0), c = Rgb(0, 0, 240);
    auto s = PlanarSnapshot({LatticeAp(0, 0, a, -50), LatticeAp(0, 0, b, -50), LatticeAp(0, 0, c, -50)});
    const auto r = RunCoverage(s, progress, 2);
    const std::size_t idx = 5 * 50 + 5;
    EXPECT_EQ(r.count[idx], 3);
    EXPECT_EQ(r.dominant[idx], a);
    EXPECT_EQ(r.mixed[idx], Rgb(80, 80, 80));
    EXPECT_EQ(BlendColour(Rgb(1, 3, 5), Rgb(2, 4, 6), 0.5), Rgb(2, 4, 6)); // 0.5 and 1.5 round up, 1 + 1 ...
}

TEST(CoverageGrid, StrongSignalCapsThePictureRangeAtMinus30) {
    Progress progress;
    auto s = PlanarSnapshot({LatticeAp(0, 0, Rgb(200, 0, 0), -25, 0)});
    const auto r = RunCoverage(s, progress, 1);
    EXPECT_EQ(r.powerMax, -30);
    ContourLayerSet none;
    ASSERT_EQ(r.contours[FactsOf(GraphKind::SignalPower).contourSet].m_aLineLevels.size(), 10u);
}

TEST(CoverageGrid, ThreadCountDoesNotChangeTheResult) {
    Progress progress;
    auto s = PlanarSnapshot({LatticeAp(0, 0, Rgb(200, 0, 0), -45), LatticeAp(30, 40, Rgb(0, 0, 200), -55),
                             LatticeAp(55, 10, Rgb(0, 150, 0), -60)},
                            73, 61);
    const auto one = RunCoverage(s, progress, 1), two = RunCoverage(s, progress, 2), many = RunCoverage(s, progress, 7);
    EXPECT_EQ(one.power, two.power);
    EXPECT_EQ(one.snr, many.snr);
    EXPECT_EQ(one.mixed, many.mixed);
    EXPECT_EQ(one.pictures, two.pictures);
    EXPECT_EQ(one.contours[0].m_aLines.size(), many.contours[0].m_aLines.size());
}

TEST(CoverageGrid, CancelledRunReportsCancelled) {
    Progress progress;
    progress.requestCancel();
    auto s = PlanarSnapshot({LatticeAp(0, 0, Rgb(200, 0, 0), -45)});
    EXPECT_TRUE(RunCoverage(s, progress, 2).cancelled);
}

TEST(CoverageGrid, ContourRangeRounding) {
    EXPECT_EQ(std::max(-100, ContourRangeLow(-97.4)), -100);
    EXPECT_EQ(ContourRangeLow(-83), -90);
    EXPECT_EQ(ContourRangeHigh(-41.9), -40);
    EXPECT_EQ(ContourRangeHigh(-30), -30);
}

namespace {
CAPInfo PlanarAp(std::size_t points, std::uint8_t tail) {
    CAPInfo ap;
    ap.m_bSelected = 1;
    ap.m_abyMAC = {0, 0, 0, 0, 0, tail};
    ap.m_szSSID = MakeSsid(tail == 1 ? "s1" : "s2");
    for (std::size_t i = 0; i < points; ++i) {
        CData p;
        p.m_dX = static_cast<double>(i % 5) * 10, p.m_dY = static_cast<double>(i / 5) * 10;
        p.m_dRssi = -60 - static_cast<double>(i % 7);
        p.m_nNoise = -95;
        ap.m_aApPoints.push_back(p);
    }
    ap.m_areaOrigin = CDataGeo(0, 0);
    ap.m_areaSize = CDataGeo(40, 40);
    ap.m_posAP = CDataGeo(20, 20);
    ap.m_dSlope = -25, ap.m_dIntercept = -30;
    return ap;
}
} // namespace

TEST(CoverageDocument, TwentyPointsAreInvalidTwentyOneTakePartAndYesDeselects) {
    CPlotraDoc doc;
    PromptRecorder prompts;
    prompts.answers = {true};
    doc.SetOutside(&prompts, nullptr, nullptr);
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 1;
    Edit::Aps(doc).m_aAPs = {PlanarAp(20, 1), PlanarAp(21, 2)};
    ASSERT_TRUE(CalculateCoverage(doc, 2));
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].text, "No enough points for the following AP: \n 00-00-00-00-00-01, s1 \n \n Remove it in the processing?");
    EXPECT_EQ(prompts.prompts[0].caption, "Invalid AP");
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_bSelected, 0); // the Yes answer deselected it
    EXPECT_EQ(doc.Aps().m_aAPs[1].m_bSelected, 1);
    EXPECT_EQ(doc.Coverage().m_bCoverageReady, 1);
    EXPECT_EQ(doc.Display().m_bCombined, 1);
    EXPECT_EQ(doc.Display().m_nAlpha, 192);
    EXPECT_EQ(doc.Coverage().m_aCoveragePictures[CPlotraDoc::kApCount].size(),
              static_cast<std::size_t>(doc.Frame().m_nGridCols * doc.Frame().m_nGridRows));

    CPlotraDoc none;
    PromptRecorder p2;
    none.SetOutside(&p2, nullptr, nullptr);
    Edit::Aps(none).m_aAPs = {PlanarAp(20, 1)};
    Edit::Display(none).m_bCombined = 1;
    EXPECT_FALSE(CalculateCoverage(none));
    EXPECT_EQ(p2.Messages(), std::vector<std::string>{"No Valid AP: Please Select Valid AP!"});
    EXPECT_EQ(none.Display().m_bCombined, 0);
}

TEST(CoverageDocument, ACancelledJobLeavesNoCoverageAndEmptyContours) {
    CPlotraDoc doc;
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 0.01; // 400 x 400 nodes
    Edit::Aps(doc).m_aAPs = {PlanarAp(200, 1), PlanarAp(150, 2)};
    Edit::Coverage(doc).m_aContours[0].m_aLines.resize(3);
    Progress progress;
    auto job = StartCoverageJob(doc, progress, {}, 2);
    ASSERT_TRUE(job);
    progress.requestCancel();
    EXPECT_FALSE(ApplyCoverageJob(doc, *job));
    EXPECT_EQ(doc.Coverage().m_bCoverageReady, 0);
    for (const auto& c : doc.Coverage().m_aContours)
        EXPECT_TRUE(c.Empty());
}
