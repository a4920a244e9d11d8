// Recordings built message by message, replayed through the capture into a survey file and read
// back with the survey reader: points, placement, fix, readings, stale entries, noise, survey time.
#include "RecordingBuilder.h"
#include "capture/CaptureSession.h"
#include "capture/SimulatedRecording.h"
#include "files/SurveyFile.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

using namespace plotra;
using namespace plotra::test;

namespace {

constexpr std::int64_t kBase = 1'800'000'000LL * kSecond; // 2027-01-15T08:00:00Z

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<CDataPoint> ReadBack(const std::string& path) {
    CPlotraDoc doc;
    Edit::Survey(doc).m_strCurrentFile = path;
    EXPECT_TRUE(doc.ReadSurveyFile(ReadBytes(path)));
    std::vector<CDataPoint> points;
    for (const auto& p : doc.Survey().m_aDataPoints) {
        CDataPoint copy;
        copy.m_rec = p.m_rec;
        copy.m_aReadings.assign(p.m_aReadings.begin(), p.m_aReadings.end());
        points.push_back(std::move(copy));
    }
    return points;
}

std::string WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string Iso(std::int64_t ns) {
    return capture::IsoUtcText(ns);
}

TestBss Bss(std::uint8_t tail, const std::string& ssid, std::uint32_t mhz, std::optional<std::int32_t> mbm,
            std::optional<std::uint32_t> seen) {
    return TestBss{{0x02, 0x11, 0x22, 0x33, 0x44, tail}, ssid, mhz, mbm, seen};
}

/// Runs a whole replay; the status at the end.
capture::CaptureStatus Replay(const std::string& scans, const std::string& gps, const std::string& out,
                              capture::CaptureOptions options, std::string* error,
                              std::vector<CDataPoint>* appended = nullptr) {
    auto scanSource = capture::ReplayScanSource::Open(scans, error);
    auto gpsSource = capture::GpsLogSource::Open(gps, error);
    if (!scanSource || !gpsSource) return {};
    capture::CaptureSession session(std::move(scanSource), std::move(gpsSource), options);
    if (!session.Start(out, error)) return {};
    capture::CaptureSession::Step step;
    while ((step = session.RunStep()) == capture::CaptureSession::Step::Continue) {
        if (appended)
            for (auto& p : session.TakeAppended())
                appended->push_back(std::move(p));
    }
    if (step == capture::CaptureSession::Step::Failed) *error = session.Error();
    EXPECT_TRUE(session.Stop(nullptr));
    return session.Status();
}

} // namespace

namespace {

/// Four scans: a full channel survey with fresh, stale and silent entries; a refused survey with an
/// entry at the age limit and a 6 GHz one; an empty survey and scan; a scan far from any fix.
std::pair<std::string, std::string> MixedWalk(const TempDir& dir) {
    const std::int64_t t1 = kBase + 10 * kSecond, t2 = kBase + 20 * kSecond, t3 = kBase + 30 * kSecond,
                       t4 = kBase + 40 * kSecond;
    RecordingBuilder rec;
    // Scan 1: a full channel survey, two fresh entries, a stale one and one without a signal figure.
    rec.Survey(t1 - kSecond / 2, 2412, -90)
        .Survey(t1 - kSecond / 2, 2437, -88)
        .Survey(t1 - kSecond / 2, 2462, {});
    rec.Survey(t1 - kSecond / 2, 5180, -97).Done(t1 - kSecond / 2);
    rec.Bss(t1 - kSecond / 10, Bss(1, "Alpha", 2412, -5523, 100))
        .Bss(t1 - kSecond / 10, Bss(2, "Beta", 5180, -7000, 200));
    rec.Bss(t1 - kSecond / 10, Bss(3, "Old", 2437, -6000, 9000))
        .Bss(t1 - kSecond / 10, Bss(4, "Quiet", 2412, {}, 10));
    rec.Done(t1).Notice(t1 + kSecond / 2);
    // Scan 2: the survey refused (the last one stands); an entry exactly at the age limit; 6 GHz.
    rec.Error(t2 - kSecond / 2, -EOPNOTSUPP);
    rec.Bss(t2 - 1, Bss(1, "Alpha", 2412, -6050, 5000)).Bss(t2 - 1, Bss(5, "Six", 5975, -8000, 0)).Done(t2);
    // Scan 3: an empty survey and an empty scan (a point where nothing was heard).
    rec.Done(t3 - kSecond / 2).Done(t3);
    // Scan 4: no fix anywhere near it.
    rec.Bss(t4 - 1, Bss(1, "Alpha", 2412, -4000, 10)).Done(t4);
    const std::string scans = rec.WriteTo(dir.File("scans.rec"));

    const std::string gps = WriteText(
        dir.File("gps.json"),
        "{\"class\":\"VERSION\",\"release\":\"3.22\",\"proto_major\":3,\"proto_minor\":14}\n" +
            Tpv(Iso(t1 - kSecond), 3, 46.0, 7.0, 500, 1.0) +
            "\n{\"class\":\"SKY\",\"uSat\":7,\"nSat\":11}\n" +
            Tpv(Iso(t1 + kSecond), 2, 46.0002, 7.0004, 510, 3.0) + "\n" +
            Tpv(Iso(t2 - 3 * kSecond / 2), 3, 46.001, 7.001, 520, 0.5) + "\n" +
            "{\"class\":\"TPV\",\"mode\":1,\"time\":\"" + Iso(t2 + kSecond / 2) + "\"}\n" +
            Tpv(Iso(t2 + 5 * kSecond / 2), 3, 46.5, 7.5) + "\n" + Tpv(Iso(t3), 3, 46.002, 7.002, 530, 0) +
            "\n" + Tpv(Iso(t4 + 3 * kSecond), 3, 46.9, 7.9) + "\n");

    return {scans, gps};
}

} // namespace

