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
class Progress;

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

/// How a workspace save ended.
enum class SaveResult { Written, Failed, Cancelled };

/// Writes the workspace of \p doc to \p path through a temporary file that replaces it only when
/// complete: a failed or cancelled write leaves any previous file untouched. \p mapShown is the map
/// view's toggle the file stores. Runs on any thread; \p progress (may be null) gets the position and
/// is asked for a Cancel as the encoder goes.
SaveResult WriteWorkspaceFile(const CPlotraDoc& doc, const std::string& path, bool mapShown, Progress* progress);

/// \brief A workspace read into a scratch document, with what the live document would derive from it
/// (AP pictures, coverage pictures, groups, resolution sliders), ready to be taken over by a move.
struct DecodedWorkspace {
    enum Status { Decoded, CannotOpen, TooLarge, NotWorkspace, Malformed, WrongType, Cancelled };
    Status status = Malformed;
    std::unique_ptr<CPlotraDoc> doc; ///< set when Decoded
    bool mapShown = false;           ///< the map view's toggle as stored
    DecodedWorkspace();
    DecodedWorkspace(DecodedWorkspace&&) noexcept;
    DecodedWorkspace& operator=(DecodedWorkspace&&) noexcept;
    ~DecodedWorkspace();
};

/// An empty document to decode into, with the colours of \p doc that the pictures are made in and a
/// workspace does not store. Made on the user-interface thread; the decoding may then go elsewhere.
std::unique_ptr<CPlotraDoc> ScratchDocumentFor(const CPlotraDoc& doc);

/// Decodes a workspace image into \p scratch and derives its pictures and groups there. Touches
/// nothing else, so it runs on any thread; \p progress (may be null) is told the position and asked
/// for a Cancel.
DecodedWorkspace DecodeWorkspaceImage(std::span<const std::uint8_t> file, std::unique_ptr<CPlotraDoc> scratch,
                                      Progress* progress);

/// The same for the file at \p path, mapped rather than read (CannotOpen, TooLarge and NotWorkspace
/// say why the file itself was refused).
DecodedWorkspace DecodeWorkspaceFile(const std::string& path, std::unique_ptr<CPlotraDoc> scratch, Progress* progress);

/// Replaces the stored state of \p doc by a decoded workspace (moves only) and tells everyone.
void AdoptDecodedWorkspace(CPlotraDoc& doc, DecodedWorkspace&& decoded);

/// "Unsupported HWS Filetype…", the one refusal of a workspace image that words itself.
void ReportUnsupportedWorkspaceType(const CPlotraDoc& doc);

/// A copy of the project for a job that must not read the live document while it runs: everything
/// the workspace stores, the project's file names and the path display switches. Observers, prompts,
/// host, job state and render-side pictures are the copy's own (none).
std::unique_ptr<CPlotraDoc> CopyProjectForJob(const CPlotraDoc& doc);

} // namespace plotra
