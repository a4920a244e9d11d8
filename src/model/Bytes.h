#pragma once
/// \brief Little-endian field access for file formats: explicit byte assembly, never a cast of
/// file bytes, and a bounded cursor that reports instead of reading past the end.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace plotra {

inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadU64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(LoadU32(p)) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
}
inline std::int16_t LoadI16(const std::uint8_t* p) { return static_cast<std::int16_t>(LoadU16(p)); }
inline std::int32_t LoadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }
inline std::int64_t LoadI64(const std::uint8_t* p) { return static_cast<std::int64_t>(LoadU64(p)); }
inline double LoadF64(const std::uint8_t* p) { return std::bit_cast<double>(LoadU64(p)); }
inline float LoadF32(const std::uint8_t* p) { return std::bit_cast<float>(LoadU32(p)); }

inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void StoreU64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

/// \brief Bounded little-endian reader over a byte span. Every read checks the bytes that remain;
/// a failed read sets the failure flag, returns zero and leaves the position at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool Failed() const { return m_failed; }
    bool Seek(std::size_t pos) {
        if (pos > m_data.size()) return Fail();
        m_pos = pos;
        return true;
    }
    /// True when \p n more bytes exist; sets the failure flag otherwise.
    bool Need(std::size_t n) {
        if (n > Remaining()) return Fail();
        return true;
    }
    const std::uint8_t* Take(std::size_t n) {
        if (!Need(n)) return nullptr;
        const std::uint8_t* p = m_data.data() + m_pos;
        m_pos += n;
        return p;
    }
    bool Skip(std::size_t n) { return Take(n) != nullptr || n == 0; }

    std::uint8_t U8() {
        auto p = Take(1);
        return p ? p[0] : 0;
    }
    std::uint16_t U16() {
        auto p = Take(2);
        return p ? LoadU16(p) : 0;
    }
    std::uint32_t U32() {
        auto p = Take(4);
        return p ? LoadU32(p) : 0;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint64_t U64() {
        auto p = Take(8);
        return p ? LoadU64(p) : 0;
    }
    std::int64_t I64() { return static_cast<std::int64_t>(U64()); }
    double F64() { return std::bit_cast<double>(U64()); }
    float F32() { return std::bit_cast<float>(U32()); }
    bool Bytes(void* out, std::size_t n) {
        auto p = Take(n);
        if (!p) return false;
        if (n) std::memcpy(out, p, n);
        return true;
    }

private:
    bool Fail() {
        m_failed = true;
        m_pos = m_data.size();
        return false;
    }
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

/// \brief Appending little-endian writer into a byte vector.
class ByteWriter {
public:
    /// Takes each full chunk of written bytes; false stops the writing (a full disk).
    using Flush = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    /// Collects everything in memory.
    ByteWriter() = default;
    /// Hands the bytes on in chunks of about \p chunk bytes, so that a large file is never held whole.
    explicit ByteWriter(Flush flush, std::size_t chunk = std::size_t{1} << 20)
        : m_flush(std::move(flush)), m_chunk(chunk) {
        m_buf.reserve(chunk + 64);
    }

    std::vector<std::uint8_t>& Buffer() { return m_buf; }
    const std::vector<std::uint8_t>& Buffer() const { return m_buf; }
    /// Bytes written so far (handed on or still held).
    std::size_t Size() const { return m_handedOn + m_buf.size(); }
    /// Hands on what is held; false once a chunk was refused.
    bool Finish() {
        if (m_flush && !m_buf.empty()) {
            m_ok = m_ok && m_flush(m_buf.data(), m_buf.size());
            m_handedOn += m_buf.size();
            m_buf.clear();
        }
        return m_ok;
    }

    void U8(std::uint8_t v) {
        m_buf.push_back(v);
        Spill();
    }
    void U16(std::uint16_t v) {
        std::uint8_t b[2];
        StoreU16(b, v);
        Bytes(b, 2);
    }
    void U32(std::uint32_t v) {
        std::uint8_t b[4];
        StoreU32(b, v);
        Bytes(b, 4);
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void U64(std::uint64_t v) {
        std::uint8_t b[8];
        StoreU64(b, v);
        Bytes(b, 8);
    }
    void I64(std::int64_t v) { U64(static_cast<std::uint64_t>(v)); }
    void F64(double v) { U64(std::bit_cast<std::uint64_t>(v)); }
    void F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }
    void Bytes(const void* p, std::size_t n) {
        auto b = static_cast<const std::uint8_t*>(p);
        m_buf.insert(m_buf.end(), b, b + n);
        Spill();
    }
    void Zeros(std::size_t n) {
        while (n > 0) {
            const std::size_t k = m_flush ? std::min(n, m_chunk) : n;
            m_buf.insert(m_buf.end(), k, 0);
            n -= k;
            Spill();
        }
    }

private:
    void Spill() {
        if (m_flush && m_buf.size() >= m_chunk) Finish();
    }
    std::vector<std::uint8_t> m_buf;
    Flush m_flush;
    std::size_t m_chunk = 0;
    std::size_t m_handedOn = 0;
    bool m_ok = true;
};

} // namespace plotra
