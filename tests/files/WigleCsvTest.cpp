// WiGLE CSV import: the CSV oddities real loggers produce, the mapping to points and readings, the
// counts of skipped rows, and agreement with an independent parse of real logs.
#include "files/WigleCsv.h"
#include "analysis/Numeric.h"
#include "files/FileIo.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace plotra;
using namespace plotra::test;

namespace {

std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

const std::string kPre14 = "WigleWifi-1.4,appRelease=2.25,model=Test,release=6.0\n";
const std::string kCols14 = "MAC,SSID,AuthMode,FirstSeen,Channel,RSSI,CurrentLatitude,CurrentLongitude,"
                            "AltitudeMeters,AccuracyMeters,Type\n";
const std::string kHead14 = kPre14 + kCols14;
const std::string kHead16 =
    "WigleWifi-1.6,appRelease=v1.16,model=Test\n"
    "MAC,SSID,AuthMode,FirstSeen,Channel,Frequency,RSSI,CurrentLatitude,CurrentLongitude,"
    "AltitudeMeters,AccuracyMeters,RCOIs,MfgrId,Type\n";

/// A 1.4 row with the fields that matter; the others take plain values.
std::string Row14(const std::string& mac, const std::string& ssid, const std::string& time,
                  const std::string& channel, const std::string& rssi, const std::string& lat = "32.5",
                  const std::string& lon = "34.75", const std::string& alt = "30",
                  const std::string& acc = "4", const std::string& type = "WIFI") {
    return mac + "," + ssid + ",[ESS]," + time + "," + channel + "," + rssi + "," + lat + "," + lon + "," +
           alt + "," + acc + "," + type + "\n";
}

std::string Row16(const std::string& mac, const std::string& channel, const std::string& frequency,
                  const std::string& type = "WIFI") {
    return mac + ",\"net\",[WPA2_PSK],2026-08-08 06:49:57," + channel + "," + frequency +
           ",-70,-33.398364,151.349402,30.68,1.7,,," + type + "\n";
}

const std::string kT1 = "2017-10-27 16:32:24";
const std::string kT2 = "2017-10-27 16:32:34";

WigleImportResult Import(const std::string& csv, const WigleImportOptions& o = {}) {
    return ImportWigleCsv(Bytes(csv), o);
}

std::string Ssid(const CHssData& r) {
    return SsidText(r.m_szSSID);
}

} // namespace

TEST(WigleCsv, RowsOfOneScanBecomeOnePointWithTheRecordFieldsFilledIn) {
    const std::string csv = kHead14 +
                            Row14("0a:8d:db:6e:71:26", "888Corp", kT1, "6", "-92", "32.5", "34.75", "30.5") +
                            Row14("02:8D:DB:6E:71:2F", "888Guest", kT1, "11", "-93.5", "32.5", "34.75", "99");
    const auto r = Import(csv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.version, "1.4");
    EXPECT_EQ(r.image.surveyTime, 1509121944); // taken as UTC
    ASSERT_EQ(r.image.records.size(), 1u);
    const CDataPoint& p = r.image.records[0];
    EXPECT_EQ(p.m_rec.m_nLatMas, 117000000);
    EXPECT_EQ(p.m_rec.m_nLonMas, 125100000);
    EXPECT_EQ(p.m_rec.m_nAltitudeCm, 3050); // the first row of the point gives the point's values
    EXPECT_EQ(p.m_rec.m_byFix, 2);
    EXPECT_EQ(p.m_rec.m_wSpeedCms, 0);
    EXPECT_EQ(p.m_rec.m_byKind, 0);
    EXPECT_EQ(p.m_rec.m_wReadingCount, 2);
    for (auto n : p.m_rec.m_anNoise)
        EXPECT_EQ(n, -95);
    ASSERT_EQ(p.m_aReadings.size(), 2u);
    EXPECT_EQ(p.m_aReadings[0].m_byChannel, 6);
    EXPECT_EQ(p.m_aReadings[0].m_nRssi256, -92 * 256);
    EXPECT_EQ(p.m_aReadings[0].m_abyMAC, (std::array<std::uint8_t, 6>{0x0a, 0x8d, 0xdb, 0x6e, 0x71, 0x26}));
    EXPECT_EQ(Ssid(p.m_aReadings[0]), "888Corp");
    EXPECT_EQ(p.m_aReadings[1].m_nRssi256, -93 * 256 - 128);
    EXPECT_EQ(p.m_aReadings[1].m_abyMAC, (std::array<std::uint8_t, 6>{0x02, 0x8d, 0xdb, 0x6e, 0x71, 0x2f}));
    EXPECT_EQ(r.counts.rows, 2);
    EXPECT_EQ(r.counts.points, 1);
    EXPECT_EQ(r.counts.readings, 2);
    EXPECT_EQ(r.counts.SkippedTotal(), 0);

    WigleImportOptions quiet;
    quiet.noiseFloorDbm = -101;
    const auto quietResult = Import(csv, quiet); // keep the result alive while its records are read
    for (auto n : quietResult.image.records[0].m_rec.m_anNoise)
        EXPECT_EQ(n, -101);
}

