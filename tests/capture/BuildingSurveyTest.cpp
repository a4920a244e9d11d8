// A simulated building surveyed indoors: the floor's walls cost signal, the plan picture placed by
// its scale coincides with the simulation, and a replayed capture placed by clicks at the walk's
// turns finds the APs within a few metres and gets its coverage over the plan.
#include "capture/SimulatedRecording.h"
#include "files/Workspace.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"
#include "support/Accuracy.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

using namespace plotra;
using namespace plotra::test;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// What follows "KEY": in a JSON text (its first occurrence), blanks skipped; empty when absent.
std::string JsonValue(const std::string& text, const std::string& key) {
    std::size_t at = text.find("\"" + key + "\":");
    if (at == std::string::npos) return {};
    at = text.find_first_not_of(" \n", at + key.size() + 3);
    return at == std::string::npos ? std::string() : text.substr(at, 24);
}

double JsonNumber(const std::string& text, const std::string& key) {
    const std::string value = JsonValue(text, key);
    return value.empty() ? std::nan("") : std::strtod(value.c_str(), nullptr);
}

const sim::Room* RoomOf(const sim::Floor& f, double x, double y) {
    for (const sim::Room& r : f.rooms)
        if (x > r.x0 && x < r.x1 && y > r.y0 && y < r.y1) return &r;
    return nullptr;
}

} // namespace

TEST(BuildingSurvey, WallsAreCountedOnlyWhereTheLineCrossesThem) {
    const std::vector<sim::Wall> walls{{0, 0, 10, 0}, {10, 0, 10, 10}};
    EXPECT_EQ(sim::WallsCrossed(walls, 5, -1, 5, 1), 1);
    EXPECT_EQ(sim::WallsCrossed(walls, 5, -1, 11, 1), 2);  // through both
    EXPECT_EQ(sim::WallsCrossed(walls, 11, 1, 5, -1), 2);  // either way round
    EXPECT_EQ(sim::WallsCrossed(walls, 5, 1, 9, 5), 0);    // on one side
    EXPECT_EQ(sim::WallsCrossed(walls, 12, -1, 12, 5), 0); // beyond the wall's end
    EXPECT_EQ(sim::WallsCrossed(walls, 2, 0, 8, 0), 0);    // along it
    EXPECT_EQ(sim::WallsCrossed(walls, 5, 0, 5, 3), 0);    // from a point on it
    EXPECT_EQ(sim::WallsCrossed({}, 0, 0, 1, 1), 0);

    // The office floor: a door is a gap, a room divider a wall, the corridor two walls apart.
    const sim::Floor f = sim::OfficeFloor(46.9496, 7.4442, 4.0);
    ASSERT_EQ(f.rooms.size(), 7u);
    ASSERT_EQ(f.doors.size(), 7u);
    EXPECT_EQ(f.WidthPx(), 880);
    EXPECT_EQ(f.HeightPx(), 580);
    const double corridorY = 0.5 * (f.rooms[0].y1 + f.rooms[4].y0);
    for (const sim::Door& d : f.doors) {
        const double doorX = 0.5 * (d.x1 + d.x2);
        const double inside = d.opensDown ? d.y + 2.0 : d.y - 2.0;
        EXPECT_EQ(sim::WallsCrossed(f.walls, doorX, corridorY, doorX, inside), 0) << doorX;
        EXPECT_EQ(sim::WallsCrossed(f.walls, doorX + 1.5, corridorY, doorX + 1.5, inside), 1) << doorX;
    }
    EXPECT_EQ(sim::WallsCrossed(f.walls, 7, 5, 17, 5), 1);   // room to the room beside it
    EXPECT_EQ(sim::WallsCrossed(f.walls, 10, 8, 10, 22), 2); // across the corridor, no door
    EXPECT_EQ(sim::WallsCrossed(f.walls, 7, 5, 37, 5), 3);   // along the row of rooms
}

