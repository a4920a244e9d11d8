#include "georef/WorldFile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace plotra {

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\f' || ch == '\v';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string s) {
    for (char& ch : s)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

std::string Upper(std::string s) {
    for (char& ch : s)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

/// The part of \p path before the extension's dot and the extension (without the dot); the
/// extension is empty when the file name has none.
std::pair<std::string, std::string> SplitExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return {path, std::string()};
    return {path.substr(0, dot), path.substr(dot + 1)};
}

void AddBothCases(std::vector<std::string>& out, const std::string& base, const std::string& ext) {
    for (const std::string& e : {Lower(ext), Upper(ext)}) {
        const std::string name = base + "." + e;
        bool seen = false;
        for (const auto& n : out)
            seen = seen || n == name;
        if (!seen) out.push_back(name);
    }
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    // from_chars accepts "inf" and "nan" spellings; a number in a world file or on a command line
    // starts with a digit, a sign or a decimal point.
    const char first = text.front() == '-' && text.size() > 1 ? text[1] : text.front();
    if (!std::isdigit(static_cast<unsigned char>(first)) && first != '.') return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

GeoTransform GeoTransformFromWorldFile(double A, double D, double B, double E, double C, double F) {
    return GeoTransform{C - 0.5 * A - 0.5 * B, A, B, F - 0.5 * D - 0.5 * E, D, E};
}

std::string WorldFileText(const GeoTransform& t) {
    // Back from the corner to the centre of the top-left pixel.
    const double values[6] = {
        t[1], t[4], t[2], t[5], t[0] + 0.5 * t[1] + 0.5 * t[2], t[3] + 0.5 * t[4] + 0.5 * t[5]};
    std::string out;
    for (const double v : values) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g\n", v);
        out += buf;
    }
    return out;
}

WorldFileResult ParseWorldFile(std::string_view text) {
    WorldFileResult r;
    if (text.size() > kMaxWorldFileBytes) {
        r.error = "it is too long for a world file";
        return r;
    }
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3); // byte order mark of some editors
    double v[6] = {};
    int count = 0;
    int lineNo = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++lineNo;
        if (count == 6) {
            if (!Trimmed(line).empty()) {
                r.error = "it has more than six lines of values";
                return r;
            }
            continue;
        }
        const auto value = ParseNumber(line);
        if (!value) {
            r.error = "line " + std::to_string(lineNo) + " is not a number";
            return r;
        }
        v[count++] = *value;
    }
    if (count < 6) {
        r.error = "it has " + std::to_string(count) + " of the six values";
        return r;
    }
    r.transform = GeoTransformFromWorldFile(v[0], v[1], v[2], v[3], v[4], v[5]);
    const double det = v[0] * v[3] - v[2] * v[1];
    if (det == 0.0) {
        r.error = "its pixel size is zero (the picture would cover no area)";
        return r;
    }
    if (!IsUsableGeoTransform(r.transform)) {
        r.error = "its values are too large";
        return r;
    }
    r.ok = true;
    return r;
}

std::vector<std::string> WorldFileCandidates(const std::string& path) {
    const auto [base, ext] = SplitExtension(path);
    std::vector<std::string> out;
    if (ext.size() >= 2) AddBothCases(out, base, std::string{ext.front(), ext.back(), 'w'});
    if (!ext.empty()) AddBothCases(out, base, ext + "w");
    AddBothCases(out, base, "wld");
    return out;
}

std::vector<std::string> PrjFileCandidates(const std::string& path) {
    const auto [base, ext] = SplitExtension(path);
    std::vector<std::string> out;
    AddBothCases(out, base, "prj");
    return out;
}

} // namespace plotra
