#pragma once
/// \brief A small streaming JSON writer for summaries and ground-truth files.

#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

class JsonWriter {
public:
    explicit JsonWriter(bool pretty = true) : m_pretty(pretty) {}

    JsonWriter& BeginObject(const char* key = nullptr);
    JsonWriter& EndObject();
    JsonWriter& BeginArray(const char* key = nullptr);
    JsonWriter& EndArray();
    JsonWriter& Key(const char* key);
    JsonWriter& String(const std::string& value, const char* key = nullptr);
    JsonWriter& Int(long long value, const char* key = nullptr);
    JsonWriter& Double(double value, const char* key = nullptr, int precision = 10);
    JsonWriter& Bool(bool value, const char* key = nullptr);
    JsonWriter& Null(const char* key = nullptr);

    const std::string& Text() const { return m_out; }
    /// Escapes a text for a JSON string (bytes that are not valid UTF-8 become U+FFFD).
    static std::string Escape(const std::string& s);

private:
    void Prefix(const char* key);
    void NewLine();
    std::string m_out;
    std::vector<bool> m_first; // per open container: no element written yet
    bool m_pretty;
    bool m_afterKey = false;
};

} // namespace plotra
