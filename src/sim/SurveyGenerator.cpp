#include "sim/SurveyGenerator.h"

#include "model/Json.h"
#include "sim/Random.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

namespace plotra::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct LocalFrame {
    double lat0, lon0, cosLat;
    double ToLat(double yM) const { return lat0 + yM / kMetresPerDegree; }
    double ToLon(double xM) const { return lon0 + xM / (kMetresPerDegree * cosLat); }
};

std::int32_t ToMas(double degrees) { return static_cast<std::int32_t>(std::llround(degrees * 3600000.0)); }

/// A walker or driver on the street grid: moves from intersection to intersection.
class GridWalker {
public:
    GridWalker(const ScenarioParams& p, Random& rng) : m_p(p), m_rng(rng) {
        m_cols = std::max(1, static_cast<int>(p.widthM / p.blockM));
        m_rows = std::max(1, static_cast<int>(p.heightM / p.blockM));
        m_ix = rng.Int(0, m_cols);
        m_iy = rng.Int(0, m_rows);
        m_x = m_ix * p.blockM;
        m_y = m_iy * p.blockM;
        PickTarget();
    }
    /// Advances by one time step of one second.
    void Step() {
        double remaining = m_p.speedMps * (0.85 + 0.3 * m_rng.Uniform());
        while (remaining > 1e-9) {
            const double tx = m_tx * m_p.blockM, ty = m_ty * m_p.blockM;
            const double d = std::hypot(tx - m_x, ty - m_y);
            if (d <= remaining) {
                m_x = tx;
                m_y = ty;
                remaining -= d;
                m_dirPrevX = m_tx - m_ix;
                m_dirPrevY = m_ty - m_iy;
                m_ix = m_tx;
                m_iy = m_ty;
                PickTarget();
            } else {
                m_x += (tx - m_x) / d * remaining;
                m_y += (ty - m_y) / d * remaining;
                remaining = 0;
            }
        }
    }
    double X() const { return m_x; }
    double Y() const { return m_y; }

private:
    void PickTarget() {
        static const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        int options[4];
        int n = 0;
        for (int k = 0; k < 4; ++k) {
            const int nx = m_ix + dirs[k][0], ny = m_iy + dirs[k][1];
            if (nx < 0 || ny < 0 || nx > m_cols || ny > m_rows) continue;
            const bool uTurn = dirs[k][0] == -m_dirPrevX && dirs[k][1] == -m_dirPrevY && (m_dirPrevX || m_dirPrevY);
            if (uTurn && !m_rng.Chance(0.05)) continue;
            options[n++] = k;
        }
        if (n == 0) { // dead end: turn around
            m_tx = m_ix - m_dirPrevX;
            m_ty = m_iy - m_dirPrevY;
            return;
        }
        const int k = options[m_rng.Int(0, n - 1)];
        m_tx = m_ix + dirs[k][0];
        m_ty = m_iy + dirs[k][1];
    }
    const ScenarioParams& m_p;
    Random& m_rng;
    int m_cols, m_rows;
    int m_ix, m_iy, m_tx = 0, m_ty = 0;
    int m_dirPrevX = 0, m_dirPrevY = 0;
    double m_x, m_y;
};

std::string MakeSsidName(const ScenarioParams& p, Random& rng, int index) {
    if (index == 1) return "Plotra-Campus-Network-Thirty-Two"; // exactly 32 characters
    const std::string& base = p.ssids[static_cast<std::size_t>(rng.Int(0, static_cast<int>(p.ssids.size()) - 1))];
    if (rng.Chance(0.3)) return base + "-" + std::to_string(rng.Int(1, 9));
    return base;
}

} // namespace

long GeneratedSurvey::DistinctHeard() const {
    return static_cast<long>(std::count_if(aps.begin(), aps.end(), [](const TruthAp& a) { return a.readings > 0; }));
}

std::vector<std::string> ScenarioNames() { return {"demo", "city", "tiny", "single", "dense", "metro", "building"}; }