TEST(BuildingSurvey, WalkKeepsToTheDoorsAndVisitsEveryRoom) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("building"), 1);
    ASSERT_TRUE(survey.floor);
    const sim::Floor& f = *survey.floor;
    ASSERT_EQ(survey.files.size(), 1u);
    const sim::GeneratedFile& file = survey.files[0];
    const auto& turns = file.turns;
    ASSERT_EQ(turns.size(), 2u + 6u * f.rooms.size());
    std::vector<int> visits(f.rooms.size(), 0);
    for (std::size_t i = 1; i < turns.size(); ++i) {
        EXPECT_EQ(sim::WallsCrossed(f.walls, turns[i - 1].x, turns[i - 1].y, turns[i].x, turns[i].y), 0) << i;
        EXPECT_GT(turns[i].timeNs, turns[i - 1].timeNs) << i;
        // Walking pace: 1.1 m/s give or take 15 %.
        const double metres = std::hypot(turns[i].x - turns[i - 1].x, turns[i].y - turns[i - 1].y);
        const double seconds = static_cast<double>(turns[i].timeNs - turns[i - 1].timeNs) / 1e9;
        EXPECT_NEAR(metres / seconds, 1.1, 0.17) << i;
        if (const sim::Room* r = RoomOf(f, turns[i].x, turns[i].y))
            ++visits[static_cast<std::size_t>(r - f.rooms.data())];
    }
    for (int v : visits)
        EXPECT_EQ(v, 4); // the four corners of the round through the room
    // One point a second from the first turn to the last; the clicks start with the first scan.
    EXPECT_EQ(turns.front().timeNs, file.image.surveyTime * 1'000'000'000);
    EXPECT_EQ(file.points, static_cast<long>(std::ceil(static_cast<double>(turns.back().timeNs) / 1e9)) -
                               file.image.surveyTime + 1);
    EXPECT_EQ(file.fixNone, file.points); // no GPS indoors

    // Every AP is inside a room, every point inside the building.
    for (const auto& ap : survey.aps)
        EXPECT_NE(RoomOf(f, f.X(ap.lon), f.Y(ap.lat)), nullptr) << MacText(ap.mac);
    for (const CDataPoint& p : file.image.records) {
        const double x = f.X(p.m_rec.m_nLonMas / 3600000.0), y = f.Y(p.m_rec.m_nLatMas / 3600000.0);
        EXPECT_GT(x, f.buildingX0);
        EXPECT_LT(x, f.buildingX1);
        EXPECT_GT(y, f.buildingY0);
        EXPECT_LT(y, f.buildingY1);
    }
    // The click log: heading, then a line per turn in plan pixels.
    const std::string log = sim::ClickLogText(f, turns);
    EXPECT_EQ(log.substr(0, 9), "time,x,y\n");
    EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')), turns.size() + 1);
    EXPECT_NE(log.find("\n1793000000.000,60.00,290.00\n"), std::string::npos) << log.substr(0, 80);
}

