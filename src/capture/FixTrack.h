#pragma once
/// \brief The recent GPS fixes of a capture and the placing of a scan among them.

#include "capture/GpsReport.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace plotra::capture {

/// \brief Where a scan took place.
struct Placement {
    double lat = 0, lon = 0;
    double altitudeM = 0;
    double speedMps = 0;
    std::uint8_t fix = 0; ///< the file's fix byte: 1 2D, 2 3D
};

/// \brief Fixes in time order. A scan is placed at the position interpolated in time between the
/// fixes just before and just after it when both lie within the window (2 s), else at the nearer
/// single fix within the window, else not at all.
class FixTrack {
  public:
    static constexpr std::int64_t kWindowNs = 2'000'000'000;

    /// Takes a TPV report; anything but a fix with a time is ignored. A fix older than the newest
    /// one is dropped (gpsd sends them in order; a log pasted together may not).
    void Add(const GpsReport& report);
    std::optional<Placement> Place(std::int64_t timeNs) const;
    /// Forgets fixes that can no longer place a scan at or after \p timeNs.
    void Forget(std::int64_t timeNs);
    /// True when a fix at or after \p timeNs is known (a later scan will not be placed better).
    bool HasFixAtOrAfter(std::int64_t timeNs) const {
        return !m_fixes.empty() && m_fixes.back().timeNs >= timeNs;
    }
    std::size_t Size() const { return m_fixes.size(); }

  private:
    struct Fix {
        std::int64_t timeNs;
        Placement at;
    };
    std::deque<Fix> m_fixes;
};

} // namespace plotra::capture
