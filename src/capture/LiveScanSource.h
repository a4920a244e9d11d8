#pragma once
/// \brief Scans from a Wi-Fi adapter through nl80211. Reading the kernel's scan results and channel
/// survey needs no privilege; starting a scan does, so it is asked of a ScanTrigger (NetworkManager
/// over D-Bus, or the small setcap helper). The capture never runs as root.

#include "capture/Sources.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct nl_msg;

namespace plotra::capture {

/// \brief Where the live source's every message from the kernel goes: into the recording (when one
/// is kept) and through the parser that replays use too. Separate from the socket so that the tests
/// drive it with the messages libnl would hand it.
class LiveMessageSink {
  public:
    /// libnl's callback for every message received (NL_CB_MSG_IN); \p sink is a LiveMessageSink.
    static int OnMessageIn(nl_msg* msg, void* sink);
    /// Takes one message received at \p timeNs.
    void Take(std::span<const std::uint8_t> message, std::int64_t timeNs);

    ScanRecordingWriter recorder;
    Nl80211Parser parser;
    std::optional<CompletedScan> ready; ///< the scan the last scan dump completed
    bool ignore = false;                ///< messages that are neither recorded nor parsed (set-up)
};

/// \brief Asks the system for a scan on an interface.
class ScanTrigger {
  public:
    virtual ~ScanTrigger() = default;
    /// False, with why, when the request was refused (rate limits are normal: the capture goes on).
    virtual bool Request(const std::string& interfaceName, std::string* why) = 0;
};

/// \brief Triggers scans through the plotra-scan-trigger helper (installed with cap_net_admin).
class HelperScanTrigger : public ScanTrigger {
  public:
    /// \p helperPath: the helper program; see FindScanTriggerHelper().
    explicit HelperScanTrigger(std::string helperPath) : m_helper(std::move(helperPath)) {}
    bool Request(const std::string& interfaceName, std::string* why) override;

  private:
    std::string m_helper;
};

/// The helper beside the running program or on the PATH; empty when there is none.
std::string FindScanTriggerHelper();

/// \brief What a live scan source needs.
struct LiveScanOptions {
    std::string interfaceName;            ///< empty: the first Wi-Fi station interface
    double scanIntervalS = 5;             ///< a scan cycle starts at most this often
    std::string recordPath;               ///< when set, every message read is recorded there
    std::unique_ptr<ScanTrigger> trigger; ///< may be null: results of the system's own scans only
};

/// Opens the adapter. nullptr with "No Wi-Fi adapter found (nl80211 is not available on this
/// system)." when the kernel has no nl80211, or a refusal naming an unknown interface.
std::unique_ptr<ScanSource> OpenLiveScanSource(LiveScanOptions options, std::string* error);

/// The name of the interface a live source uses (for the status line); empty for other sources.
std::string LiveInterfaceName(const ScanSource& source);

} // namespace plotra::capture
