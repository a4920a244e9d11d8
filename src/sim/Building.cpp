#include "sim/Building.h"

#include "sim/Random.h"
#include "sim/SurveyGenerator.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace plotra::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
/// A laptop carried at 1.2 m, the APs on a 2.7 m ceiling.
constexpr double kApAboveLaptopM = 1.5;
constexpr double kMarginM = 2.0;
constexpr double kCorridorY0 = 11.0, kCorridorY1 = 14.0; ///< from the building's north wall
constexpr double kDoorM = 1.0;
constexpr double kRoomInsetM = 1.5; ///< how far inside a room the walk keeps from its walls
constexpr double kApInsetM = 1.5;   ///< how far from the walls an AP is mounted

std::int32_t ToMas(double degrees) {
    return static_cast<std::int32_t>(std::llround(degrees * 3600000.0));
}

/// Sign of the turn from a to b to c (positive anticlockwise), 0 when the three lie on a line.
int Orientation(double ax, double ay, double bx, double by, double cx, double cy) {
    const double v = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    return (v > 0) - (v < 0);
}

/// A wall across the plan from x0 to x1 at y, with the doors in [gap0, gap0 + kDoorM) left open.
void WallWithDoors(Floor& f, double x0, double x1, double y, std::vector<double> gaps) {
    std::sort(gaps.begin(), gaps.end());
    double from = x0;
    for (double g : gaps) {
        f.walls.push_back({from, y, g, y});
        from = g + kDoorM;
    }
    f.walls.push_back({from, y, x1, y});
}

} // namespace

int Floor::WidthPx() const {
    return static_cast<int>(std::lround(widthM * pixelsPerMetre));
}
int Floor::HeightPx() const {
    return static_cast<int>(std::lround(heightM * pixelsPerMetre));
}

// The tangent plane at the top-left corner, with the sphere a floor plan's scale is laid on:
// metres north = kMetresPerDegree * dlat, metres east = kMetresPerDegree * cos(lat0) * dlon.
double Floor::Latitude(double y) const {
    return originLat - y / kMetresPerDegree;
}
double Floor::Longitude(double x) const {
    return originLon + x / (kMetresPerDegree * std::cos(originLat * kPi / 180.0));
}
double Floor::Y(double lat) const {
    return (originLat - lat) * kMetresPerDegree;
}
double Floor::X(double lon) const {
    return (lon - originLon) * kMetresPerDegree * std::cos(originLat * kPi / 180.0);
}

int WallsCrossed(const std::vector<Wall>& walls, double x1, double y1, double x2, double y2) {
    int n = 0;
    for (const Wall& w : walls) {
        const int a = Orientation(x1, y1, x2, y2, w.x1, w.y1), b = Orientation(x1, y1, x2, y2, w.x2, w.y2);
        const int c = Orientation(w.x1, w.y1, w.x2, w.y2, x1, y1),
                  d = Orientation(w.x1, w.y1, w.x2, w.y2, x2, y2);
        if (a * b < 0 && c * d < 0) ++n;
    }
    return n;
}

Floor OfficeFloor(double originLat, double originLon, double wallLossDb) {
    Floor f;
    f.originLat = originLat;
    f.originLon = originLon;
    f.wallLossDb = wallLossDb;
    f.buildingX0 = kMarginM;
    f.buildingY0 = kMarginM;
    f.buildingX1 = kMarginM + 40.0;
    f.buildingY1 = kMarginM + 25.0;
    f.widthM = f.buildingX1 + kMarginM;
    f.heightM = f.buildingY1 + kMarginM;
    const double x0 = f.buildingX0, y0 = f.buildingY0, x1 = f.buildingX1, y1 = f.buildingY1;
    const double cy0 = y0 + kCorridorY0, cy1 = y0 + kCorridorY1;

    // The outer walls: no AP or walk point lies outside, so they never stand between the two.
    f.walls.push_back({x0, y0, x1, y0});
    f.walls.push_back({x1, y0, x1, y1});
    f.walls.push_back({x1, y1, x0, y1});
    f.walls.push_back({x0, y1, x0, y0});

    // Four rooms of 10 m on the north side, doors near their west walls; three of 13 to 14 m on the
    // south side, doors near their east walls.
    const double north[] = {x0, x0 + 10, x0 + 20, x0 + 30, x1};
    const double south[] = {x0, x0 + 13, x0 + 27, x1};
    std::vector<double> northDoors, southDoors;
    for (int i = 0; i < 4; ++i) {
        f.rooms.push_back({north[i], y0, north[i + 1], cy0});
        northDoors.push_back(north[i] + 2.0);
        f.doors.push_back({north[i] + 2.0, north[i] + 2.0 + kDoorM, cy0, false});
        if (i > 0) f.walls.push_back({north[i], y0, north[i], cy0});
    }
    for (int i = 0; i < 3; ++i) {
        f.rooms.push_back({south[i], cy1, south[i + 1], y1});
        southDoors.push_back(south[i + 1] - 2.0 - kDoorM);
        f.doors.push_back({south[i + 1] - 2.0, south[i + 1] - 2.0 - kDoorM, cy1, true});
        if (i > 0) f.walls.push_back({south[i], cy1, south[i], y1});
    }
    WallWithDoors(f, x0, x1, cy0, northDoors);
    WallWithDoors(f, x0, x1, cy1, southDoors);
    return f;
}

