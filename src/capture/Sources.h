#pragma once
/// \brief Where a capture's scans and positions come from: one interface per kind of source, with
/// a live and a replayed implementation of each.

#include "capture/GpsReport.h"
#include "capture/Nl80211Parser.h"
#include "capture/ScanRecording.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plotra::capture {

enum class SourceResult {
    Ok,     ///< a scan is complete, or the position source fed what it had
    End,    ///< the recording ended (never for a live source)
    Failed, ///< the source cannot go on; the error says why
    Stopped ///< a stop was asked for
};

/// \brief Scans, complete and in time order.
class ScanSource {
  public:
    virtual ~ScanSource() = default;
    /// Waits for the next complete scan (live: one scan cycle, 2–20 s).
    virtual SourceResult Next(CompletedScan& scan, std::string* error) = 0;
    /// Makes a waiting Next() return Stopped soon; any thread may call it.
    void RequestStop() { m_stop = true; }
    /// True for a live adapter: its scans wait for the next fix before they are placed.
    virtual bool IsLive() const = 0;
    /// Scan requests the system refused or that were not possible (live only).
    virtual long RefusedTriggers() const { return 0; }

  protected:
    std::atomic<bool> m_stop{false};
};

/// \brief gpsd reports in time order.
class PositionSource {
  public:
    using Sink = std::function<void(const GpsReport&)>;
    virtual ~PositionSource() = default;
    /// Hands \p sink every report up to and including the first fix at or after \p timeNs (or the
    /// first report more than 2 s after it); a live source waits for it at most \p waitMs. End
    /// once a log is exhausted; Failed when the connection is lost.
    virtual SourceResult FeedUntil(std::int64_t timeNs, int waitMs, const Sink& sink, std::string* error) = 0;
};

/// \brief Scans replayed from a recording, frame by frame through the live parser.
class ReplayScanSource : public ScanSource {
  public:
    /// Opens the recording; nullptr with the refusal (not a recording, unreadable) in \p error.
    static std::unique_ptr<ReplayScanSource> Open(const std::string& path, std::string* error);
    /// Reads a recording from a stream of \p size bytes (not owned), for tests and the fuzzer.
    static std::unique_ptr<ReplayScanSource> Attach(std::FILE* stream, std::uint64_t size,
                                                    const std::string& name, std::string* error);
    SourceResult Next(CompletedScan& scan, std::string* error) override;
    bool IsLive() const override { return false; }
    long Frames() const { return m_frames; }

  private:
    ScanRecordingReader m_reader;
    Nl80211Parser m_parser;
    std::string m_name;
    long m_frames = 0;
};

/// \brief Reports replayed from a gpsd JSON log (one report per line, as gpsd sends them).
class GpsLogSource : public PositionSource {
  public:
    static std::unique_ptr<GpsLogSource> Open(const std::string& path, std::string* error);
    ~GpsLogSource() override;
    SourceResult FeedUntil(std::int64_t timeNs, int waitMs, const Sink& sink, std::string* error) override;

  private:
    bool ReadLine();
    std::FILE* m_file = nullptr;
    std::string m_line;
    std::optional<GpsReport> m_pending; ///< read ahead, not yet handed on
    bool m_end = false;
};

/// \brief A live gpsd over TCP, speaking its JSON protocol (?WATCH={"enable":true,"json":true}).
class GpsdClient : public PositionSource {
  public:
    /// Connects to \p host:\p port (a few seconds at most); nullptr with "Cannot reach gpsd at
    /// HOST:PORT. Is gpsd running?" when nothing answers there.
    static std::unique_ptr<GpsdClient> Connect(const std::string& host, int port, std::string* error);
    ~GpsdClient() override;
    SourceResult FeedUntil(std::int64_t timeNs, int waitMs, const Sink& sink, std::string* error) override;

  private:
    /// Reads what arrives within \p waitMs and hands on complete lines; false when gpsd hung up.
    bool Pump(int waitMs, const Sink& sink, std::int64_t timeNs, bool& reached);
    int m_fd = -1;
    std::string m_buffer;
    std::string m_where;
};

/// True once \p r shows that no later report of gpsd can place a scan at \p timeNs better: a fix
/// at or after it, or any report more than 2 s after it.
bool ReachesPast(const GpsReport& r, std::int64_t timeNs);

/// Splits "HOST:PORT" (or "HOST", port 2947); false when the port is not a number in range.
bool ParseHostPort(const std::string& text, std::string& host, int& port);

} // namespace plotra::capture
