#include "support/Accuracy.h"

#include "analysis/Numeric.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace plotra::test {

AccuracyFigures PositionAccuracy(const CPlotraDoc& doc, const sim::GeneratedSurvey& truth) {
    std::map<std::array<std::uint8_t, 6>, const sim::TruthAp*> byMac;
    for (const auto& ap : truth.aps)
        byMac[ap.mac] = &ap;
    AccuracyFigures f;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        if (ap.m_nApGridCols <= 0) continue;
        const auto it = byMac.find(ap.m_abyMAC);
        if (it == byMac.end()) continue;
        double lat = ap.m_posAP.m_dY, lon = ap.m_posAP.m_dX;
        if (doc.Map().m_bMetricXY) {
            const auto geo = doc.MapToGeo(ap.m_posAP.m_dX, ap.m_posAP.m_dY);
            if (!geo) continue;
            lat = geo->m_dY;
            lon = geo->m_dX;
        }
        f.errors.push_back(GeoDistance(it->second->lat, it->second->lon, lat, lon));
    }
    std::sort(f.errors.begin(), f.errors.end());
    const std::size_t n = f.errors.size();
    if (n == 0) return f;
    f.median = n % 2 ? f.errors[n / 2] : 0.5 * (f.errors[n / 2 - 1] + f.errors[n / 2]);
    f.p90 = f.errors[static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(n))) - 1];
    double sum = 0.0;
    for (double e : f.errors)
        sum += e;
    f.mean = sum / static_cast<double>(n);
    return f;
}

} // namespace plotra::test
