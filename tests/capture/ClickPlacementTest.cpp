// Scans placed by clicks on a floor plan: stop and go, continuous, Undo of the last click, the click
// log, and a replayed indoor capture from the command line.
#include "capture/ClickLog.h"
#include "capture/ClickPlacer.h"
#include "capture/SimulatedRecording.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>

using namespace plotra;
using namespace plotra::capture;
using namespace plotra::test;

namespace {

constexpr std::int64_t kS = 1'000'000'000;

/// A scan record whose noise slot 1 carries \p tag, so that the test can tell scans apart.
CDataPoint Scan(int tag) {
    CDataPoint p;
    p.m_rec.m_anNoise[1] = static_cast<std::int16_t>(tag);
    p.m_rec.m_byFix = 2;
    return p;
}

struct Placed {
    int tag;
    double lat, lon;
};

std::vector<Placed> Final(ClickPlacer& placer) {
    std::vector<Placed> out;
    for (const CDataPoint& p : placer.TakeFinal()) {
        EXPECT_EQ(p.m_rec.m_byFix, 0); // placed by hand
        out.push_back({p.m_rec.m_anNoise[1], p.m_rec.m_nLatMas / 3600000.0, p.m_rec.m_nLonMas / 3600000.0});
    }
    return out;
}

} // namespace

TEST(ClickPlacement, StopAndGoPlacesTheFirstScanAfterEachClickAndUndoTakesItBack) {
    ClickPlacer placer(ClickMode::StopAndGo);
    placer.AddScan(5 * kS, Scan(5)); // before the first click: no place
    placer.AddClick({10 * kS, 1.0, 2.0});
    placer.AddScan(12 * kS, Scan(12));  // taken where the surveyor stands
    placer.AddScan(14 * kS, Scan(14));  // the surveyor is walking on: no place
    EXPECT_TRUE(Final(placer).empty()); // held until the next click, for Undo
    placer.AddClick({20 * kS, 3.0, 4.0});
    placer.AddScan(22 * kS, Scan(22));
    auto placed = Final(placer);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].tag, 12);
    EXPECT_NEAR(placed[0].lat, 1.0, 1e-6);
    EXPECT_NEAR(placed[0].lon, 2.0, 1e-6);

    // The click at 20 was wrong: Undo takes it back with its scan; the right click places the next.
    EXPECT_TRUE(placer.UndoClick());
    ASSERT_EQ(placer.Clicks().size(), 1u);
    placer.AddClick({30 * kS, 5.0, 6.0});
    placer.AddScan(31 * kS, Scan(31));
    placer.Finish();
    placed = Final(placer);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].tag, 31);
    EXPECT_NEAR(placed[0].lat, 5.0, 1e-6);
    EXPECT_EQ(placer.Dropped(), 3); // 5, 14 and the undone 22
}

TEST(ClickPlacement, ContinuousPlacesTheScansBetweenTwoClicksByTheirTimes) {
    ClickPlacer placer(ClickMode::Continuous);
    placer.AddScan(-1 * kS, Scan(-1));
    placer.AddClick({0, 0.0, 0.0});
    placer.AddScan(5 * kS, Scan(5));
    placer.AddClick({10 * kS, 1.0, 2.0});
    placer.AddScan(10 * kS, Scan(10)); // at the turn: on the next leg, at its start
    placer.AddScan(15 * kS, Scan(15));
    placer.AddClick({20 * kS, 1.0, 0.0});
    placer.AddScan(25 * kS, Scan(25)); // after the last click: no leg to lie on
    placer.Finish();
    const auto placed = Final(placer);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].tag, 5);
    EXPECT_NEAR(placed[0].lat, 0.5, 1e-6);
    EXPECT_NEAR(placed[0].lon, 1.0, 1e-6);
    EXPECT_NEAR(placed[1].lat, 1.0, 1e-6);
    EXPECT_NEAR(placed[1].lon, 2.0, 1e-6);
    EXPECT_NEAR(placed[2].lat, 1.0, 1e-6);
    EXPECT_NEAR(placed[2].lon, 1.0, 1e-6);
    EXPECT_EQ(placer.Dropped(), 2);

    // Undo of a turn drops the leg it ended; the scans after it wait for the next turn.
    ClickPlacer undo(ClickMode::Continuous);
    undo.AddClick({0, 0.0, 0.0});
    undo.AddScan(2 * kS, Scan(2));
    undo.AddClick({4 * kS, 4.0, 0.0}); // a slip of the mouse
    undo.AddScan(6 * kS, Scan(6));
    EXPECT_TRUE(undo.UndoClick());
    undo.AddClick({8 * kS, 0.0, 8.0});
    undo.Finish();
    const auto kept = Final(undo);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].tag, 6);
    EXPECT_NEAR(kept[0].lon, 6.0, 1e-6);
    EXPECT_EQ(undo.Dropped(), 1);
    EXPECT_FALSE(ClickPlacer(ClickMode::Continuous).UndoClick());
}