// The same seed draws the same shadowing with and without walls, so each reading differs by exactly
// the wall loss times the walls between the AP and the point.
TEST(BuildingSurvey, EveryWallBetweenApAndPointCostsTheWallLoss) {
    auto params = *sim::BuiltInScenario("building");
    EXPECT_EQ(params.wallLossDb, 4.0);
    const auto walled = sim::Generate(params, 3);
    params.wallLossDb = 0.0;
    const auto open = sim::Generate(params, 3);
    const sim::Floor& f = *walled.floor;
    ASSERT_EQ(walled.files[0].points, open.files[0].points);
    std::map<int, int> byWalls;
    for (std::size_t k = 0; k < walled.files[0].image.records.size(); ++k) {
        const CDataPoint& a = walled.files[0].image.records[k];
        const CDataPoint& b = open.files[0].image.records[k];
        ASSERT_EQ(a.m_rec.m_nLatMas, b.m_rec.m_nLatMas);
        const double x = f.X(a.m_rec.m_nLonMas / 3600000.0), y = f.Y(a.m_rec.m_nLatMas / 3600000.0);
        for (const CHssData& r : a.m_aReadings) {
            const auto same = std::find_if(b.m_aReadings.begin(), b.m_aReadings.end(),
                                           [&](const CHssData& o) { return o.m_abyMAC == r.m_abyMAC; });
            ASSERT_NE(same, b.m_aReadings.end()); // a wall only ever takes signal away
            const auto ap = std::find_if(walled.aps.begin(), walled.aps.end(),
                                         [&](const sim::TruthAp& t) { return t.mac == r.m_abyMAC; });
            // Positions are stored to the milliarcsecond (3 cm): a point beside a wall may lie on
            // either side of it; those few are left out.
            const double apX = f.X(ap->lon), apY = f.Y(ap->lat);
            const int walls = sim::WallsCrossed(f.walls, apX, apY, x, y);
            bool certain = true;
            for (const auto& [sx, sy] : {std::pair{0.05, 0.0}, {-0.05, 0.0}, {0.0, 0.05}, {0.0, -0.05}})
                certain = certain && walls == sim::WallsCrossed(f.walls, apX, apY, x + sx, y + sy);
            if (!certain) continue;
            EXPECT_NEAR(r.RssiDbm(), same->RssiDbm() - 4.0 * walls, 1.0 / 256.0 + 1e-9);
            ++byWalls[walls];
        }
    }
    EXPECT_GT(byWalls[0], 100);
    EXPECT_GT(byWalls[1], 100);
    EXPECT_GT(byWalls[2], 100);
}

