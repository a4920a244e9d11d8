#include "capture/ScanReadings.h"

#include <algorithm>
#include <cmath>

namespace plotra::capture {

int ChannelOfFrequency(std::uint32_t f) {
    if (f >= 2412 && f <= 2472) return static_cast<int>((f - 2407) / 5);
    if (f == 2484) return 14;
    if (f >= 5150 && f < 5925) return static_cast<int>((f - 5000) / 5);
    if (f == 5935) return 2; // the one 6 GHz channel off the 5 MHz raster of the others
    if (f > 5950 && f <= 7125) return static_cast<int>((f - 5950) / 5);
    return 0;
}

std::int16_t Rssi256OfMbm(std::int32_t mbm) {
    const long v = std::lround(static_cast<double>(mbm) * 256.0 / 100.0);
    return static_cast<std::int16_t>(std::clamp<long>(v, -32768, 32767));
}

std::vector<CHssData> ReadingsOfScan(const CompletedScan& scan, const ReadingRules& rules) {
    std::vector<CHssData> out;
    out.reserve(scan.bss.size());
    for (const BssEntry& e : scan.bss) {
        if (!e.hasSignal) continue;
        if (e.hasSeenMsAgo && e.seenMsAgo > rules.maxAgeMs) continue;
        CHssData r;
        r.m_byChannel = static_cast<std::uint8_t>(ChannelOfFrequency(e.frequencyMhz));
        r.m_nRssi256 = Rssi256OfMbm(e.signalMbm);
        r.m_abyMAC = e.bssid;
        // The SSID's bytes as broadcast (not necessarily text), NUL-padded.
        std::copy_n(e.ssid.begin(), std::min<std::size_t>(e.ssid.size(), r.m_szSSID.size()),
                    r.m_szSSID.begin());
        out.push_back(r);
    }
    return out;
}

std::array<std::int16_t, 14> NoiseOfScan(const CompletedScan& scan, const ReadingRules& rules) {
    std::array<std::int16_t, 14> noise;
    noise.fill(static_cast<std::int16_t>(std::clamp(rules.noiseFloorDbm, -32768, 32767)));
    for (const ChannelNoise& n : scan.noise) {
        const int ch = ChannelOfFrequency(n.frequencyMhz);
        if (n.frequencyMhz < 2412 || n.frequencyMhz > 2472 || ch < 1 || ch > 13) continue;
        noise[static_cast<std::size_t>(ch)] = static_cast<std::int16_t>(n.noiseDbm);
    }
    return noise;
}

} // namespace plotra::capture
