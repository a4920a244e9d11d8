// Opening and saving a workspace from the main window: both run as jobs; a Cancel leaves the project
// (open) or the file on disk (save) exactly as it was, a failed save says so and keeps the project
// modified, and Exit with a Yes to saving closes the window only once the file is written.
#include "gui/GuiSession.h"
#include "app/MainWindow.h"
#include "files/FileIo.h"
#include "support/Fixtures.h"
#include "support/HeldWriter.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QAction>

#include <filesystem>
#include <fstream>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

std::vector<std::uint8_t> OnDisk(const std::string& path) {
    return ReadWholeFile(path).bytes;
}

class WorkspaceJobs : public ::testing::Test {
  protected:
    WorkspaceJobs() {
        session.setPrompts(&prompts);
        session.doc().OnNewDocument();
        frame = std::make_unique<CMainFrame>(session);
        frame->show();
        // A processed project written once, and opened (named, unmodified) as the user's project.
        CPlotraDoc source;
        LoadProcessedTiny(source);
        EXPECT_TRUE(source.WriteWorkspace(workspace));
        EXPECT_TRUE(session.doc().OnOpenDocument(workspace));
    }
    ~WorkspaceJobs() override { SetWriteFailureAfterBytesForTesting(-1); }

    CPlotraDoc& Doc() { return session.doc(); }
    bool WaitForJob() {
        return WaitUntil([&] { return !session.jobRunning(); });
    }
    /// Another project to open: the same survey with another alpha.
    std::string WriteOtherProject(int alpha) {
        const std::string other = dir.File("other.hws");
        CPlotraDoc d;
        LoadProcessedTiny(d);
        d.SetAlpha(alpha);
        EXPECT_TRUE(d.WriteWorkspace(other));
        return other;
    }
    /// An edit that the workspace stores.
    void Edit() {
        Doc().SetAlpha(Doc().Display().m_nAlpha == 100 ? 120 : 100);
        ASSERT_TRUE(Doc().IsModified());
    }

    SettingsSandbox settings;
    TempDir dir;
    const std::string workspace = dir.File("project.hws");
    PromptRecorder prompts;
    GuiSession session;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(WorkspaceJobs, OpenAndSaveFromTheWindowRunAsJobs) {
    const std::string other = WriteOtherProject(77);
    prompts.openFiles = {other};
    frame->runCommand(kCmdOpenProject);
    ASSERT_TRUE(session.jobRunning()) << "the file is read on the UI thread";
    EXPECT_NE(Doc().Display().m_nAlpha, 77) << "the project changed before the reading ended";
    EXPECT_FALSE(Doc().OnOpenDocument(other)) << "a second open is taken while one runs";
    prompts.prompts.clear();
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(Doc().Display().m_nAlpha, 77);
    EXPECT_EQ(Doc().Project().m_strWorkspacePath, other);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(frame->windowTitle(), "other.hws[*] - Hovrin Analyzer");
    EXPECT_EQ(frame->recentFiles().front(), QString::fromStdString(other));
    EXPECT_EQ(Doc().EncodeWorkspace(), OnDisk(other)) << "the project is not what its file holds";
    EXPECT_TRUE(prompts.Messages().empty());

    // Save: written as a job, the project marked saved only once the file is there.
    Edit();
    EXPECT_TRUE(session.undoStack().CanUndo());
    frame->runCommand(kCmdSaveProject);
    ASSERT_TRUE(session.jobRunning());
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(OnDisk(other), Doc().EncodeWorkspace());
    // The undo stack's clean point is the save: an undo and a redo come back to an unmodified project.
    session.undoStack().Undo();
    EXPECT_TRUE(Doc().IsModified());
    session.undoStack().Redo();
    EXPECT_FALSE(Doc().IsModified());

    // Save As to a new name: the project takes the name once it is written.
    const std::string renamed = dir.File("renamed.hws");
    prompts.saveFiles = {renamed};
    frame->runCommand(kCmdSaveProjectAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(Doc().Project().m_strWorkspacePath, renamed);
    EXPECT_EQ(OnDisk(renamed), OnDisk(other));
    EXPECT_EQ(frame->windowTitle(), "renamed.hws[*] - Hovrin Analyzer");
}

TEST_F(WorkspaceJobs, CancelledOpenLeavesTheProjectExactlyAsItWas) {
    Edit();
    const std::vector<std::uint8_t> before = Doc().EncodeWorkspace();
    const std::string other = WriteOtherProject(33);
    // The unsaved edit is asked about before the job starts: No, then the reading is cancelled.
    prompts.threeWayAnswers = {false};
    prompts.openFiles = {other};
    frame->runCommand(kCmdOpenProject);
    ASSERT_TRUE(session.jobRunning());
    EXPECT_EQ(prompts.prompts.size(), 1u);
    session.cancelJob();
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(Doc().EncodeWorkspace(), before);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().Project().m_strWorkspacePath, workspace);
    EXPECT_EQ(frame->windowTitle(), "project.hws[*] - Hovrin Analyzer");
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_TRUE(session.undoStack().CanUndo()) << "a cancelled open cleared the edits";

    // A refused file (not a workspace) leaves it as well, with the message of today.
    const std::string foreign = dir.File("notes.hws");
    std::ofstream(foreign) << "not a workspace at all";
    prompts.threeWayAnswers = {false};
    prompts.openFiles = {foreign};
    frame->runCommand(kCmdOpenProject);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"Invalid File: File is not recognized as a HWS file."});
    EXPECT_EQ(Doc().EncodeWorkspace(), before);
}