TEST(ClickPlacement, ClickLogIsTimeXYPerLineAndRefusesWhatItCannotPlace) {
    const PixelToLatLon place = [](double x, double y) -> std::optional<std::pair<double, double>> {
        if (x < 0 || y < 0 || x > 100 || y > 50) return std::nullopt;
        return std::pair{-y / 1000.0, x / 1000.0};
    };
    std::string why;
    auto clicks = ParseClickLog("time,x,y\r\n1700000000.5, 10, 20\r\n\n1700000001,100,50\n", place, &why);
    ASSERT_TRUE(clicks) << why;
    ASSERT_EQ(clicks->size(), 2u);
    EXPECT_EQ((*clicks)[0].timeNs, 1700000000'500000000);
    EXPECT_NEAR((*clicks)[0].lat, -0.02, 1e-12);
    EXPECT_NEAR((*clicks)[1].lon, 0.1, 1e-12);
    const std::pair<const char*, const char*> refused[] = {
        {"1,2,3\n1,2\n", "line 2: not \"time,x,y\""},
        {"1,2,3\nx,y,z\n", "line 2: not \"time,x,y\""},
        {"5,1,1\n4,1,1\n", "line 2: earlier than the click before"},
        {"1,101,1\n", "line 1: the pixel lies outside the plan"},
        {"1,1,1,1\n2,2,2\n3,3,3,3\n", "line 3: not \"time,x,y\""},
        {"-5,1,1\n", "line 1: the time is not Unix seconds"},
        {"nan,1,1\n1,1,1\nnan,1,1\n", "line 3: not \"time,x,y\""},
    };
    for (const auto& [text, expected] : refused) {
        EXPECT_FALSE(ParseClickLog(text, place, &why)) << text;
        EXPECT_EQ(why, expected) << text;
    }
    EXPECT_TRUE(ParseClickLog("", place, &why)->empty());
}

// A replayed walk placed by clicks on a plan: every scan between the first and the last click is
// written where a walk at an even pace would have been, with the fix "No".
TEST(ClickPlacement, CommandLinePlacesAReplayedCaptureByItsClicks) {
    TempDir dir;
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 5);
    ASSERT_TRUE(WriteSimulatedRecordings(survey, dir.Path(), nullptr));
    const auto& f = survey.files.front();
    const std::string scans = dir.File(f.name.substr(0, f.name.rfind('.')) + ".scans");
    const std::string plan = std::string(PLOTRA_SOURCE_DIR) + "/samples/demo.hpf";
    const std::int64_t t0 = f.image.surveyTime;
    const std::string log = dir.File("clicks.csv");
    std::ofstream(log) << std::fixed << std::setprecision(1) << "time,x,y\n"
                       << t0 + 1.5 << ",10,10\n"
                       << t0 + 11.5 << ",110,10\n"
                       << t0 + 21.5 << ",110,60\n";
    const std::string out = dir.File("indoor.hsd");
    const CliResult r = RunPlotraCli("capture " + out + " --replay-scans " + scans + " --clicks " + log +
                                     " --map " + plan + " --mode continuous");
    ASSERT_EQ(r.status, 0) << r.err;

    CPlotraDoc map, read;
    const auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
    };
    ASSERT_TRUE(map.ReadProjectionFile(bytes(plan)));
    ASSERT_TRUE(read.ReadSurveyFile(bytes(out)));
    ASSERT_EQ(read.Survey().m_aDataPoints.size(), 20u); // the scans at t0+2 .. t0+21
    for (std::size_t k = 0; k < 20; ++k) {
        const double t = 2.0 + static_cast<double>(k); // seconds after t0
        const double x = t < 11.5 ? 10 + 100 * (t - 1.5) / 10 : 110;
        const double y = t < 11.5 ? 10 : 10 + 50 * (t - 11.5) / 10;
        const CPointRecord& rec = read.Survey().m_aDataPoints[k].m_rec;
        EXPECT_EQ(rec.m_byFix, 0);
        const CDataGeo m = map.GeoToMap(rec.m_nLatMas / 3600000.0, rec.m_nLonMas / 3600000.0);
        EXPECT_NEAR(m.m_dX / map.Map().m_dMetersPerPixelX, x, 0.2) << k;
        EXPECT_NEAR(map.Map().m_nImageHeight - m.m_dY / map.Map().m_dMetersPerPixelY, y, 0.2) << k;
    }

    // Usage and refusals: clicks need the plan, and a click off the plan refuses the whole log.
    EXPECT_EQ(
        RunPlotraCli("capture " + dir.File("u.hsd") + " --replay-scans " + scans + " --clicks " + log).status,
        2);
    EXPECT_EQ(RunPlotraCli("capture " + dir.File("u.hsd") + " --replay-scans " + scans + " --clicks " + log +
                           " --map " + plan + " --mode zigzag")
                  .status,
              2);
    std::ofstream(log) << t0 << ",-5,10\n";
    const CliResult off = RunPlotraCli("capture " + dir.File("off.hsd") + " --replay-scans " + scans +
                                       " --clicks " + log + " --map " + plan);
    EXPECT_EQ(off.status, 1);
    EXPECT_NE(off.err.find("line 1: the pixel lies outside the plan"), std::string::npos) << off.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("off.hsd")));
}
