#pragma once
/// \brief From a completed scan to what a survey file stores: the readings of one point and its
/// noise table.

#include "capture/Nl80211Parser.h"
#include "model/Records.h"

#include <array>
#include <cstdint>
#include <vector>

namespace plotra::capture {

/// \brief How scans become readings.
struct ReadingRules {
    /// Entries the kernel last saw longer ago than this are left from earlier scans: not readings
    /// of this point.
    std::uint32_t maxAgeMs = 5000;
    /// Noise written for a channel the adapter reports none for, in dBm.
    int noiseFloorDbm = -95;
};

/// The channel number of a frequency: 2412–2472 MHz → 1–13, 2484 → 14, 5 GHz → (f − 5000)/5,
/// 6 GHz → (f − 5950)/5 (so 6 GHz numbers repeat 2.4 and 5 GHz ones); 0 for any other frequency.
int ChannelOfFrequency(std::uint32_t mhz);

/// The readings of a scan in the kernel's order: entries without a signal figure or older than the
/// rules allow are left out; SSIDs are the element-0 bytes; signals are rounded to 1/256 dBm.
std::vector<CHssData> ReadingsOfScan(const CompletedScan& scan, const ReadingRules& rules);

/// The survey file's noise table (index = channel 1–13; index 0 carries the floor): the scan's
/// latest channel survey where it has a figure, the floor elsewhere.
std::array<std::int16_t, 14> NoiseOfScan(const CompletedScan& scan, const ReadingRules& rules);

/// Signal in 1/100 dBm to the file's 1/256 dBm, rounded to nearest and kept in range.
std::int16_t Rssi256OfMbm(std::int32_t mbm);

} // namespace plotra::capture
