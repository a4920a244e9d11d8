#include "support/Fixtures.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace plotra::test {

CHssData MakeReading(int channel, double rssiDbm, std::uint8_t macTail, const std::string& ssid) {
    CHssData r;
    r.m_byChannel = static_cast<std::uint8_t>(channel);
    r.m_nRssi256 = static_cast<std::int16_t>(std::lround(rssiDbm * 256.0));
    r.m_abyMAC = {0x00, 0x11, 0x22, 0x33, 0x44, macTail};
    r.m_szSSID = MakeSsid(ssid);
    return r;
}

CDataPoint MakePoint(double lat, double lon, std::vector<CHssData> readings, int fix) {
    CDataPoint p;
    p.m_rec.m_nLatMas = static_cast<std::int32_t>(std::lround(lat * 3600000.0));
    p.m_rec.m_nLonMas = static_cast<std::int32_t>(std::lround(lon * 3600000.0));
    p.m_rec.m_byFix = static_cast<std::uint8_t>(fix);
    for (std::size_t c = 0; c < 14; ++c) p.m_rec.m_anNoise[c] = static_cast<std::int16_t>(-90 - static_cast<int>(c));
    p.m_rec.m_wReadingCount = static_cast<std::uint16_t>(readings.size());
    p.m_aReadings = std::move(readings);
    return p;
}

CDataPoint MakeMarker(double lat, double lon) {
    CDataPoint p = MakePoint(lat, lon);
    p.m_rec.m_byKind = 1;
    return p;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path() /
                      ("plotra-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(base);
    m_path = base.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string SharedDataDir() {
    const char* other = std::getenv("PLOTRA_SHARED_DATA_DIR");
    return other && *other ? other : PLOTRA_SHARED_DATA_DIR;
}

std::string SharedData(const std::string& relative) { return SharedDataDir() + "/" + relative; }

std::string MissingSharedData(const std::string& relative, const std::string& root) {
    const std::string path = root + "/" + relative;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return {};
    return path + " not found: the real logs live in ../shared/data beside the project";
}

} // namespace plotra::test
