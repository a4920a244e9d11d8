#pragma once
/// \brief The nl80211 messages a capture reads — scan dump entries, channel survey entries and the
/// dumps' ends — turned into plain values. Live messages from the adapter and messages replayed
/// from a recording go through this one parser.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plotra::capture {

/// \brief One BSS of a scan dump, as the kernel reported it.
struct BssEntry {
    std::array<std::uint8_t, 6> bssid{};
    std::string ssid; ///< raw bytes of information element 0 (at most 32), empty if none
    std::uint32_t frequencyMhz = 0;
    bool hasSignal = false;
    std::int32_t signalMbm = 0; ///< 1/100 dBm
    bool hasSeenMsAgo = false;
    std::uint32_t seenMsAgo = 0;
};

/// \brief Noise the adapter measured on one frequency.
struct ChannelNoise {
    std::uint32_t frequencyMhz = 0;
    int noiseDbm = 0;
};

/// \brief A complete scan: its time (the end of its dump) and every BSS of the dump, with the
/// channel survey that was the latest when the scan completed.
struct CompletedScan {
    std::int64_t timeNs = 0;
    std::vector<BssEntry> bss;
    std::vector<ChannelNoise> noise;
};

/// \brief Follows the stream of messages of one nl80211 socket. A dump runs until its NLMSG_DONE;
/// which dump a message belongs to is told by its command, never by the family's message type (the
/// kernel assigns that number at run time).
class Nl80211Parser {
  public:
    enum class Event {
        None,             ///< a message inside a dump, or one the capture does not use
        ScanComplete,     ///< the end of a scan dump: TakeScan() holds it
        SurveyComplete,   ///< the end of a survey dump: the noise table was replaced
        DumpFailed,       ///< an error reply ended a dump; ErrorCode() tells which
        ScanNotification, ///< the kernel announced new scan results (or an aborted scan)
        Malformed         ///< a message whose headers or attributes do not hold together
    };

    /// Takes one netlink message of \p message.size() bytes (its length field already checked
    /// against the frame) received at \p timeNs.
    Event OnMessage(std::span<const std::uint8_t> message, std::int64_t timeNs);

    /// The scan completed by the last ScanComplete event.
    CompletedScan TakeScan() { return std::move(m_completed); }
    /// The negative errno of the last DumpFailed event.
    int ErrorCode() const { return m_error; }
    /// BSS entries skipped because their attributes were damaged.
    long SkippedEntries() const { return m_skipped; }

  private:
    static constexpr std::size_t kNlHeader = 16;
    enum class Dump { None, Scan, Survey };
    Event OnDone(std::int64_t timeNs);
    Event OnError(std::span<const std::uint8_t> message);
    Event OnGeneric(const void* header);
    Dump m_current = Dump::None;
    Dump m_last = Dump::None;
    std::vector<BssEntry> m_bss;
    std::vector<ChannelNoise> m_surveyInProgress;
    std::vector<ChannelNoise> m_noise;
    CompletedScan m_completed;
    std::vector<std::uint32_t> m_aligned; ///< the message copied to netlink's 4-byte alignment
    int m_error = 0;
    long m_skipped = 0;
};

} // namespace plotra::capture