// The whole road a surveyor takes: plotra-cli simulate writes the plan picture, its map, the scan
// recording and the clicks; capture places the replayed scans by the clicks on the plan; analyze on
// the plan finds the APs near the truth and computes the coverage over the plan.
TEST(BuildingSurvey, ReplayedClicksOnThePlanFindTheApsNearTheTruth) {
    TempDir dir;
    const CliResult simulate = RunPlotraCli("simulate building " + dir.Path() + " --recordings");
    ASSERT_EQ(simulate.status, 0) << simulate.err;
    for (const char* name : {"building.png", "building.hpf", "building1.hsd", "building1.scans",
                             "building1.gps.json", "building1.clicks.csv", "truth.json"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
    const auto survey = sim::Generate(*sim::BuiltInScenario("building"), 1);
    const sim::Floor& f = *survey.floor;

    // The plan as a user would make it from the picture, with the scale and corner simulate names.
    const std::string scale = "--scale 40,40,840,40,40m --origin 46.9496,7.4442";
    EXPECT_NE(simulate.out.find("--scale 40,40,840,40,40m --origin 46.9496000,7.4442000"), std::string::npos)
        << simulate.out;
    const CliResult made =
        RunPlotraCli("make-map " + dir.File("building.png") + " " + dir.File("user.hpf") + " " + scale);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(Bytes(dir.File("user.hpf")) == Bytes(dir.File("building.hpf")));

    // The plan coincides with the simulation: a simulated position lands on its plan pixel.
    CPlotraDoc plan;
    ASSERT_TRUE(plan.ReadProjectionFile(Bytes(dir.File("building.hpf"))));
    ASSERT_EQ(plan.Map().m_nImageWidth, f.WidthPx());
    const auto pixelOf = [&plan](double lat, double lon) {
        const CDataGeo m = plan.GeoToMap(lat, lon);
        return std::pair{m.m_dX / plan.Map().m_dMetersPerPixelX,
                         plan.Map().m_nImageHeight - m.m_dY / plan.Map().m_dMetersPerPixelY};
    };
    for (const auto& ap : survey.aps) {
        const auto [col, row] = pixelOf(ap.lat, ap.lon);
        EXPECT_NEAR(col, f.X(ap.lon) * f.pixelsPerMetre, 0.05);
        EXPECT_NEAR(row, f.Y(ap.lat) * f.pixelsPerMetre, 0.05);
    }
    const auto [cornerCol, cornerRow] = pixelOf(f.Latitude(f.buildingY1), f.Longitude(f.buildingX1));
    EXPECT_NEAR(cornerCol, 840.0, 0.05);
    EXPECT_NEAR(cornerRow, 540.0, 0.05);

    // The capture, placed by the clicks at the walk's turns.
    const std::string indoor = dir.File("indoor.hsd");
    const CliResult capture = RunPlotraCli(
        "capture " + indoor + " --replay-scans " + dir.File("building1.scans") + " --clicks " +
        dir.File("building1.clicks.csv") + " --map " + dir.File("building.hpf") + " --mode continuous");
    ASSERT_EQ(capture.status, 0) << capture.err;
    CPlotraDoc placed;
    ASSERT_TRUE(placed.ReadSurveyFile(Bytes(indoor)));
    const auto& truthPoints = survey.files[0].image.records;
    // Every scan up to the last turn: the one after it has no leg to lie on.
    ASSERT_EQ(placed.Survey().m_aDataPoints.size(), truthPoints.size() - 1);
    double worst = 0.0;
    for (std::size_t k = 0; k < placed.Survey().m_aDataPoints.size(); ++k) {
        const CPointRecord& p = placed.Survey().m_aDataPoints[k].m_rec;
        const CPointRecord& t = truthPoints[k].m_rec;
        EXPECT_EQ(p.m_byFix, 0);
        const double dx = f.X(p.m_nLonMas / 3600000.0) - f.X(t.m_nLonMas / 3600000.0);
        const double dy = f.Y(p.m_nLatMas / 3600000.0) - f.Y(t.m_nLatMas / 3600000.0);
        worst = std::max(worst, std::hypot(dx, dy));
    }
    // The walker's pace varies by 15 % from second to second; clicks assume an even one.
    std::printf("building: %zu scans placed by %zu clicks, at most %.2f m from where the walker was\n",
                placed.Survey().m_aDataPoints.size(), survey.files[0].turns.size(), worst);
    EXPECT_LT(worst, 1.0);

    // Analysed on the plan: the APs near the truth, the coverage over the plan.
    const std::string workspace = dir.File("indoor.hws");
    const CliResult analyze = RunPlotraCli("analyze " + indoor + " --map " + dir.File("building.hpf") +
                                           " --workspace " + workspace + " --json");
    ASSERT_EQ(analyze.status, 0) << analyze.err;
    CPlotraDoc doc;
    ASSERT_EQ(ReadWorkspaceImage(doc, Bytes(workspace)), WorkspaceRefusal::None);
    ASSERT_TRUE(doc.Map().m_bMetricXY);
    const AccuracyFigures acc = PositionAccuracy(doc, survey);
    std::printf("building: %zu APs, median error %.1f m, 90th percentile %.1f m, worst %.1f m\n",
                acc.errors.size(), acc.median, acc.p90, acc.errors.empty() ? 0.0 : acc.errors.back());
    ASSERT_EQ(acc.errors.size(), survey.aps.size());
    EXPECT_LT(acc.median, 3.5);
    EXPECT_LT(acc.errors.back(), 12.0);

    const std::string& json = analyze.out;
    EXPECT_EQ(JsonValue(json, "mapMetres").substr(0, 4), "true");
    ASSERT_EQ(JsonValue(json, "coverage").substr(0, 1), "{") << json.substr(0, 400);
    EXPECT_GT(JsonNumber(json, "coveredNodes"), 0.9 * JsonNumber(json, "cols") * JsonNumber(json, "rows"));
    EXPECT_GE(JsonNumber(json, "mostCoveringAps"), 5.0);
    // The coverage grid spans the walk, on the plan's own metres (its height up from the bottom edge).
    const double originX = JsonNumber(json, "originX"), originY = JsonNumber(json, "originY");
    const double spanX = JsonNumber(json, "spanX"), spanY = JsonNumber(json, "spanY");
    EXPECT_GE(originX, f.buildingX0);
    EXPECT_LE(originX + spanX, f.buildingX1);
    EXPECT_GE(originY, f.heightM - f.buildingY1);
    EXPECT_LE(originY + spanY, f.heightM - f.buildingY0);
    EXPECT_GT(spanX, 30.0);
    EXPECT_GT(spanY, 18.0);
}
