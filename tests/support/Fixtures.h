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

/// Path of a file under ../shared/data.
std::string SharedData(const std::string& relative);

/// The whole file as bytes in a string (empty when it cannot be read).
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace plotra::test
