// Merging of repeated samples: an AP heard several times at one spot, and a walk that stands still.
#include "analysis/Numeric.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>

namespace plotra {

void CAPInfo::MergeCoincidentSamples(double eps) {
    m_aApPoints.clear();
    if (m_aSamples.empty()) return;
    CData group = m_aSamples[0];
    double rssiSum = group.m_dRssi;
    long long noiseSum = group.m_nNoise;
    long long count = 1;
    auto close = [&] {
        CData p;
        p.m_dY = group.m_dY;
        p.m_dX = group.m_dX;
        p.m_dRssi = rssiSum / static_cast<double>(count);
        p.m_nNoise = static_cast<int>(noiseSum / count);
        m_aApPoints.push_back(p);
    };
    for (std::size_t i = 1; i < m_aSamples.size(); ++i) {
        const CData& s = m_aSamples[i];
        const double dy = s.m_dY - group.m_dY, dx = s.m_dX - group.m_dX;
        if (std::sqrt(dy * dy + dx * dx) <= eps) {
            rssiSum += s.m_dRssi;
            noiseSum += s.m_nNoise;
            ++count;
            continue;
        }
        close();
        group = s;
        rssiSum = s.m_dRssi;
        noiseSum = s.m_nNoise;
        count = 1;
    }
    close();
}

void CPlotraDoc::MergePathPositions() {
    m_aGpsState.clear();
    if (m_aMeasurements.empty() || m_aRawFix.empty() || m_aRawAltitude.empty() || m_aRawVelocity.empty())
        return;
    // The raw lists run parallel to the measurements; a shorter one ends the walk there.
    const std::size_t count =
        std::min({m_aMeasurements.size(), m_aRawFix.size(), m_aRawAltitude.size(), m_aRawVelocity.size()});

    auto close = [&](std::size_t begin, std::size_t end) {
        const long long k = static_cast<long long>(end - begin);
        std::vector<double> rssi;
        rssi.reserve(end - begin);
        long long noise = 0, altitude = 0, speed = 0;
        std::uint8_t fix = m_aRawFix[begin];
        for (std::size_t i = begin; i < end; ++i) {
            rssi.push_back(m_aMeasurements[i].m_dRssi);
            noise += m_aMeasurements[i].m_nNoise;
            altitude += m_aRawAltitude[i];
            speed += m_aRawVelocity[i];
            fix = std::min(fix, m_aRawFix[i]);
        }
        CData p;
        p.m_dY = m_aMeasurements[begin].m_dY;
        p.m_dX = m_aMeasurements[begin].m_dX;
        p.m_dRssi = Mean(rssi.data(), rssi.size());
        p.m_nNoise = static_cast<int>(noise / k);
        m_aPoints.push_back(p);
        m_aGpsState.push_back(fix);
        m_aAltitude.push_back(static_cast<int>(altitude / k));
        m_aVelocity.push_back(static_cast<int>(speed / k));
    };

    std::size_t start = 0;
    for (std::size_t i = 1; i < count; ++i) {
        const CData& first = m_aMeasurements[start];
        if (GeoDistance(first.m_dY, first.m_dX, m_aMeasurements[i].m_dY, m_aMeasurements[i].m_dX) <= 0.001)
            continue;
        close(start, i);
        start = i;
    }
    close(start, count);
}

} // namespace plotra
