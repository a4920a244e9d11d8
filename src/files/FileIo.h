#pragma once
/// \brief Whole-file reads with a size limit, read-only maps of files of any size, and writes that
/// never destroy a previous file: the bytes go to a temporary file in the same folder that replaces
/// the target only when complete.

#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

class ByteWriter;

/// Largest file any reader takes into memory (1 GiB). Real survey, map and workspace files are far
/// smaller; a larger file is refused rather than read.
inline constexpr std::uint64_t kMaxInputFileBytes = 1ull << 30;

enum class ReadStatus { Ok, CannotOpen, TooLarge };

struct FileBytes {
    ReadStatus status = ReadStatus::CannotOpen;
    std::vector<std::uint8_t> bytes;
};

/// Reads a whole file (at most \p maxBytes).
FileBytes ReadWholeFile(const std::string& path, std::uint64_t maxBytes = kMaxInputFileBytes);

/// \brief A whole file mapped read-only into memory, for inputs that may be larger than any file
/// read whole (a workspace of a large project): its bytes are paged in as they are read and never
/// copied to the heap. The file is closed at once; the map stays valid until destruction.
/// Status() is CannotOpen for a file that cannot be opened or mapped (a folder, a pipe) and TooLarge
/// when the address space has no room for it; Bytes() is empty unless Ok (an empty file is Ok).
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    ReadStatus Status() const { return m_status; }
    std::span<const std::uint8_t> Bytes() const { return {m_data, m_size}; }

private:
    ReadStatus m_status = ReadStatus::CannotOpen;
    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_map = nullptr;
};

/// Writes \p bytes to \p path through a temporary file and a rename. Returns false (and leaves any
/// existing file at \p path untouched) when anything fails.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

/// \brief A file written piece by piece with the same guarantee: the pieces go to a temporary file
/// beside the target, and only Commit() puts it in the target's place. Destroyed without a
/// successful Commit(), it removes the temporary file and leaves any previous file untouched. For
/// outputs too large to build in memory first (the table of a survey of millions of readings).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// False once opening or any write has failed (later writes are then ignored).
    bool Ok() const { return m_ok; }
    void Write(std::string_view bytes);
    /// Finishes the file, waits until it is on the disk and renames it into place; false (nothing
    /// replaced) after any failure.
    bool Commit();

private:
    std::string m_path, m_tmp;
    std::ofstream m_out;
    unsigned long long m_written = 0;
    bool m_ok = false, m_committed = false;
};

/// The same for a file produced piece by piece: \p produce writes into a writer that hands its
/// bytes on to the temporary file in chunks; it returns false to give up (nothing is replaced).
bool WriteFileAtomically(const std::string& path, const std::function<bool(ByteWriter&)>& produce);

/// Test hook: when not negative, ReadWholeFile refuses files larger than this many bytes as TooLarge
/// whatever limit it is given, as if every input limit were that small.
void SetReadLimitForTesting(long long bytes);

/// Test hook: when not negative, MappedFile refuses files larger than this many bytes as TooLarge, as
/// if the address space had no room for them.
void SetMapLimitForTesting(long long bytes);

/// Test hook: when set, WriteFileAtomically and AtomicFileWriter fail after writing this many bytes of the temporary
/// file, as a full disk would. Negative disables it.
void SetWriteFailureAfterBytesForTesting(long long bytes);

/// Test hook: when set, the temporary file's sync to the disk fails at Commit, as it does when a disk
/// fills (or fails) while the written bytes are still only in memory.
void SetSyncFailureForTesting(bool fail);

/// Test hook: when set, called by every AtomicFileWriter write (on the writing thread) before the
/// bytes go out; a test holds a writer there to act while the write is under way.
void SetWriteHookForTesting(std::function<void()> hook);

/// File title as a file dialog gives it: the name without its folder and its extension.
std::string FileTitle(const std::string& path);

/// The absolute spelling of a path (relative to the working folder), without "." and ".." steps;
/// the path itself when that cannot be had.
std::string AbsolutePath(const std::string& path);

} // namespace plotra
