// The indexed, threaded coverage must give exactly the grids of the straightforward loop.
#include "analysis/CoverageOracle.h"
#include "analysis/Processing.h"
#include "files/ProjectionWriter.h"
#include "model/EditAccess.h"
#include "sim/MapGenerator.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace plotra;
using namespace plotra::test;

namespace {

/// A processed document of a generated scenario, every AP with more than 20 points ticked.
void Processed(CPlotraDoc& doc, const char* scenario, bool withMap) {
    const auto survey = sim::Generate(*sim::BuiltInScenario(scenario), 1);
    if (withMap) {
        const auto map = sim::GenerateMap(survey, 600);
        ProjectionImage image;
        image.coefficients = map.coefficients;
        image.picture = map.bmp;
        ASSERT_TRUE(doc.ReadProjectionFile(EncodeProjectionFile(image)));
    }
    PlaceGenerated(doc, survey);
    ProcessData(doc);
    for (CAPInfo& ap : Edit::Aps(doc).m_aAPs)
        ap.m_bSelected = ap.m_aApPoints.size() > 20 ? 1 : 0;
}

void ExpectSameNodes(const CoverageResult& r, const CoverageOracleGrids& o, std::size_t first, std::size_t step,
                     std::size_t rowStep = 1) {
    const std::size_t rows = static_cast<std::size_t>(r.rows);
    std::size_t compared = 0, covered = 0;
    for (std::size_t ix = first; ix < static_cast<std::size_t>(r.cols); ix += step) {
        for (std::size_t iy = rowStep == 1 ? 0 : first; iy < rows; iy += rowStep) {
            const std::size_t i = ix * rows + iy;
            ASSERT_TRUE(SameBits(r.power[i], o.power[i])) << ix << "," << iy << ": " << r.power[i] << " vs " << o.power[i];
            ASSERT_TRUE(SameBits(r.snr[i], o.snr[i])) << ix << "," << iy;
            ASSERT_EQ(r.count[i], static_cast<int>(o.countValue[i])) << ix << "," << iy;
            ASSERT_EQ(r.dominant[i], o.dominant[i]);
            ASSERT_EQ(r.mixed[i], o.mixed[i]);
            ++compared;
            covered += r.count[i] > 0;
        }
    }
    EXPECT_GT(covered, compared / 10); // the comparison saw real coverage
}

} // namespace

TEST(CoverageOracle, DemoInDegreesIsIdentical) {
    CPlotraDoc doc;
    Processed(doc, "demo", false);
    auto snapshot = PrepareCoverage(doc, doc.ProgressSink());
    ASSERT_TRUE(snapshot);
    Progress progress;
    const auto r = RunCoverage(*snapshot, progress, 2);
    const auto o = CoverageOracle(*snapshot);
    ExpectSameNodes(r, o, 0, 1);
    // The picture ranges start from the same trackers.
    EXPECT_EQ(r.snrMax, static_cast<int>(o.snrMax) / 10 * 10);
}

TEST(CoverageOracle, DemoOnAMapIsIdentical) {
    CPlotraDoc doc;
    Processed(doc, "demo", true);
    ASSERT_TRUE(doc.Map().m_bMetricXY);
    auto snapshot = PrepareCoverage(doc, doc.ProgressSink());
    ASSERT_TRUE(snapshot);
    Progress progress;
    ExpectSameNodes(RunCoverage(*snapshot, progress, 3), CoverageOracle(*snapshot), 0, 1);
}

TEST(CoverageOracle, CitySubGridAt400NodesIsIdentical) {
    CPlotraDoc doc;
    Processed(doc, "city", false);
    // The finest resolution the clamp allows: 400 x 400 nodes.
    Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 1e-6;
    auto snapshot = PrepareCoverage(doc, doc.ProgressSink());
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->cols, 400);
    ASSERT_EQ(snapshot->rows, 400);
    Progress progress;
    const auto r = RunCoverage(*snapshot, progress);
    // The straightforward loop costs tens of milliseconds a node here: compare a 12 x 12 sub-grid.
    ExpectSameNodes(r, CoverageOracle(*snapshot, 7, 33, 33), 7, 33, 33);
}
