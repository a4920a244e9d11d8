#pragma once
/// \brief Which sources a capture reads, and opening them: the command-line tool and the desktop
/// program's Survey window choose the same way (a recording and a GPS log replayed, or the adapter
/// and gpsd live).

#include "capture/LiveScanSource.h"
#include "capture/Sources.h"

#include <functional>
#include <memory>
#include <string>

namespace plotra::capture {

/// \brief The sources of a capture.
struct SourceSetup {
    std::string replayScans;   ///< a scan recording: replayed instead of the adapter
    std::string replayGps;     ///< a gpsd JSON log: replayed instead of gpsd
    std::string interfaceName; ///< live: empty for the first Wi-Fi station interface
    std::string gpsd = "localhost:2947";
    std::string recordScans; ///< live: every message read is recorded there too
    double scanIntervalS = 5;
};

/// Makes the trigger that asks the system for scans (NetworkManager over D-Bus where the program
/// has it); may return null.
using SystemTriggerMaker = std::function<std::unique_ptr<ScanTrigger>()>;

/// Opens the scans: a recording is read through to its end first, so that a damaged one is refused
/// before anything is written. Live, the trigger is the system's (\p systemTrigger) or the setcap
/// helper; \p canTrigger tells whether there is one (without, the system's own scans are read).
/// nullptr with the refusal in \p error.
std::unique_ptr<ScanSource> OpenScanSource(const SourceSetup& setup, const SystemTriggerMaker& systemTrigger,
                                           std::string* error, bool* canTrigger = nullptr);

/// Opens the positions: the log, or a connection to gpsd ("Cannot reach gpsd at HOST:PORT. Is gpsd
/// running?"). nullptr with the refusal in \p error.
std::unique_ptr<PositionSource> OpenPositionSource(const SourceSetup& setup, std::string* error);

} // namespace plotra::capture
