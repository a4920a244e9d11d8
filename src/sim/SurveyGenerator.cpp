#include "sim/SurveyGenerator.h"

#include "model/Json.h"
#include "sim/Random.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

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

/// Fix quality changes slowly: long 3D stretches with short 2D and no-fix spells.
int NextFix(int fix, Random& rng) {
    if (fix == 2) {
        if (rng.Chance(0.01))
            fix = 1;
        else if (rng.Chance(0.003))
            fix = 0;
    } else if (rng.Chance(fix == 1 ? 0.1 : 0.15)) {
        fix = 2;
    }
    return fix;
}

/// \brief The receiver of one file's walk: its fix, the seconds the walker still stands, and the
/// position it reported last.
struct Receiver {
    int fix = 2;
    int pause = 0;
    std::int32_t lastLat = 0, lastLon = 0;
};

/// \brief One street survey being generated: the APs in local metres and, when culling by range,
/// each AP's largest hearing distance with the APs bucketed by cells of the largest.
class StreetSurvey {
  public:
    StreetSurvey(const ScenarioParams& params, Random& rng, const LocalFrame& frame, GeneratedSurvey& out)
        : m_params(params), m_rng(rng), m_frame(frame), m_out(out) {}

    /// Access points, in local metres, set back a little from the streets.
    void PlaceAps() {
        static const int kChannels[] = {1, 6, 11, 1, 6, 11, 3, 9, 13};
        for (int i = 0; i < m_params.apCount; ++i) {
            TruthAp ap;
            ap.mac = {0x02,
                      static_cast<std::uint8_t>(m_rng.Int(0, 255)),
                      static_cast<std::uint8_t>(m_rng.Int(0, 255)),
                      static_cast<std::uint8_t>(m_rng.Int(0, 255)),
                      static_cast<std::uint8_t>(i >> 8),
                      static_cast<std::uint8_t>(i & 0xFF)};
            ap.ssid = MakeSsidName(m_params, m_rng, i);
            ap.channel = kChannels[m_rng.Int(0, 8)];
            ap.interceptDbm = m_rng.Uniform(m_params.interceptMin, m_params.interceptMax);
            ap.exponent = m_rng.Uniform(m_params.exponentMin, m_params.exponentMax);
            ap.shadowStdDb = m_rng.Uniform(m_params.shadowMin, m_params.shadowMax);
            const double x = m_rng.Uniform(0.05, 0.95) * m_params.widthM;
            const double y = m_rng.Uniform(0.05, 0.95) * m_params.heightM;
            ap.lat = m_frame.ToLat(y);
            ap.lon = m_frame.ToLon(x);
            m_apPos.push_back({x, y});
            m_out.aps.push_back(ap);
        }
    }

    void BucketByRange() {
        m_reach.assign(m_out.aps.size(), 0.0);
        if (!m_params.cullByRange) return;
        for (std::size_t a = 0; a < m_out.aps.size(); ++a) {
            const TruthAp& ap = m_out.aps[a];
            const double margin = ap.interceptDbm + 6.0 * ap.shadowStdDb - m_params.hearThresholdDbm;
            m_reach[a] = std::pow(10.0, margin / (10.0 * ap.exponent));
            m_cell = std::max(m_cell, m_reach[a]);
        }
        m_cell = std::max(m_cell, 1.0);
        m_cellCols = static_cast<int>(m_params.widthM / m_cell) + 1;
        m_cellRows = static_cast<int>(m_params.heightM / m_cell) + 1;
        m_cells.resize(static_cast<std::size_t>(m_cellCols) * static_cast<std::size_t>(m_cellRows));
        for (std::size_t a = 0; a < m_apPos.size(); ++a) {
            const int cx = std::clamp(static_cast<int>(m_apPos[a].x / m_cell), 0, m_cellCols - 1);
            const int cy = std::clamp(static_cast<int>(m_apPos[a].y / m_cell), 0, m_cellRows - 1);
            m_cells[static_cast<std::size_t>(cy) * static_cast<std::size_t>(m_cellCols) +
                    static_cast<std::size_t>(cx)]
                .push_back(a);
        }
    }