TEST(WigleCsv, FixFollowsTheAccuracy) {
    std::string csv = kHead14;
    const char* acc[] = {"4", "10", "10.5", "23", "0", "-1", "", "x"};
    for (int i = 0; i < 8; ++i)
        csv += Row14("00:00:00:00:00:01", "a", kT1, "1", "-80", "32." + std::to_string(i + 1), "34.75", "30",
                     acc[i]);
    const auto r = Import(csv);
    ASSERT_EQ(r.image.records.size(), 8u);
    const int expected[] = {2, 2, 1, 1, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(r.image.records[i].m_rec.m_byFix, expected[i]) << acc[i];

    WigleImportOptions strict;
    strict.fix3dMaxAccuracyMeters = 3.0;
    EXPECT_EQ(Import(csv, strict).image.records[0].m_rec.m_byFix, 1);
}

TEST(WigleCsv, OnlyConsecutiveRowsOfTheSameTimeAndPlaceShareAPoint) {
    const std::string csv =
        kHead14 + Row14("00:00:00:00:00:01", "a", kT1, "1", "-80") +
        // a skipped row between two rows of one scan does not split it
        Row14("42502_22811_5371521", "GOLAN T", kT1, "0", "-87", "32.5", "34.75", "30", "4", "GSM") +
        Row14("00:00:00:00:00:02", "b", kT1, "1", "-81") +
        Row14("00:00:00:00:00:03", "c", kT2, "1", "-82") +         // new time
        Row14("00:00:00:00:00:04", "d", kT2, "1", "-83", "32.6") + // new place
        Row14("00:00:00:00:00:05", "e", kT1, "1", "-84");          // earlier key again
    const auto r = Import(csv);
    ASSERT_EQ(r.image.records.size(), 4u);
    EXPECT_EQ(r.image.records[0].m_aReadings.size(), 2u);
    EXPECT_EQ(r.image.records[1].m_aReadings.size(), 1u);
    EXPECT_EQ(r.image.records[2].m_aReadings.size(), 1u);
    EXPECT_EQ(r.image.records[3].m_aReadings.size(), 1u);
    EXPECT_EQ(r.image.records[3].m_aReadings[0].m_abyMAC[5], 5);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NotWifi), 1);
    EXPECT_EQ(r.counts.wifiRows, 5);
}

TEST(WigleCsv, ByteOrderMarkAndCrlfReadLikeThePlainFile) {
    const std::string body =
        Row14("00:00:00:00:00:01", "a", kT1, "1", "-80") + Row14("00:00:00:00:00:02", "b", kT2, "6", "-70");
    const auto plain = Import(kHead14 + body);
    std::string crlf;
    for (char c : kHead14 + body) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const auto withBom = Import("\xEF\xBB\xBF" + crlf);
    ASSERT_TRUE(withBom.ok) << withBom.error;
    EXPECT_EQ(withBom.version, "1.4");
    ASSERT_EQ(withBom.image.records.size(), plain.image.records.size());
    for (std::size_t i = 0; i < plain.image.records.size(); ++i) {
        EXPECT_EQ(withBom.image.records[i].m_rec, plain.image.records[i].m_rec);
        EXPECT_EQ(withBom.image.records[i].m_aReadings, plain.image.records[i].m_aReadings);
    }
    // Blank lines are not rows.
    EXPECT_EQ(Import(kHead14 + "\n" + body + "\r\n\n").counts.rows, 2);
}

