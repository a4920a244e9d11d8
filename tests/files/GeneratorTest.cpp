#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "model/PlotraDoc.h"
#include "files/ProjectionWriter.h"
#include "sim/MapGenerator.h"
#include "sim/SurveyGenerator.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace plotra;

namespace {
std::vector<std::uint8_t> SampleBytes(const std::string& name) {
    return ReadWholeFile(std::string(PLOTRA_SOURCE_DIR) + "/samples/" + name).bytes;
}
} // namespace

TEST(Generator, RegeneratingTheDemoGivesTheCommittedSampleBytes) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    ASSERT_EQ(survey.files.size(), 2u);
    for (const auto& f : survey.files) {
        const auto committed = SampleBytes(f.name);
        ASSERT_FALSE(committed.empty()) << f.name;
        EXPECT_TRUE(EncodeSurveyFile(f.image) == committed) << f.name << " differs from samples/";
    }
    std::ifstream truth(std::string(PLOTRA_SOURCE_DIR) + "/samples/truth.json");
    std::stringstream text;
    text << truth.rdbuf();
    EXPECT_EQ(text.str(), sim::TruthJson(survey));
}

TEST(Generator, ReaderCountsAgreeWithTheGroundTruth) {
    for (const char* name : {"demo", "tiny", "single"}) {
        const auto survey = sim::Generate(*sim::BuiltInScenario(name), 7);
        for (const auto& f : survey.files) {
            CPlotraDoc doc;
            ASSERT_TRUE(doc.ReadSurveyFile(EncodeSurveyFile(f.image)));
            const auto stats = ComputeSurveyStats(doc.Survey().m_aDataPoints);
            EXPECT_EQ(stats.points, f.points) << name;
            EXPECT_EQ(stats.readings, f.readings) << name;
            EXPECT_EQ(static_cast<long>(doc.Survey().m_aApMarkers.size()), f.markers) << name;
        }
    }
}

TEST(Generator, SeedsDifferAndEveryApIsModelled) {
    const auto params = *sim::BuiltInScenario("demo");
    const auto a = sim::Generate(params, 1), b = sim::Generate(params, 2);
    EXPECT_NE(EncodeSurveyFile(a.files[0].image), EncodeSurveyFile(b.files[0].image));
    for (const auto& ap : a.aps) {
        EXPECT_GE(ap.exponent, 2.0);
        EXPECT_LE(ap.exponent, 4.0);
        EXPECT_GE(ap.shadowStdDb, 2.0);
        EXPECT_LE(ap.shadowStdDb, 8.0);
        EXPECT_GE(ap.channel, 1);
        EXPECT_LE(ap.channel, 13);
        EXPECT_GE(ap.lat, a.south);
        EXPECT_LE(ap.lat, a.north);
    }
    // One SSID fills all 32 bytes, so the reader's no-NUL case is exercised by real files.
    EXPECT_EQ(a.aps[1].ssid.size(), 32u);
}

TEST(Generator, FixQualityAndReadingsAreRealistic) {
    const auto s = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    long fix3 = 0, fix2 = 0, none = 0, points = 0;
    for (const auto& f : s.files) {
        fix3 += f.fix3d, fix2 += f.fix2d, none += f.fixNone, points += f.points;
        for (const auto& r : f.image.records)
            for (const auto& d : r.m_aReadings) EXPECT_GE(d.RssiDbm(), -95.0); // heard above -95, stored in 1/256 dBm
    }
    EXPECT_GT(fix3, points * 8 / 10);
    EXPECT_GT(fix2, 0);
    EXPECT_GT(none, 0);
}

TEST(Generator, RegeneratingTheDemoMapGivesTheCommittedSample) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    const auto map = sim::GenerateMap(survey, 900); // the width plotra-cli simulate uses
    const auto committed = SampleBytes("demo.hpf");
    ASSERT_FALSE(committed.empty());
    ProjectionImage image;
    image.coefficients = map.coefficients;
    image.picture = map.bmp;
    EXPECT_TRUE(EncodeProjectionFile(image) == committed);
}
