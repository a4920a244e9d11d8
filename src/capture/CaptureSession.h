#pragma once
/// \brief A capture: scans from a scan source placed by the fixes of a position source, written
/// point by point into a survey data file. No windows: the command-line tool runs it on its own
/// thread, the desktop program on a worker thread while the window polls for the points appended.

#include "capture/ClickPlacer.h"
#include "capture/FixTrack.h"
#include "capture/ScanReadings.h"
#include "capture/Sources.h"
#include "capture/SurveyAppender.h"
#include "model/Records.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plotra::capture {

/// \brief How a capture runs.
struct CaptureOptions {
    ReadingRules rules;
    /// Replay the scans at the pace they were recorded instead of as fast as possible.
    bool realtime = false;
    /// Stop after this many seconds of scans (scan time, from the first scan); 0 for no limit.
    double durationS = 0;
    /// Scans placed by clicks on a floor plan instead of by GPS fixes (no position source then).
    std::optional<ClickMode> clickMode;
    /// Clicks known beforehand (a replay), in time order: each is made once the scans before its
    /// time have been taken.
    std::vector<Click> plannedClicks;
};

/// \brief What the capture shows while it runs.
struct CaptureStatus {
    int fixMode = 0;     ///< gpsd's mode of the latest TPV: 0/1 none, 2 2D, 3 3D
    int satellites = -1; ///< in use, from the latest SKY; -1 unknown
    double scansPerMinute = 0;
    long scans = 0;
    long pointsWritten = 0;
    long readingsWritten = 0;
    long noFix = 0;           ///< scans not written: no fix within 2 s of them
    long apsHeard = 0;        ///< distinct BSSIDs in the readings of all scans
    long refusedTriggers = 0; ///< scan requests the system refused (live)
    bool hasSurveyTime = false;
    std::int64_t surveyTime = 0; ///< the first scan's time, seconds since 1970
};

class CaptureSession {
  public:
    enum class Step { Continue, Finished, Failed };

    CaptureSession(std::unique_ptr<ScanSource> scans, std::unique_ptr<PositionSource> positions,
                   CaptureOptions options);

    /// Creates the survey file; false with the reason in \p error (nothing else was done).
    bool Start(const std::string& path, std::string* error);
    /// Waits for one scan and writes it: Finished at the end of a recording, the duration or a stop
    /// request; Failed with Error() when a source or the file failed (what was written is kept).
    Step RunStep();
    /// Closes the file (never truncating it). Safe to call more than once.
    bool Stop(std::string* error);
    /// Asks a running RunStep() to finish soon; any thread may call it.
    void RequestStop();

    /// The status as of the last step (any thread).
    CaptureStatus Status() const;
    /// The points written since the last call, in file order (any thread).
    std::vector<CDataPoint> TakeAppended();

    /// A click on the floor plan at \p lat, \p lon made now (any thread; click placement only).
    /// Now is the scans' clock: the wall clock live, the recording's time in a paced replay.
    void AddClick(double lat, double lon);
    /// Takes back the last click and the scans it placed (any thread). False when there is none.
    bool UndoClick();
    /// The clicks so far (any thread).
    std::vector<Click> Clicks() const;
    const std::string& Error() const { return m_error; }

  private:
    void OnReport(const GpsReport& r);
    Step WriteScan(const CompletedScan& scan);
    void PaceTo(std::int64_t scanTimeNs);
    void CountScan(const CompletedScan& scan, const std::vector<CHssData>& readings);
    /// The record of a scan, without its position.
    CDataPoint PointOfScan(const CompletedScan& scan, std::vector<CHssData> readings) const;
    /// Appends a placed point to the file; false (with the error set) when the file failed.
    bool AppendPoint(CDataPoint point);
    /// Click placement: the planned clicks up to \p timeNs, the scan, and what became final.
    Step PlaceByClicks(const CompletedScan& scan, CDataPoint point);
    Step WriteFinalClicked();
    std::int64_t ScanClockNow() const;

    std::unique_ptr<ScanSource> m_scans;
    std::unique_ptr<PositionSource> m_positions;
    CaptureOptions m_options;
    SurveyAppender m_file;
    FixTrack m_track;
    bool m_positionsEnded = false;
    bool m_started = false;
    std::atomic<bool> m_stop{false};
    std::int64_t m_firstScanNs = 0;
    std::int64_t m_wallStartNs = 0;
    std::deque<std::int64_t> m_recentScans; ///< times of the last scans, for the rate
    std::set<std::array<std::uint8_t, 6>> m_heard;
    std::string m_error;

    std::size_t m_nextPlanned = 0;
    mutable std::mutex m_clickMutex; // guards the placer: clicks come from the window's thread
    std::unique_ptr<ClickPlacer> m_clicks;

    mutable std::mutex m_mutex; // guards the two below
    CaptureStatus m_status;
    std::vector<CDataPoint> m_appended;
};

/// Latitude or longitude in degrees to the file's milliarcseconds.
std::int32_t ToMas(double degrees);

} // namespace plotra::capture
