#include "files/WigleCsv.h"

#include "model/Geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>

namespace plotra {

namespace {

// ---- CSV scanning ------------------------------------------------------------------------------
// RFC 4180 style: a field that starts with a double quote runs to the matching quote, "" inside it is
// one quote, and commas and line breaks inside it belong to the field. Bytes are kept as they are
// (no character set is assumed). Lenient where writers are sloppy: text after a closing quote is kept,
// a quote inside an unquoted field is an ordinary byte, and CRLF, LF or a lone CR end a line.
//
// Nothing is stored per field beyond the handful of columns the import needs, so a line of a million
// commas costs no more memory than a line of one.

bool IsLineBreak(std::uint8_t c) {
    return c == '\n' || c == '\r';
}

/// Reads the field at \p pos; appends its decoded text to \p out unless it is null. Returns the
/// position of the byte that ended the field (a comma, a line break or the end). \p openQuote is set
/// when the data ends inside a quoted field.
std::size_t ReadField(std::span<const std::uint8_t> d, std::size_t pos, std::string* out, bool& openQuote) {
    const std::size_t end = d.size();
    if (pos < end && d[pos] == '"') {
        ++pos;
        for (;;) {
            if (pos >= end) {
                openQuote = true;
                return end;
            }
            const std::uint8_t c = d[pos];
            if (c == '"') {
                if (pos + 1 < end && d[pos + 1] == '"') {
                    if (out) out->push_back('"');
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            if (out) out->push_back(static_cast<char>(c));
            ++pos;
        }
    }
    while (pos < end && d[pos] != ',' && !IsLineBreak(d[pos])) {
        if (out) out->push_back(static_cast<char>(d[pos]));
        ++pos;
    }
    return pos;
}

/// \brief Where one record (line) lies and how many fields it has.
struct RecordSpan {
    std::size_t begin = 0;
    std::size_t next = 0; ///< start of the following record
    std::size_t fields = 0;
    std::size_t trailingEmpty = 0; ///< how many of the last fields are empty (a trailing comma adds one)
    bool blank = false;            ///< an empty line
    bool openQuote = false;        ///< the data ends inside a quoted field: the record is cut off
};

RecordSpan ScanRecord(std::span<const std::uint8_t> d, std::size_t pos) {
    RecordSpan r;
    r.begin = pos;
    for (;;) {
        const std::size_t start = pos;
        pos = ReadField(d, pos, nullptr, r.openQuote);
        ++r.fields;
        r.trailingEmpty = pos == start ? r.trailingEmpty + 1 : 0;
        if (pos < d.size() && d[pos] == ',') {
            ++pos;
            continue;
        }
        break;
    }
    r.blank = r.fields == 1 && pos == r.begin;
    if (pos < d.size() && d[pos] == '\r') ++pos;
    if (pos < d.size() && d[pos] == '\n') ++pos;
    r.next = pos;
    return r;
}

/// Calls \p fn(index, text) for every field of the record, decoding only the fields \p wanted(index)
/// asks for (the others are passed as empty text).
template <typename Wanted, typename Fn>
void ForEachField(std::span<const std::uint8_t> d, const RecordSpan& r, std::string& scratch, Wanted wanted,
                  Fn fn) {
    std::size_t pos = r.begin;
    bool openQuote = false;
    for (std::size_t i = 0; i < r.fields; ++i) {
        scratch.clear();
        const bool want = wanted(i);
        pos = ReadField(d, pos, want ? &scratch : nullptr, openQuote);
        if (want) fn(i, scratch);
        ++pos; // the comma (past the end after the last field, which the loop never reads)
    }
}

// ---- field values --------------------------------------------------------------------------------

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long> ParseInteger(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

std::int32_t DegreesToMas(double degrees) {
    return static_cast<std::int32_t>(std::llround(degrees * 3600000.0));
}

template <typename T> T ClampRound(double v) {
    const double lo = static_cast<double>(std::numeric_limits<T>::min());
    const double hi = static_cast<double>(std::numeric_limits<T>::max());
    return static_cast<T>(std::llround(std::clamp(v, lo, hi)));
}

// ---- columns -------------------------------------------------------------------------------------

enum Column {
    kMac,
    kSsid,
    kFirstSeen,
    kChannel,
    kFrequency,
    kRssi,
    kLat,
    kLon,
    kAltitude,
    kAccuracy,
    kType,
    kColumns
};
constexpr const char* kColumnNames[kColumns] = {"MAC",
                                                "SSID",
                                                "FirstSeen",
                                                "Channel",
                                                "Frequency",
                                                "RSSI",
                                                "CurrentLatitude",
                                                "CurrentLongitude",
                                                "AltitudeMeters",
                                                "AccuracyMeters",
                                                "Type"};
constexpr std::size_t kNoColumn = std::numeric_limits<std::size_t>::max();

constexpr std::uint8_t kBom[3] = {0xEF, 0xBB, 0xBF};
constexpr std::string_view kPreHeader = "WigleWifi-";

std::size_t SkipBom(std::span<const std::uint8_t> d) {
    return d.size() >= 3 && d[0] == kBom[0] && d[1] == kBom[1] && d[2] == kBom[2] ? 3 : 0;
}

bool StartsWith(std::span<const std::uint8_t> d, std::size_t pos, std::string_view prefix) {
    if (d.size() - pos < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), d.begin() + static_cast<std::ptrdiff_t>(pos),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

/// Column index of every named column in the header record; kNoColumn for those it lacks.
std::array<std::size_t, kColumns> FindColumns(std::span<const std::uint8_t> d, const RecordSpan& header,
                                              std::string& scratch) {
    std::array<std::size_t, kColumns> index;
    index.fill(kNoColumn);
    ForEachField(
        d, header, scratch, [](std::size_t) { return true; },
        [&](std::size_t i, const std::string& text) {
            const std::string_view name = Trim(text);
            for (int c = 0; c < kColumns; ++c)
                if (index[c] == kNoColumn && EqualsNoCase(name, kColumnNames[c])) index[c] = i;
        });
    return index;
}

int FixFromAccuracy(std::string_view text, double fix3dMax) {
    const auto accuracy = ParseNumber(text);
    if (!accuracy || *accuracy <= 0.0) return 0;
    return *accuracy <= fix3dMax ? 2 : 1;
}

} // namespace

// ---- public helpers ------------------------------------------------------------------------------

const char* WigleSkipLabel(WigleSkip reason) {
    switch (reason) {
    case WigleSkip::Incomplete:
        return "incomplete rows";
    case WigleSkip::NotWifi:
        return "non-WIFI rows";
    case WigleSkip::BadMac:
        return "unreadable MAC";
    case WigleSkip::NoPosition:
        return "no position";
    case WigleSkip::NoChannel:
        return "no channel";
    case WigleSkip::BadRssi:
        return "unusable RSSI";
    case WigleSkip::Duplicate:
        return "same MAC twice in a point";
    }
    return "";
}

long WigleCounts::SkippedTotal() const {
    long total = 0;
    for (long n : skipped)
        total += n;
    return total;
}

WigleCounts& WigleCounts::operator+=(const WigleCounts& o) {
    rows += o.rows;
    wifiRows += o.wifiRows;
    points += o.points;
    readings += o.readings;
    for (std::size_t i = 0; i < skipped.size(); ++i)
        skipped[i] += o.skipped[i];
    return *this;
}

std::string WigleSkipSummary(const WigleCounts& counts) {
    const long total = counts.SkippedTotal();
    if (total == 0) return {};
    std::string text = std::to_string(total) + " of " + std::to_string(counts.rows) + " rows skipped (";
    bool first = true;
    for (std::size_t i = 0; i < kWigleSkipReasons; ++i) {
        if (counts.skipped[i] == 0) continue;
        if (!first) text += ", ";
        first = false;
        text += WigleSkipLabel(static_cast<WigleSkip>(i));
        text += ": " + std::to_string(counts.skipped[i]);
    }
    return text + ")";
}

std::optional<std::int64_t> ParseWigleTime(std::string_view text) {
    text = Trim(text);
    // yyyy-mm-dd hh:mm:ss, every digit in place.
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    auto number = [&](std::size_t at, std::size_t len) -> std::optional<int> {
        int v = 0;
        for (std::size_t i = at; i < at + len; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const auto y = number(0, 4), mo = number(5, 2), d = number(8, 2);
    const auto h = number(11, 2), mi = number(14, 2), s = number(17, 2);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    if (*mo < 1 || *mo > 12 || *h > 23 || *mi > 59 || *s > 60) return std::nullopt;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
    const int monthDays = kDays[*mo - 1] + (*mo == 2 && leap ? 1 : 0);
    if (*d < 1 || *d > monthDays) return std::nullopt;
    // Days from the civil date (proleptic Gregorian calendar), counted from 1970-01-01.
    const int yy = *y - (*mo <= 2 ? 1 : 0);
    const int era = yy / 400;
    const int yoe = yy - era * 400;
    const int mp = (*mo + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + *d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
    return days * 86400 + *h * 3600 + *mi * 60 + *s;
}

int WigleChannelFromFrequency(long mhz) {
    if (mhz == 2484) return 14;
    if (mhz >= 2412 && mhz <= 2472 && (mhz - 2407) % 5 == 0) return static_cast<int>((mhz - 2407) / 5);
    if (mhz == 5935) return 2; // the one 6 GHz channel below the band's regular grid
    if (mhz > 5000 && mhz <= 5925 && mhz % 5 == 0) return static_cast<int>((mhz - 5000) / 5);
    if (mhz > 5950 && mhz <= 7125 && mhz % 5 == 0) return static_cast<int>((mhz - 5950) / 5);
    return 0;
}

std::optional<std::array<std::uint8_t, 6>> ParseWigleMac(std::string_view text) {
    text = Trim(text);
    if (text.size() != 17) return std::nullopt;
    const char sep = text[2];
    if (sep != ':' && sep != '-') return std::nullopt;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::array<std::uint8_t, 6> mac{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != sep) return std::nullopt;
        const int hi = hex(text[at]), lo = hex(text[at + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return mac;
}

bool LooksLikeWigleCsv(std::span<const std::uint8_t> bytes) {
    const std::size_t start = SkipBom(bytes);
    if (StartsWith(bytes, start, kPreHeader)) return true;
    const RecordSpan first = ScanRecord(bytes, start);
    if (first.openQuote) return false;
    std::string scratch;
    const auto index = FindColumns(bytes, first, scratch);
    return index[kMac] != kNoColumn && index[kType] != kNoColumn && index[kLat] != kNoColumn;
}

// ---- the import ----------------------------------------------------------------------------------

namespace {

/// \brief Where the columns the import needs are in a file's rows.
struct CsvLayout {
    std::array<std::size_t, kColumns> column;
    /// Some writers end the header or the rows with a comma; the empty fields it adds carry nothing.
    std::size_t headerFields = 0;
};

/// Reads the pre-header line (when there is one), blank lines and the column header, and moves
/// \p pos past them. nullopt, with the error in \p result, when the header or a needed column is
/// missing.
std::optional<CsvLayout> ReadLayout(std::span<const std::uint8_t> d, std::size_t& pos, std::string& scratch,
                                    WigleFileResult& result) {
    if (StartsWith(d, pos, kPreHeader)) {
        const RecordSpan pre = ScanRecord(d, pos);
        ForEachField(
            d, pre, scratch, [](std::size_t i) { return i == 0; },
            [&](std::size_t, const std::string& text) { result.version = text.substr(kPreHeader.size()); });
        pos = pre.next;
    }
    while (pos < d.size()) { // blank lines before the header
        const RecordSpan r = ScanRecord(d, pos);
        if (!r.blank) break;
        pos = r.next;
    }
    if (pos >= d.size()) {
        result.error = "The file has no column header.";
        return std::nullopt;
    }
    const RecordSpan header = ScanRecord(d, pos);
    const auto column = FindColumns(d, header, scratch);
    for (Column c : {kMac, kFirstSeen, kRssi, kLat, kLon}) {
        if (column[c] == kNoColumn) {
            result.error = std::string("The column \"") + kColumnNames[c] + "\" is missing.";
            return std::nullopt;
        }
    }
    if (column[kChannel] == kNoColumn && column[kFrequency] == kNoColumn) {
        result.error = "The columns \"Channel\" and \"Frequency\" are both missing.";
        return std::nullopt;
    }
    pos = header.next;
    return CsvLayout{column, header.fields - header.trailingEmpty};
}

/// Decodes the fields of \p row that the import uses into \p value, by column.
void ReadRowValues(std::span<const std::uint8_t> d, const RecordSpan& row, const CsvLayout& layout,
                   std::string& scratch, std::array<std::string, kColumns>& value) {
    const auto& column = layout.column;
    const std::size_t ssidColumn = column[kSsid];
    // Writers that do not quote SSIDs split an SSID with commas into several fields; a row's surplus
    // fields are given back to the SSID, the only free-text column.
    const std::size_t filled = row.fields - row.trailingEmpty;
    const std::size_t extra =
        ssidColumn == kNoColumn || filled <= layout.headerFields ? 0 : filled - layout.headerFields;
    auto logical = [&](std::size_t raw) -> std::size_t {
        if (extra == 0 || raw < ssidColumn) return raw;
        if (raw <= ssidColumn + extra) return ssidColumn;
        return raw - extra;
    };
    for (auto& v : value)
        v.clear();
    auto columnOf = [&](std::size_t raw) -> int {
        const std::size_t c = logical(raw);
        for (int k = 0; k < kColumns; ++k)
            if (column[k] == c) return k;
        return -1;
    };
    ForEachField(
        d, row, scratch, [&](std::size_t raw) { return columnOf(raw) >= 0; },
        [&](std::size_t raw, const std::string& text) {
            const int k = columnOf(raw);
            if (k == kSsid && raw > ssidColumn) value[kSsid].push_back(',');
            value[static_cast<std::size_t>(k)] += text;
        });
}

/// \brief The reading of one usable row.
struct RowReading {
    std::array<std::uint8_t, 6> mac;
    double lat, lon;
    int channel;
    double rssi;
};

/// The row's reading, or nullopt with the reason counted in \p n.
std::optional<RowReading> ParseRow(const std::array<std::string, kColumns>& value,
                                   const std::array<std::size_t, kColumns>& column, WigleCounts& n) {
    if (column[kType] != kNoColumn && !EqualsNoCase(Trim(value[kType]), "WIFI")) {
        ++n.Skipped(WigleSkip::NotWifi);
        return std::nullopt;
    }
    ++n.wifiRows;
    const auto mac = ParseWigleMac(value[kMac]);
    if (!mac) {
        ++n.Skipped(WigleSkip::BadMac);
        return std::nullopt;
    }
    const auto lat = ParseNumber(value[kLat]);
    const auto lon = ParseNumber(value[kLon]);
    if (!lat || !lon || *lat < -90.0 || *lat > 90.0 || *lon < -180.0 || *lon > 180.0 ||
        (*lat == 0.0 && *lon == 0.0)) {
        ++n.Skipped(WigleSkip::NoPosition);
        return std::nullopt;
    }
    int channel = 0;
    if (column[kChannel] != kNoColumn) {
        const auto c = ParseInteger(value[kChannel]);
        if (c && *c >= 1 && *c <= 255) channel = static_cast<int>(*c);
    }
    if (channel == 0 && column[kFrequency] != kNoColumn) {
        const auto f = ParseInteger(value[kFrequency]);
        if (f) channel = WigleChannelFromFrequency(*f);
    }
    if (channel == 0) {
        ++n.Skipped(WigleSkip::NoChannel);
        return std::nullopt;
    }
    // 0 dBm and above is what loggers write when they had no signal figure; below -128 dBm does
    // not fit the reading's 1/256 dBm field.
    const auto rssi = ParseNumber(value[kRssi]);
    if (!rssi || *rssi >= 0.0 || *rssi < -128.0) {
        ++n.Skipped(WigleSkip::BadRssi);
        return std::nullopt;
    }
    return RowReading{*mac, *lat, *lon, channel, *rssi};
}

/// The altitude, fix and noise of a new point, from its first row.
void FillPointRecord(CPointRecord& rec, const std::array<std::string, kColumns>& value,
                     const std::array<std::size_t, kColumns>& column, const WigleImportOptions& options) {
    const auto altitude = ParseNumber(value[kAltitude]);
    rec.m_nAltitudeCm = altitude ? ClampRound<std::int32_t>(*altitude * 100.0) : 0;
    rec.m_byFix = static_cast<std::uint8_t>(
        column[kAccuracy] == kNoColumn ? 0
                                       : FixFromAccuracy(value[kAccuracy], options.fix3dMaxAccuracyMeters));
    rec.m_anNoise.fill(static_cast<std::int16_t>(std::clamp(options.noiseFloorDbm, -32768, 32767)));
}

/// Speed in cm/s over the distance between two positions (milliarcseconds) covered in \p seconds.
std::uint16_t SpeedCms(std::int32_t fromLatMas, std::int32_t fromLonMas, std::int32_t toLatMas,
                       std::int32_t toLonMas, std::int64_t seconds) {
    const double metres = GeoDistance(fromLatMas / 3600000.0, fromLonMas / 3600000.0, toLatMas / 3600000.0,
                                      toLonMas / 3600000.0);
    const double dt = static_cast<double>(seconds);
    return ClampRound<std::uint16_t>(metres * 100.0 / dt);
}

void AppendReading(CDataPoint& point, const RowReading& row, const std::string& ssid) {
    CHssData reading;
    reading.m_byChannel = static_cast<std::uint8_t>(row.channel);
    reading.m_nRssi256 = ClampRound<std::int16_t>(row.rssi * 256.0);
    reading.m_abyMAC = row.mac;
    reading.m_szSSID = MakeSsid(ssid);
    point.m_aReadings.push_back(reading);
    point.m_rec.m_wReadingCount = static_cast<std::uint16_t>(point.m_aReadings.size());
}

} // namespace

WigleImporter::WigleImporter(const WigleImportOptions& options) : m_options(options) {}

SurveyFileImage WigleImporter::TakeImage() {
    SurveyFileImage out = std::move(m_image);
    m_image = SurveyFileImage{};
    m_counts = WigleCounts{};
    m_haveSurveyTime = m_havePrevious = false;
    return out;
}

WigleFileResult WigleImporter::AddFile(std::span<const std::uint8_t> d) {
    WigleFileResult result;
    std::string scratch;
    std::size_t pos = SkipBom(d);
    const std::optional<CsvLayout> layout = ReadLayout(d, pos, scratch, result);
    if (!layout) return result;
    result.ok = true;

    std::array<std::string, kColumns> value;
    std::set<std::array<std::uint8_t, 6>> macsInPoint;
    bool havePointInFile = false;
    PointKey current;
    WigleCounts& n = result.counts;

    while (pos < d.size()) {
        const RecordSpan row = ScanRecord(d, pos);
        pos = row.next;
        if (row.blank) continue;
        ++n.rows;
        if (row.fields < layout->headerFields || row.openQuote) {
            ++n.Skipped(WigleSkip::Incomplete);
            continue;
        }
        ReadRowValues(d, row, *layout, scratch, value);
        const std::optional<RowReading> reading = ParseRow(value, layout->column, n);
        if (!reading) continue;

        const PointKey key{ParseWigleTime(value[kFirstSeen]), DegreesToMas(reading->lat),
                           DegreesToMas(reading->lon)};
        const bool samePoint = havePointInFile && key == current;
        if (samePoint && macsInPoint.count(reading->mac)) {
            ++n.Skipped(WigleSkip::Duplicate);
            continue;
        }
        // A point's reading count is 16 bits wide: a scan with more readings continues in a second
        // point at the same place rather than overflowing the count.
        constexpr std::size_t kMaxReadings = std::numeric_limits<std::uint16_t>::max();
        if (!samePoint || m_image.records.back().m_aReadings.size() >= kMaxReadings) {
            CDataPoint point;
            CPointRecord& rec = point.m_rec;
            if (samePoint) {
                rec = m_image.records.back().m_rec;
            } else {
                rec.m_nLatMas = key.latMas;
                rec.m_nLonMas = key.lonMas;
                FillPointRecord(rec, value, layout->column, m_options);
                // The log has no speed: it is the distance from the previous point over the time
                // between them. When the time did not advance (or is unknown) the previous speed stays.
                if (m_havePrevious) {
                    rec.m_wSpeedCms = m_image.records.back().m_rec.m_wSpeedCms;
                    if (key.time && m_previous.time && *key.time > *m_previous.time)
                        rec.m_wSpeedCms = SpeedCms(m_previous.latMas, m_previous.lonMas, key.latMas,
                                                   key.lonMas, *key.time - *m_previous.time);
                }
            }
            rec.m_byKind = 0;
            rec.m_wReadingCount = 0;
            m_image.records.push_back(std::move(point));
            if (!samePoint) macsInPoint.clear(); // a continued scan still knows the MACs it has
            havePointInFile = true;
            current = key;
            m_previous = key;
            m_havePrevious = true;
            ++n.points;
            if (!m_haveSurveyTime && key.time) {
                m_image.surveyTime = *key.time;
                m_haveSurveyTime = true;
            }
        }
        AppendReading(m_image.records.back(), *reading, value[kSsid]);
        macsInPoint.insert(reading->mac);
        ++n.readings;
    }
    m_counts += n;
    return result;
}

WigleImportResult ImportWigleCsv(std::span<const std::uint8_t> csv, const WigleImportOptions& options) {
    WigleImporter importer(options);
    const WigleFileResult file = importer.AddFile(csv);
    WigleImportResult result;
    result.ok = file.ok;
    result.error = file.error;
    result.version = file.version;
    result.counts = file.counts;
    result.image = importer.TakeImage();
    return result;
}

std::optional<std::vector<std::uint8_t>> WigleCsvToSurveyFile(std::span<const std::uint8_t> csv,
                                                              const WigleImportOptions& options,
                                                              WigleImportResult* result) {
    WigleImportResult r = ImportWigleCsv(csv, options);
    std::optional<std::vector<std::uint8_t>> bytes;
    if (r.ok && r.counts.points > 0) bytes = EncodeSurveyFile(r.image);
    if (result) *result = std::move(r);
    return bytes;
}

} // namespace plotra
