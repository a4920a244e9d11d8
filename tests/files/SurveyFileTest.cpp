#include "files/SurveyFile.h"
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

using namespace plotra;
using namespace plotra::test;

namespace {

struct Loaded {
    PromptRecorder prompts;
    CPlotraDoc doc;
    bool ok = false;
    explicit Loaded(const std::vector<std::uint8_t>& bytes, const std::string& path = "/data/walk.hsd") {
        doc.SetOutside(&prompts, nullptr, nullptr);
        Edit::Survey(doc).m_strCurrentFile = path;
        ok = doc.ReadSurveyFile(bytes);
    }
};

SurveyFileImage TwoPointImage() {
    SurveyFileImage img;
    img.surveyTime = 741476948; // 1993-06-30 21:49:08 UTC
    img.records.push_back(MakePoint(40.5, -3.25, {MakeReading(6, -70, 1, "alpha"), MakeReading(11, -55.5, 2, "beta")}));
    img.records.push_back(MakePoint(40.5001, -3.2501, {MakeReading(6, -72, 1, "alpha")}, 1));
    return img;
}

} // namespace

TEST(SurveyFile, ReadsPointsReadingsAndSurveyTime) {
    Loaded l(EncodeSurveyFile(TwoPointImage()));
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.doc.Survey().m_aDataPoints.size(), 2u);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[0].m_aReadings.size(), 2u);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[0].m_rec.m_nLatMas, 145800000);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[0].m_aReadings[1].m_nRssi256,
              static_cast<std::int16_t>(-55.5 * 256));
    EXPECT_EQ(SsidText(l.doc.Survey().m_aDataPoints[1].m_aReadings[0].m_szSSID), "alpha");
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[1].m_rec.m_byFix, 1);
    EXPECT_EQ(l.doc.Survey().m_aFilePointCount, std::vector<int>{2});
    EXPECT_EQ(l.doc.Survey().m_strSurveyTime, "Wed Jun 30 21:49:08 1993\n"); // tests run with TZ=UTC
    EXPECT_TRUE(l.prompts.prompts.empty());
}

TEST(SurveyFile, SecondFileAppendsAndAddsItsOwnCount) {
    Loaded l(EncodeSurveyFile(TwoPointImage()));
    SurveyFileImage one;
    one.surveyTime = 0;
    one.records.push_back(MakePoint(1, 2));
    ASSERT_TRUE(l.doc.ReadSurveyFile(EncodeSurveyFile(one)));
    EXPECT_EQ(l.doc.Survey().m_aDataPoints.size(), 3u);
    EXPECT_EQ(l.doc.Survey().m_aFilePointCount, (std::vector<int>{2, 1}));
    EXPECT_EQ(l.doc.Survey().m_strSurveyTime, "Thu Jan  1 00:00:00 1970\n"); // day of month padded to width 3
}

TEST(SurveyFile, BothFileTypesReadAlikeAndOthersAreRefusedWithTheExactMessage) {
    auto img = TwoPointImage();
    img.fileType = 1;
    EXPECT_TRUE(Loaded(EncodeSurveyFile(img)).ok);
    auto bytes = EncodeSurveyFile(img);
    bytes[12] = 2;
    Loaded l(bytes, "C:/surveys/x.hsd");
    EXPECT_FALSE(l.ok);
    ASSERT_EQ(l.prompts.prompts.size(), 1u);
    EXPECT_EQ(l.prompts.prompts[0].text, "C:/surveys/x.hsd: Unsupported HSS Filetype. May be for a different product.");
    EXPECT_EQ(l.prompts.prompts[0].caption, "Invalid File");
    EXPECT_EQ(l.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(l.doc.Survey().m_aDataPoints.empty());
    EXPECT_TRUE(l.doc.Survey().m_aFilePointCount.empty());
}

TEST(SurveyFile, EmptyRecordAreaGivesCountZero) {
    SurveyFileImage img;
    Loaded l(EncodeSurveyFile(img));
    EXPECT_TRUE(l.ok);
    EXPECT_TRUE(l.doc.Survey().m_aDataPoints.empty());
    EXPECT_EQ(l.doc.Survey().m_aFilePointCount, std::vector<int>{0});
}

TEST(SurveyFile, ZeroRecordSizeSucceedsWithoutCount) {
    for (int which = 0; which < 2; ++which) {
        auto bytes = EncodeSurveyFile(TwoPointImage());
        StoreU32(bytes.data() + 25 + 4 * which, 0);
        Loaded l(bytes);
        EXPECT_TRUE(l.ok);
        EXPECT_TRUE(l.doc.Survey().m_aDataPoints.empty());
        EXPECT_TRUE(l.doc.Survey().m_aFilePointCount.empty());
    }
}

TEST(SurveyFile, ShortBodyHeaderOrShortFileIsRefusedSilently) {
    auto bytes = EncodeSurveyFile(TwoPointImage());
    StoreU32(bytes.data() + 21, static_cast<std::uint32_t>(bytes.size() - 7)); // only 7 bytes remain
    Loaded a(bytes);
    EXPECT_FALSE(a.ok);
    StoreU32(bytes.data() + 21, 0xFFFFFFF0u); // far beyond the end
    Loaded b(bytes);
    EXPECT_FALSE(b.ok);
    Loaded c(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 24));
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(a.prompts.prompts.empty() && b.prompts.prompts.empty() && c.prompts.prompts.empty());
}

