// Merging of repeated samples: an AP heard several times at one spot, and a walk that stands still.
#include "analysis/Numeric.h"
#include "model/EditAccess.h"
#include "model/PathMerger.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>

namespace plotra {

void CAPInfo::MergeCoincidentSamples(double eps) {
    m_aApPoints.clear();
    if (m_aSamples.empty()) return;
    auto joins = [eps](const CData& group, const CData& s) {
        const double dy = s.m_dY - group.m_dY, dx = s.m_dX - group.m_dX;
        return std::sqrt(dy * dy + dx * dx) <= eps;
    };
    // The groups are counted first, so that the points take exactly the memory they need.
    std::size_t groups = 1;
    for (std::size_t i = 1, start = 0; i < m_aSamples.size(); ++i)
        if (!joins(m_aSamples[start], m_aSamples[i])) ++groups, start = i;
    m_aApPoints.reserve(groups);

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
        if (joins(group, s)) {
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

void PathMerger::Add(const CData& m, std::uint8_t fix, int altitude, int velocity) {
    // Readings of one point share its position exactly, and their distance would be exactly 0.
    const bool sameSpot = m_open && ((m.m_dY == m_first.m_dY && m.m_dX == m_first.m_dX) ||
                                     GeoDistance(m_first.m_dY, m_first.m_dX, m.m_dY, m.m_dX) <= 0.001);
    if (!sameSpot) {
        if (m_open) Close();
        m_open = true;
        m_first = m;
        m_rssi.clear();
        m_noise = m_altitude = m_speed = 0;
        m_fix = fix;
    }
    m_rssi.push_back(m.m_dRssi);
    m_noise += m.m_nNoise;
    m_altitude += altitude;
    m_speed += velocity;
    m_fix = std::min(m_fix, fix);
}

void PathMerger::Finish() {
    if (m_open) Close();
    m_open = false;
}

void PathMerger::Close() {
    const long long k = static_cast<long long>(m_rssi.size());
    CData p;
    p.m_dY = m_first.m_dY;
    p.m_dX = m_first.m_dX;
    p.m_dRssi = Mean(m_rssi.data(), m_rssi.size());
    p.m_nNoise = static_cast<int>(m_noise / k);
    Edit::Path(m_doc).m_aPoints.push_back(p);
    Edit::Path(m_doc).m_aGpsState.push_back(m_fix);
    Edit::Path(m_doc).m_aAltitude.push_back(static_cast<int>(m_altitude / k));
    Edit::Path(m_doc).m_aVelocity.push_back(static_cast<int>(m_speed / k));
}

void CPlotraDoc::MergePathPositions() {
    m_aGpsState.clear();
    if (m_aMeasurements.empty() || m_aRawFix.empty() || m_aRawAltitude.empty() || m_aRawVelocity.empty())
        return;
    // The raw lists run parallel to the measurements; a shorter one ends the walk there.
    const std::size_t count =
        std::min({m_aMeasurements.size(), m_aRawFix.size(), m_aRawAltitude.size(), m_aRawVelocity.size()});
    PathMerger merger(*this);
    for (std::size_t i = 0; i < count; ++i)
        merger.Add(m_aMeasurements[i], m_aRawFix[i], m_aRawAltitude[i], m_aRawVelocity[i]);
    merger.Finish();
}

} // namespace plotra