TEST(WigleCsv, QuotedFieldsKeepCommasQuotesLineBreaksAndBytes) {
    const std::string csv = kHead14 +
                            Row14("00:00:00:00:00:01", "\"Caf\xC3\xA9, \"\"Bar\"\"\"", kT1, "1", "-80") +
                            Row14("00:00:00:00:00:02", "\"two\nlines\"", kT1, "1", "-80") +
                            Row14("00:00:00:00:00:03", "\"\"", kT1, "\"11\"", "-80");
    const auto r = Import(csv);
    ASSERT_EQ(r.counts.readings, 3) << WigleSkipSummary(r.counts);
    const auto& readings = r.image.records[0].m_aReadings;
    EXPECT_EQ(Ssid(readings[0]), "Caf\xC3\xA9, \"Bar\"");
    EXPECT_EQ(Ssid(readings[1]), "two\nlines");
    EXPECT_EQ(Ssid(readings[2]), "");
    EXPECT_EQ(readings[2].m_byChannel, 11);
}

TEST(WigleCsv, UnquotedSsidWithCommasTakesTheSurplusFields) {
    // The 1.4 app writes SSIDs without quotes; the extra fields belong to the SSID.
    const auto r = Import(kHead14 + Row14("00:00:00:00:00:01", "a,b,,c", kT1, "6", "-80"));
    ASSERT_EQ(r.counts.readings, 1);
    const CHssData& d = r.image.records[0].m_aReadings[0];
    EXPECT_EQ(Ssid(d), "a,b,,c");
    EXPECT_EQ(d.m_byChannel, 6);
    EXPECT_EQ(d.m_nRssi256, -80 * 256);

    // A trailing comma on the header or on the rows adds an empty field that is not part of the SSID.
    const std::string plainRow = Row14("00:00:00:00:00:01", "a,b", kT1, "6", "-80");
    const std::string row = plainRow.substr(0, plainRow.size() - 1) + ",\n";
    const std::string header = kCols14.substr(0, kCols14.size() - 1) + ",\n";
    for (const std::string& csv :
         {kPre14 + kCols14 + row, kPre14 + header + row, kPre14 + header + plainRow}) {
        const auto t = Import(csv);
        ASSERT_EQ(t.counts.readings, 1) << csv;
        EXPECT_EQ(Ssid(t.image.records[0].m_aReadings[0]), "a,b");
    }
}

TEST(WigleCsv, SsidIsCutTo32Bytes) {
    const std::string ssid40 = "0123456789abcdefghijABCDEFGHIJ0123456789";
    const auto r = Import(kHead14 + Row14("00:00:00:00:00:01", ssid40, kT1, "6", "-80"));
    ASSERT_EQ(r.counts.readings, 1);
    EXPECT_EQ(Ssid(r.image.records[0].m_aReadings[0]), ssid40.substr(0, 32));
}

TEST(WigleCsv, EmptyFieldsTakeDefaultsOrSkipTheRow) {
    const auto r = Import(kHead14 + Row14("00:00:00:00:00:01", "", "", "6", "-80", "32.5", "34.75", "", "") +
                          Row14("00:00:00:00:00:02", "", "", "6", "", "32.5", "34.75", "", "") +
                          Row14("00:00:00:00:00:03", "", "", "6", "-80", "", "34.75"));
    ASSERT_EQ(r.image.records.size(), 1u);
    const CDataPoint& p = r.image.records[0];
    EXPECT_EQ(p.m_rec.m_nAltitudeCm, 0);
    EXPECT_EQ(p.m_rec.m_byFix, 0);
    EXPECT_EQ(Ssid(p.m_aReadings[0]), "");
    EXPECT_EQ(r.image.surveyTime, 0); // no row has a time
    EXPECT_EQ(r.counts.Skipped(WigleSkip::BadRssi), 1);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NoPosition), 1);
}

