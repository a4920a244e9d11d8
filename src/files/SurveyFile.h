#pragma once
/// \brief Survey data files (.hsd): the receiver's record of points and AP readings.

#include "model/Bytes.h"
#include "model/Records.h"
#include "model/SurveyPoints.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plotra {

inline constexpr std::uint32_t kSurveyMagic = 0x48534420;
inline constexpr std::size_t kSurveyHeaderSize = 25;

/// True when the file's bytes 4..7 carry the survey-file magic.
bool HasSurveyMagic(std::span<const std::uint8_t> file);

/// The survey time as the C library's ctime text of the local time ("Wed Jun 30 21:49:08 1993\n");
/// empty when the time cannot be represented.
std::string SurveyTimeText(std::int64_t secondsSince1970);

/// \brief What a survey file holds, for writing one.
struct SurveyFileImage {
    std::uint8_t fileType = 0;
    std::int64_t surveyTime = 0;
    std::uint32_t pointSize = static_cast<std::uint32_t>(CPointRecord::kSize);
    std::uint32_t readingSize = static_cast<std::uint32_t>(CHssData::kSize);
    /// Records in file order. Kind-0 records are written with their readings and a reading count equal
    /// to the number of readings; records of other kinds are written as they are, without readings.
    std::vector<CDataPoint> records;
};

/// \brief The fixed header of a survey file and its record sizes.
struct SurveyHeader {
    std::uint8_t fileType = 0;
    std::int64_t surveyTime = 0;
    std::uint32_t bodyOffset = 0;
    bool hasRecordSizes = false; ///< the body header lies within the file
    std::uint32_t pointSize = 0;
    std::uint32_t readingSize = 0;
};

/// Parses the header; nullopt when the file is shorter than the 25-byte header.
std::optional<SurveyHeader> ParseSurveyHeader(std::span<const std::uint8_t> file);

/// \brief Counts over the points a document holds.
struct SurveyStats {
    long points = 0;
    long readings = 0;
    long distinctBssids = 0;
    bool hasBounds = false;
    double south = 0, west = 0, north = 0, east = 0; ///< degrees
};
/// Counts over \p points (readings, distinct BSSIDs, bounds of the points' positions).
SurveyStats ComputeSurveyStats(std::span<const CDataPoint> points);
SurveyStats ComputeSurveyStats(const SurveyPoints& points);

/// Encodes a survey file. Bytes beyond 61 of a record and beyond 41 of a reading are zero.
std::vector<std::uint8_t> EncodeSurveyFile(const SurveyFileImage& image);

/// Offset of the survey time in the fixed header (an int64), for writers that fix it up later.
inline constexpr std::size_t kSurveyTimeOffset = 13;
/// Appends the fixed header and the body header of \p image (its records are not written): a file
/// that grows record by record starts with these bytes.
void EncodeSurveyHeader(const SurveyFileImage& image, ByteWriter& out);
/// Appends one record as a survey file of record sizes \p pointSize and \p readingSize stores it: a
/// kind-0 record with its readings and their count, any other kind alone.
void EncodeSurveyRecord(const CDataPoint& record, std::size_t pointSize, std::size_t readingSize,
                        ByteWriter& out);

/// Writes a survey file (atomically: an existing file survives a failed write).
bool WriteSurveyFile(const std::string& path, const SurveyFileImage& image);

} // namespace plotra
