#include "files/SurveyFile.h"

#include "files/FileIo.h"
#include "files/SurveyLoadJob.h"
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <set>

namespace plotra {

namespace {
constexpr std::size_t kTypeOffset = 12;
constexpr std::size_t kTimeOffset = kSurveyTimeOffset;
constexpr std::size_t kBodyOffsetOffset = 21;
} // namespace

bool HasSurveyMagic(std::span<const std::uint8_t> file) {
    return file.size() >= 8 && LoadU32(file.data() + 4) == kSurveyMagic;
}

std::string SurveyTimeText(std::int64_t secondsSince1970) {
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    if (static_cast<std::int64_t>(t) != secondsSince1970) return {};
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 || tm.tm_mon > 11) return {};
    char buf[64];
    const long long year = 1900LL + tm.tm_year;
    std::snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %lld\n", kDays[tm.tm_wday], kMonths[tm.tm_mon],
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, year);
    return buf;
}

namespace {

/// A survey file's bytes in memory.
class SpanSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const { return m_bytes.size(); }
    /// Copies n bytes at pos (the caller has checked that they exist).
    void Read(std::uint64_t pos, std::size_t n, std::uint8_t* out) const {
        std::memcpy(out, m_bytes.data() + pos, n);
    }
    /// The n bytes at pos where they lie (valid while the source lives).
    const std::uint8_t* Peek(std::uint64_t pos, std::size_t) const { return m_bytes.data() + pos; }

private:
    std::span<const std::uint8_t> m_bytes;
};

/// A survey file on disk, read through a window (a few megabytes by default): a survey of hundreds of
/// megabytes is never held whole next to the points made from it. A file smaller than the window gets
/// a window of its own size.
class FileSource {
public:
    FileSource(std::FILE* file, std::uint64_t size, std::size_t window)
        : m_file(file), m_size(size), m_window(static_cast<std::size_t>(
                                          std::min<std::uint64_t>(std::max<std::size_t>(window, 1), size))) {}
    std::uint64_t Size() const { return m_size; }
    bool Failed() const { return m_failed; }
    void Read(std::uint64_t pos, std::size_t n, std::uint8_t* out) {
        if (pos < m_start || pos + n > m_start + m_filled) Fill(pos, n);
        if (m_failed) {
            std::memset(out, 0, n);
            return;
        }
        std::memcpy(out, m_window.data() + (pos - m_start), n);
    }
    /// The n bytes at pos inside the window (valid until the next read); zeros once reading failed.
    const std::uint8_t* Peek(std::uint64_t pos, std::size_t n) {
        if (pos < m_start || pos + n > m_start + m_filled) Fill(pos, n);
        if (m_failed) {
            m_zeros.assign(n, 0);
            return m_zeros.data();
        }
        return m_window.data() + (pos - m_start);
    }

private:
    void Fill(std::uint64_t pos, std::size_t n) {
        if (n > m_window.size()) m_window.resize(n);
        m_start = pos;
        m_filled = 0;
        if (::fseeko(m_file, static_cast<off_t>(pos), SEEK_SET) != 0) {
            m_failed = true;
            return;
        }
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_window.size(), m_size - pos));
        m_filled = std::fread(m_window.data(), 1, want, m_file);
        if (m_filled < n) m_failed = true; // the file shrank while it was read
    }
    std::FILE* m_file;
    std::uint64_t m_size;
    std::vector<std::uint8_t> m_window;
    std::vector<std::uint8_t> m_zeros;
    std::uint64_t m_start = 0;
    std::size_t m_filled = 0;
    bool m_failed = false;
};

// The reader never trusts a size or count: a record or reading is taken only when all of its bytes
// are there, and nothing is reserved beyond what the remaining bytes can hold. Only the bytes the
// records carry are read; the rest of a longer record or reading is skipped.
template <class Source> bool ParseSurvey(CPlotraDoc& doc, Source& src) {
    const std::uint64_t size = src.Size();
    // A file shorter than its fixed header has no defined type byte: refuse it like a short body header.
    if (size < kSurveyHeaderSize) return false;
    std::uint8_t header[kSurveyHeaderSize];
    src.Read(0, sizeof header, header);
    const std::uint8_t type = header[kTypeOffset];
    if (type != 0 && type != 1) {
        doc.Prompts().message(doc.Survey().m_strCurrentFile +
                                  ": Unsupported HSS Filetype. May be for a different product.",
                              "Invalid File", PromptIcon::Stop);
        return false;
    }
    Edit::Survey(doc).m_strSurveyTime = SurveyTimeText(LoadI64(header + kTimeOffset));

    const std::uint64_t bodyOffset = LoadU32(header + kBodyOffsetOffset);
    if (bodyOffset > size || size - bodyOffset < 8) return false;
    std::uint8_t sizes[8];
    src.Read(bodyOffset, sizeof sizes, sizes);
    const std::uint32_t P = LoadU32(sizes);
    const std::uint32_t A = LoadU32(sizes + 4);
    if (P == 0 || A == 0) return true;
    // Records shorter than the structures they carry would leave fields undefined: such files are
    // not produced by the receiver and are refused.
    if (P < CPointRecord::kSize || A < CHssData::kSize) return false;

    SurveyPoints& points = Edit::Survey(doc).m_aDataPoints;
    const std::size_t countBefore = points.size();
    std::uint64_t pos = bodyOffset + 8;
    // The file cannot hold more readings than this; one reservation for the whole file.
    points.ReserveReadings(static_cast<std::size_t>((size - pos) / A));
    for (std::uint32_t record = 0; size - pos >= P; ++record) {
        // A loading job hears where the reader is and may stop it here.
        if ((record & 0x3FFF) == 0) SurveyLoadProgress::Reading(pos);
        const CPointRecord r = CPointRecord::Parse(src.Peek(pos, CPointRecord::kSize));
        pos += P;
        if (r.m_byKind == 0) {
            points.AddPoint(r);
            // A count that runs past the end of the file yields the readings that are complete.
            const std::uint64_t available = (size - pos) / A;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(r.m_wReadingCount, available));
            for (std::size_t i = 0; i < n; ++i) {
                points.AddStoredReading(src.Peek(pos, CHssData::kSize));
                pos += A;
            }
            if (n < r.m_wReadingCount) pos = size; // the rest of the file was consumed by readings
        } else if (r.m_byKind == 1) {
            CAPMarker m;
            m.m_nLatMas = r.m_nLatMas;
            m.m_nLonMas = r.m_nLonMas;
            Edit::Survey(doc).m_aApMarkers.push_back(m);
        }
    }
    Edit::Survey(doc).m_aFilePointCount.push_back(static_cast<int>(points.size() - countBefore));
    return true;
}

} // namespace