TEST(WigleCsv, RowsThatCannotBeUsedAreCountedPerReason) {
    const std::string csv = kHead14 + Row14("00:00:00:00:00:01", "ok", kT1, "6", "-80") +
                            Row14("00:00:00:00:00:02", "zero", kT1, "6", "-80", "0", "0") +
                            Row14("00:00:00:00:00:03", "empty", kT1, "6", "-80", "", "") +
                            Row14("00:00:00:00:00:04", "range", kT1, "6", "-80", "91", "10") +
                            Row14("00:00:00:00:00:05", "text", kT1, "6", "-80", "north", "10") +
                            Row14("00:00:00:00:00:06", "nochan", kT1, "0", "-80") +
                            Row14("00:00:00:00:00:07", "nochan", kT1, "", "-80") +
                            Row14("00:00:00:00:00:08", "rssi", kT1, "6", "strong") +
                            Row14("00:00:00:00:00:09", "rssi", kT1, "6", "0") +
                            Row14("00:00:00:00:00:0a", "rssi", kT1, "6", "-129") +
                            Row14("00:00:00:00:00:0b", "ok", kT1, "6", "-128") +
                            Row14("00:00:00:00:00", "mac", kT1, "6", "-80") +
                            Row14("00:00:00:00:00:0g", "mac", kT1, "6", "-80") +
                            Row14("00:00:00:00:00:01", "dup", kT1, "6", "-60");
    const auto r = Import(csv);
    EXPECT_EQ(r.counts.rows, 14);
    EXPECT_EQ(r.counts.readings, 2);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NoPosition), 4);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NoChannel), 2);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::BadRssi), 3);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::BadMac), 2);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::Duplicate), 1);
    // The first of two readings of one AP in a point is kept.
    EXPECT_EQ(r.image.records[0].m_aReadings[0].m_nRssi256, -80 * 256);
    EXPECT_EQ(r.image.records[0].m_aReadings[1].m_nRssi256, -128 * 256);
    EXPECT_EQ(WigleSkipSummary(r.counts),
              "12 of 14 rows skipped (unreadable MAC: 2, no position: 4, no channel: 2, "
              "unusable RSSI: 3, same MAC twice in a point: 1)");
    EXPECT_EQ(WigleSkipSummary(Import(kHead14 + Row14("00:00:00:00:00:01", "ok", kT1, "6", "-80")).counts),
              "");
}

TEST(WigleCsv, NonWifiTypesAreSkippedAndCounted) {
    std::string csv = kHead16 + Row16("34:98:b5:fb:73:47", "2", "2417");
    for (const char* type : {"BLE", "BT", "GSM", "LTE", "CDMA", "WCDMA", "NR", "", "wifi"})
        csv += Row16("6a:1f:95:f0:b7:53", "0", "", type);
    const auto r = Import(csv);
    EXPECT_EQ(r.counts.rows, 10);
    EXPECT_EQ(r.counts.wifiRows, 2); // the type is compared without regard to case
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NotWifi), 8);
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NoChannel), 1);
    EXPECT_EQ(WigleSkipSummary(r.counts), "9 of 10 rows skipped (non-WIFI rows: 8, no channel: 1)");
}

TEST(WigleCsv, ChannelComesFromTheFrequencyWhenTheChannelIsZero) {
    const auto r =
        Import(kHead16 + Row16("00:00:00:00:00:01", "0", "5180") + Row16("00:00:00:00:00:02", "0", "5955") +
               Row16("00:00:00:00:00:03", "0", "2484") + Row16("00:00:00:00:00:04", "", "2412") +
               Row16("00:00:00:00:00:05", "0", "6415") + Row16("00:00:00:00:00:06", "0", "5000") +
               Row16("00:00:00:00:00:07", "0", "") + Row16("00:00:00:00:00:08", "9", "5180"));
    ASSERT_EQ(r.image.records.size(), 1u);
    std::vector<int> channels;
    for (const auto& d : r.image.records[0].m_aReadings)
        channels.push_back(d.m_byChannel);
    // Channels above 13 are kept as they are; the reading's channel is not limited to the noise table.
    EXPECT_EQ(channels, (std::vector<int>{36, 1, 14, 1, 93, 9}));
    EXPECT_EQ(r.counts.Skipped(WigleSkip::NoChannel), 2);

    const std::pair<long, int> table[] = {{2412, 1}, {2472, 13},  {2484, 14},  {2417, 2},   {2413, 0},
                                          {2407, 0}, {5180, 36},  {5825, 165}, {5885, 177}, {5935, 2},
                                          {5955, 1}, {7115, 233}, {5950, 0},   {4920, 0},   {0, 0}};
    for (const auto& [mhz, channel] : table)
        EXPECT_EQ(WigleChannelFromFrequency(mhz), channel) << mhz;
}

