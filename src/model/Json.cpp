#include "model/Json.h"

#include <cmath>
#include <cstdio>

namespace plotra {

void JsonWriter::NewLine() {
    if (!m_pretty) return;
    m_out += '\n';
    m_out.append(m_first.size() * 2, ' ');
}

void JsonWriter::Prefix(const char* key) {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back()) m_out += ',';
        m_first.back() = false;
        NewLine();
    }
    if (key) {
        m_out += '"';
        m_out += Escape(key);
        m_out += m_pretty ? "\": " : "\":";
    }
}

JsonWriter& JsonWriter::Key(const char* key) {
    Prefix(key);
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::BeginObject(const char* key) {
    Prefix(key);
    m_out += '{';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    const bool empty = m_first.back();
    m_first.pop_back();
    if (!empty) NewLine();
    m_out += '}';
    if (m_first.empty() && m_pretty) m_out += '\n';
    return *this;
}

JsonWriter& JsonWriter::BeginArray(const char* key) {
    Prefix(key);
    m_out += '[';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    const bool empty = m_first.back();
    m_first.pop_back();
    if (!empty) NewLine();
    m_out += ']';
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value, const char* key) {
    Prefix(key);
    m_out += '"';
    m_out += Escape(value);
    m_out += '"';
    return *this;
}

JsonWriter& JsonWriter::Int(long long value, const char* key) {
    Prefix(key);
    m_out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(double value, const char* key, int precision) {
    Prefix(key);
    if (!std::isfinite(value)) {
        m_out += "null";
        return *this;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    m_out += buf;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value, const char* key) {
    Prefix(key);
    m_out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null(const char* key) {
    Prefix(key);
    m_out += "null";
    return *this;
}

std::string JsonWriter::Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 2);
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
            }
            ++i;
            continue;
        }
        // Copy a well-formed UTF-8 sequence; replace anything else.
        int len = (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
        bool ok = len > 0 && i + static_cast<std::size_t>(len) <= n;
        for (int k = 1; ok && k < len; ++k) ok = (p[i + static_cast<std::size_t>(k)] & 0xC0) == 0x80;
        if (ok && len == 3) {
            const unsigned char c1 = p[i + 1];
            if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) ok = false;
        }
        if (ok && len == 4) {
            const unsigned char c1 = p[i + 1];
            if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) ok = false;
        }
        if (ok) {
            out.append(s, i, static_cast<std::size_t>(len));
            i += static_cast<std::size_t>(len);
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

} // namespace plotra