TEST(SurveyFile, MarkerBetweenPointsConsumesNoReadings) {
    SurveyFileImage img = TwoPointImage();
    CDataPoint marker = MakeMarker(41, -4);
    marker.m_rec.m_wReadingCount = 3; // a marker's count is not a promise of readings
    img.records.insert(img.records.begin() + 1, marker);
    CDataPoint other = MakePoint(0, 0);
    other.m_rec.m_byKind = 7;
    img.records.insert(img.records.begin() + 1, other);
    Loaded l(EncodeSurveyFile(img));
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.doc.Survey().m_aDataPoints.size(), 2u);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[1].m_aReadings.size(), 1u);
    ASSERT_EQ(l.doc.Survey().m_aApMarkers.size(), 1u);
    EXPECT_EQ(l.doc.Survey().m_aApMarkers[0].m_nLatMas, 41 * 3600000);
    EXPECT_EQ(l.doc.Survey().m_aFilePointCount, std::vector<int>{2});
}

TEST(SurveyFile, LargerRecordAndReadingSizesSkipTheExtraBytes) {
    SurveyFileImage img = TwoPointImage();
    img.pointSize = 70;
    img.readingSize = 50;
    auto bytes = EncodeSurveyFile(img);
    // Fill the extra bytes with noise that must not leak into the next record.
    std::size_t pos = 33;
    for (const auto& r : img.records) {
        for (std::size_t i = 61; i < 70; ++i) bytes[pos + i] = 0xEE;
        pos += 70;
        for (std::size_t k = 0; k < r.m_aReadings.size(); ++k, pos += 50)
            for (std::size_t i = 41; i < 50; ++i) bytes[pos + i] = 0xDD;
    }
    Loaded l(bytes);
    ASSERT_TRUE(l.ok);
    Loaded plain(EncodeSurveyFile(TwoPointImage()));
    ASSERT_EQ(l.doc.Survey().m_aDataPoints.size(), plain.doc.Survey().m_aDataPoints.size());
    for (std::size_t i = 0; i < plain.doc.Survey().m_aDataPoints.size(); ++i) {
        EXPECT_EQ(l.doc.Survey().m_aDataPoints[i].m_rec, plain.doc.Survey().m_aDataPoints[i].m_rec);
        EXPECT_EQ(l.doc.Survey().m_aDataPoints[i].m_aReadings,
                  plain.doc.Survey().m_aDataPoints[i].m_aReadings);
    }
}

TEST(SurveyFile, RecordSizesBelowTheStructuresAreRefused) {
    auto bytes = EncodeSurveyFile(TwoPointImage());
    StoreU32(bytes.data() + 25, 60);
    EXPECT_FALSE(Loaded(bytes).ok);
    bytes = EncodeSurveyFile(TwoPointImage());
    StoreU32(bytes.data() + 29, 40);
    EXPECT_FALSE(Loaded(bytes).ok);
}

TEST(SurveyFile, TruncatedLastRecordIsIgnored) {
    auto bytes = EncodeSurveyFile(TwoPointImage());
    SurveyFileImage img = TwoPointImage();
    img.records.push_back(MakePoint(1, 1));
    auto longer = EncodeSurveyFile(img);
    longer.resize(bytes.size() + 60); // one byte short of the third record
    Loaded l(longer);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints.size(), 2u);
    EXPECT_EQ(l.doc.Survey().m_aFilePointCount, std::vector<int>{2});
}

TEST(SurveyFile, ReadingCountPastTheEndKeepsTheCompleteReadings) {
    auto bytes = EncodeSurveyFile(TwoPointImage());
    // The last point claims 1000 readings; one complete reading and half of another follow.
    const std::size_t lastRecord = 33 + 61 + 2 * 41;
    StoreU16(bytes.data() + lastRecord + 30, 1000);
    bytes.insert(bytes.end(), 20, 0x55);
    Loaded l(bytes);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.doc.Survey().m_aDataPoints.size(), 2u);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[1].m_aReadings.size(), 1u);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints[1].m_rec.m_wReadingCount, 1000); // the record is kept as stored
}

TEST(SurveyFile, ExactlyEndingAfterLastReadingsYieldsAllPoints) {
    const auto bytes = EncodeSurveyFile(TwoPointImage());
    EXPECT_EQ(bytes.size(), 33u + 2 * 61 + 3 * 41);
    Loaded l(bytes);
    EXPECT_EQ(l.doc.Survey().m_aDataPoints.size(), 2u);
}

TEST(SurveyFile, SurveyTimeBeyondTheCalendarGivesEmptyText) {
    auto img = TwoPointImage();
    img.surveyTime = std::numeric_limits<std::int64_t>::max();
    Loaded l(EncodeSurveyFile(img));
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.doc.Survey().m_strSurveyTime, "");
}

TEST(SurveyFile, HeaderAndStats) {
    const auto bytes = EncodeSurveyFile(TwoPointImage());
    EXPECT_TRUE(HasSurveyMagic(bytes));
    const auto h = ParseSurveyHeader(bytes);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->pointSize, 61u);
    EXPECT_EQ(h->readingSize, 41u);
    Loaded l(bytes);
    const auto s = ComputeSurveyStats(l.doc.Survey().m_aDataPoints);
    EXPECT_EQ(s.points, 2);
    EXPECT_EQ(s.readings, 3);
    EXPECT_EQ(s.distinctBssids, 2);
    EXPECT_DOUBLE_EQ(s.south, 40.5);
    EXPECT_NEAR(s.north, 40.5001, 1e-9);
}