TEST(WigleCsv, TruncatedLastLineIsCountedNotTaken) {
    const std::string good = kHead14 + Row14("00:00:00:00:00:01", "a", kT1, "6", "-80");
    const auto cutRow = Import(good + "00:00:00:00:00:02,b,[ESS]," + kT1 + ",6,-7");
    EXPECT_EQ(cutRow.counts.rows, 2);
    EXPECT_EQ(cutRow.counts.readings, 1);
    EXPECT_EQ(cutRow.counts.Skipped(WigleSkip::Incomplete), 1);
    const auto cutQuote = Import(good + "00:00:00:00:00:02,\"b,[ESS]," + kT1 + ",6,-70,32.5,34.75,30,4,WIFI");
    EXPECT_EQ(cutQuote.counts.Skipped(WigleSkip::Incomplete), 1);
    EXPECT_EQ(cutQuote.counts.readings, 1);
    // A complete last line without a line break is a whole row.
    std::string noBreak = good + Row14("00:00:00:00:00:02", "b", kT1, "6", "-80");
    noBreak.pop_back();
    EXPECT_EQ(Import(noBreak).counts.readings, 2);
}

TEST(WigleCsv, SpeedIsDistanceOverTimeBetweenPoints) {
    const std::string csv =
        kHead14 + Row14("00:00:00:00:00:01", "a", kT1, "6", "-80", "32.5", "34.75") +
        Row14("00:00:00:00:00:01", "a", kT2, "6", "-80", "32.501", "34.75") +
        // same second, new place: the previous speed stays
        Row14("00:00:00:00:00:01", "a", kT2, "6", "-80", "32.502", "34.75") +
        // a jump of a degree in 10 s exceeds the 16-bit field
        Row14("00:00:00:00:00:01", "a", "2017-10-27 16:32:44", "6", "-80", "33.502", "34.75");
    const auto r = Import(csv);
    ASSERT_EQ(r.image.records.size(), 4u);
    EXPECT_EQ(r.image.records[0].m_rec.m_wSpeedCms, 0);
    const double metres = GeoDistance(117000000 / 3600000.0, 125100000 / 3600000.0, 117003600 / 3600000.0,
                                      125100000 / 3600000.0);
    EXPECT_EQ(r.image.records[1].m_rec.m_wSpeedCms, std::lround(metres * 100.0 / 10.0));
    EXPECT_NEAR(r.image.records[1].m_rec.m_wSpeedCms, 1113, 2); // 111 m in 10 s
    EXPECT_EQ(r.image.records[2].m_rec.m_wSpeedCms, r.image.records[1].m_rec.m_wSpeedCms);
    EXPECT_EQ(r.image.records[3].m_rec.m_wSpeedCms, 65535);
}

TEST(WigleCsv, APointNeverOverflowsItsReadingCount) {
    std::string csv = kHead14;
    const int rows = 65536 + 2;
    char mac[18];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(mac, sizeof mac, "00:00:00:%02x:%02x:%02x", (i >> 16) & 0xFF, (i >> 8) & 0xFF,
                      i & 0xFF);
        csv += Row14(mac, "", kT1, "6", "-80");
    }
    const auto r = Import(csv);
    ASSERT_EQ(r.image.records.size(), 2u);
    EXPECT_EQ(r.image.records[0].m_aReadings.size(), 65535u);
    EXPECT_EQ(r.image.records[1].m_aReadings.size(), 3u);
    EXPECT_EQ(r.image.records[1].m_rec.m_wReadingCount, 3);
    EXPECT_EQ(r.image.records[0].m_rec.m_nLatMas, r.image.records[1].m_rec.m_nLatMas);
    EXPECT_EQ(r.counts.readings, rows);
}

