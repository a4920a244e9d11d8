#pragma once
/// \brief Small builders for survey records and files used across the tests.

#include "files/SurveyFile.h"
#include "model/Records.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace plotra::test {

/// A planar sample (a reading, path point or AP point) at (y, x).
inline CData MakeSample(double y, double x, double rssi = 0.0, int noise = 0) {
    CData s;
    s.m_dY = y;
    s.m_dX = x;
    s.m_dRssi = rssi;
    s.m_nNoise = noise;
    return s;
}

/// A reading with the given channel, RSSI in dBm, MAC tail byte and SSID.
CHssData MakeReading(int channel, double rssiDbm, std::uint8_t macTail, const std::string& ssid);
/// A measurement point at the given position (degrees) with the readings.
CDataPoint MakePoint(double lat, double lon, std::vector<CHssData> readings = {}, int fix = 2);
/// An AP-marker record.
CDataPoint MakeMarker(double lat, double lon);

/// A temporary folder removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

/// The folder of the real logs, ../shared/data beside the project; the environment variable
/// PLOTRA_SHARED_DATA_DIR names another one (for a check of the tests without it).
std::string SharedDataDir();
/// Path of a file under that folder.
std::string SharedData(const std::string& relative);
/// Why a test of a file under \p root cannot run: empty when the file exists. A clone of the project
/// on its own has no ../shared beside it, and its tests still pass.
std::string MissingSharedData(const std::string& relative, const std::string& root = SharedDataDir());

/// Skips the test, saying why, when a file of the real logs is not there.
#define PLOTRA_SKIP_WITHOUT_SHARED_DATA(relative)                                                            \
    if (const std::string plotraMissing = ::plotra::test::MissingSharedData(relative);                       \
        !plotraMissing.empty())                                                                              \
    GTEST_SKIP() << plotraMissing

/// The whole file as bytes in a string (empty when it cannot be read).
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace plotra::test
