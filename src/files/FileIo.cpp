#include "files/FileIo.h"

#include "model/Bytes.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace plotra {

namespace {
std::atomic<long long> g_failAfter{-1};
}

void SetWriteFailureAfterBytesForTesting(long long bytes) { g_failAfter = bytes; }

FileBytes ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    FileBytes out;
    std::ifstream in(path, std::ios::binary);
    if (!in) return out;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return out;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return out;
    if (static_cast<std::uint64_t>(size) > maxBytes) {
        out.status = ReadStatus::TooLarge;
        return out;
    }
    in.seekg(0, std::ios::beg);
    out.bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.bytes.data()), size)) {
        out.bytes.clear();
        return out;
    }
    out.status = ReadStatus::Ok;
    return out;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path) : m_path(path), m_tmp(path + ".tmp-plotra") {
    m_out.open(m_tmp, std::ios::binary | std::ios::trunc);
    m_ok = static_cast<bool>(m_out);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_committed) return;
    if (m_out.is_open()) m_out.close();
    std::error_code ec;
    std::filesystem::remove(m_tmp, ec);
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (!m_ok) return;
    std::size_t n = bytes.size();
    const long long failAfter = g_failAfter.load();
    bool injectFailure = false;
    if (failAfter >= 0 && static_cast<unsigned long long>(failAfter) < m_written + n) {
        const auto limit = static_cast<unsigned long long>(failAfter);
        n = limit > m_written ? static_cast<std::size_t>(limit - m_written) : 0;
        injectFailure = true;
    }
    m_out.write(bytes.data(), static_cast<std::streamsize>(n));
    m_written += n;
    if (!m_out || injectFailure) m_ok = false;
}

bool AtomicFileWriter::Commit() {
    if (m_committed || !m_out.is_open()) return false;
    if (m_ok) m_out.flush();
    m_ok = m_ok && static_cast<bool>(m_out);
    m_out.close();
    if (!m_ok) return false;
    std::error_code ec;
    std::filesystem::rename(m_tmp, m_path, ec);
    if (ec) return false;
    m_committed = true;
    return true;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFileWriter out(path);
    out.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return out.Commit();
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(ByteWriter&)>& produce) {
    AtomicFileWriter out(path);
    if (!out.Ok()) return false;
    ByteWriter writer([&out](const std::uint8_t* data, std::size_t size) {
        out.Write(std::string_view(reinterpret_cast<const char*>(data), size));
        return out.Ok();
    });
    const bool produced = produce(writer);
    const bool handedOn = writer.Finish();
    return produced && handedOn && out.Commit();
}

std::string FileTitle(const std::string& path) {
    // The name as a file dialog gives its title: without the last extension ("a.b.hsd" -> "a.b"); a
    // name that starts with its only dot keeps it.
    return std::filesystem::path(path).stem().string();
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace plotra