TEST(WigleCsv, TimesMacsAndHeadersParseStrictly) {
    EXPECT_EQ(ParseWigleTime("2017-10-27 16:32:24"), 1509121944);
    EXPECT_EQ(ParseWigleTime("2016-02-29 23:59:59"), 1456790399);
    EXPECT_EQ(ParseWigleTime("1970-01-01 00:00:00"), 0);
    EXPECT_EQ(ParseWigleTime("1969-12-31 23:59:59"), -1);
    for (const char* bad : {"2017-02-29 00:00:00", "2017-13-01 00:00:00", "2017-10-27 24:00:00", "2017-10-27",
                            "2017-10-27 16:32:2x", "", "1509121944"})
        EXPECT_FALSE(ParseWigleTime(bad).has_value()) << bad;

    const std::array<std::uint8_t, 6> mac{0xAA, 0xBB, 0xCC, 0x0D, 0xEE, 0xFF};
    EXPECT_EQ(ParseWigleMac("aa:bb:cc:0d:ee:ff"), mac);
    EXPECT_EQ(ParseWigleMac("AA-BB-CC-0D-EE-FF"), mac);
    for (const char* bad : {"aa:bb:cc:0d:ee", "aa:bb:cc:0d:ee:ff:00", "aa:bb-cc:0d:ee:ff", "aabbcc0deeff",
                            "42502_22811_5371521", "gg:bb:cc:0d:ee:ff"})
        EXPECT_FALSE(ParseWigleMac(bad).has_value()) << bad;
}

TEST(WigleCsv, DetectionLooksAtTheContent) {
    EXPECT_TRUE(LooksLikeWigleCsv(Bytes(kHead14)));
    EXPECT_TRUE(LooksLikeWigleCsv(Bytes("\xEF\xBB\xBF" + kHead16)));
    EXPECT_TRUE(LooksLikeWigleCsv(Bytes(kCols14)));
    EXPECT_FALSE(LooksLikeWigleCsv(Bytes("MAC,SSID,RSSI\n")));
    EXPECT_FALSE(LooksLikeWigleCsv(Bytes("")));
    EXPECT_FALSE(LooksLikeWigleCsv(Bytes("Wigle")));
    SurveyFileImage image;
    image.records.push_back(MakePoint(1, 2, {MakeReading(1, -50, 1, "x")}));
    EXPECT_FALSE(LooksLikeWigleCsv(EncodeSurveyFile(image)));
}

TEST(WigleCsv, HeaderDecidesWhatIsRead) {
    // Without the version line, and without a Type column, every complete row is a Wi-Fi row.
    const auto bare = Import("MAC,FirstSeen,Channel,RSSI,CurrentLatitude,CurrentLongitude\n"
                             "00:00:00:00:00:01," +
                             kT1 + ",6,-80,1,2\n");
    ASSERT_TRUE(bare.ok) << bare.error;
    EXPECT_EQ(bare.version, "");
    EXPECT_EQ(bare.counts.readings, 1);
    EXPECT_EQ(bare.image.records[0].m_rec.m_byFix, 0);

    const auto noRssi = Import(kPre14 + "MAC,SSID,FirstSeen,Channel,CurrentLatitude,CurrentLongitude,Type\n");
    EXPECT_FALSE(noRssi.ok);
    EXPECT_EQ(noRssi.error, "The column \"RSSI\" is missing.");
    EXPECT_EQ(Import(kPre14 + "MAC,FirstSeen,RSSI,CurrentLatitude,CurrentLongitude\n").error,
              "The columns \"Channel\" and \"Frequency\" are both missing.");
    EXPECT_EQ(Import(kPre14).error, "The file has no column header.");
    EXPECT_FALSE(Import("").ok);
    EXPECT_FALSE(WigleCsvToSurveyFile(Bytes(kHead14)).has_value()); // a log without rows gives no survey
}

TEST(WigleCsv, SeveralLogsAppendAndNeverShareAPoint) {
    const std::string a = kHead14 + Row14("00:00:00:00:00:01", "a", kT1, "6", "-80");
    const std::string b = kHead16 + Row16("00:00:00:00:00:02", "1", "2412");
    WigleImporter importer;
    EXPECT_TRUE(importer.AddFile(Bytes(a)).ok);
    EXPECT_TRUE(importer.AddFile(Bytes(a)).ok); // the same scan again is a new point of the second file
    const WigleFileResult second = importer.AddFile(Bytes(b));
    EXPECT_EQ(second.version, "1.6");
    EXPECT_EQ(second.counts.points, 1);
    EXPECT_FALSE(importer.AddFile(Bytes(std::string("x,y\n1,2\n"))).ok);
    EXPECT_EQ(importer.Counts().points, 3);
    EXPECT_EQ(importer.Counts().rows, 3);
    const SurveyFileImage image = importer.TakeImage();
    ASSERT_EQ(image.records.size(), 3u);
    EXPECT_EQ(image.surveyTime, 1509121944); // the first point's time
    EXPECT_EQ(image.records[2].m_aReadings[0].m_abyMAC[5], 2);
    EXPECT_EQ(importer.Counts().points, 0);
}