    GeneratedFile WalkFile(std::size_t f) {
        GeneratedFile file;
        file.name = m_params.name + std::to_string(f + 1) + ".hsd";
        file.image.fileType = static_cast<std::uint8_t>(f % 2);
        file.image.surveyTime = m_params.surveyTime + static_cast<std::int64_t>(f) * 3600;

        std::array<int, 14> baseNoise{};
        for (auto& n : baseNoise)
            n = -95 + m_rng.Int(-2, 2);

        GridWalker walker(m_params, m_rng);
        Receiver rx;
        rx.lastLat = ToMas(m_frame.ToLat(walker.Y()));
        rx.lastLon = ToMas(m_frame.ToLon(walker.X()));
        int sinceMarker = 0;
        const int nPoints = m_params.pointsPerFile[f];
        for (int k = 0; k < nPoints; ++k) {
            if (rx.pause > 0) {
                --rx.pause;
            } else {
                walker.Step();
                if (m_rng.Chance(m_params.pauseChance)) rx.pause = m_rng.Int(2, 6);
            }
            rx.fix = NextFix(rx.fix, m_rng);
            const double tx = walker.X(), ty = walker.Y();
            CDataPoint point;
            FillRecord(point.m_rec, rx, tx, ty, k, f, baseNoise);
            AddReadings(point, tx, ty);
            file.readings += static_cast<long>(point.m_aReadings.size());
            (rx.fix == 2 ? file.fix3d : rx.fix == 1 ? file.fix2d : file.fixNone)++;
            file.image.records.push_back(std::move(point));
            ++file.points;

            if (m_params.markerEvery > 0 && ++sinceMarker >= m_params.markerEvery && !m_apPos.empty()) {
                sinceMarker = 0;
                MarkNearestAp(file, tx, ty);
            }
        }
        return file;
    }

  private:
    struct ApLocal {
        double x, y;
    };

    void FillRecord(CPointRecord& rec, Receiver& rx, double tx, double ty, int k, std::size_t f,
                    const std::array<int, 14>& baseNoise) {
        if (rx.fix == 0 || rx.pause > 0) {
            // No fix, or standing still: the receiver repeats the last position it reported.
            rec.m_nLatMas = rx.lastLat;
            rec.m_nLonMas = rx.lastLon;
        } else {
            const double sigma = rx.fix == 2 ? 1.5 : 4.0;
            rec.m_nLatMas = ToMas(m_frame.ToLat(ty + sigma * m_rng.Gauss()));
            rec.m_nLonMas = ToMas(m_frame.ToLon(tx + sigma * m_rng.Gauss()));
        }
        rx.lastLat = rec.m_nLatMas;
        rx.lastLon = rec.m_nLonMas;
        rec.m_byFix = static_cast<std::uint8_t>(rx.fix);
        rec.m_nAltitudeCm = 54000 + static_cast<std::int32_t>(std::lround(200.0 * m_rng.Gauss()));
        rec.m_wSpeedCms =
            static_cast<std::uint16_t>(rx.pause > 0 ? 0 : std::lround(m_params.speedMps * 100.0));
        rec.m_abyOpaque1[0] = static_cast<std::uint8_t>(k & 0xFF); // receiver's own bytes
        rec.m_abyOpaque2[3] = static_cast<std::uint8_t>(f + 1);
        for (std::size_t c = 0; c < 14; ++c)
            rec.m_anNoise[c] = static_cast<std::int16_t>(baseNoise[c] + m_rng.Int(-1, 1));
        rec.m_byKind = 0;
    }

