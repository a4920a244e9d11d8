#include "capture/ClickLog.h"

#include <charconv>
#include <cmath>

namespace plotra::capture {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool Number(std::string_view s, double& out) {
    s = Trim(s);
    if (s.empty()) return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && std::isfinite(out);
}

/// Splits "a,b,c" into its three fields; false for any other count.
bool ThreeFields(std::string_view line, std::string_view (&fields)[3]) {
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = line.find(',');
        if (i < 2 && comma == std::string_view::npos) return false;
        fields[i] = i < 2 ? line.substr(0, comma) : line;
        if (i < 2) line.remove_prefix(comma + 1);
    }
    return line.find(',') == std::string_view::npos;
}

} // namespace

std::optional<std::vector<Click>> ParseClickLog(std::string_view text, const PixelToLatLon& place,
                                                std::string* error) {
    std::vector<Click> clicks;
    const auto fail = [error](std::size_t line, const std::string& why) {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return std::nullopt;
    };
    std::size_t lineNo = 0;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNo;
        if (line.empty()) continue;
        std::string_view fields[3];
        double t = 0, x = 0, y = 0;
        const bool numbers =
            ThreeFields(line, fields) && Number(fields[0], t) && Number(fields[1], x) && Number(fields[2], y);
        if (!numbers) {
            if (first) {
                first = false; // a heading
                continue;
            }
            return fail(lineNo, "not \"time,x,y\"");
        }
        first = false;
        if (t < 0 || t > 1e11) return fail(lineNo, "the time is not Unix seconds");
        const auto timeNs = static_cast<std::int64_t>(std::llround(t * 1e9));
        if (!clicks.empty() && timeNs < clicks.back().timeNs)
            return fail(lineNo, "earlier than the click before");
        const auto at = place(x, y);
        if (!at) return fail(lineNo, "the pixel lies outside the plan");
        clicks.push_back({timeNs, at->first, at->second});
    }
    return clicks;
}

} // namespace plotra::capture
