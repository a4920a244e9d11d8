// The workspace commands: save, save as, open, and opening a workspace named by the recent-file list
// or the command line. Each is a few steps on the document's thread around one that reads or writes
// the file; the desktop program runs that one as a job, the command line and the tests at once.
#include "files/FileIo.h"
#include "files/Workspace.h"
#include "files/WorkspaceJobs.h"
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <exception>

namespace plotra {

namespace {

constexpr const char* kInvalidFile = "Invalid File";

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

void ShowProgress(Progress& progress, const std::string& text) {
    progress.setText(text);
    progress.setPosition(0);
    progress.show();
}

} // namespace

bool RefuseWorkspaceCommand(const CPlotraDoc& doc) {
    if (doc.RefuseWhileBusy()) return true;
    if (!doc.Display().m_bTableWindowActive) return false;
    doc.Prompts().message("Please Select Graph Window", "Invalid Window", PromptIcon::Stop);
    return true;
}

// ---- saving -----------------------------------------------------------------------------------------

std::optional<WorkspaceSave> PrepareWorkspaceSave(CPlotraDoc& doc, bool saveAs) {
    if (RefuseWorkspaceCommand(doc)) return std::nullopt;
    WorkspaceSave save;
    save.mapShown = doc.Host().mapShown();
    if (!saveAs && doc.Project().m_bWorkspaceNamed) {
        save.path = doc.Project().m_strWorkspacePath;
        return save;
    }
    FileChooserRequest request;
    request.title = "Save work space";
    request.filter = kSaveWorkspaceFilter;
    request.defaultExtension = "hws";
    request.defaultName = doc.Project().m_strWorkspacePath;
    const std::optional<std::string> chosen = doc.Prompts().chooseSaveFile(request);
    if (!chosen) return std::nullopt;
    // The project takes the new name only once it is written there.
    save.path = WorkspacePathFor(*chosen);
    return save;
}

bool FinishWorkspaceSave(CPlotraDoc& doc, const WorkspaceSave& save, SaveResult result) {
    switch (result) {
    case SaveResult::Cancelled:
        return false;
    case SaveResult::Failed:
        doc.Prompts().message("Can not open the file!", kInvalidFile, PromptIcon::Stop);
        return false;
    case SaveResult::Written:
        break;
    }
    Edit::Project(doc).m_strWorkspacePath = save.path;
    Edit::Project(doc).m_bWorkspaceNamed = 1;
    doc.Saved();
    return true;
}

std::unique_ptr<WorkspaceSaveJob> StartWorkspaceSaveJob(CPlotraDoc& doc, const WorkspaceSave& save,
                                                        Progress& progress, std::function<void()> finished) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    // The job reads the live document: nothing it reads may change until it has been applied.
    doc.SetJobRunning(true, true);
    const CPlotraDoc& source = doc;
    return std::make_unique<WorkspaceSaveJob>(
        [&source, save, &progress] {
            // Shown from the job, as every calculation's progress is: the window opens once it runs.
            ShowProgress(progress, "Saving the project...");
            const SaveResult result = WriteWorkspaceFile(source, save.path, save.mapShown, &progress);
            progress.hide();
            return result;
        },
        std::move(finished));
}

bool ApplyWorkspaceSaveJob(CPlotraDoc& doc, WorkspaceSaveJob& job, const WorkspaceSave& save) {
    std::string failure;
    const std::optional<SaveResult> result = job.Take(&failure);
    doc.SetJobRunning(false);
    if (!result) {
        doc.Prompts().message(failure, kInvalidFile, PromptIcon::Stop);
        return false;
    }
    return FinishWorkspaceSave(doc, save, *result);
}

bool CPlotraDoc::WriteWorkspace(const std::string& path) {
    WorkspaceSave save;
    save.path = path;
    save.mapShown = Host().mapShown();
    if (WriteWorkspaceFile(*this, path, save.mapShown, nullptr) == SaveResult::Written) return true;
    Prompts().message("Can not open the file!", kInvalidFile, PromptIcon::Stop);
    return false;
}

void CPlotraDoc::OnSaveProjectAs() {
    if (const std::optional<WorkspaceSave> save = PrepareWorkspaceSave(*this, true))
        FinishWorkspaceSave(*this, *save, WriteWorkspaceFile(*this, save->path, save->mapShown, nullptr));
}

void CPlotraDoc::OnSaveProject() {
    if (const std::optional<WorkspaceSave> save = PrepareWorkspaceSave(*this, false))
        FinishWorkspaceSave(*this, *save, WriteWorkspaceFile(*this, save->path, save->mapShown, nullptr));
}

void CPlotraDoc::Saved() {
    SetModifiedFlag(false);
    // The window's title and the recent files follow every save as they follow every open.
    Host().setPathName(m_strWorkspacePath, true);
}

bool CPlotraDoc::ReadWorkspace(std::span<const std::uint8_t> file) {
    return ReadWorkspaceImage(*this, file) == WorkspaceRefusal::None;
}

// ---- opening ----------------------------------------------------------------------------------------

