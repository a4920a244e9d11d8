#include "capture/CaptureSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace plotra::capture {

namespace {

constexpr std::int64_t kNsPerS = 1'000'000'000;
/// Live scans wait this long for the fix after them.
constexpr int kFixWaitMs = 2000;
/// The scan rate is taken over this many recent scans.
constexpr std::size_t kRateScans = 10;

std::int64_t WallNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t FloorSeconds(std::int64_t ns) {
    return ns >= 0 ? ns / kNsPerS : -((-ns + kNsPerS - 1) / kNsPerS);
}

} // namespace

std::int32_t ToMas(double degrees) {
    return static_cast<std::int32_t>(
        std::clamp<long long>(std::llround(degrees * 3600000.0), INT32_MIN, INT32_MAX));
}

CaptureSession::CaptureSession(std::unique_ptr<ScanSource> scans, std::unique_ptr<PositionSource> positions,
                               CaptureOptions options)
    : m_scans(std::move(scans)), m_positions(std::move(positions)), m_options(std::move(options)) {
    if (m_options.clickMode) m_clicks = std::make_unique<ClickPlacer>(*m_options.clickMode);
}

std::int64_t CaptureSession::ScanClockNow() const {
    if (m_scans && !m_scans->IsLive() && m_options.realtime && m_firstScanNs != 0)
        return m_firstScanNs + (WallNs() - m_wallStartNs);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void CaptureSession::AddClick(double lat, double lon) {
    std::lock_guard lock(m_clickMutex);
    if (m_clicks) m_clicks->AddClick({ScanClockNow(), lat, lon});
}

bool CaptureSession::UndoClick() {
    std::lock_guard lock(m_clickMutex);
    return m_clicks && m_clicks->UndoClick();
}

std::vector<Click> CaptureSession::Clicks() const {
    std::lock_guard lock(m_clickMutex);
    return m_clicks ? m_clicks->Clicks() : std::vector<Click>{};
}

bool CaptureSession::Start(const std::string& path, std::string* error) {
    // The header's time is the start until the first scan tells its own.
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    // A live capture waits for the disk after each point; a replay flat out syncs once at the end.
    const bool sync = m_scans->IsLive() || m_options.realtime;
    if (!m_file.Create(path, now, sync, error)) return false;
    m_started = true;
    m_wallStartNs = WallNs();
    return true;
}

void CaptureSession::RequestStop() {
    m_stop = true;
    if (m_scans) m_scans->RequestStop();
}

CaptureStatus CaptureSession::Status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

std::vector<CDataPoint> CaptureSession::TakeAppended() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_appended, {});
}

void CaptureSession::OnReport(const GpsReport& r) {
    m_track.Add(r);
    std::lock_guard lock(m_mutex);
    if (r.kind == GpsReport::Kind::Tpv) m_status.fixMode = r.mode;
    if (r.kind == GpsReport::Kind::Sky && r.satellitesUsed >= 0) m_status.satellites = r.satellitesUsed;
}

void CaptureSession::PaceTo(std::int64_t scanTimeNs) {
    const std::int64_t due = m_wallStartNs + (scanTimeNs - m_firstScanNs);
    while (!m_stop) {
        const std::int64_t left = due - WallNs();
        if (left <= 0) return;
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::min<std::int64_t>(left, 100'000'000)));
    }
}

CaptureSession::Step CaptureSession::RunStep() {
    if (!m_started) {
        m_error = "The capture was not started.";
        return Step::Failed;
    }
    if (m_stop) return Step::Finished;
    if (m_clicks && WriteFinalClicked() == Step::Failed) return Step::Failed;
    CompletedScan scan;
    std::string error;
    switch (m_scans->Next(scan, &error)) {
    case SourceResult::Ok:
        break;
    case SourceResult::Failed:
        m_error = error;
        return Step::Failed;
    default:
        return Step::Finished;
    }
    const bool first = m_recentScans.empty() && m_status.scans == 0;
    if (first) {
        m_firstScanNs = scan.timeNs;
        if (!m_file.SetSurveyTime(FloorSeconds(scan.timeNs), &m_error)) return Step::Failed;
        std::lock_guard lock(m_mutex);
        m_status.hasSurveyTime = true;
        m_status.surveyTime = FloorSeconds(scan.timeNs);
    }
    if (m_options.durationS > 0 &&
        static_cast<double>(scan.timeNs - m_firstScanNs) > m_options.durationS * static_cast<double>(kNsPerS))
        return Step::Finished;
    if (m_options.realtime && !m_scans->IsLive()) PaceTo(scan.timeNs);
    if (m_positions && !m_positionsEnded && !m_clicks) {
        const int wait = m_track.HasFixAtOrAfter(scan.timeNs) ? 0 : kFixWaitMs;
        const auto fed = m_positions->FeedUntil(
            scan.timeNs, wait, [this](const GpsReport& r) { OnReport(r); }, &error);
        if (fed == SourceResult::Failed) {
            m_error = error;
            return Step::Failed;
        }
        m_positionsEnded = fed == SourceResult::End;
    }
    return WriteScan(scan);
}

