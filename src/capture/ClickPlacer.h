#pragma once
/// \brief Scans placed by the surveyor's clicks on a floor plan, where there is no GPS. Two ways:
///  - stop and go: the surveyor stands, clicks where they stand, and the next scan to complete is
///    placed there (one scan a click; the scans in between have no place and are not written);
///  - continuous: the surveyor clicks at every turn of the walk, and the scans completed between two
///    clicks are placed along the straight line between them by their times, as a walk at an even
///    pace would put them.
/// A scan before the first click is not written. The scans a click placed stay held until the next
/// click (or the end), so that Undo can take back the last click together with its scans; the
/// scans of earlier clicks are final (on disk).

#include "model/Records.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace plotra::capture {

enum class ClickMode { StopAndGo, Continuous };

/// "stop-and-go" or "continuous".
std::optional<ClickMode> ParseClickMode(std::string_view text);

/// \brief One click: when, and where on the plan (degrees through the plan's geo-coding).
struct Click {
    std::int64_t timeNs = 0;
    double lat = 0, lon = 0;
};

class ClickPlacer {
  public:
    explicit ClickPlacer(ClickMode mode) : m_mode(mode) {}

    /// A click. Clicks come in time order; one earlier than the last is taken at the last one's
    /// time. The scans the previous click placed become final.
    void AddClick(Click click);
    /// Takes back the last click and the scans it placed (they are not written). False when there
    /// is no click.
    bool UndoClick();
    /// A completed scan at \p timeNs, its record without a position.
    void AddScan(std::int64_t timeNs, CDataPoint point);
    /// The end of the survey: the held scans become final; scans after the last click of a
    /// continuous walk have no place and are dropped.
    void Finish();

    /// The scans that are final since the last call, in time order, placed (fix "No").
    std::vector<CDataPoint> TakeFinal();
    const std::vector<Click>& Clicks() const { return m_clicks; }
    /// Scans that had no place (before the first click, between stop-and-go clicks, undone).
    long Dropped() const { return m_dropped; }

  private:
    struct Waiting {
        std::int64_t timeNs;
        CDataPoint point;
    };
    void Place(Waiting& scan, double lat, double lon, bool final);
    void PlaceOnSegment(Waiting& scan, const Click& from, const Click& to, bool final);

    ClickMode m_mode;
    std::vector<Click> m_clicks;
    std::vector<bool> m_claimed;    ///< stop and go: the click has placed its scan
    std::vector<CDataPoint> m_held; ///< placed by the last click
    std::vector<Waiting> m_pending; ///< continuous: completed after the last click
    std::vector<CDataPoint> m_final;
    long m_dropped = 0;
};

} // namespace plotra::capture