TEST(CaptureReplay, ScansArePlacedAmongFixesWithTheirReadingsAndNoise) {
    TempDir dir;
    const auto [scans, gps] = MixedWalk(dir);
    capture::CaptureOptions options;
    options.rules.noiseFloorDbm = -99;
    std::string error;
    std::vector<CDataPoint> appended;
    const auto status = Replay(scans, gps, dir.File("out.hsd"), options, &error, &appended);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(status.scans, 4);
    EXPECT_EQ(status.pointsWritten, 3);
    EXPECT_EQ(status.noFix, 1);
    EXPECT_EQ(status.apsHeard, 3); // Alpha, Beta, Six: the stale and the silent entries are no readings
    EXPECT_EQ(status.satellites, 7);
    EXPECT_EQ(status.surveyTime, 1'800'000'010);

    const auto header = ParseSurveyHeader(ReadBytes(dir.File("out.hsd")));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->surveyTime, 1'800'000'010);
    const auto points = ReadBack(dir.File("out.hsd"));
    ASSERT_EQ(points.size(), 3u);
    ASSERT_EQ(appended.size(), 3u);

    // Halfway between a 3D and a 2D fix: the interpolated position, as good as the weaker fix.
    const CPointRecord& p1 = points[0].m_rec;
    EXPECT_EQ(p1.m_nLatMas, capture::ToMas(46.0001));
    EXPECT_EQ(p1.m_nLonMas, capture::ToMas(7.0002));
    EXPECT_EQ(p1.m_nAltitudeCm, 50500);
    EXPECT_EQ(p1.m_wSpeedCms, 200);
    EXPECT_EQ(p1.m_byFix, 1);
    const std::array<std::int16_t, 14> noise1{-99, -90, -99, -99, -99, -99, -88,
                                              -99, -99, -99, -99, -99, -99, -99};
    EXPECT_EQ(p1.m_anNoise, noise1);
    ASSERT_EQ(points[0].m_aReadings.size(), 2u);
    EXPECT_EQ(points[0].m_aReadings[0].m_byChannel, 1);
    EXPECT_EQ(points[0].m_aReadings[0].m_nRssi256, -14139); // -55.23 dBm to the nearest 1/256
    EXPECT_EQ(SsidText(points[0].m_aReadings[0].m_szSSID), "Alpha");
    EXPECT_EQ(points[0].m_aReadings[0].m_abyMAC,
              (std::array<std::uint8_t, 6>{0x02, 0x11, 0x22, 0x33, 0x44, 1}));
    EXPECT_EQ(points[0].m_aReadings[1].m_byChannel, 36);
    EXPECT_EQ(points[0].m_aReadings[1].m_nRssi256, -17920);
    EXPECT_EQ(SsidText(points[0].m_aReadings[1].m_szSSID), "Beta");

    // Only the fix before lies within 2 s; the refused survey leaves the previous noise in place.
    const CPointRecord& p2 = points[1].m_rec;
    EXPECT_EQ(p2.m_nLatMas, capture::ToMas(46.001));
    EXPECT_EQ(p2.m_byFix, 2);
    EXPECT_EQ(p2.m_anNoise, noise1);
    ASSERT_EQ(points[1].m_aReadings.size(), 2u);
    EXPECT_EQ(points[1].m_aReadings[0].m_nRssi256, -15488);
    EXPECT_EQ(points[1].m_aReadings[1].m_byChannel, 5); // 6 GHz channel 5, stored by number
    EXPECT_EQ(SsidText(points[1].m_aReadings[1].m_szSSID), "Six");

    // A fix at the scan's own time; an empty survey leaves every channel at the floor.
    EXPECT_EQ(points[2].m_rec.m_nLatMas, capture::ToMas(46.002));
    EXPECT_TRUE(points[2].m_aReadings.empty());
    for (auto n : points[2].m_rec.m_anNoise)
        EXPECT_EQ(n, -99);
    EXPECT_EQ(appended[1].m_rec, points[1].m_rec);

    // A longer age limit takes the stale entry in.
    options.rules.maxAgeMs = 10000;
    EXPECT_EQ(Replay(scans, gps, dir.File("old.hsd"), options, &error).apsHeard, 4);
}

TEST(CaptureReplay, DamagedRecordingsAreRefusedWithFrameAndOffset) {
    TempDir dir;
    const TestBss b = Bss(1, "Alpha", 2412, -5000, 10);
    const std::size_t bssFrame = 12 + RecordingBuilder::BssMessage(b).size();
    const auto refusal = [&](const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.File("bad.rec");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::string error;
        auto source = capture::ReplayScanSource::Open(path, &error);
        if (!source) return error;
        capture::CompletedScan scan;
        while (source->Next(scan, &error) == capture::SourceResult::Ok) {
        }
        return error;
    };
    std::vector<std::uint8_t> other{'P', 'L', 'N', 'L', 'R', 'E', 'C', '2'};
    EXPECT_EQ(refusal(other),
              dir.File("bad.rec") + " is not a scan recording (it does not begin with PLNLREC1).");
    EXPECT_NE(refusal({'P', 'L'}).find("is not a scan recording"), std::string::npos);

    RecordingBuilder good;
    good.Bss(kBase, b).Bss(kBase, b).Done(kBase);
    // Cut inside the third frame's message, then inside its header.
    auto cut = good.Bytes();
    cut.resize(8 + 2 * bssFrame + 14);
    EXPECT_EQ(refusal(cut), dir.File("bad.rec") + ": frame 3 at offset " + std::to_string(8 + 2 * bssFrame) +
                                " is truncated (its 20 bytes run past the end of the recording).");
    cut.resize(8 + 2 * bssFrame + 5);
    EXPECT_NE(refusal(cut).find("frame 3 at offset " + std::to_string(8 + 2 * bssFrame) + " is truncated"),
              std::string::npos);

    // A netlink length that disagrees with the frame.
    auto message = RecordingBuilder::BssMessage(b);
    message[0] = static_cast<std::uint8_t>(message[0] + 8);
    RecordingBuilder lying;
    lying.Bss(kBase, b).Raw(kBase, message).Done(kBase);
    EXPECT_EQ(refusal(lying.Bytes()),
              dir.File("bad.rec") + ": frame 2 at offset " + std::to_string(8 + bssFrame) +
                  " is malformed: its netlink length " + std::to_string(message[0] | (message[1] << 8)) +
                  " does not match the frame's " + std::to_string(message.size()) + " bytes.");
    // A family message without its generic header.
    RecordingBuilder headless;
    headless.Raw(kBase, {16, 0, 0, 0, 0x1d, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_NE(refusal(headless.Bytes()).find("frame 1 at offset 8 is malformed"), std::string::npos);
    // A length beyond any kernel message is refused before anything is allocated for it.
    std::vector<std::uint8_t> huge(good.Bytes().begin(), good.Bytes().begin() + 8);
    for (int i = 0; i < 8; ++i)
        huge.push_back(0);
    for (std::uint8_t v : {0xF0, 0xFF, 0xFF, 0x7F})
        huge.push_back(v);
    EXPECT_NE(refusal(huge).find("frame 1 at offset 8 is truncated"), std::string::npos);
}

// Every single damaged byte of a scan entry: the parser takes the entry, skips it or calls the message
// malformed, and never reads outside the message (run under the sanitizers in the asan preset).
TEST(CaptureReplay, DamagedAttributesNeverReadOutsideTheMessage) {
    const auto message = RecordingBuilder::BssMessage(Bss(9, "Damaged", 2437, -6000, 10));
    RecordingBuilder done;
    done.Done(0);
    const std::vector<std::uint8_t> doneMessage(done.Bytes().begin() + 8 + 12, done.Bytes().end());
    long complete = 0;
    for (std::size_t i = 0; i < message.size(); ++i) {
        for (std::uint8_t v :
             {std::uint8_t{0}, std::uint8_t{0xFF}, static_cast<std::uint8_t>(message[i] ^ 0x04)}) {
            auto damaged = message;
            damaged[i] = v;
            capture::Nl80211Parser parser;
            if (!capture::CheckNetlinkFrame(damaged).empty()) continue;
            parser.OnMessage(damaged, 1);
            if (parser.OnMessage(doneMessage, 2) == capture::Nl80211Parser::Event::ScanComplete) {
                const auto scan = parser.TakeScan();
                for (const auto& e : scan.bss)
                    EXPECT_LE(e.ssid.size(), 32u);
                ++complete;
            }
        }
    }
    EXPECT_GT(complete, 0);
}

namespace {

/// A recording of \p scans scans a second apart, each hearing one AP, with a fix at every scan.
std::pair<std::string, std::string> SimpleWalk(const TempDir& dir, int scans) {
    RecordingBuilder rec;
    std::string gps;
    for (int i = 0; i < scans; ++i) {
        const std::int64_t t = kBase + i * kSecond;
        rec.Bss(t - 1, Bss(1, "Alpha", 2412, -5000 - 10 * i, 10)).Done(t);
        gps += Tpv(Iso(t), 3, 46 + i * 1e-5, 7) + "\n";
    }
    return {rec.WriteTo(dir.File("walk.rec")), WriteText(dir.File("walk.json"), gps)};
}

} // namespace

// A disk that fills up and a folder that vanishes stop the capture with a message; the file keeps
// exactly the points written before.
TEST(CaptureReplay, FullDiskAndVanishedFolderStopTheCaptureKeepingThePoints) {
    TempDir dir;
    const auto [scans, gps] = SimpleWalk(dir, 10);
    std::string error;
    {
        // A file size limit stands in for the full disk: the fourth point no longer fits.
        capture::CaptureSession session(capture::ReplayScanSource::Open(scans, &error),
                                        capture::GpsLogSource::Open(gps, &error), {});
        ASSERT_TRUE(session.Start(dir.File("full.hsd"), &error)) << error;
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = kSurveyHeaderSize + 8 + 3 * (61 + 41) + 50;
        setrlimit(RLIMIT_FSIZE, &limit);
        capture::CaptureSession::Step step;
        while ((step = session.RunStep()) == capture::CaptureSession::Step::Continue) {
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(step, capture::CaptureSession::Step::Failed);
        EXPECT_NE(session.Error().find("Cannot write the survey file " + dir.File("full.hsd")),
                  std::string::npos);
        EXPECT_NE(session.Error().find("the 3 points written before are kept"), std::string::npos)
            << session.Error();
        EXPECT_TRUE(session.Stop(&error));
        EXPECT_EQ(ReadBack(dir.File("full.hsd")).size(), 3u);
        EXPECT_EQ(ReadBytes(dir.File("full.hsd")).size(), kSurveyHeaderSize + 8 + 3 * (61 + 41));
    }
    {
        const std::string folder = dir.File("sub");
        std::filesystem::create_directory(folder);
        capture::CaptureSession session(capture::ReplayScanSource::Open(scans, &error),
                                        capture::GpsLogSource::Open(gps, &error), {});
        ASSERT_TRUE(session.Start(folder + "/gone.hsd", &error)) << error;
        EXPECT_EQ(session.RunStep(), capture::CaptureSession::Step::Continue);
        std::filesystem::remove_all(folder);
        EXPECT_EQ(session.RunStep(), capture::CaptureSession::Step::Failed);
        EXPECT_EQ(session.Error(),
                  "The survey file " + folder +
                      "/gone.hsd is gone (its folder was removed or renamed). The capture stopped; "
                      "the point written before is kept.");
        session.Stop(nullptr);
    }
}

TEST(CaptureReadings, ChannelNumbersAndSignalRounding) {
    const std::pair<std::uint32_t, int> channels[] = {
        {2412, 1},   {2437, 6}, {2472, 13}, {2484, 14}, {2407, 0},   {2417, 2}, {5180, 36}, {5825, 165},
        {5885, 177}, {5935, 2}, {5955, 1},  {5975, 5},  {7115, 233}, {4920, 0}, {58320, 0}, {0, 0}};
    for (const auto& [mhz, ch] : channels)
        EXPECT_EQ(capture::ChannelOfFrequency(mhz), ch) << mhz;
    EXPECT_EQ(capture::Rssi256OfMbm(-5000), -12800);
    EXPECT_EQ(capture::Rssi256OfMbm(-5001), -12803); // -50.01 dBm = -12802.56/256
    EXPECT_EQ(capture::Rssi256OfMbm(1), 3);
    EXPECT_EQ(capture::Rssi256OfMbm(-2'000'000'000), -32768);
    EXPECT_EQ(capture::Rssi256OfMbm(2'000'000'000), 32767);
}
