#include "capture/FixTrack.h"

#include <algorithm>
#include <iterator>

namespace plotra::capture {

void FixTrack::Add(const GpsReport& r) {
    if (!r.IsFix()) return;
    if (!m_fixes.empty() && r.timeNs <= m_fixes.back().timeNs) return;
    Placement p;
    p.lat = r.lat;
    p.lon = r.lon;
    p.altitudeM = r.hasAltitude ? r.altitudeM : 0.0;
    p.speedMps = r.hasSpeed ? r.speedMps : 0.0;
    p.fix = r.mode >= 3 ? 2 : 1;
    m_fixes.push_back({r.timeNs, p});
}

std::optional<Placement> FixTrack::Place(std::int64_t t) const {
    // The first fix at or after t, and the one before it.
    const auto after = std::lower_bound(m_fixes.begin(), m_fixes.end(), t,
                                        [](const Fix& f, std::int64_t time) { return f.timeNs < time; });
    const Fix* next = after != m_fixes.end() && after->timeNs - t <= kWindowNs ? &*after : nullptr;
    const Fix* prev =
        after != m_fixes.begin() && t - std::prev(after)->timeNs <= kWindowNs ? &*std::prev(after) : nullptr;
    if (next && next->timeNs == t) return next->at;
    if (prev && next) {
        const double w =
            static_cast<double>(t - prev->timeNs) / static_cast<double>(next->timeNs - prev->timeNs);
        Placement p;
        p.lat = prev->at.lat + w * (next->at.lat - prev->at.lat);
        p.lon = prev->at.lon + w * (next->at.lon - prev->at.lon);
        p.altitudeM = prev->at.altitudeM + w * (next->at.altitudeM - prev->at.altitudeM);
        p.speedMps = prev->at.speedMps + w * (next->at.speedMps - prev->at.speedMps);
        p.fix = std::min(prev->at.fix, next->at.fix); // as good as the weaker of the two
        return p;
    }
    if (next) return next->at;
    if (prev) return prev->at;
    return std::nullopt;
}

void FixTrack::Forget(std::int64_t t) {
    // Keep the last fix before the window: it may still be the "before" of a scan at t.
    while (m_fixes.size() > 1 && m_fixes[1].timeNs < t - kWindowNs)
        m_fixes.pop_front();
}

} // namespace plotra::capture