std::optional<ScenarioParams> BuiltInScenario(const std::string& name) {
    ScenarioParams p;
    p.name = name;
    if (name == "demo") return p; // a campus walk: 15 APs, two files of 1000 points
    if (name == "city") {         // a drive through a city grid: 200 APs, 20000 points
        p.centreLat = 46.95;
        p.centreLon = 7.44;
        p.widthM = 3000;
        p.heightM = 3000;
        p.blockM = 150;
        p.apCount = 200;
        p.pointsPerFile = {10000, 10000};
        p.speedMps = 8.0;
        p.interceptMin = -35;
        p.interceptMax = -25;
        p.exponentMin = 2.4;
        p.exponentMax = 3.4;
        p.markerEvery = 1000;
        p.ssids = {"Home", "Office", "Shop", "FreeWifi", "Bakery", "Hotel", "Metro"};
        return p;
    }
    if (name == "dense") { // a long campus survey: 800 APs, a few hundred heard at every point
        p.widthM = 420;
        p.heightM = 300;
        p.blockM = 30;
        p.apCount = 800;
        p.pointsPerFile = {40000, 40000};
        p.exponentMin = 2.6;
        p.exponentMax = 3.4;
        p.markerEvery = 2000;
        p.ssids = {"Campus", "Guest", "Library", "Lab-Net", "Cafe", "Eduroam", "Printers", "Sensors"};
        p.cullByRange = true;
        return p;
    }
    if (name == "metro") { // a day of wardriving: 20000 APs along a grid of streets, 1000000 points
        p.centreLat = 46.95;
        p.centreLon = 7.44;
        p.widthM = 12000;
        p.heightM = 12000;
        p.blockM = 200;
        p.apCount = 20000;
        p.pointsPerFile = {250000, 250000, 250000, 250000};
        p.speedMps = 9.0;
        p.interceptMin = -33.5; // about a dozen APs heard at every point
        p.interceptMax = -23.5;
        p.exponentMin = 2.8;
        p.exponentMax = 3.6;
        p.markerEvery = 0;
        p.ssids = {"Home", "Office", "Shop", "FreeWifi", "Bakery", "Hotel", "Metro", "Printer", "Cam"};
        p.cullByRange = true;
        return p;
    }
    if (name == "tiny") { // one short file, a handful of APs: quick tests
        p.widthM = 140;
        p.heightM = 140;
        p.apCount = 3;
        p.pointsPerFile = {150};
        p.markerEvery = 50;
        return p;
    }
    if (name == "building") { // an office floor surveyed indoors, the scans placed by clicks on its plan
        p.building = true;
        p.planOriginLat = 46.9496;
        p.planOriginLon = 7.4442;
        p.widthM = 40;
        p.heightM = 25;
        p.apCount = 6;
        p.pointsPerFile = {0}; // one file, as long as the walk
        p.speedMps = 1.1;
        p.interceptMin = -38;
        p.interceptMax = -30;
        p.exponentMin = 2.0;
        p.exponentMax = 2.8;
        p.shadowMin = 2.0;
        p.shadowMax = 4.0;
        p.wallLossDb = 4.0;
        p.markerEvery = 0;
        p.pauseChance = 0.0;
        p.ssids = {"Office", "Guest", "Office", "Lab-Net", "Office", "Printers"};
        return p;
    }
    if (name == "single") { // one AP heard along a long walk: model-fit tests
        p.widthM = 210;
        p.heightM = 210;
        p.apCount = 1;
        p.pointsPerFile = {400};
        p.exponentMin = 3.0;
        p.exponentMax = 3.0;
        p.interceptMin = -40;
        p.interceptMax = -40;
        p.shadowMin = 3.0;
        p.shadowMax = 3.0;
        p.markerEvery = 0;
        return p;
    }
    return std::nullopt;
}

