#include "capture/GpsReport.h"

#include <charconv>
#include <cmath>
#include <string>

namespace plotra::capture {

namespace {

/// \brief A cursor over one JSON line: just enough of JSON for gpsd's flat reports.
class JsonCursor {
  public:
    explicit JsonCursor(std::string_view s) : m_s(s) {}
    void SkipSpace() {
        while (m_pos < m_s.size() &&
               (m_s[m_pos] == ' ' || m_s[m_pos] == '\t' || m_s[m_pos] == '\r' || m_s[m_pos] == '\n'))
            ++m_pos;
    }
    bool Take(char c) {
        SkipSpace();
        if (m_pos < m_s.size() && m_s[m_pos] == c) return ++m_pos, true;
        return false;
    }
    char Peek() {
        SkipSpace();
        return m_pos < m_s.size() ? m_s[m_pos] : '\0';
    }
    /// A string value; escapes are kept undecoded (gpsd's keys and values need none).
    std::optional<std::string_view> String() {
        if (!Take('"')) return std::nullopt;
        const std::size_t start = m_pos;
        while (m_pos < m_s.size() && m_s[m_pos] != '"')
            m_pos += m_s[m_pos] == '\\' ? 2 : 1;
        if (m_pos >= m_s.size()) return std::nullopt;
        return m_s.substr(start, m_pos++ - start);
    }
    std::optional<double> Number() {
        SkipSpace();
        const char* b = m_s.data() + m_pos;
        double v = 0;
        auto [p, ec] = std::from_chars(b, m_s.data() + m_s.size(), v);
        if (ec != std::errc() || !std::isfinite(v)) return std::nullopt;
        m_pos += static_cast<std::size_t>(p - b);
        return v;
    }
    /// Skips any value; returns its raw text (empty when it is malformed).
    std::string_view SkipValue() {
        SkipSpace();
        const std::size_t start = m_pos;
        int depth = 0;
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos];
            if (c == '"') {
                if (!String()) return {};
                if (depth == 0) break;
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if (c == '}' || c == ']') {
                if (depth == 0) break;
                if (--depth == 0) {
                    ++m_pos;
                    break;
                }
            } else if (depth == 0 && c == ',')
                break;
            ++m_pos;
        }
        return m_s.substr(start, m_pos - start);
    }

  private:
    std::string_view m_s;
    std::size_t m_pos = 0;
};

bool ParseMember(JsonCursor& c, std::string_view key, GpsReport& r) {
    const auto number = [&](double& out, bool* has) {
        if (c.Peek() == '"' || c.Peek() == '{' || c.Peek() == '[') return !c.SkipValue().empty();
        if (auto v = c.Number()) {
            out = *v;
            if (has) *has = true;
            return true;
        }
        return !c.SkipValue().empty();
    };
    if (key == "class") {
        auto v = c.String();
        if (!v) return false;
        r.kind = *v == "TPV"   ? GpsReport::Kind::Tpv
                 : *v == "SKY" ? GpsReport::Kind::Sky
                               : GpsReport::Kind::Other;
        return true;
    }
    if (key == "time" && c.Peek() == '"') {
        auto v = c.String();
        if (!v) return false;
        if (auto t = ParseIsoUtc(*v)) r.hasTime = true, r.timeNs = *t;
        return true;
    }
    double mode = 0, uSat = -1;
    bool altSeen = false;
    if (key == "mode") {
        const bool ok = number(mode, nullptr);
        r.mode = mode >= 0 && mode <= 3 ? static_cast<int>(mode) : 0;
        return ok;
    }
    if (key == "lat") return number(r.lat, &r.hasLat);
    if (key == "lon") return number(r.lon, &r.hasLon);
    // Mean sea level where gpsd gives it; older versions only have "alt".
    if (key == "altMSL" || key == "alt" || (key == "altHAE" && !r.hasAltitude)) {
        double a = 0;
        const bool ok = number(a, &altSeen);
        if (altSeen && (key != "alt" || !r.hasAltitude)) r.altitudeM = a, r.hasAltitude = true;
        return ok;
    }
    if (key == "speed") return number(r.speedMps, &r.hasSpeed);
    if (key == "uSat") {
        const bool ok = number(uSat, nullptr);
        if (uSat >= 0 && uSat < 1000) r.satellitesUsed = static_cast<int>(uSat);
        return ok;
    }
    if (key == "satellites" && r.satellitesUsed < 0) {
        const std::string_view raw = c.SkipValue();
        int used = 0;
        for (std::size_t p = raw.find("\"used\":true"); p != std::string_view::npos;
             p = raw.find("\"used\":true", p + 1))
            ++used;
        r.satellitesUsed = used;
        return !raw.empty();
    }
    return !c.SkipValue().empty();
}

int DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

} // namespace

std::optional<std::int64_t> ParseIsoUtc(std::string_view t) {
    // YYYY-MM-DDTHH:MM:SS[.fff...]Z
    if (t.size() < 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':' ||
        t.back() != 'Z')
        return std::nullopt;
    const auto num = [&](std::size_t at, std::size_t n) -> int {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (t[i] < '0' || t[i] > '9') return -1;
            v = v * 10 + (t[i] - '0');
        }
        return v;
    };
    const int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2), s = num(17, 2);
    if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s > 60)
        return std::nullopt;
    std::int64_t frac = 0;
    std::size_t pos = 19;
    if (t[pos] == '.') {
        std::int64_t scale = 100000000;
        for (++pos; pos + 1 < t.size(); ++pos) {
            if (t[pos] < '0' || t[pos] > '9') return std::nullopt;
            frac += (t[pos] - '0') * scale;
            scale /= 10;
        }
    }
    if (pos != t.size() - 1) return std::nullopt;
    const std::int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    return ((days * 24 + h) * 60 + mi) * 60'000'000'000LL + s * 1'000'000'000LL + frac;
}

std::optional<GpsReport> ParseGpsLine(std::string_view line) {
    JsonCursor c(line);
    if (!c.Take('{')) return std::nullopt;
    GpsReport r;
    bool hasClass = false;
    if (!c.Take('}')) {
        do {
            auto key = c.String();
            if (!key || !c.Take(':')) return std::nullopt;
            hasClass = hasClass || *key == "class";
            if (!ParseMember(c, *key, r)) return std::nullopt;
        } while (c.Take(','));
        if (!c.Take('}')) return std::nullopt;
    }
    if (!hasClass) return std::nullopt;
    return r;
}

} // namespace plotra::capture