DecodedWorkspace DecodeWorkspaceFile(const std::string& path, std::unique_ptr<CPlotraDoc> scratch,
                                     Progress* progress) {
    // Mapped, not read into one buffer: a large project's workspace may be larger than any file read
    // whole, and the decoder takes the bytes where they lie.
    const MappedFile file(path);
    DecodedWorkspace out;
    switch (file.Status()) {
    case ReadStatus::CannotOpen:
        out.status = DecodedWorkspace::CannotOpen;
        return out;
    case ReadStatus::TooLarge:
        out.status = DecodedWorkspace::TooLarge;
        return out;
    case ReadStatus::Ok:
        break;
    }
    if (!HasWorkspaceMagic(file.Bytes())) {
        out.status = DecodedWorkspace::NotWorkspace;
        return out;
    }
    return DecodeWorkspaceImage(file.Bytes(), std::move(scratch), progress);
}

OpenOutcome FinishWorkspaceOpen(CPlotraDoc& doc, const WorkspaceOpen& open, DecodedWorkspace&& decoded) {
    switch (decoded.status) {
    case DecodedWorkspace::Decoded:
        break;
    case DecodedWorkspace::Cancelled:
        return OpenOutcome::NotNow;
    case DecodedWorkspace::CannotOpen:
        ReportCannotOpen(doc, open.path);
        return OpenOutcome::Refused;
    case DecodedWorkspace::TooLarge:
        ReportTooLarge(doc, open.path);
        return OpenOutcome::Refused;
    case DecodedWorkspace::WrongType:
        ReportUnsupportedWorkspaceType(doc);
        // The file menu's open also words a refused file type as an unrecognised file.
        if (open.fromFileMenu) ReportNotWorkspace(doc);
        return OpenOutcome::Refused;
    case DecodedWorkspace::NotWorkspace:
    case DecodedWorkspace::Malformed:
        ReportNotWorkspace(doc);
        return OpenOutcome::Refused;
    }
    AdoptDecodedWorkspace(doc, std::move(decoded));
    Edit::Project(doc).m_strWorkspacePath = open.path;
    // The project now holds data: table printing and the other "no data" checks must see it.
    Edit::Survey(doc).m_bNoData = 0;
    // Just read, the project is what its file holds (before the window is told its name).
    doc.SetModifiedFlag(false);
    doc.Host().setPathName(open.path, true);
    return OpenOutcome::Opened;
}

std::unique_ptr<WorkspaceOpenJob> StartWorkspaceOpenJob(CPlotraDoc& doc, const WorkspaceOpen& open,
                                                        Progress& progress, std::function<void()> finished) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    doc.SetJobRunning(true);
    // The scratch document takes the live document's picture colours here, on its thread.
    auto scratch = std::make_shared<std::unique_ptr<CPlotraDoc>>(ScratchDocumentFor(doc));
    return std::make_unique<WorkspaceOpenJob>(
        [path = open.path, prepare = open.prepare, scratch, &progress] {
            ShowProgress(progress, "Opening the project...");
            DecodedWorkspace decoded = DecodeWorkspaceFile(path, std::move(*scratch), &progress);
            if (prepare && decoded.status == DecodedWorkspace::Decoded && !progress.cancelRequested()) {
                try {
                    prepare(*decoded.doc, decoded.mapShown);
                } catch (const std::exception&) {
                    // What was to be prepared is made again where it is needed; the project opens.
                }
            }
            progress.hide();
            return decoded;
        },
        std::move(finished));
}

OpenOutcome ApplyWorkspaceOpenJob(CPlotraDoc& doc, WorkspaceOpenJob& job, const WorkspaceOpen& open,
                                  const Progress* progress) {
    std::string failure;
    std::optional<DecodedWorkspace> decoded = job.Take(&failure);
    doc.SetJobRunning(false);
    if (progress && progress->cancelRequested()) return OpenOutcome::NotNow;
    if (!decoded) {
        doc.Prompts().message(failure, "File Open Error", PromptIcon::Stop);
        return OpenOutcome::Refused;
    }
    return FinishWorkspaceOpen(doc, open, std::move(*decoded));
}

std::optional<std::string> ChooseWorkspaceToOpen(CPlotraDoc& doc) {
    if (RefuseWorkspaceCommand(doc)) return std::nullopt;
    FileChooserRequest request;
    request.title = "Open a HWS file";
    request.filter = kOpenWorkspaceFilter;
    request.defaultExtension = "hws";
    return doc.Prompts().chooseOpenFile(request);
}

void CPlotraDoc::OnOpenProject() {
    const std::optional<std::string> chosen = ChooseWorkspaceToOpen(*this);
    // Unsaved edits are asked about once there is something to open instead.
    if (!chosen || !SaveModified()) return;
    WorkspaceOpen open{*chosen, true, {}};
    FinishWorkspaceOpen(*this, open, DecodeWorkspaceFile(open.path, ScratchDocumentFor(*this), nullptr));
}

bool CPlotraDoc::OnOpenDocument(const std::string& path) {
    return OpenDocument(path) == OpenOutcome::Opened;
}

OpenOutcome CPlotraDoc::OpenDocument(const std::string& path) {
    if (RefuseWorkspaceCommand(*this) || !SaveModified()) return OpenOutcome::NotNow;
    // The current APs stay until the file has been read: a refused file leaves the project as it was.
    WorkspaceOpen open{path, false, {}};
    return FinishWorkspaceOpen(*this, open, DecodeWorkspaceFile(path, ScratchDocumentFor(*this), nullptr));
}

} // namespace plotra
