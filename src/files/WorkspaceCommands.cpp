// The workspace commands: save, save as, open, and opening a workspace named by the recent-file list
// or the command line.
#include "files/FileIo.h"
#include "files/Workspace.h"
#include "model/Bytes.h"
#include "model/PlotraDoc.h"

namespace plotra {

namespace {
constexpr const char* kInvalidFile = "Invalid File";
} // namespace

bool CPlotraDoc::WriteWorkspace(const std::string& path) {
    // Written as it is encoded, through a temporary file: a write that fails half way keeps the
    // previous workspace intact, and a large project is never held whole in memory.
    if (!WriteFileAtomically(path, [this](ByteWriter& out) {
            EncodeWorkspaceInto(*this, out);
            return true;
        })) {
        Prompts().message("Can not open the file!", kInvalidFile, PromptIcon::Stop);
        return false;
    }
    return true;
}

bool CPlotraDoc::ReadWorkspace(std::span<const std::uint8_t> file) {
    return ReadWorkspaceImage(*this, file) == WorkspaceRefusal::None;
}

namespace {

bool RefuseWhileTableActive(const CPlotraDoc& doc) {
    if (doc.RefuseWhileBusy()) return true;
    if (!doc.m_bTableWindowActive) return false;
    doc.Prompts().message("Please Select Graph Window", "Invalid Window", PromptIcon::Stop);
    return true;
}

void ReportCannotOpen(const CPlotraDoc& doc, const std::string& path) {
    doc.Prompts().message("Could not open file \"" + path + "\"", "File Open Error", PromptIcon::Stop);
}

void ReportNotWorkspace(const CPlotraDoc& doc) {
    doc.Prompts().message("File is not recognized as a HWS file.", kInvalidFile, PromptIcon::Stop);
}

void ReportTooLarge(const CPlotraDoc& doc, const std::string& path) {
    doc.Prompts().message("The workspace \"" + path + "\" is too large to open on this computer.",
                          "File Open Error", PromptIcon::Stop);
}

/// How opening a workspace file ended; the callers word the refusals that are not reported yet.
enum class Opened { Yes, Reported, WrongType, NotWorkspace };

/// Reads the workspace at \p path into \p doc; a refused file leaves the project as it was.
Opened OpenWorkspaceFile(CPlotraDoc& doc, const std::string& path) {
    // Mapped, not read into one buffer: a large project's workspace may be larger than any file read
    // whole, and the decoder takes the bytes where they lie.
    const MappedFile file(path);
    switch (file.Status()) {
    case ReadStatus::CannotOpen:
        ReportCannotOpen(doc, path);
        return Opened::Reported;
    case ReadStatus::TooLarge:
        ReportTooLarge(doc, path);
        return Opened::Reported;
    case ReadStatus::Ok:
        break;
    }
    if (!HasWorkspaceMagic(file.Bytes())) return Opened::NotWorkspace;
    switch (ReadWorkspaceImage(doc, file.Bytes())) {
    case WorkspaceRefusal::None:
        doc.m_strWorkspacePath = path;
        // The project now holds data: table printing and the other "no data" checks must see it.
        doc.m_bNoData = 0;
        // Just read, the project is what its file holds (before the window is told its name).
        doc.SetModifiedFlag(false);
        doc.Host().setPathName(path, true);
        return Opened::Yes;
    case WorkspaceRefusal::WrongType: // already reported
        return Opened::WrongType;
    case WorkspaceRefusal::TooLarge:
        ReportTooLarge(doc, path);
        return Opened::Reported;
    case WorkspaceRefusal::Malformed:
        break;
    }
    return Opened::NotWorkspace;
}

} // namespace

void CPlotraDoc::OnSaveProjectAs() {
    if (RefuseWhileTableActive(*this)) return;
    FileChooserRequest request;
    request.title = "Save work space";
    request.filter = kSaveWorkspaceFilter;
    request.defaultExtension = "hws";
    request.defaultName = m_strWorkspacePath;
    const std::optional<std::string> chosen = Prompts().chooseSaveFile(request);
    if (!chosen) return;
    // The project takes the new name only once it is written there.
    const std::string path = WorkspacePathFor(*chosen);
    if (!WriteWorkspace(path)) return;
    m_strWorkspacePath = path;
    m_bWorkspaceNamed = 1;
    Saved();
}

void CPlotraDoc::OnSaveProject() {
    if (!m_bWorkspaceNamed) {
        OnSaveProjectAs();
        return;
    }
    if (RefuseWhileTableActive(*this)) return;
    if (WriteWorkspace(m_strWorkspacePath)) Saved();
}

void CPlotraDoc::Saved() {
    SetModifiedFlag(false);
    // The window's title and the recent files follow every save as they follow every open.
    Host().setPathName(m_strWorkspacePath, true);
}

void CPlotraDoc::OnOpenProject() {
    if (RefuseWhileTableActive(*this)) return;
    FileChooserRequest request;
    request.title = "Open a HWS file";
    request.filter = kOpenWorkspaceFilter;
    request.defaultExtension = "hws";
    const std::optional<std::string> chosen = Prompts().chooseOpenFile(request);
    // Unsaved edits are asked about once there is something to open instead.
    if (!chosen || !SaveModified()) return;
    // The file menu's open also words a refused file type as an unrecognised file.
    const Opened opened = OpenWorkspaceFile(*this, *chosen);
    if (opened == Opened::WrongType || opened == Opened::NotWorkspace) ReportNotWorkspace(*this);
}

bool CPlotraDoc::OnOpenDocument(const std::string& path) {
    return OpenDocument(path) == OpenOutcome::Opened;
}

OpenOutcome CPlotraDoc::OpenDocument(const std::string& path) {
    if (RefuseWhileTableActive(*this) || !SaveModified()) return OpenOutcome::NotNow;
    // The current APs stay until the file has been read: a refused file leaves the project as it was.
    const Opened opened = OpenWorkspaceFile(*this, path);
    if (opened == Opened::NotWorkspace) ReportNotWorkspace(*this);
    return opened == Opened::Yes ? OpenOutcome::Opened : OpenOutcome::Refused;
}

} // namespace plotra