GeneratedSurvey Generate(const ScenarioParams& params, std::uint64_t seed) {
    if (params.building) return GenerateBuilding(params, seed);
    GeneratedSurvey out;
    out.params = params;
    out.seed = seed;
    Random rng(seed ^ 0x51A7E5ull);

    const double latRad = params.centreLat * kPi / 180.0;
    const LocalFrame frame{params.centreLat - params.heightM / 2 / kMetresPerDegree,
                           params.centreLon - params.widthM / 2 / (kMetresPerDegree * std::cos(latRad)),
                           std::cos(latRad)};
    out.south = frame.ToLat(0);
    out.north = frame.ToLat(params.heightM);
    out.west = frame.ToLon(0);
    out.east = frame.ToLon(params.widthM);

    // Access points, in local metres, set back a little from the streets.
    struct ApLocal {
        double x, y;
    };
    std::vector<ApLocal> apPos;
    static const int kChannels[] = {1, 6, 11, 1, 6, 11, 3, 9, 13};
    for (int i = 0; i < params.apCount; ++i) {
        TruthAp ap;
        ap.mac = {0x02, static_cast<std::uint8_t>(rng.Int(0, 255)), static_cast<std::uint8_t>(rng.Int(0, 255)),
                  static_cast<std::uint8_t>(rng.Int(0, 255)), static_cast<std::uint8_t>(i >> 8),
                  static_cast<std::uint8_t>(i & 0xFF)};
        ap.ssid = MakeSsidName(params, rng, i);
        ap.channel = kChannels[rng.Int(0, 8)];
        ap.interceptDbm = rng.Uniform(params.interceptMin, params.interceptMax);
        ap.exponent = rng.Uniform(params.exponentMin, params.exponentMax);
        ap.shadowStdDb = rng.Uniform(params.shadowMin, params.shadowMax);
        const double x = rng.Uniform(0.05, 0.95) * params.widthM;
        const double y = rng.Uniform(0.05, 0.95) * params.heightM;
        ap.lat = frame.ToLat(y);
        ap.lon = frame.ToLon(x);
        apPos.push_back({x, y});
        out.aps.push_back(ap);
    }

    // Range culling: each AP's largest hearing distance, and the APs bucketed by cells of the largest.
    double cell = 0.0;
    int cellCols = 1, cellRows = 1;
    std::vector<std::vector<std::size_t>> cells;
    std::vector<double> reach(out.aps.size(), 0.0);
    if (params.cullByRange) {
        for (std::size_t a = 0; a < out.aps.size(); ++a) {
            const TruthAp& ap = out.aps[a];
            const double margin = ap.interceptDbm + 6.0 * ap.shadowStdDb - params.hearThresholdDbm;
            reach[a] = std::pow(10.0, margin / (10.0 * ap.exponent));
            cell = std::max(cell, reach[a]);
        }
        cell = std::max(cell, 1.0);
        cellCols = static_cast<int>(params.widthM / cell) + 1;
        cellRows = static_cast<int>(params.heightM / cell) + 1;
        cells.resize(static_cast<std::size_t>(cellCols) * static_cast<std::size_t>(cellRows));
        for (std::size_t a = 0; a < apPos.size(); ++a) {
            const int cx = std::clamp(static_cast<int>(apPos[a].x / cell), 0, cellCols - 1);
            const int cy = std::clamp(static_cast<int>(apPos[a].y / cell), 0, cellRows - 1);
            cells[static_cast<std::size_t>(cy) * static_cast<std::size_t>(cellCols) + static_cast<std::size_t>(cx)]
                .push_back(a);
        }
    }
    std::vector<std::size_t> nearby;

    for (std::size_t f = 0; f < params.pointsPerFile.size(); ++f) {
        GeneratedFile file;
        file.name = params.name + std::to_string(f + 1) + ".hsd";
        file.image.fileType = static_cast<std::uint8_t>(f % 2);
        file.image.surveyTime = params.surveyTime + static_cast<std::int64_t>(f) * 3600;

        std::array<int, 14> baseNoise{};
        for (auto& n : baseNoise) n = -95 + rng.Int(-2, 2);

        GridWalker walker(params, rng);
        int fix = 2;
        int pause = 0;
        std::int32_t lastLat = ToMas(frame.ToLat(walker.Y())), lastLon = ToMas(frame.ToLon(walker.X()));
        int sinceMarker = 0;
        const int nPoints = params.pointsPerFile[f];
        for (int k = 0; k < nPoints; ++k) {
            if (pause > 0) {
                --pause;
            } else {
                walker.Step();
                if (rng.Chance(params.pauseChance)) pause = rng.Int(2, 6);
            }
            // Fix quality changes slowly: long 3D stretches with short 2D and no-fix spells.
            if (fix == 2) {
                if (rng.Chance(0.01)) fix = 1;
                else if (rng.Chance(0.003)) fix = 0;
            } else if (rng.Chance(fix == 1 ? 0.1 : 0.15)) {
                fix = 2;
            }
            const double tx = walker.X(), ty = walker.Y();
            CDataPoint point;
            CPointRecord& rec = point.m_rec;
            if (fix == 0 || pause > 0) {
                // No fix, or standing still: the receiver repeats the last position it reported.
                rec.m_nLatMas = lastLat;
                rec.m_nLonMas = lastLon;
            } else {
                const double sigma = fix == 2 ? 1.5 : 4.0;
                rec.m_nLatMas = ToMas(frame.ToLat(ty + sigma * rng.Gauss()));
                rec.m_nLonMas = ToMas(frame.ToLon(tx + sigma * rng.Gauss()));
            }
            lastLat = rec.m_nLatMas;
            lastLon = rec.m_nLonMas;
            rec.m_byFix = static_cast<std::uint8_t>(fix);
            rec.m_nAltitudeCm = 54000 + static_cast<std::int32_t>(std::lround(200.0 * rng.Gauss()));
            rec.m_wSpeedCms = static_cast<std::uint16_t>(pause > 0 ? 0 : std::lround(params.speedMps * 100.0));
            rec.m_abyOpaque1[0] = static_cast<std::uint8_t>(k & 0xFF); // receiver's own bytes
            rec.m_abyOpaque2[3] = static_cast<std::uint8_t>(f + 1);
            for (std::size_t c = 0; c < 14; ++c)
                rec.m_anNoise[c] = static_cast<std::int16_t>(baseNoise[c] + rng.Int(-1, 1));
            rec.m_byKind = 0;
            nearby.clear();
            if (params.cullByRange) {
                const int cx = std::clamp(static_cast<int>(tx / cell), 0, cellCols - 1);
                const int cy = std::clamp(static_cast<int>(ty / cell), 0, cellRows - 1);
                for (int y = std::max(0, cy - 1); y <= std::min(cellRows - 1, cy + 1); ++y)
                    for (int x = std::max(0, cx - 1); x <= std::min(cellCols - 1, cx + 1); ++x)
                        for (std::size_t a : cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(cellCols) +
                                                   static_cast<std::size_t>(x)])
                            if (std::hypot(tx - apPos[a].x, ty - apPos[a].y) <= reach[a]) nearby.push_back(a);
                std::sort(nearby.begin(), nearby.end()); // readings in AP order, as without culling
            }
            const std::size_t candidates = params.cullByRange ? nearby.size() : out.aps.size();
            for (std::size_t c = 0; c < candidates; ++c) {
                const std::size_t a = params.cullByRange ? nearby[c] : c;
                TruthAp& ap = out.aps[a];
                const double d = std::max(1.0, std::sqrt((tx - apPos[a].x) * (tx - apPos[a].x) +
                                                         (ty - apPos[a].y) * (ty - apPos[a].y) + 9.0));
                const double rssi = ap.interceptDbm - 10.0 * ap.exponent * std::log10(d) + ap.shadowStdDb * rng.Gauss();
                if (rssi <= params.hearThresholdDbm) continue;
                CHssData r;
                r.m_byChannel = static_cast<std::uint8_t>(ap.channel);
                r.m_nRssi256 = static_cast<std::int16_t>(std::clamp<long>(std::lround(rssi * 256.0), -32768, 32767));
                r.m_abyMAC = ap.mac;
                r.m_szSSID = MakeSsid(ap.ssid);
                point.m_aReadings.push_back(r);
                ++ap.readings;
            }
            file.readings += static_cast<long>(point.m_aReadings.size());
            (fix == 2 ? file.fix3d : fix == 1 ? file.fix2d : file.fixNone)++;
            file.image.records.push_back(std::move(point));
            ++file.points;

            if (params.markerEvery > 0 && ++sinceMarker >= params.markerEvery && !apPos.empty()) {
                sinceMarker = 0;
                // The surveyor marks the nearest AP.
                std::size_t best = 0;
                double bestD = 1e300;
                for (std::size_t a = 0; a < apPos.size(); ++a) {
                    const double d = std::hypot(tx - apPos[a].x, ty - apPos[a].y);
                    if (d < bestD) bestD = d, best = a;
                }
                CDataPoint marker;
                marker.m_rec.m_byKind = 1;
                marker.m_rec.m_nLatMas = ToMas(out.aps[best].lat);
                marker.m_rec.m_nLonMas = ToMas(out.aps[best].lon);
                file.image.records.push_back(std::move(marker));
                ++file.markers;
            }
        }
        out.files.push_back(std::move(file));
    }
    return out;
}

