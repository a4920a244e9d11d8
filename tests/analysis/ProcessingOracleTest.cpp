// The production data processing against the step-by-step oracle, bit for bit.
#include "analysis/ProcessDataOracle.h"
#include "analysis/Processing.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace plotra;
using namespace plotra::test;

namespace {

const sim::GeneratedSurvey& Survey(const std::string& name) {
    static std::map<std::string, sim::GeneratedSurvey> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, sim::Generate(*sim::BuiltInScenario(name), 1)).first;
    return it->second;
}

/// A projection that places the survey on a map: about 0.5 m per pixel.
void SetMap(CPlotraDoc& doc, const sim::GeneratedSurvey& s) {
    const double pxPerDegLat = 111320.0 / 0.5, pxPerDegLon = 76000.0 / 0.5;
    Edit::Map(doc).m_adProj = {};
    Edit::Map(doc).m_adProj[0] = 0.0;         // a: column per latitude
    Edit::Map(doc).m_adProj[1] = pxPerDegLon; // b: column per longitude
    Edit::Map(doc).m_adProj[3] = -s.west * pxPerDegLon;
    Edit::Map(doc).m_adProj[4] = -pxPerDegLat; // d: row per latitude (rows downward)
    Edit::Map(doc).m_adProj[5] = 0.0;
    Edit::Map(doc).m_adProj[7] = s.north * pxPerDegLat;
    Edit::Map(doc).m_nImageWidth = static_cast<int>((s.east - s.west) * pxPerDegLon);
    Edit::Map(doc).m_nImageHeight = static_cast<int>((s.north - s.south) * pxPerDegLat);
    Edit::Map(doc).m_dMetersPerPixelX = 0.5;
    Edit::Map(doc).m_dMetersPerPixelY = 0.5;
    Edit::Map(doc).m_nMapImageSize = 1000;
    Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_dMapHeight = doc.Map().m_nImageHeight * 0.5;
    Edit::Map(doc).m_dMapWidth = doc.Map().m_nImageWidth * 0.5;
}

struct Pair {
    CPlotraDoc oracle, production;
    ProgressRecorder oracleProgress, productionProgress;
    HostRecorder oracleHost, productionHost;
    Pair() {
        oracle.SetOutside(nullptr, &oracleProgress, &oracleHost);
        production.SetOutside(nullptr, &productionProgress, &productionHost);
    }
};

void ExpectIdentical(Pair& p) {
    const auto diffs = ProcessingDifferences(p.oracle, p.production);
    for (const auto& d : diffs)
        ADD_FAILURE() << d;
    EXPECT_EQ(p.oracleProgress.texts, p.productionProgress.texts);
    EXPECT_EQ(p.oracleProgress.positions, p.productionProgress.positions);
    EXPECT_EQ(p.oracleHost.zoomResets, p.productionHost.zoomResets);
}

void RunBoth(Pair& p, const std::string& scenario, bool map, std::size_t every, unsigned threads) {
    const auto& s = Survey(scenario);
    for (CPlotraDoc* doc : {&p.oracle, &p.production}) {
        if (map) SetMap(*doc, s);
        PlaceGenerated(*doc, s);
        if (every > 1) KeepEveryNthAp(*doc, every);
    }
    ProcessDataOracle(p.oracle);
    ProcessData(p.production, ProcessingOptions{threads});
}

std::size_t Processed(const CPlotraDoc& doc) {
    std::size_t k = 0;
    for (const auto& ap : doc.Aps().m_aAPs)
        k += ap.m_aGrid.empty() ? 0 : 1;
    return k;
}

} // namespace

TEST(ProcessingOracle, DemoDegreesIsIdentical) {
    Pair p;
    RunBoth(p, "demo", false, 3, 2);
    EXPECT_GE(Processed(p.production), 4u);
    ExpectIdentical(p);
}

TEST(ProcessingOracle, DemoOnAMapIsIdentical) {
    Pair p;
    RunBoth(p, "demo", true, 4, 3);
    EXPECT_EQ(p.production.Map().m_bMetricXY, 1);
    EXPECT_GE(Processed(p.production), 3u);
    ExpectIdentical(p);
}

TEST(ProcessingOracle, TinyAndSingleAreIdentical) {
    for (const char* name : {"tiny", "single"}) {
        Pair p;
        RunBoth(p, name, false, 1, 1);
        ExpectIdentical(p);
    }
}

TEST(ProcessingOracle, CitySubsetIsIdentical) {
    Pair p;
    RunBoth(p, "city", false, 50, 2);
    EXPECT_GE(Processed(p.production), 3u);
    ExpectIdentical(p);
}

// The whole city drive (about a minute for the oracle); run with the "slow" label.
TEST(ProcessingOracleSlow, WholeCityIsIdentical) {
    if (!std::getenv("PLOTRA_SLOW_TESTS")) GTEST_SKIP() << "set PLOTRA_SLOW_TESTS=1 (ctest -L slow)";
    Pair p;
    RunBoth(p, "city", false, 1, 0);
    ExpectIdentical(p);
}

TEST(ProcessingOracle, ThreadCountDoesNotChangeResults) {
    const auto& s = Survey("demo");
    CPlotraDoc one, three;
    PlaceGenerated(one, s);
    PlaceGenerated(three, s);
    ProcessData(one, ProcessingOptions{1});
    ProcessData(three, ProcessingOptions{3});
    for (const auto& d : ProcessingDifferences(one, three))
        ADD_FAILURE() << d;
}
