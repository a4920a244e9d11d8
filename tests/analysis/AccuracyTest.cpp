// Estimated AP positions against the generator's ground truth (figures in docs/accuracy.md).
#include "support/Accuracy.h"
#include "analysis/Processing.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace plotra;
using namespace plotra::test;

TEST(Accuracy, DemoPositionsAreNearTheTruth) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    CPlotraDoc doc;
    PlaceGenerated(doc, survey);
    ProcessData(doc);
    const AccuracyFigures f = PositionAccuracy(doc, survey);
    std::printf("demo: %zu APs, median error %.1f m, 90th percentile %.1f m\n", f.errors.size(), f.median,
                f.p90);
    RecordProperty("median_m", std::to_string(f.median));
    RecordProperty("p90_m", std::to_string(f.p90));
    ASSERT_GE(f.errors.size(), 10u);
    // The walk covers a 500 m x 350 m campus; a broken search or a swapped axis lands hundreds of metres off.
    EXPECT_LT(f.median, 40.0);
    EXPECT_LT(f.p90, 120.0);
}