std::vector<WalkTurn> OfficeWalk(const Floor& f) {
    const double cy = f.buildingY0 + 0.5 * (kCorridorY0 + kCorridorY1);
    struct Visit {
        double doorX;
        const Room* room;
        bool north;
    };
    std::vector<Visit> visits;
    for (const Door& d : f.doors) {
        const double doorX = 0.5 * (d.x1 + d.x2);
        for (const Room& r : f.rooms)
            if (doorX > r.x0 && doorX < r.x1 && (d.y == r.y0 || d.y == r.y1))
                visits.push_back({doorX, &r, d.y == r.y1});
    }
    std::sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) { return a.doorX < b.doorX; });

    std::vector<WalkTurn> turns;
    const auto turn = [&turns](double x, double y) { turns.push_back({0, x, y}); };
    turn(f.buildingX0 + 1.0, cy);
    for (const Visit& v : visits) {
        // Through the door to the far side of the room, across, back along the near side and out.
        const Room& r = *v.room;
        const double far = v.north ? r.y0 + kRoomInsetM : r.y1 - kRoomInsetM;
        const double nearY = v.north ? r.y1 - kRoomInsetM : r.y0 + kRoomInsetM;
        const double across = v.doorX - r.x0 < r.x1 - v.doorX ? r.x1 - kRoomInsetM : r.x0 + kRoomInsetM;
        turn(v.doorX, cy);
        turn(v.doorX, far);
        turn(across, far);
        turn(across, nearY);
        turn(v.doorX, nearY);
        turn(v.doorX, cy);
    }
    turn(f.buildingX1 - 1.0, cy);
    return turns;
}