TEST_F(WorkspaceJobs, CancelledSaveLeavesTheFileAndTheProjectModified) {
    Edit();
    const std::vector<std::uint8_t> onDisk = OnDisk(workspace);
    const int alpha = Doc().Display().m_nAlpha;
    HeldWriter held;
    frame->runCommand(kCmdSaveProject);
    ASSERT_TRUE(session.jobRunning());
    ASSERT_TRUE(WaitUntil([&] { return held.Entered(); }));

    // The job reads the live project: nothing it writes may change meanwhile.
    Doc().SetAlpha(10);
    EXPECT_EQ(Doc().Display().m_nAlpha, alpha);
    const std::int32_t graphSection = Doc().Display().m_panel.m_bExpandGraph;
    Doc().ToggleSection(kSectionGraph);
    EXPECT_EQ(Doc().Display().m_panel.m_bExpandGraph, graphSection) << "a section changed under the save";
    frame->refreshCommands();
    EXPECT_FALSE(frame->action(kCmdTableWindow)->isEnabled()) << "the window switch is offered during a save";
    EXPECT_EQ(prompts.Messages().size(), 2u); // the two refusals ("Busy")

    session.cancelJob();
    held.Release();
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(OnDisk(workspace), onDisk) << "a cancelled save changed the file";
    EXPECT_FALSE(std::filesystem::exists(workspace + ".tmp-plotra"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(frame->isWindowModified());
    EXPECT_EQ(prompts.Messages().size(), 2u);
    // After the job, edits are taken again.
    Doc().SetAlpha(10);
    EXPECT_EQ(Doc().Display().m_nAlpha, 10);
}

TEST_F(WorkspaceJobs, FailedSaveSaysSoAndKeepsTheProjectModified) {
    Edit();
    prompts.saveFiles = {dir.File("no/such/folder/x.hws")};
    frame->runCommand(kCmdSaveProjectAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(prompts.Messages(), std::vector<std::string>{"Invalid File: Can not open the file!"});
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().Project().m_strWorkspacePath, workspace);
    EXPECT_FALSE(std::filesystem::exists(dir.File("no/such/folder/x.hws")));

    // A disk that fills half way keeps the previous file, and so does one that reports the failure
    // only when the written bytes are synced to it.
    const std::vector<std::uint8_t> onDisk = OnDisk(workspace);
    for (const bool atSync : {false, true}) {
        SCOPED_TRACE(atSync ? "failed at the sync" : "failed while writing");
        if (atSync)
            SetSyncFailureForTesting(true);
        else
            SetWriteFailureAfterBytesForTesting(100);
        const std::size_t told = prompts.Messages().size();
        frame->runCommand(kCmdSaveProject);
        ASSERT_TRUE(WaitForJob());
        SetSyncFailureForTesting(false);
        SetWriteFailureAfterBytesForTesting(-1);
        EXPECT_EQ(prompts.Messages().size(), told + 1);
        EXPECT_EQ(OnDisk(workspace), onDisk);
        EXPECT_FALSE(std::filesystem::exists(workspace + ".tmp-plotra"));
        EXPECT_TRUE(Doc().IsModified());
    }
}

TEST_F(WorkspaceJobs, ExitWithASaveClosesOnlyOnceTheFileIsWritten) {
    Edit();
    // The save fails: the window stays open, still modified.
    SetWriteFailureAfterBytesForTesting(100);
    prompts.threeWayAnswers = {true};
    frame->close();
    ASSERT_TRUE(WaitForJob());
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(prompts.Messages(), std::vector<std::string>{"Invalid File: Can not open the file!"});
    SetWriteFailureAfterBytesForTesting(-1);

    // Cancelled while it writes: open as well.
    {
        HeldWriter held;
        prompts.threeWayAnswers = {true};
        frame->close();
        ASSERT_TRUE(WaitUntil([&] { return held.Entered(); }));
        EXPECT_TRUE(frame->isVisible());
        session.cancelJob();
        held.Release();
        ASSERT_TRUE(WaitForJob());
        QCoreApplication::processEvents();
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(Doc().IsModified());
    }

    // Written: the window closes once the job has succeeded, and not before.
    HeldWriter held;
    prompts.threeWayAnswers = {true};
    frame->close();
    ASSERT_TRUE(WaitUntil([&] { return held.Entered(); }));
    EXPECT_TRUE(frame->isVisible()) << "closed before the project was written";
    held.Release();
    ASSERT_TRUE(WaitUntil([&] { return !frame->isVisible(); }));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(OnDisk(workspace), Doc().EncodeWorkspace());
}
