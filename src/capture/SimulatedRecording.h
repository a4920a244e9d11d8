#pragma once
/// \brief The recordings a capture of a simulated walk would have made: the adapter's nl80211
/// messages (a channel survey and a scan dump per point) and gpsd's JSON reports, so that a
/// replayed capture can be checked against the simulation's ground truth.

#include "sim/SurveyGenerator.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plotra::capture {

/// \brief A scan recording and a gpsd log of one simulated survey file.
struct SimulatedRecordings {
    std::vector<std::uint8_t> scans; ///< a complete recording, "PLNLREC1" first
    std::string gpsLog;              ///< gpsd JSON lines
    long scanCount = 0;
};

/// One scan per point of file \p fileIndex, a second apart from its survey time, each completed at
/// the time of that point's GPS report; points without a fix get a TPV of mode 1.
SimulatedRecordings RecordSimulatedFile(const sim::GeneratedSurvey& survey, std::size_t fileIndex);

/// Writes NAME.scans and NAME.gps.json beside each survey file NAME.hsd of \p survey in \p outDir,
/// and indoors NAME.clicks.csv, the clicks at the walk's turns on the floor plan.
bool WriteSimulatedRecordings(const sim::GeneratedSurvey& survey, const std::string& outDir,
                              std::string* error);

/// gpsd's time text for ns since 1970 ("2026-12-07T12:00:01.000Z").
std::string IsoUtcText(std::int64_t ns);

} // namespace plotra::capture
