#pragma once
/// \brief Import of WiGLE CSV wardriving logs (WiGLE Android app, ESP32 wardrivers) into the survey
/// model: rows of one scan become one measurement point, each Wi-Fi row one AP reading.
///
/// The log is a "WigleWifi-1.x,..." line (optional), a column header and one row per sighting. Columns
/// are found by name, so versions 1.4 to 1.6 (and any other with the same column names) read alike.
/// What a log lacks is filled in with documented values: a noise floor for every channel, the GPS fix
/// from the horizontal accuracy, the speed from consecutive points. Rows that cannot be used are
/// counted per reason, never dropped silently. See docs/wigle-import.md.

#include "files/SurveyFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

/// \brief Choices for values a WiGLE log does not carry.
struct WigleImportOptions {
    /// Noise level (dBm) written for every channel of every point: the log has no noise readings.
    int noiseFloorDbm = -95;
    /// A point whose horizontal accuracy is at most this many metres gets a 3D fix, a worse one 2D.
    double fix3dMaxAccuracyMeters = 10.0;
};

/// \brief Why a row of the log was not taken as a reading. The order is the order of the checks: a
/// row is counted under the first reason that applies.
enum class WigleSkip {
    Incomplete, ///< fewer fields than the header (a truncated line)
    NotWifi,    ///< Type other than WIFI (BLE, BT, GSM, LTE, CDMA, WCDMA, NR, ...)
    BadMac,     ///< MAC not six hexadecimal pairs
    NoPosition, ///< latitude/longitude empty, unreadable, out of range or 0,0
    NoChannel,  ///< no channel 1..255 and no frequency that maps to a channel
    BadRssi,    ///< RSSI empty, unreadable, 0 dBm or above, or below -128 dBm
    Duplicate,  ///< the same MAC already has a reading in this point
};
inline constexpr std::size_t kWigleSkipReasons = 7;

/// The text shown for a skip reason in the import summary ("non-WIFI rows", "no position", ...).
const char* WigleSkipLabel(WigleSkip reason);

/// \brief Row and result counts of an import.
struct WigleCounts {
    long rows = 0;     ///< data rows after the header (blank lines are not rows)
    long wifiRows = 0; ///< rows whose Type is WIFI (or every complete row when there is no Type column)
    long points = 0;   ///< measurement points made
    long readings = 0; ///< readings made
    std::array<long, kWigleSkipReasons> skipped{};

    long SkippedTotal() const;
    long& Skipped(WigleSkip r) { return skipped[static_cast<std::size_t>(r)]; }
    long Skipped(WigleSkip r) const { return skipped[static_cast<std::size_t>(r)]; }
    WigleCounts& operator+=(const WigleCounts& o);
};

/// \brief Outcome of reading one CSV file.
struct WigleFileResult {
    bool ok = false;   ///< the file is a WiGLE log with the needed columns (it may still hold no usable row)
    std::string error; ///< why the file was refused (without the file name)
    std::string version; ///< "1.4" from the "WigleWifi-1.4" line; empty when the file has none
    WigleCounts counts;
};

/// \brief Outcome of a whole import: the survey file to write and the counts over all files.
struct WigleImportResult {
    bool ok = false;
    std::string error;
    std::string version;
    SurveyFileImage image;
    WigleCounts counts;
};

/// True when the bytes start like a WiGLE CSV log: "WigleWifi-" after an optional UTF-8 byte order
/// mark, or a first line whose comma-separated names include MAC, Type and CurrentLatitude.
bool LooksLikeWigleCsv(std::span<const std::uint8_t> bytes);

/// \brief Builds one survey from one or more WiGLE logs, appended in the order given. A point never
/// spans two files; the speed of a file's first point is measured from the previous file's last point.
class WigleImporter {
  public:
    explicit WigleImporter(const WigleImportOptions& options = {});

    /// Reads one CSV file's bytes and appends its points. A refused file (no header, a needed column
    /// missing) adds nothing.
    WigleFileResult AddFile(std::span<const std::uint8_t> csv);

    /// Points and readings so far; the survey time is the time of the first point that has one.
    const SurveyFileImage& Image() const { return m_image; }
    const WigleCounts& Counts() const { return m_counts; }
    /// Moves the survey out; the importer is empty afterwards.
    SurveyFileImage TakeImage();

  private:
    struct PointKey {
        std::optional<std::int64_t> time;
        std::int32_t latMas = 0;
        std::int32_t lonMas = 0;
        bool operator==(const PointKey&) const = default;
    };

    WigleImportOptions m_options;
    SurveyFileImage m_image;
    WigleCounts m_counts;
    bool m_haveSurveyTime = false;
    // The previous point, for the speed of the next one.
    bool m_havePrevious = false;
    PointKey m_previous;
};

/// Imports one CSV file.
WigleImportResult ImportWigleCsv(std::span<const std::uint8_t> csv, const WigleImportOptions& options = {});

/// The survey file bytes of one CSV file; nullopt when the file is refused or holds no usable row.
/// \p result (optional) receives the whole import result with its counts.
std::optional<std::vector<std::uint8_t>> WigleCsvToSurveyFile(std::span<const std::uint8_t> csv,
                                                              const WigleImportOptions& options = {},
                                                              WigleImportResult* result = nullptr);

/// "12 of 1191 rows skipped (non-WIFI rows: 10, no position: 2)"; empty when no row was skipped.
std::string WigleSkipSummary(const WigleCounts& counts);

/// Seconds since 1970 of a "yyyy-mm-dd hh:mm:ss" time taken as UTC; nullopt when the text is not one.
std::optional<std::int64_t> ParseWigleTime(std::string_view text);

/// Wi-Fi channel of a centre frequency in MHz (2.4, 5 and 6 GHz bands); 0 when none matches.
int WigleChannelFromFrequency(long mhz);

/// Parses "aa:bb:cc:dd:ee:ff" (either case, ':' or '-' between the pairs).
std::optional<std::array<std::uint8_t, 6>> ParseWigleMac(std::string_view text);

} // namespace plotra
