#include "capture/ClickPlacer.h"

#include "capture/CaptureSession.h"

#include <algorithm>
#include <iterator>

namespace plotra::capture {

std::optional<ClickMode> ParseClickMode(std::string_view text) {
    if (text == "stop-and-go") return ClickMode::StopAndGo;
    if (text == "continuous") return ClickMode::Continuous;
    return std::nullopt;
}

void ClickPlacer::Place(Waiting& scan, double lat, double lon, bool final) {
    CPointRecord& rec = scan.point.m_rec;
    rec.m_nLatMas = ToMas(lat);
    rec.m_nLonMas = ToMas(lon);
    rec.m_byFix = 0; // placed by hand, not by a receiver
    rec.m_nAltitudeCm = 0;
    rec.m_wSpeedCms = 0;
    (final ? m_final : m_held).push_back(std::move(scan.point));
}

void ClickPlacer::PlaceOnSegment(Waiting& scan, const Click& from, const Click& to, bool final) {
    const double span = static_cast<double>(to.timeNs - from.timeNs);
    const double f =
        span > 0 ? std::clamp(static_cast<double>(scan.timeNs - from.timeNs) / span, 0.0, 1.0) : 1.0;
    Place(scan, from.lat + (to.lat - from.lat) * f, from.lon + (to.lon - from.lon) * f, final);
}

void ClickPlacer::AddClick(Click click) {
    if (!m_clicks.empty()) click.timeNs = std::max(click.timeNs, m_clicks.back().timeNs);
    std::move(m_held.begin(), m_held.end(), std::back_inserter(m_final));
    m_held.clear();
    if (m_mode == ClickMode::Continuous && !m_clicks.empty()) {
        // The scans since the last turn lie on the way to this one.
        for (Waiting& scan : m_pending)
            PlaceOnSegment(scan, m_clicks.back(), click, false);
    } else {
        m_dropped += static_cast<long>(m_pending.size());
    }
    m_pending.clear();
    m_clicks.push_back(click);
    m_claimed.push_back(false);
}

bool ClickPlacer::UndoClick() {
    if (m_clicks.empty()) return false;
    m_dropped += static_cast<long>(m_held.size());
    m_held.clear();
    m_clicks.pop_back();
    m_claimed.pop_back();
    if (m_clicks.empty()) {
        m_dropped += static_cast<long>(m_pending.size());
        m_pending.clear();
    }
    return true;
}

void ClickPlacer::AddScan(std::int64_t timeNs, CDataPoint point) {
    Waiting scan{timeNs, std::move(point)};
    if (m_clicks.empty() || timeNs < m_clicks.front().timeNs) {
        ++m_dropped;
        return;
    }
    const Click& last = m_clicks.back();
    if (m_mode == ClickMode::StopAndGo) {
        // The first scan to complete after the click is the one taken where the surveyor stands.
        if (timeNs >= last.timeNs && !m_claimed.back()) {
            m_claimed.back() = true;
            Place(scan, last.lat, last.lon, false);
        } else {
            ++m_dropped;
        }
        return;
    }
    if (timeNs >= last.timeNs) {
        m_pending.push_back(std::move(scan));
        return;
    }
    // Completed before the last click but reported after it: on the segment its time falls in.
    const auto after = std::upper_bound(m_clicks.begin(), m_clicks.end(), timeNs,
                                        [](std::int64_t t, const Click& c) { return t < c.timeNs; });
    const bool lastSegment = after + 1 == m_clicks.end();
    PlaceOnSegment(scan, *(after - 1), *after, !lastSegment);
}

void ClickPlacer::Finish() {
    std::move(m_held.begin(), m_held.end(), std::back_inserter(m_final));
    m_held.clear();
    m_dropped += static_cast<long>(m_pending.size());
    m_pending.clear();
}

std::vector<CDataPoint> ClickPlacer::TakeFinal() {
    return std::exchange(m_final, {});
}

} // namespace plotra::capture
