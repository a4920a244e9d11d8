#pragma once
/// \brief Workspace files (.hws): a whole project in one file, so that it reopens without the survey
/// files or the projection file. The layout is written by CPlotraDoc::EncodeWorkspace and read back by
/// CPlotraDoc::ReadWorkspace; the helpers here are shared with the command-line tool and the tests.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace plotra {

class ByteWriter;
class CPlotraDoc;

inline constexpr std::uint32_t kWorkspaceMagic = 0x48575320;
inline constexpr std::size_t kWorkspaceHeaderSize = 145;

inline constexpr const char* kSaveWorkspaceFilter =
    "Hovrin Work Space (hws)|*.hws|HWS (*.hws)|*.hws|All Files (*.*)|*.*||";
inline constexpr const char* kOpenWorkspaceFilter =
    "Hovrin Work Spave Files (hws)|*.hws|HWS (*.hws)|*.hws|All Files (*.*)|*.*||";

/// Writes the workspace layout of \p doc into \p out (a writer that hands its bytes on as they come
/// keeps a large project from being held whole in memory).
void EncodeWorkspaceInto(const CPlotraDoc& doc, ByteWriter& out);

/// True when the file's bytes 4..7 carry the workspace magic.
bool HasWorkspaceMagic(std::span<const std::uint8_t> file);

/// The name a chosen save path is stored under: the extension of the file name itself (never a dot
/// in a folder name) is replaced by ".hws"; a name without an extension gets ".hws" appended.
std::string WorkspacePathFor(const std::string& chosen);

/// \brief Why a workspace image was refused.
enum class WorkspaceRefusal {
    None,      ///< read and applied
    WrongType, ///< the file type byte is neither 0 nor 1 (already reported to the user)
    Malformed, ///< wrong magic, truncated, a count beyond the file, or a map picture that is not the map
    TooLarge,  ///< well formed, but its contents need more memory than can be had
};

/// Reads a workspace image into \p doc (see CPlotraDoc::ReadWorkspace) and says why it was refused.
/// Only the file type refusal shows a message; the callers word the others. \p file may be a
/// MappedFile's bytes: nothing of it is referred to once this returns.
WorkspaceRefusal ReadWorkspaceImage(CPlotraDoc& doc, std::span<const std::uint8_t> file);

/// A copy of the project for a job that must not read the live document while it runs: everything
/// the workspace stores, the project's file names and the path display switches. Observers, prompts,
/// host, job state and render-side pictures are the copy's own (none).
std::unique_ptr<CPlotraDoc> CopyProjectForJob(const CPlotraDoc& doc);

} // namespace plotra