std::string TruthJson(const GeneratedSurvey& s) {
    JsonWriter w;
    w.BeginObject();
    w.String(s.params.name, "scenario");
    w.Int(static_cast<long long>(s.seed), "seed");
    w.BeginObject("bounds");
    w.Double(s.south, "south", 12).Double(s.west, "west", 12).Double(s.north, "north", 12).Double(s.east, "east", 12);
    w.EndObject();
    long points = 0, readings = 0, markers = 0;
    w.BeginArray("files");
    for (const auto& f : s.files) {
        w.BeginObject();
        w.String(f.name, "name");
        w.Int(f.image.fileType, "fileType");
        w.Int(f.image.surveyTime, "surveyTime");
        w.Int(f.points, "points").Int(f.readings, "readings").Int(f.markers, "apMarkers");
        w.Int(f.fix3d, "fix3d").Int(f.fix2d, "fix2d").Int(f.fixNone, "fixNone");
        w.EndObject();
        points += f.points;
        readings += f.readings;
        markers += f.markers;
    }
    w.EndArray();
    w.BeginObject("totals");
    w.Int(points, "points").Int(readings, "readings").Int(markers, "apMarkers").Int(s.DistinctHeard(), "distinctBssids");
    w.EndObject();
    w.BeginArray("aps");
    for (const auto& a : s.aps) {
        w.BeginObject();
        w.String(MacText(a.mac), "mac");
        w.String(a.ssid, "ssid");
        w.Int(a.channel, "channel");
        w.Double(a.lat, "lat", 12).Double(a.lon, "lon", 12);
        w.Double(a.interceptDbm, "interceptDbm", 8).Double(a.exponent, "exponent", 8);
        w.Double(a.shadowStdDb, "shadowStdDb", 8);
        w.Int(a.readings, "readings");
        w.EndObject();
    }
    w.EndArray();
    if (s.floor) {
        w.BeginObject("floorPlan");
        w.Double(s.floor->wallLossDb, "wallLossDb", 8);
        w.Double(s.floor->originLat, "originLat", 12).Double(s.floor->originLon, "originLon", 12);
        w.Double(s.floor->pixelsPerMetre, "pixelsPerMetre", 8);
        w.Int(s.floor->WidthPx(), "widthPx").Int(s.floor->HeightPx(), "heightPx");
        w.Int(static_cast<long long>(s.floor->walls.size()), "walls");
        w.EndObject();
    }
    w.EndObject();
    return w.Text();
}

bool WriteSurvey(const GeneratedSurvey& s, const std::string& outDir, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) {
        if (error) *error = "Cannot create the folder " + outDir;
        return false;
    }
    for (const auto& f : s.files) {
        const std::string path = (fs::path(outDir) / f.name).string();
        if (!WriteSurveyFile(path, f.image)) {
            if (error) *error = "Cannot write " + path;
            return false;
        }
    }
    const std::string truth = TruthJson(s);
    const std::string truthPath = (fs::path(outDir) / "truth.json").string();
    std::ofstream out(truthPath, std::ios::binary | std::ios::trunc);
    out << truth;
    if (!out) {
        if (error) *error = "Cannot write " + truthPath;
        return false;
    }
    return true;
}

} // namespace plotra::sim
