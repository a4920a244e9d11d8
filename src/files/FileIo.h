#pragma once
/// \brief Whole-file reads with a size limit, and writes that never destroy a previous file:
/// the bytes go to a temporary file in the same folder that replaces the target only when complete.

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
    /// Finishes the file and renames it into place; false (nothing replaced) after any failure.
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

/// Test hook: when set, WriteFileAtomically and AtomicFileWriter fail after writing this many bytes of the temporary
/// file, as a full disk would. Negative disables it.
void SetWriteFailureAfterBytesForTesting(long long bytes);

/// File title as a file dialog gives it: the name without its folder and its extension.
std::string FileTitle(const std::string& path);

/// The absolute spelling of a path (relative to the working folder), without "." and ".." steps;
/// the path itself when that cannot be had.
std::string AbsolutePath(const std::string& path);

} // namespace plotra
