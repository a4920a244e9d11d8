// The workspace commands: save, save as, open, and opening a workspace named by the recent-file list
// or the command line.
#include "files/FileIo.h"
#include "model/Bytes.h"
#include "files/Workspace.h"
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
    m_strWorkspacePath = WorkspacePathFor(*chosen);
    m_bWorkspaceNamed = 1;
    WriteWorkspace(m_strWorkspacePath);
}

void CPlotraDoc::OnSaveProject() {
    if (!m_bWorkspaceNamed) {
        OnSaveProjectAs();
        return;
    }
    if (RefuseWhileTableActive(*this)) return;
    WriteWorkspace(m_strWorkspacePath);
}

void CPlotraDoc::OnOpenProject() {
    if (RefuseWhileTableActive(*this)) return;
    FileChooserRequest request;
    request.title = "Open a HWS file";
    request.filter = kOpenWorkspaceFilter;
    request.defaultExtension = "hws";
    const std::optional<std::string> chosen = Prompts().chooseOpenFile(request);
    if (!chosen) return;
    const std::string& path = *chosen;
    const FileBytes file = ReadWholeFile(path);
    if (file.status == ReadStatus::CannotOpen) {
        ReportCannotOpen(*this, path);
        return;
    }
    if (file.status == ReadStatus::Ok && HasWorkspaceMagic(file.bytes) && ReadWorkspace(file.bytes)) {
        Host().setPathName(path, true);
        m_strWorkspacePath = path;
        // The project now holds data: table printing and the other "no data" checks must see it.
        m_bNoData = 0;
        return;
    }
    ReportNotWorkspace(*this);
}

bool CPlotraDoc::OnOpenDocument(const std::string& path) {
    if (RefuseWhileTableActive(*this)) return false;
    // The current APs stay until the file has been read: a refused file leaves the project as it was.
    const FileBytes file = ReadWholeFile(path);
    if (file.status == ReadStatus::CannotOpen) {
        ReportCannotOpen(*this, path);
        return false;
    }
    if (file.status != ReadStatus::Ok || !HasWorkspaceMagic(file.bytes)) {
        ReportNotWorkspace(*this);
        return false;
    }
    switch (ReadWorkspaceImage(*this, file.bytes)) {
    case WorkspaceRefusal::None:
        Host().setPathName(path, true);
        m_strWorkspacePath = path;
        m_bNoData = 0;
        return true;
    case WorkspaceRefusal::WrongType: // already reported
        return false;
    case WorkspaceRefusal::Malformed:
        ReportNotWorkspace(*this);
        return false;
    }
    return false;
}

} // namespace plotra
