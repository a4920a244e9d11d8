#pragma once
/// \brief Deterministic synthetic site surveys from a known ground truth: access points with a
/// log-distance model and log-normal shadowing, a walk or drive along a street grid with GPS fixes of
/// varying quality, per-channel noise, and a reading wherever the simulated signal is heard.

#include "files/SurveyFile.h"
#include "sim/Building.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotra::sim {

/// \brief Ground truth of one simulated access point.
struct TruthAp {
    std::array<std::uint8_t, 6> mac{};
    std::string ssid;
    int channel = 1;
    double lat = 0, lon = 0;
    double interceptDbm = -35; ///< RSSI at 1 m
    double exponent = 3;       ///< path loss exponent: RSSI falls by 10 * exponent dB per decade
    double shadowStdDb = 4;
    long readings = 0;         ///< readings generated for it over all files
};

struct GeneratedFile {
    std::string name; ///< file name, e.g. "demo1.hsd"
    SurveyFileImage image;
    long points = 0;
    long readings = 0;
    long markers = 0;
    long fix3d = 0, fix2d = 0, fixNone = 0;
    std::vector<WalkTurn> turns; ///< indoors: where the walk turned and when, the surveyor's clicks
};

/// \brief Parameters of a scenario.
struct ScenarioParams {
    std::string name = "custom";
    double centreLat = 46.948, centreLon = 7.4474;
    double widthM = 500, heightM = 350; ///< the street grid's extent
    double blockM = 70;                 ///< street spacing
    int apCount = 15;
    std::vector<int> pointsPerFile{1000, 1000};
    double speedMps = 1.4;
    double interceptMin = -40, interceptMax = -30;
    double exponentMin = 2.5, exponentMax = 3.8;
    double shadowMin = 2.0, shadowMax = 8.0;
    double hearThresholdDbm = -95.0;
    int markerEvery = 300;       ///< an AP-marker record after about this many points; 0 for none
    double pauseChance = 0.004;  ///< chance per point to stand still for a few seconds
    std::vector<std::string> ssids{"Campus", "Guest", "Library", "Lab-Net", "Cafe"};
    std::int64_t surveyTime = 1793000000; ///< first file's survey time; later files one hour apart
    /// Only APs that could be heard at all (six shadowing deviations of margin) are drawn for a point:
    /// large scenarios would otherwise spend their time on APs kilometres away.
    bool cullByRange = false;
    /// Indoors: the office floor of sim/Building.h instead of the street grid, one walk through its
    /// corridor and rooms at one point a second, no GPS (the fix "No", as scans placed by clicks),
    /// and wallLossDb lost through every wall on the straight line from an AP to the point.
    bool building = false;
    double wallLossDb = 4.0;
    double planOriginLat = 0, planOriginLon = 0; ///< the floor plan's top-left corner
};

struct GeneratedSurvey {
    ScenarioParams params;
    std::uint64_t seed = 0;
    std::vector<TruthAp> aps;
    std::vector<GeneratedFile> files;
    double south = 0, west = 0, north = 0, east = 0; ///< bounds of the street grid (or building) in degrees
    std::optional<Floor> floor;                      ///< the building's floor, indoors
    /// Distinct BSSIDs that were heard at least once.
    long DistinctHeard() const;
};

/// Names of the built-in scenarios ("demo", "city", "tiny", ...).
std::vector<std::string> ScenarioNames();
/// Parameters of a built-in scenario; nullopt for an unknown name.
std::optional<ScenarioParams> BuiltInScenario(const std::string& name);

GeneratedSurvey Generate(const ScenarioParams& params, std::uint64_t seed);
/// The indoor survey of a building (Generate's work when params.building is set).
GeneratedSurvey GenerateBuilding(const ScenarioParams& params, std::uint64_t seed);

/// The ground truth as JSON text.
std::string TruthJson(const GeneratedSurvey& survey);

/// Writes every survey file and truth.json into \p outDir (created if missing). On failure returns
/// false with a message in \p error.
bool WriteSurvey(const GeneratedSurvey& survey, const std::string& outDir, std::string* error);

/// Metres per degree of latitude on the generator's sphere.
inline constexpr double kMetresPerDegree = 6378137.0 * 3.14159265358979323846 / 180.0;

} // namespace plotra::sim
