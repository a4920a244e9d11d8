// The requirement summary of the client report against a plain count over the grids.
#include "analysis/Requirement.h"
#include "analysis/Coverage.h"
#include "files/NewProject.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

using namespace plotra;

namespace {

struct Counted {
    std::size_t covered = 0, signal = 0, snr = 0, both = 0;
};

Counted Count(const CPlotraDoc& doc, double signalDbm, double snrDb) {
    Counted c;
    for (std::size_t i = 0; i < doc.Coverage().m_aGridCount.size(); ++i) {
        if (doc.Coverage().m_aGridCount[i] == 0) continue;
        ++c.covered;
        if (doc.Coverage().m_aGridPower[i] >= signalDbm) ++c.signal;
        if (doc.Coverage().m_aGridSnr[i] >= snrDb) ++c.snr;
        if (doc.Coverage().m_aGridPower[i] >= signalDbm && doc.Coverage().m_aGridSnr[i] >= snrDb) ++c.both;
    }
    return c;
}

void ExpectMatchesCount(const CPlotraDoc& doc, double signalDbm, double snrDb, double target) {
    const Counted c = Count(doc, signalDbm, snrDb);
    const RequirementSummary s = SummariseRequirement(doc, signalDbm, snrDb, target);
    ASSERT_TRUE(s.coverageReady);
    EXPECT_EQ(s.coveredNodes, c.covered);
    EXPECT_EQ(s.signal.nodes, c.signal);
    EXPECT_EQ(s.snr.nodes, c.snr);
    EXPECT_EQ(s.both.nodes, c.both);
    EXPECT_EQ(s.signal.share, static_cast<double>(c.signal) / static_cast<double>(c.covered));
    EXPECT_EQ(s.both.share, static_cast<double>(c.both) / static_cast<double>(c.covered));
    EXPECT_EQ(s.signal.pass, static_cast<double>(c.signal) >= target * static_cast<double>(c.covered));
    EXPECT_EQ(s.snr.pass, static_cast<double>(c.snr) >= target * static_cast<double>(c.covered));
    EXPECT_EQ(s.both.pass, static_cast<double>(c.both) >= target * static_cast<double>(c.covered));
    const std::vector<NodeVerdict> v = RequirementVerdicts(doc, signalDbm, snrDb);
    ASSERT_EQ(v.size(), doc.Coverage().m_aGridCount.size());
    std::size_t meets = 0, fails = 0;
    for (NodeVerdict n : v)
        meets += n == NodeVerdict::Meets, fails += n == NodeVerdict::Fails;
    EXPECT_EQ(meets, c.both);
    EXPECT_EQ(fails, c.covered - c.both);
}

/// A 4 x 3 grid with the given nodes (count, power, snr), column by column.
void SetGrid(CPlotraDoc& doc, const std::vector<std::tuple<int, double, double>>& nodes) {
    Edit::Coverage(doc).m_bCoverageReady = 1;
    Edit::Frame(doc).m_nGridCols = 4;
    Edit::Frame(doc).m_nGridRows = 3;
    Edit::Coverage(doc).m_aGridCount.clear(), Edit::Coverage(doc).m_aGridPower.clear(),
        Edit::Coverage(doc).m_aGridSnr.clear();
    for (const auto& [n, p, q] : nodes) {
        Edit::Coverage(doc).m_aGridCount.push_back(n);
        Edit::Coverage(doc).m_aGridPower.push_back(p);
        Edit::Coverage(doc).m_aGridSnr.push_back(q);
    }
}

} // namespace

