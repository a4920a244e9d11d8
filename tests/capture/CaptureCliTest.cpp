// plotra-cli capture as a user runs it: refusals with nothing written, a replayed simulated walk
// analysed near the truth, and a capture killed mid-way that keeps every point written before.
#include "RecordingBuilder.h"
#include "analysis/Processing.h"
#include "capture/CaptureSession.h"
#include "capture/SimulatedRecording.h"
#include "files/SurveyFile.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Accuracy.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace plotra;
using namespace plotra::test;

namespace {

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long PointsIn(const std::string& path) {
    const auto bytes = FileBytes(path);
    CPlotraDoc doc;
    if (bytes.size() < kSurveyHeaderSize || !doc.ReadSurveyFile(bytes)) return -1;
    return static_cast<long>(doc.Survey().m_aDataPoints.size());
}

bool HasWifi() {
    std::error_code ec;
    return std::filesystem::exists("/sys/class/ieee80211", ec) &&
           !std::filesystem::is_empty("/sys/class/ieee80211", ec);
}

} // namespace

TEST(CaptureCli, RefusalsWriteNothing) {
    TempDir dir;
    const std::string out = dir.File("out.hsd");
    if (!HasWifi()) {
        // The real thing: this machine has no Wi-Fi adapter.
        const CliResult r = RunPlotraCli("capture " + out);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Capture: No Wi-Fi adapter found (nl80211 is not available on this system).\n");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    RecordingBuilder rec;
    rec.Bss(kSecond, TestBss{}).Done(kSecond);
    rec.WriteTo(dir.File("scans.rec"));
    CliResult r =
        RunPlotraCli("capture " + out + " --replay-scans " + dir.File("scans.rec") + " --gpsd 127.0.0.1:1");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Capture: Cannot reach gpsd at 127.0.0.1:1. Is gpsd running?\n");

    std::ofstream(dir.File("gps.json")) << Tpv("2026-12-07T12:00:01.000Z", 3, 46, 7) << "\n";
    auto damaged = rec.Bytes();
    damaged.resize(damaged.size() - 3);
    std::ofstream(dir.File("cut.rec"), std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
    r = RunPlotraCli("capture " + out + " --replay-scans " + dir.File("cut.rec") + " --replay-gps " +
                     dir.File("gps.json"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(dir.File("cut.rec") + ": frame 2 at offset "), std::string::npos) << r.err;
    r = RunPlotraCli("capture " + out + " --replay-scans " + dir.File("gps.json") + " --replay-gps " +
                     dir.File("gps.json"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a scan recording"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    EXPECT_EQ(RunPlotraCli("capture").status, 2);
    EXPECT_EQ(RunPlotraCli("capture " + out + " --realtime").status, 2);
    EXPECT_EQ(RunPlotraCli("capture " + out + " --max-age soon").status, 2);
    EXPECT_EQ(RunPlotraCli("capture " + out + " --replay-scans x --interface wlan0").status, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// The simulator's walk, recorded as a capture would have recorded it, replayed and analysed: the APs
// land as near the truth as when the simulated survey files themselves are analysed.
TEST(CaptureCli, ReplayedSimulatedWalkPlacesTheApsNearTheTruth) {
    TempDir dir;
    const auto survey = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    ASSERT_TRUE(capture::WriteSimulatedRecordings(survey, dir.Path(), nullptr));
    CPlotraDoc doc;
    for (const auto& f : survey.files) {
        const std::string stem = f.name.substr(0, f.name.rfind('.'));
        const std::string out = dir.File(stem + ".captured.hsd");
        const CliResult r = RunPlotraCli("capture " + out + " --replay-scans " + dir.File(stem + ".scans") +
                                         " --replay-gps " + dir.File(stem + ".gps.json"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(" points, "), std::string::npos);
        CDataFile file;
        file.m_strName = file.m_strPath = out;
        Edit::Survey(doc).m_aFiles.push_back(file);
        Edit::Survey(doc).m_strCurrentFile = out;
        ASSERT_TRUE(doc.ReadSurveyFile(FileBytes(out)));
        // Every point with a fix was written where the simulation put it.
        const auto header = ParseSurveyHeader(FileBytes(out));
        EXPECT_EQ(header->surveyTime, f.image.surveyTime);
    }
    EXPECT_GT(doc.Survey().m_aDataPoints.size(), 1500u);
    Edit::Survey(doc).m_bNoData = 0;
    doc.PlaceSurveyPoints();
    ProcessData(doc);
    const AccuracyFigures f = PositionAccuracy(doc, survey);
    std::printf("replayed demo: %zu APs, median error %.1f m, 90th percentile %.1f m\n", f.errors.size(),
                f.median, f.p90);
    ASSERT_GE(f.errors.size(), 10u);
    EXPECT_LT(f.median, 40.0);
    EXPECT_LT(f.p90, 120.0);

    const CliResult analyze =
        RunPlotraCli("analyze " + dir.File("demo1.captured.hsd") + " --no-coverage --json");
    EXPECT_EQ(analyze.status, 0) << analyze.err;
}

// kill -9 in the middle of a paced replay: the file reads back with every point written before the
// kill, byte for byte what an uninterrupted run writes up to there.
TEST(CaptureCli, KilledCaptureKeepsEveryPointWritten) {
    TempDir dir;
    constexpr int kScans = 80;
    constexpr std::int64_t kStep = 50'000'000; // 50 ms between scans
    const std::int64_t start = 1'800'000'000LL * kSecond;
    RecordingBuilder rec;
    std::string gps;
    for (int i = 0; i < kScans; ++i) {
        const std::int64_t t = start + i * kStep;
        for (std::uint8_t a = 0; a < 3; ++a)
            rec.Bss(t - 1,
                    TestBss{{2, 0, 0, 0, 0, a}, "Net" + std::to_string(a), 2437, -4000 - 100 * i - a, 10});
        rec.Done(t);
        gps += Tpv(capture::IsoUtcText(t), 3, 46 + i * 1e-5, 7) + "\n";
    }
    rec.WriteTo(dir.File("scans.rec"));
    std::ofstream(dir.File("gps.json")) << gps;
    const std::string replay =
        " --replay-scans " + dir.File("scans.rec") + " --replay-gps " + dir.File("gps.json");
    ASSERT_EQ(RunPlotraCli("capture " + dir.File("full.hsd") + replay).status, 0);
    const auto full = FileBytes(dir.File("full.hsd"));
    ASSERT_EQ(PointsIn(dir.File("full.hsd")), kScans);

    const std::string killed = dir.File("killed.hsd");
    std::vector<std::string> args{
        PLOTRA_CLI,           "capture",   killed, "--replay-scans", dir.File("scans.rec"), "--replay-gps",
        dir.File("gps.json"), "--realtime"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, PLOTRA_CLI, nullptr, nullptr, argv.data(), environ), 0);
    long seen = 0;
    for (int i = 0; i < 200 && seen < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen = PointsIn(killed);
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the capture ended before it was killed";
    const long kept = PointsIn(killed);
    EXPECT_GE(kept, seen);
    EXPECT_GE(kept, 10);
    EXPECT_LT(kept, kScans);
    const auto bytes = FileBytes(killed);
    ASSERT_LE(bytes.size(), full.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), full.begin()))
        << "not a prefix of the uninterrupted run";
}