// Expected figures of the shared real logs, computed independently of this code with Python's csv
// module by tests/files/wigle_expected_counts.py (csv.reader over the file after the optional BOM and
// "WigleWifi-" line; the same skip reasons in the same order; a point is a run of consecutive usable rows
// with equal strptime("%Y-%m-%d %H:%M:%S") time and equal latitude/longitude in milliarcseconds, rounded
// half away from zero; a MAC already in the current point is a duplicate). The README of the data counts
// 363 rows for phone-walk: its last row has no line break; it is complete and counts.
struct RealLog {
    const char* name;
    long rows, wifiRows, points, readings, notWifi, duplicates;
};
constexpr RealLog kRealLogs[] = {
    {"phone-walk-v1.4.csv", 364, 364, 70, 364, 0, 0},
    {"phone-walk2-v1.4.csv", 1191, 1153, 449, 1148, 38, 5},
    {"esp32-mixed-v1.6.csv", 124, 55, 6, 55, 69, 0},
};

TEST(WigleCsv, RealLogsGiveTheCountsOfAPlainCsvParse) {
    PLOTRA_SKIP_WITHOUT_SHARED_DATA("wigle");
    for (const RealLog& log : kRealLogs) {
        SCOPED_TRACE(log.name);
        const FileBytes file = ReadWholeFile(SharedData(std::string("wigle/") + log.name));
        ASSERT_EQ(file.status, ReadStatus::Ok);
        EXPECT_TRUE(LooksLikeWigleCsv(file.bytes));
        const auto r = ImportWigleCsv(file.bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.counts.rows, log.rows);
        EXPECT_EQ(r.counts.wifiRows, log.wifiRows);
        EXPECT_EQ(r.counts.points, log.points);
        EXPECT_EQ(r.counts.readings, log.readings);
        EXPECT_EQ(r.counts.Skipped(WigleSkip::NotWifi), log.notWifi);
        EXPECT_EQ(r.counts.Skipped(WigleSkip::Duplicate), log.duplicates);
        EXPECT_EQ(r.counts.SkippedTotal(), log.notWifi + log.duplicates);
        EXPECT_EQ(static_cast<long>(r.image.records.size()), log.points);
        long readings = 0;
        for (const auto& p : r.image.records) {
            readings += static_cast<long>(p.m_aReadings.size());
            EXPECT_NE(p.m_rec.m_byFix, 0); // every real fix has an accuracy
        }
        EXPECT_EQ(readings, log.readings);
    }
}

TEST(WigleCsv, ImportedSurveyReadsBackThroughTheSurveyReader) {
    PLOTRA_SKIP_WITHOUT_SHARED_DATA("wigle");
    for (const RealLog& log : kRealLogs) {
        SCOPED_TRACE(log.name);
        const FileBytes file = ReadWholeFile(SharedData(std::string("wigle/") + log.name));
        ASSERT_EQ(file.status, ReadStatus::Ok);
        WigleImportResult r;
        const auto bytes = WigleCsvToSurveyFile(file.bytes, {}, &r);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, EncodeSurveyFile(r.image));
        CPlotraDoc doc;
        ASSERT_TRUE(doc.ReadSurveyFile(*bytes));
        ASSERT_EQ(doc.Survey().m_aDataPoints.size(), r.image.records.size());
        ASSERT_EQ(doc.Survey().m_aFilePointCount, std::vector<int>{static_cast<int>(log.points)});
        for (std::size_t i = 0; i < doc.Survey().m_aDataPoints.size(); ++i) {
            EXPECT_EQ(doc.Survey().m_aDataPoints[i].m_rec, r.image.records[i].m_rec);
            EXPECT_EQ(doc.Survey().m_aDataPoints[i].m_aReadings, r.image.records[i].m_aReadings);
        }
        EXPECT_EQ(doc.Survey().m_strSurveyTime, SurveyTimeText(r.image.surveyTime));
    }
}