TEST(Requirement, SharesOfCoveredNodesAgainstAPlainCount) {
    // Uncovered nodes (-101, count 0) are not part of the area; nodes exactly at a threshold meet it.
    CPlotraDoc doc;
    SetGrid(doc, {{0, -101, -101},
                  {1, -67, 25},
                  {2, -60, 30},
                  {1, -68, 40},
                  {1, -50, 24.9},
                  {0, -101, -101},
                  {3, -40, 50},
                  {1, -90, 5},
                  {1, -66, 25},
                  {0, -101, -101},
                  {2, -70, 20},
                  {1, -67.0001, 26}});
    ExpectMatchesCount(doc, -67, 25, 0.95);
    const RequirementSummary s = SummariseRequirement(doc, -67, 25, 0.5);
    EXPECT_EQ(s.coveredNodes, 9u);
    EXPECT_EQ(s.signal.nodes, 5u); // -67, -60, -50, -40, -66
    EXPECT_EQ(s.snr.nodes, 6u);    // 25, 30, 40, 50, 25, 26
    EXPECT_EQ(s.both.nodes, 4u);
    EXPECT_TRUE(s.signal.pass); // 5/9 >= 0.5
    EXPECT_FALSE(s.both.pass);  // 4/9 < 0.5
    EXPECT_EQ(ShareText(s.both.share), "44.4 %");
    EXPECT_EQ(ShareText(1.0), "100.0 %");

    // Everything covered and strong: every share is 100 % and passes even a target of 1.
    SetGrid(doc, std::vector<std::tuple<int, double, double>>(12, {2, -40, 45}));
    ExpectMatchesCount(doc, -67, 25, 1.0);
    const RequirementSummary all = SummariseRequirement(doc, -67, 25, 1.0);
    EXPECT_TRUE(all.signal.pass && all.snr.pass && all.both.pass);
    EXPECT_EQ(ShareText(all.both.share), "100.0 %");

    // A share equal to the target passes; one node fewer fails.
    SetGrid(doc, {{1, -40, 40},
                  {1, -40, 40},
                  {1, -40, 40},
                  {1, -90, 40},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101},
                  {0, -101, -101}});
    EXPECT_TRUE(SummariseRequirement(doc, -67, 25, 0.75).signal.pass);
    EXPECT_FALSE(SummariseRequirement(doc, -67, 25, 0.76).signal.pass);
}

TEST(Requirement, NoCoverageAndDamagedGridsGiveNoFiguresAndNeverReadPastTheGrids) {
    CPlotraDoc doc;
    EXPECT_FALSE(SummariseRequirement(doc, -67, 25, 0.95).coverageReady);
    EXPECT_TRUE(RequirementVerdicts(doc, -67, 25).empty());

    // Grids present but the coverage not calculated (cleared by a tick change): no figures.
    SetGrid(doc, std::vector<std::tuple<int, double, double>>(12, {1, -40, 45}));
    Edit::Coverage(doc).m_bCoverageReady = 0;
    EXPECT_FALSE(SummariseRequirement(doc, -67, 25, 0.95).coverageReady);

    // Grids shorter than cols x rows (a damaged project): only the nodes all three hold count.
    Edit::Coverage(doc).m_bCoverageReady = 1;
    Edit::Coverage(doc).m_aGridSnr.resize(5);
    const RequirementSummary s = SummariseRequirement(doc, -67, 25, 0.95);
    ASSERT_TRUE(s.coverageReady);
    EXPECT_EQ(s.coveredNodes, 5u);
    EXPECT_EQ(RequirementVerdicts(doc, -67, 25).size(), 12u);
    Edit::Frame(doc).m_nGridCols = -3;
    EXPECT_FALSE(SummariseRequirement(doc, -67, 25, 0.95).coverageReady);

    // NaN never meets a threshold.
    SetGrid(doc, std::vector<std::tuple<int, double, double>>(12, {1, std::nan(""), 40}));
    EXPECT_EQ(SummariseRequirement(doc, -67, 25, 0.95).signal.nodes, 0u);
}

TEST(Requirement, DemoProjectMatchesThePlainCountForSeveralRequirements) {
    CPlotraDoc doc;
    ASSERT_TRUE(test::LoadDemoProject(doc, true));
    for (const auto& [signal, snr] :
         {std::pair{-67.0, 25.0}, std::pair{-80.0, 10.0}, std::pair{-100.0, -100.0}, std::pair{-30.0, 60.0}})
        ExpectMatchesCount(doc, signal, snr, 0.95);
    EXPECT_TRUE(SummariseRequirement(doc, -200, -200, 1.0).both.pass);
}

TEST(Requirement, ParsesTheTypedRequirement) {
    RequirementInput r;
    std::string error;
    ASSERT_TRUE(ParseRequirement("signal=-70,snr=20", r, error));
    EXPECT_EQ(r.signalDbm, -70.0);
    EXPECT_EQ(r.snrDb, 20.0);
    ASSERT_TRUE(ParseRequirement("snr=30.5", r, error));
    EXPECT_EQ(r.signalDbm, -70.0);
    EXPECT_EQ(r.snrDb, 30.5);
    for (const char* bad : {"", "signal", "signal=", "signal=abc", "snr=1e400", "noise=3", "signal=-70,snr=x",
                            "signal=nan", "signal=-1000"}) {
        RequirementInput kept = r;
        EXPECT_FALSE(ParseRequirement(bad, kept, error)) << bad;
        EXPECT_EQ(kept.signalDbm, r.signalDbm) << bad;
        EXPECT_FALSE(error.empty());
    }
}