bool CPlotraDoc::ReadSurveyFile(std::span<const std::uint8_t> file) {
    SpanSource source(file);
    return ParseSurvey(*this, source);
}

std::optional<bool> CPlotraDoc::ReadSurveyFileFrom(std::FILE* file, std::uint64_t size, std::size_t window) {
    FileSource source(file, size, window);
    const bool ok = ParseSurvey(*this, source);
    if (source.Failed()) return std::nullopt;
    return ok;
}

std::optional<SurveyHeader> ParseSurveyHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kSurveyHeaderSize) return std::nullopt;
    SurveyHeader h;
    h.fileType = file[kTypeOffset];
    h.surveyTime = LoadI64(file.data() + kTimeOffset);
    h.bodyOffset = LoadU32(file.data() + kBodyOffsetOffset);
    if (h.bodyOffset <= file.size() && file.size() - h.bodyOffset >= 8) {
        h.hasRecordSizes = true;
        h.pointSize = LoadU32(file.data() + h.bodyOffset);
        h.readingSize = LoadU32(file.data() + h.bodyOffset + 4);
    }
    return h;
}

namespace {

template <class Points> SurveyStats SurveyStatsOf(const Points& points) {
    SurveyStats s;
    std::set<std::array<std::uint8_t, 6>> macs;
    for (const auto& p : points) {
        ++s.points;
        s.readings += static_cast<long>(p.m_aReadings.size());
        for (const auto& r : p.m_aReadings) macs.insert(r.m_abyMAC);
        const double lat = p.m_rec.m_nLatMas / 3600000.0, lon = p.m_rec.m_nLonMas / 3600000.0;
        if (!s.hasBounds) {
            s.south = s.north = lat;
            s.west = s.east = lon;
            s.hasBounds = true;
        } else {
            s.south = std::min(s.south, lat);
            s.north = std::max(s.north, lat);
            s.west = std::min(s.west, lon);
            s.east = std::max(s.east, lon);
        }
    }
    s.distinctBssids = static_cast<long>(macs.size());
    return s;
}

} // namespace

SurveyStats ComputeSurveyStats(std::span<const CDataPoint> points) { return SurveyStatsOf(points); }

SurveyStats ComputeSurveyStats(const SurveyPoints& points) { return SurveyStatsOf(points); }

void EncodeSurveyHeader(const SurveyFileImage& image, ByteWriter& w) {
    w.Zeros(4);
    w.U32(kSurveyMagic);
    w.Zeros(4);
    w.U8(image.fileType);
    w.I64(image.surveyTime);
    w.U32(static_cast<std::uint32_t>(kSurveyHeaderSize));
    w.U32(static_cast<std::uint32_t>(std::max<std::size_t>(image.pointSize, CPointRecord::kSize)));
    w.U32(static_cast<std::uint32_t>(std::max<std::size_t>(image.readingSize, CHssData::kSize)));
}

void EncodeSurveyRecord(const CDataPoint& r, std::size_t pointSize, std::size_t readingSize, ByteWriter& w) {
    const std::size_t P = std::max<std::size_t>(pointSize, CPointRecord::kSize);
    const std::size_t A = std::max<std::size_t>(readingSize, CHssData::kSize);
    std::uint8_t rec[CPointRecord::kSize];
    std::uint8_t reading[CHssData::kSize];
    CPointRecord header = r.m_rec;
    if (header.m_byKind == 0) header.m_wReadingCount = static_cast<std::uint16_t>(r.m_aReadings.size());
    header.Serialize(rec);
    w.Bytes(rec, sizeof rec);
    w.Zeros(P - sizeof rec);
    if (header.m_byKind != 0) return;
    for (const auto& d : r.m_aReadings) {
        d.Serialize(reading);
        w.Bytes(reading, sizeof reading);
        w.Zeros(A - sizeof reading);
    }
}

std::vector<std::uint8_t> EncodeSurveyFile(const SurveyFileImage& image) {
    ByteWriter w;
    EncodeSurveyHeader(image, w);
    for (const auto& r : image.records) EncodeSurveyRecord(r, image.pointSize, image.readingSize, w);
    return std::move(w.Buffer());
}

bool WriteSurveyFile(const std::string& path, const SurveyFileImage& image) {
    const auto bytes = EncodeSurveyFile(image);
    return WriteFileAtomically(path, bytes);
}

} // namespace plotra
