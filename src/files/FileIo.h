#pragma once
/// \brief Whole-file reads with a size limit, and writes that never destroy a previous file:
/// the bytes go to a temporary file in the same folder that replaces the target only when complete.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
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

/// The same for a file produced piece by piece: \p produce writes into a writer that hands its
/// bytes on to the temporary file in chunks; it returns false to give up.
bool WriteFileAtomically(const std::string& path, const std::function<bool(ByteWriter&)>& produce);

/// Test hook: when set, WriteFileAtomically fails after writing this many bytes of the temporary
/// file, as a full disk would. Negative disables it.
void SetWriteFailureAfterBytesForTesting(long long bytes);

/// File title as a file dialog gives it: the name without its folder and its extension.
std::string FileTitle(const std::string& path);

/// The absolute spelling of a path (relative to the working folder), without "." and ".." steps;
/// the path itself when that cannot be had.
std::string AbsolutePath(const std::string& path);

} // namespace plotra