    /// The APs of the cells around (tx, ty) within their reach, in AP order as without culling.
    void FindNearby(double tx, double ty) {
        m_nearby.clear();
        if (!m_params.cullByRange) return;
        const int cx = std::clamp(static_cast<int>(tx / m_cell), 0, m_cellCols - 1);
        const int cy = std::clamp(static_cast<int>(ty / m_cell), 0, m_cellRows - 1);
        for (int y = std::max(0, cy - 1); y <= std::min(m_cellRows - 1, cy + 1); ++y)
            for (int x = std::max(0, cx - 1); x <= std::min(m_cellCols - 1, cx + 1); ++x)
                for (std::size_t a :
                     m_cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_cellCols) +
                             static_cast<std::size_t>(x)])
                    if (std::hypot(tx - m_apPos[a].x, ty - m_apPos[a].y) <= m_reach[a]) m_nearby.push_back(a);
        std::sort(m_nearby.begin(), m_nearby.end());
    }

    void AddReadings(CDataPoint& point, double tx, double ty) {
        FindNearby(tx, ty);
        const std::size_t candidates = m_params.cullByRange ? m_nearby.size() : m_out.aps.size();
        for (std::size_t c = 0; c < candidates; ++c) {
            const std::size_t a = m_params.cullByRange ? m_nearby[c] : c;
            TruthAp& ap = m_out.aps[a];
            const double d = std::max(1.0, std::sqrt((tx - m_apPos[a].x) * (tx - m_apPos[a].x) +
                                                     (ty - m_apPos[a].y) * (ty - m_apPos[a].y) + 9.0));
            const double rssi =
                ap.interceptDbm - 10.0 * ap.exponent * std::log10(d) + ap.shadowStdDb * m_rng.Gauss();
            if (rssi <= m_params.hearThresholdDbm) continue;
            CHssData r;
            r.m_byChannel = static_cast<std::uint8_t>(ap.channel);
            r.m_nRssi256 =
                static_cast<std::int16_t>(std::clamp<long>(std::lround(rssi * 256.0), -32768, 32767));
            r.m_abyMAC = ap.mac;
            r.m_szSSID = MakeSsid(ap.ssid);
            point.m_aReadings.push_back(r);
            ++ap.readings;
        }
    }

    /// The surveyor marks the nearest AP.
    void MarkNearestAp(GeneratedFile& file, double tx, double ty) {
        std::size_t best = 0;
        double bestD = 1e300;
        for (std::size_t a = 0; a < m_apPos.size(); ++a) {
            const double d = std::hypot(tx - m_apPos[a].x, ty - m_apPos[a].y);
            if (d < bestD) bestD = d, best = a;
        }
        CDataPoint marker;
        marker.m_rec.m_byKind = 1;
        marker.m_rec.m_nLatMas = ToMas(m_out.aps[best].lat);
        marker.m_rec.m_nLonMas = ToMas(m_out.aps[best].lon);
        file.image.records.push_back(std::move(marker));
        ++file.markers;
    }

    const ScenarioParams& m_params;
    Random& m_rng;
    const LocalFrame& m_frame;
    GeneratedSurvey& m_out;
    std::vector<ApLocal> m_apPos;
    double m_cell = 0.0;
    int m_cellCols = 1, m_cellRows = 1;
    std::vector<std::vector<std::size_t>> m_cells;
    std::vector<double> m_reach;
    std::vector<std::size_t> m_nearby;
};

/// A drive through a city grid: 200 APs, 20000 points
void CityScenario(ScenarioParams& p) {
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
}

/// A long campus survey: 800 APs, a few hundred heard at every point
void DenseScenario(ScenarioParams& p) {
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
}

/// A day of wardriving: 20000 APs along a grid of streets, 1000000 points
void MetroScenario(ScenarioParams& p) {
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
}

/// One short file, a handful of APs: quick tests
void TinyScenario(ScenarioParams& p) {
    p.widthM = 140;
    p.heightM = 140;
    p.apCount = 3;
    p.pointsPerFile = {150};
    p.markerEvery = 50;
}

/// An office floor surveyed indoors, the scans placed by clicks on its plan
void BuildingScenario(ScenarioParams& p) {
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
}

/// One AP heard along a long walk: model-fit tests
void SingleScenario(ScenarioParams& p) {
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
    static const std::pair<const char*, void (*)(ScenarioParams&)> kScenarios[] = {
        {"city", CityScenario}, {"dense", DenseScenario},       {"metro", MetroScenario},
        {"tiny", TinyScenario}, {"building", BuildingScenario}, {"single", SingleScenario}};
    for (const auto& [scenario, set] : kScenarios) {
        if (name != scenario) continue;
        set(p);
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

    StreetSurvey survey(params, rng, frame, out);
    survey.PlaceAps();
    survey.BucketByRange();
    for (std::size_t f = 0; f < params.pointsPerFile.size(); ++f)
        out.files.push_back(survey.WalkFile(f));
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