std::string ClickLogText(const Floor& floor, const std::vector<WalkTurn>& turns) {
    std::string out = "time,x,y\n";
    char line[96];
    for (const WalkTurn& t : turns) {
        const std::int64_t ms = (t.timeNs + 500'000) / 1'000'000;
        std::snprintf(line, sizeof line, "%" PRId64 ".%03d,%.2f,%.2f\n", ms / 1000,
                      static_cast<int>(ms % 1000), t.x * floor.pixelsPerMetre, t.y * floor.pixelsPerMetre);
        out += line;
    }
    return out;
}

namespace {

/// \brief A position on the floor, in metres from its top-left corner.
struct FloorXY {
    double x, y;
};

/// One AP in each of several rooms, away from the walls, in a fixed order of rooms that spreads
/// them over both sides of the corridor.
std::vector<FloorXY> PlaceOfficeAps(const ScenarioParams& params, const Floor& floor, Random& rng,
                                    std::vector<TruthAp>& aps) {
    std::vector<FloorXY> apPos;
    static const int kChannels[] = {1, 6, 11};
    for (int i = 0; i < params.apCount; ++i) {
        const Room& room = floor.rooms[static_cast<std::size_t>(i * 3) % floor.rooms.size()];
        TruthAp ap;
        ap.mac = {0x02,
                  0xB1,
                  static_cast<std::uint8_t>(rng.Int(0, 255)),
                  static_cast<std::uint8_t>(rng.Int(0, 255)),
                  static_cast<std::uint8_t>(i >> 8),
                  static_cast<std::uint8_t>(i & 0xFF)};
        ap.ssid =
            params.ssids.empty() ? "Office" : params.ssids[static_cast<std::size_t>(i) % params.ssids.size()];
        ap.channel = kChannels[i % 3];
        ap.interceptDbm = rng.Uniform(params.interceptMin, params.interceptMax);
        ap.exponent = rng.Uniform(params.exponentMin, params.exponentMax);
        ap.shadowStdDb = rng.Uniform(params.shadowMin, params.shadowMax);
        const double x = rng.Uniform(room.x0 + kApInsetM, room.x1 - kApInsetM);
        const double y = rng.Uniform(room.y0 + kApInsetM, room.y1 - kApInsetM);
        ap.lat = floor.Latitude(y);
        ap.lon = floor.Longitude(x);
        apPos.push_back({x, y});
        aps.push_back(ap);
    }
    return apPos;
}

/// \brief The surveyor on the office walk: where they are and the next corner of the route.
struct Walker {
    double x, y;
    std::size_t next = 1;
};

/// One second of walking at an uneven pace, turning at the corners on the way; the turns taken
/// are added to \p turns, timed within second \p k.
void WalkOneSecond(Walker& w, const std::vector<WalkTurn>& route, double speedMps, long k, std::int64_t t0,
                   Random& rng, std::vector<WalkTurn>& turns) {
    const double step = speedMps * (0.85 + 0.3 * rng.Uniform());
    double walked = 0.0;
    while (walked < step && w.next < route.size()) {
        const double d = std::hypot(route[w.next].x - w.x, route[w.next].y - w.y);
        if (walked + d <= step) {
            w.x = route[w.next].x;
            w.y = route[w.next].y;
            walked += d;
            const double seconds = static_cast<double>(k - 1) + walked / step;
            turns.push_back({t0 + std::llround(seconds * 1e9), w.x, w.y});
            ++w.next;
        } else {
            const double move = step - walked;
            w.x += (route[w.next].x - w.x) / d * move;
            w.y += (route[w.next].y - w.y) / d * move;
            walked = step;
        }
    }
}

/// The readings heard at (x, y), through the walls between it and each AP.
void AddOfficeReadings(CDataPoint& point, double x, double y, const ScenarioParams& params,
                       const Floor& floor, const std::vector<FloorXY>& apPos, Random& rng,
                       std::vector<TruthAp>& aps) {
    for (std::size_t a = 0; a < aps.size(); ++a) {
        TruthAp& ap = aps[a];
        const double dx = x - apPos[a].x, dy = y - apPos[a].y;
        const double d = std::max(1.0, std::sqrt(dx * dx + dy * dy + kApAboveLaptopM * kApAboveLaptopM));
        const int walls = WallsCrossed(floor.walls, apPos[a].x, apPos[a].y, x, y);
        const double rssi = ap.interceptDbm - 10.0 * ap.exponent * std::log10(d) - floor.wallLossDb * walls +
                            ap.shadowStdDb * rng.Gauss();
        if (rssi <= params.hearThresholdDbm) continue;
        CHssData r;
        r.m_byChannel = static_cast<std::uint8_t>(ap.channel);
        r.m_nRssi256 = static_cast<std::int16_t>(std::clamp<long>(std::lround(rssi * 256.0), -32768, 32767));
        r.m_abyMAC = ap.mac;
        r.m_szSSID = MakeSsid(ap.ssid);
        point.m_aReadings.push_back(r);
        ++ap.readings;
    }
}

/// File \p f: the whole walk, one scan a second, each placed on the plan where it was taken.
GeneratedFile WalkOfficeFile(std::size_t f, const ScenarioParams& params, const Floor& floor,
                             const std::vector<WalkTurn>& route, const std::vector<FloorXY>& apPos,
                             Random& rng, std::vector<TruthAp>& aps) {
    GeneratedFile file;
    file.name = params.name + std::to_string(f + 1) + ".hsd";
    file.image.fileType = static_cast<std::uint8_t>(f % 2);
    file.image.surveyTime = params.surveyTime + static_cast<std::int64_t>(f) * 3600;
    const std::int64_t t0 = file.image.surveyTime * 1'000'000'000;

    std::array<int, 14> baseNoise{};
    for (auto& n : baseNoise)
        n = -95 + rng.Int(-2, 2);

    Walker w{route.front().x, route.front().y};
    file.turns.push_back({t0, w.x, w.y});
    for (long k = 0;; ++k) {
        if (k > 0) WalkOneSecond(w, route, params.speedMps, k, t0, rng, file.turns);
        CDataPoint point;
        CPointRecord& rec = point.m_rec;
        rec.m_nLatMas = ToMas(floor.Latitude(w.y));
        rec.m_nLonMas = ToMas(floor.Longitude(w.x));
        rec.m_byFix = 0; // indoors: placed on the plan, not by a receiver
        rec.m_byKind = 0;
        for (std::size_t c = 0; c < 14; ++c)
            rec.m_anNoise[c] = static_cast<std::int16_t>(baseNoise[c] + rng.Int(-1, 1));
        AddOfficeReadings(point, w.x, w.y, params, floor, apPos, rng, aps);
        file.readings += static_cast<long>(point.m_aReadings.size());
        ++file.fixNone;
        file.image.records.push_back(std::move(point));
        ++file.points;
        if (w.next >= route.size()) break; // the walk's end was reached during this second
    }
    return file;
}

} // namespace

GeneratedSurvey GenerateBuilding(const ScenarioParams& params, std::uint64_t seed) {
    GeneratedSurvey out;
    out.params = params;
    out.seed = seed;
    Random rng(seed ^ 0xB0F1CEull);
    const Floor floor = OfficeFloor(params.planOriginLat, params.planOriginLon, params.wallLossDb);
    out.north = floor.Latitude(floor.buildingY0);
    out.south = floor.Latitude(floor.buildingY1);
    out.west = floor.Longitude(floor.buildingX0);
    out.east = floor.Longitude(floor.buildingX1);

    const std::vector<FloorXY> apPos = PlaceOfficeAps(params, floor, rng, out.aps);
    const std::vector<WalkTurn> route = OfficeWalk(floor);
    for (std::size_t f = 0; f < params.pointsPerFile.size(); ++f)
        out.files.push_back(WalkOfficeFile(f, params, floor, route, apPos, rng, out.aps));
    out.floor = floor;
    return out;
}

} // namespace plotra::sim