void CaptureSession::CountScan(const CompletedScan& scan, const std::vector<CHssData>& readings) {
    for (const auto& r : readings)
        m_heard.insert(r.m_abyMAC);
    m_recentScans.push_back(scan.timeNs);
    if (m_recentScans.size() > kRateScans) m_recentScans.pop_front();
    double rate = 0;
    if (m_recentScans.size() >= 2 && m_recentScans.back() > m_recentScans.front())
        rate = static_cast<double>(m_recentScans.size() - 1) * 60.0 * static_cast<double>(kNsPerS) /
               static_cast<double>(m_recentScans.back() - m_recentScans.front());
    std::lock_guard lock(m_mutex);
    ++m_status.scans;
    m_status.scansPerMinute = rate;
    m_status.apsHeard = static_cast<long>(m_heard.size());
    m_status.refusedTriggers = m_scans->RefusedTriggers();
}

CDataPoint CaptureSession::PointOfScan(const CompletedScan& scan, std::vector<CHssData> readings) const {
    CDataPoint point;
    CPointRecord& rec = point.m_rec;
    rec.m_anNoise = NoiseOfScan(scan, m_options.rules);
    rec.m_byKind = 0;
    if (readings.size() > 65535) readings.resize(65535); // the record's count is 16 bits
    rec.m_wReadingCount = static_cast<std::uint16_t>(readings.size());
    point.m_aReadings = std::move(readings);
    return point;
}

bool CaptureSession::AppendPoint(CDataPoint point) {
    std::string error;
    if (!m_file.Append(point, &error)) {
        const long n = m_file.Points();
        m_error = error + " The capture stopped; " +
                  (n == 1 ? std::string("the point written before is kept.")
                          : "the " + std::to_string(n) + " points written before are kept.");
        return false;
    }
    std::lock_guard lock(m_mutex);
    ++m_status.pointsWritten;
    m_status.readingsWritten += static_cast<long>(point.m_aReadings.size());
    m_appended.push_back(std::move(point));
    return true;
}

CaptureSession::Step CaptureSession::WriteFinalClicked() {
    std::vector<CDataPoint> final;
    long dropped = 0;
    {
        std::lock_guard lock(m_clickMutex);
        final = m_clicks->TakeFinal();
        dropped = m_clicks->Dropped();
    }
    {
        std::lock_guard lock(m_mutex);
        m_status.noFix = dropped; // no click to place them
    }
    for (CDataPoint& p : final)
        if (!AppendPoint(std::move(p))) return Step::Failed;
    return Step::Continue;
}

CaptureSession::Step CaptureSession::PlaceByClicks(const CompletedScan& scan, CDataPoint point) {
    {
        std::lock_guard lock(m_clickMutex);
        const auto& planned = m_options.plannedClicks;
        while (m_nextPlanned < planned.size() && planned[m_nextPlanned].timeNs <= scan.timeNs)
            m_clicks->AddClick(planned[m_nextPlanned++]);
        m_clicks->AddScan(scan.timeNs, std::move(point));
    }
    return WriteFinalClicked();
}

CaptureSession::Step CaptureSession::WriteScan(const CompletedScan& scan) {
    std::vector<CHssData> readings = ReadingsOfScan(scan, m_options.rules);
    CountScan(scan, readings);
    if (m_clicks) return PlaceByClicks(scan, PointOfScan(scan, std::move(readings)));
    const auto at = m_track.Place(scan.timeNs);
    m_track.Forget(scan.timeNs);
    if (!at) {
        std::lock_guard lock(m_mutex);
        ++m_status.noFix;
        return Step::Continue;
    }
    CDataPoint point = PointOfScan(scan, std::move(readings));
    CPointRecord& rec = point.m_rec;
    rec.m_nLatMas = ToMas(at->lat);
    rec.m_nLonMas = ToMas(at->lon);
    rec.m_nAltitudeCm = static_cast<std::int32_t>(
        std::clamp<long long>(std::llround(at->altitudeM * 100.0), INT32_MIN, INT32_MAX));
    rec.m_wSpeedCms =
        static_cast<std::uint16_t>(std::clamp<long long>(std::llround(at->speedMps * 100.0), 0, 65535));
    rec.m_byFix = at->fix;
    return AppendPoint(std::move(point)) ? Step::Continue : Step::Failed;
}

bool CaptureSession::Stop(std::string* error) {
    if (!m_started) return true;
    m_started = false;
    bool written = true;
    if (m_clicks) {
        // The clicks still to come of a replay, then the last click's scans are final.
        {
            std::lock_guard lock(m_clickMutex);
            const auto& planned = m_options.plannedClicks;
            while (m_nextPlanned < planned.size())
                m_clicks->AddClick(planned[m_nextPlanned++]);
            m_clicks->Finish();
        }
        written = WriteFinalClicked() != Step::Failed;
        if (!written && error) *error = m_error;
    }
    std::string closing;
    const bool closed = m_file.Close(&closing);
    if (!closed && error && written) *error = closing;
    return written && closed;
}

} // namespace plotra::capture
