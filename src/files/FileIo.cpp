#include "files/FileIo.h"

#include "model/Bytes.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plotra {

namespace {
std::atomic<long long> g_failAfter{-1};
std::atomic<bool> g_failSync{false};
std::atomic<long long> g_readLimit{-1};
std::atomic<long long> g_mapLimit{-1};

/// True when a test hook's limit (negative: none) is below \p size.
bool BeyondTestLimit(const std::atomic<long long>& limit, std::uint64_t size) {
    const long long l = limit.load();
    return l >= 0 && size > static_cast<std::uint64_t>(l);
}
} // namespace

std::function<void()>& WriteHook() {
    static std::function<void()> hook;
    return hook;
}

void SetWriteHookForTesting(std::function<void()> hook) { WriteHook() = std::move(hook); }

void SetWriteFailureAfterBytesForTesting(long long bytes) { g_failAfter = bytes; }
void SetSyncFailureForTesting(bool fail) { g_failSync = fail; }
void SetReadLimitForTesting(long long bytes) { g_readLimit = bytes; }
void SetMapLimitForTesting(long long bytes) { g_mapLimit = bytes; }

FileBytes ReadWholeFile(const std::string& path, std::uint64_t maxBytes) {
    FileBytes out;
    std::ifstream in(path, std::ios::binary);
    if (!in) return out;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return out;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return out;
    if (static_cast<std::uint64_t>(size) > maxBytes ||
        BeyondTestLimit(g_readLimit, static_cast<std::uint64_t>(size))) {
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

MappedFile::MappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    // Only a regular file has a size to map; a folder or a pipe cannot be opened as a file.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0) { // nothing to map (mmap refuses a length of 0)
        ::close(fd);
        m_status = ReadStatus::Ok;
        return;
    }
    if (size > std::numeric_limits<std::size_t>::max() || BeyondTestLimit(g_mapLimit, size)) {
        ::close(fd);
        m_status = ReadStatus::TooLarge;
        return;
    }
    void* map = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);
    if (map == MAP_FAILED) {
        // Out of address space (or a per-process limit on it) is a matter of size; anything else is
        // a file that cannot be read this way.
        m_status = error == ENOMEM || error == EOVERFLOW ? ReadStatus::TooLarge : ReadStatus::CannotOpen;
        return;
    }
    // Readers go through the bytes once from front to back: read ahead, drop pages behind.
    ::madvise(map, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
    m_map = map;
    m_data = static_cast<const std::uint8_t*>(map);
    m_size = static_cast<std::size_t>(size);
    m_status = ReadStatus::Ok;
}

MappedFile::~MappedFile() {
    if (m_map) ::munmap(m_map, m_size);
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
    if (const std::function<void()>& hook = WriteHook()) hook();
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

namespace {

/// Waits until what was written to \p path (a file, or a folder's entries) is on the disk. A file
/// system that cannot sync (EINVAL) has nothing more to give.
bool SyncToDisk(const std::string& path, bool folder) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

} // namespace

bool AtomicFileWriter::Commit() {
    if (m_committed || !m_out.is_open()) return false;
    if (m_ok) m_out.flush();
    m_ok = m_ok && static_cast<bool>(m_out);
    m_out.close();
    if (!m_ok) return false;
    // The bytes reach the disk before the rename makes them the file: otherwise a power cut soon
    // after a save could leave an empty or partial file where the previous one was. A disk that
    // only now finds it has no room says so here.
    if (g_failSync || !SyncToDisk(m_tmp, false)) return false;
    std::error_code ec;
    std::filesystem::rename(m_tmp, m_path, ec);
    if (ec) return false;
    m_committed = true;
    // The rename itself, so that the new file is there after a crash as well. It has been made:
    // a folder that cannot be synced does not undo it.
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    SyncToDisk(folder.empty() ? std::string(".") : folder.string(), true);
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
