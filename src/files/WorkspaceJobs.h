#pragma once
/// \brief Opening and saving a workspace as jobs: the questions and refusals on the user-interface
/// thread, the decoding or the writing on the job's thread, and the result taken over by the
/// document on its own thread. The synchronous commands (CPlotraDoc::OnSaveProject, OpenDocument…)
/// go through the same steps on the calling thread.

#include "files/Workspace.h"
#include "model/Job.h"
#include "model/PlotraDoc.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plotra {

/// \brief What Save and Save As write, settled before the writing starts.
struct WorkspaceSave {
    std::string path;      ///< where the file goes (the project takes this name once it is written)
    bool mapShown = false; ///< the map view's toggle, taken from the host on its thread
};

/// The steps of Save (\p saveAs false; an unnamed project asks for a name) and Save As before the
/// writing: the refusals while a job runs or the table window is shown, and the file chooser.
/// Nothing when there is nothing to write.
std::optional<WorkspaceSave> PrepareWorkspaceSave(CPlotraDoc& doc, bool saveAs);

/// After the writing: a failed write says "Can not open the file!" and a cancelled one nothing (the
/// project stays modified either way); a written one gives the project its name, marks it saved
/// (the undo stack's clean point) and tells the window. True when written.
bool FinishWorkspaceSave(CPlotraDoc& doc, const WorkspaceSave& save, SaveResult result);

using WorkspaceSaveJob = Job<SaveResult>;

/// Starts writing as a job. The job reads the live document, so until it is applied the document
/// takes no edit, and neither the panel's sections nor the window switch change what it stores.
std::unique_ptr<WorkspaceSaveJob> StartWorkspaceSaveJob(CPlotraDoc& doc, const WorkspaceSave& save,
                                                        Progress& progress,
                                                        std::function<void()> finished = {});

/// Applies a finished save job (FinishWorkspaceSave); an exception inside it is reported. True when written.
bool ApplyWorkspaceSaveJob(CPlotraDoc& doc, WorkspaceSaveJob& job, const WorkspaceSave& save);

/// \brief A workspace to open and how the opening was asked for.
struct WorkspaceOpen {
    std::string path;
    /// File > Open also words a refused file type as an unrecognised file.
    bool fromFileMenu = false;
    /// Run on the job's thread with the decoded project, as the document will hold it, and whether
    /// its map is shown: what the windows show first can be made there instead of on the
    /// user-interface thread once the project is taken over.
    std::function<void(const CPlotraDoc& decoded, bool mapShown)> prepare;
};

/// File > Open before the reading: the refusals and the file chooser; nothing when nothing was chosen.
/// The caller asks about unsaved changes next (SaveModified).
std::optional<std::string> ChooseWorkspaceToOpen(CPlotraDoc& doc);

/// The refusals of every workspace command: a job runs, or the table window is shown.
bool RefuseWorkspaceCommand(const CPlotraDoc& doc);

/// After the decoding: the refusals are reported with their messages and leave the project as it
/// was; a decoded workspace replaces the project, which takes the file's name, unmodified.
OpenOutcome FinishWorkspaceOpen(CPlotraDoc& doc, const WorkspaceOpen& open, DecodedWorkspace&& decoded);

using WorkspaceOpenJob = Job<DecodedWorkspace>;

/// Starts reading as a job (into a scratch document; the live one is untouched until applied). The
/// caller has asked the questions; edits are refused until the job is applied.
std::unique_ptr<WorkspaceOpenJob> StartWorkspaceOpenJob(CPlotraDoc& doc, const WorkspaceOpen& open,
                                                        Progress& progress,
                                                        std::function<void()> finished = {});

/// Applies a finished open job (FinishWorkspaceOpen); cancelled, the project stays exactly as it was.
/// A Cancel given after the reading but before this (\p progress asked) keeps the project too.
OpenOutcome ApplyWorkspaceOpenJob(CPlotraDoc& doc, WorkspaceOpenJob& job, const WorkspaceOpen& open,
                                  const Progress* progress = nullptr);

} // namespace plotra
