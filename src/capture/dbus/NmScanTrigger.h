#pragma once
/// \brief Scans requested from NetworkManager over the system D-Bus (RequestScan on the wireless
/// device), which a local desktop user may do without any privilege of its own.

#include "capture/LiveScanSource.h"

#include <memory>

namespace plotra::capture {

/// A trigger through NetworkManager, or nullptr when NetworkManager is not on the system bus.
std::unique_ptr<ScanTrigger> MakeNetworkManagerTrigger();

} // namespace plotra::capture
