#include "capture/FixTrack.h"
#include "capture/Sources.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace plotra::capture {

bool ReachesPast(const GpsReport& r, std::int64_t timeNs) {
    if (!r.hasTime) return false;
    return (r.IsFix() && r.timeNs >= timeNs) || r.timeNs > timeNs + FixTrack::kWindowNs;
}

std::unique_ptr<ReplayScanSource> ReplayScanSource::Open(const std::string& path, std::string* error) {
    auto source = std::unique_ptr<ReplayScanSource>(new ReplayScanSource());
    if (!source->m_reader.Open(path, error)) return nullptr;
    source->m_name = path;
    return source;
}

std::unique_ptr<ReplayScanSource> ReplayScanSource::Attach(std::FILE* stream, std::uint64_t size,
                                                           const std::string& name, std::string* error) {
    auto source = std::unique_ptr<ReplayScanSource>(new ReplayScanSource());
    if (!source->m_reader.Attach(stream, size, name, error)) return nullptr;
    source->m_name = name;
    return source;
}

SourceResult ReplayScanSource::Next(CompletedScan& scan, std::string* error) {
    RecordedFrame frame;
    while (!m_stop) {
        switch (m_reader.Next(frame, error)) {
        case ScanRecordingReader::Result::End:
            return SourceResult::End;
        case ScanRecordingReader::Result::Malformed:
            return SourceResult::Failed;
        case ScanRecordingReader::Result::Frame:
            break;
        }
        ++m_frames;
        // Time stamps beyond the int64 range are damage; they are clamped rather than trusted.
        const std::int64_t t = static_cast<std::int64_t>(std::min<std::uint64_t>(frame.timeNs, INT64_MAX));
        const auto event = m_parser.OnMessage(frame.message, t);
        if (event == Nl80211Parser::Event::Malformed) {
            if (error)
                *error = m_name + ": frame " + std::to_string(frame.number) + " at offset " +
                         std::to_string(frame.offset) +
                         " is malformed: its nl80211 headers or attributes do not hold together.";
            return SourceResult::Failed;
        }
        if (event == Nl80211Parser::Event::ScanComplete) {
            scan = m_parser.TakeScan();
            return SourceResult::Ok;
        }
    }
    return SourceResult::Stopped;
}

std::unique_ptr<GpsLogSource> GpsLogSource::Open(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error) *error = "Cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    auto source = std::unique_ptr<GpsLogSource>(new GpsLogSource());
    source->m_file = f;
    return source;
}

GpsLogSource::~GpsLogSource() {
    if (m_file) std::fclose(m_file);
}

bool GpsLogSource::ReadLine() {
    // Lines of a log are short; a line longer than this is not gpsd's and is read past in pieces.
    constexpr std::size_t kMaxLine = 1 << 16;
    m_line.clear();
    int c;
    while ((c = std::fgetc(m_file)) != EOF && c != '\n')
        if (m_line.size() < kMaxLine) m_line.push_back(static_cast<char>(c));
    return c != EOF || !m_line.empty();
}

SourceResult GpsLogSource::FeedUntil(std::int64_t timeNs, int, const Sink& sink, std::string*) {
    if (m_pending) {
        if (m_pending->timeNs > timeNs + FixTrack::kWindowNs) return SourceResult::Ok; // a later scan's
        sink(*m_pending);
        const bool reached = ReachesPast(*m_pending, timeNs);
        m_pending.reset();
        if (reached) return SourceResult::Ok;
    }
    while (!m_end) {
        if (!ReadLine()) {
            m_end = true;
            break;
        }
        auto report = ParseGpsLine(m_line);
        if (!report) continue; // not JSON: a note in the log, skipped
        // A report far beyond this scan waits for the scan it belongs to.
        if (report->hasTime && report->timeNs > timeNs + FixTrack::kWindowNs) {
            m_pending = report;
            return SourceResult::Ok;
        }
        sink(*report);
        if (ReachesPast(*report, timeNs)) return SourceResult::Ok;
    }
    return SourceResult::End;
}

} // namespace plotra::capture
