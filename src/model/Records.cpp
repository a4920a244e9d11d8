#include "model/Records.h"

#include "model/Bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plotra {

CPointRecord CPointRecord::Parse(const std::uint8_t* p) {
    CPointRecord r;
    r.m_nLatMas = LoadI32(p + 0);
    r.m_nLonMas = LoadI32(p + 4);
    std::memcpy(r.m_abyOpaque1.data(), p + 8, 11);
    r.m_nAltitudeCm = LoadI32(p + 19);
    r.m_wSpeedCms = LoadU16(p + 23);
    std::memcpy(r.m_abyOpaque2.data(), p + 25, 4);
    r.m_byFix = p[29];
    r.m_wReadingCount = LoadU16(p + 30);
    for (int i = 0; i < 14; ++i) r.m_anNoise[static_cast<std::size_t>(i)] = LoadI16(p + 32 + 2 * i);
    r.m_byKind = p[60];
    return r;
}

void CPointRecord::Serialize(std::uint8_t* out) const {
    StoreU32(out + 0, static_cast<std::uint32_t>(m_nLatMas));
    StoreU32(out + 4, static_cast<std::uint32_t>(m_nLonMas));
    std::memcpy(out + 8, m_abyOpaque1.data(), 11);
    StoreU32(out + 19, static_cast<std::uint32_t>(m_nAltitudeCm));
    StoreU16(out + 23, m_wSpeedCms);
    std::memcpy(out + 25, m_abyOpaque2.data(), 4);
    out[29] = m_byFix;
    StoreU16(out + 30, m_wReadingCount);
    for (int i = 0; i < 14; ++i)
        StoreU16(out + 32 + 2 * i, static_cast<std::uint16_t>(m_anNoise[static_cast<std::size_t>(i)]));
    out[60] = m_byKind;
}

CHssData CHssData::Parse(const std::uint8_t* p) {
    CHssData d;
    d.m_byChannel = p[0];
    d.m_nRssi256 = LoadI16(p + 1);
    std::memcpy(d.m_abyMAC.data(), p + 3, 6);
    std::memcpy(d.m_szSSID.data(), p + 9, 32);
    return d;
}

void CHssData::Serialize(std::uint8_t* out) const {
    out[0] = m_byChannel;
    StoreU16(out + 1, static_cast<std::uint16_t>(m_nRssi256));
    std::memcpy(out + 3, m_abyMAC.data(), 6);
    std::memcpy(out + 9, m_szSSID.data(), 32);
}

std::string MacText(const std::array<std::uint8_t, 6>& mac) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return buf;
}

std::string SsidText(const std::array<char, 32>& ssid) {
    std::size_t n = 0;
    while (n < ssid.size() && ssid[n] != '\0') ++n;
    return std::string(ssid.data(), n);
}

namespace {

/// Length of the well-formed UTF-8 sequence at the start of \p s (1 to 4), or 0 when it does not
/// start with one: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(0);
    if (c < 0x80) return 1;
    const std::size_t len = (c >= 0xC2 && c <= 0xDF)   ? 2
                            : (c >= 0xE0 && c <= 0xEF) ? 3
                            : (c >= 0xF0 && c <= 0xF4) ? 4
                                                       : 0;
    if (len == 0 || len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    const unsigned char c1 = byte(1);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) ||
        (c == 0xF4 && c1 >= 0x90))
        return 0;
    return len;
}

bool ValidUtf8(std::string_view s) {
    while (!s.empty()) {
        const std::size_t len = Utf8SequenceLength(s);
        if (len == 0) return false;
        s.remove_prefix(len);
    }
    return true;
}

} // namespace

std::array<char, 32> MakeSsid(const std::string& text) {
    std::array<char, 32> out{};
    std::size_t n = std::min<std::size_t>(text.size(), out.size());
    // A cut inside a character would leave the whole SSID invalid UTF-8; move it back to the start
    // of that character. Text that is not UTF-8 has no characters to respect.
    if (n < text.size() && ValidUtf8(text))
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(out.data(), text.data(), n);
    return out;
}

std::string DisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t len = Utf8SequenceLength(bytes);
        if (len > 0) {
            out.append(bytes.substr(0, len));
            bytes.remove_prefix(len);
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(bytes.front());
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
        bytes.remove_prefix(1);
    }
    return out;
}

std::string CAPInfo::SsidText() const { return plotra::SsidText(m_szSSID); }
std::string CAPInfo::MacText() const { return plotra::MacText(m_abyMAC); }

CGroupItem::CGroupItem(std::uint32_t macLow, std::uint16_t macHigh, int index) : m_nIndex(index) {
    for (int i = 0; i < 4; ++i) m_abyMAC[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(macLow >> (8 * i));
    m_abyMAC[4] = static_cast<std::uint8_t>(macHigh);
    m_abyMAC[5] = static_cast<std::uint8_t>(macHigh >> 8);
}

COLORREF HsvToRgb(int h, int s, int v) {
    if (s == 0) return Rgb(v, v, v);
    if (h >= 252) h = 0;
    const int sector = h / 42;
    const int f = h - 42 * sector;
    const int p = ((256 - s) * v / 256) & 0xFF;
    const int q = ((256 - f * s / 42) * v / 256) & 0xFF;
    const int t = ((256 - (42 - f) * s / 42) * v / 256) & 0xFF;
    switch (sector) {
    case 0: return Rgb(v, t, p);
    case 1: return Rgb(q, v, p);
    case 2: return Rgb(p, v, t);
    case 3: return Rgb(p, q, v);
    case 4: return Rgb(t, p, v);
    default: return Rgb(v, p, q);
    }
}

} // namespace plotra
