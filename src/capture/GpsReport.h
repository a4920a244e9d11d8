#pragma once
/// \brief gpsd's JSON reports as the capture uses them: TPV (time, position, velocity) for fixes and
/// SKY for the number of satellites in use. The same line parser serves a live gpsd connection and
/// a replayed gpsd log.

#include <cstdint>
#include <optional>
#include <string_view>

namespace plotra::capture {

/// \brief One report of gpsd.
struct GpsReport {
    enum class Kind { Tpv, Sky, Other };
    Kind kind = Kind::Other;
    // TPV
    int mode = 0; ///< 0 unknown, 1 no fix, 2 2D, 3 3D
    bool hasTime = false;
    std::int64_t timeNs = 0;
    bool hasLat = false, hasLon = false;
    double lat = 0, lon = 0;
    bool hasAltitude = false;
    double altitudeM = 0;
    bool hasSpeed = false;
    double speedMps = 0;
    // SKY
    int satellitesUsed = -1; ///< -1 when the report does not say
    /// A TPV that is a position fix with a time: mode 2 or 3, latitude, longitude.
    bool IsFix() const { return kind == Kind::Tpv && mode >= 2 && hasLat && hasLon && hasTime; }
};

/// Parses one JSON line; nullopt when it is not a JSON object with a "class". Unknown members and
/// nested values are skipped; a malformed line is never read past its end.
std::optional<GpsReport> ParseGpsLine(std::string_view line);

/// ISO 8601 UTC time as gpsd writes it ("2026-12-07T12:00:01.250Z") to ns since 1970; nullopt if
/// it is not one.
std::optional<std::int64_t> ParseIsoUtc(std::string_view text);

} // namespace plotra::capture
