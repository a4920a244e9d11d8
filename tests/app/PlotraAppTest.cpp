// Start-up of the desktop program: the font settings, the splash that leaves the event loop running,
// and a workspace named on the command line, opened or refused with the program staying up.
#include "app/PlotraApp.h"
#include "app/MainWindow.h"
#include "gui/AppSettings.h"
#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <fstream>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// Starts the program as with "plotra ARGS" (no splash), its messages recorded.
struct Started {
    SettingsSandbox settings;
    PromptRecorder prompts;
    CPlotraApp app;
    bool ok = false;
    explicit Started(const QStringList& args, int splash = 0) {
        app.session().setPrompts(&prompts);
        ok = app.InitInstance(QStringList{"plotra"} + args, splash);
        // A workspace named on the command line is read as a job.
        WaitUntil([this] { return !app.session().jobRunning(); });
    }
    CPlotraDoc& Doc() { return app.session().doc(); }
};

} // namespace

TEST(PlotraApp, AWorkspaceOnTheCommandLineIsOpened) {
    TempDir dir;
    const std::string path = dir.File("survey.hws");
    {
        CPlotraDoc source;
        LoadProcessedTiny(source);
        Edit::Display(source).m_bStarted = 1; // as in every project the program itself saves
        ASSERT_TRUE(source.WriteWorkspace(path));
    }
    Started s({QString::fromStdString(path)});
    ASSERT_TRUE(s.ok);
    EXPECT_TRUE(s.prompts.prompts.empty());
    EXPECT_EQ(s.Doc().Display().m_bStarted, 1);
    EXPECT_FALSE(s.Doc().Aps().m_aAPs.empty());
    EXPECT_EQ(s.Doc().Display().m_bDataLoaded, 1);
    EXPECT_EQ(s.Doc().Project().m_strWorkspacePath, path);
    CMainFrame* frame = s.app.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "survey.hws[*] - Hovrin Analyzer");
    EXPECT_EQ(frame->recentFiles(), QStringList{QString::fromStdString(path)});
    EXPECT_TRUE(frame->action(kCmdTableWindow)->isEnabled());
}

TEST(PlotraApp, ARefusedWorkspaceLeavesTheProgramUpWithAnEmptyProject) {
    TempDir dir;
    const std::string foreign = dir.File("notes.hws");
    std::ofstream(foreign) << "not a workspace at all";
    {
        Started s({QString::fromStdString(foreign)});
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.prompts.Messages(),
                  std::vector<std::string>{"Invalid File: File is not recognized as a HWS file."});
        EXPECT_TRUE(s.app.mainFrame()->isVisible());
        EXPECT_TRUE(s.Doc().Aps().m_aAPs.empty());
        EXPECT_EQ(s.Doc().Display().m_bStarted, 1);
        EXPECT_EQ(s.app.mainFrame()->windowTitle(), "Hovrin[*] - Hovrin Analyzer");
        EXPECT_TRUE(s.app.mainFrame()->recentFiles().isEmpty());
        // The empty project goes on as usual: a new project asks its first question.
        s.app.mainFrame()->runCommand(kCmdNewProject);
        ASSERT_EQ(s.prompts.prompts.size(), 2u);
        EXPECT_EQ(s.prompts.prompts[1].caption, "No Projection File");
    }
    const std::string missing = dir.File("gone.hws");
    Started s({QString::fromStdString(missing), "--unknown-option"});
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.prompts.Messages(),
              std::vector<std::string>{"File Open Error: Could not open file \"" + missing + "\""});
    EXPECT_TRUE(s.app.mainFrame()->isVisible());
}

TEST(PlotraApp, FontSettingsAndTheSplash) {
    {
        Started s({});
        EXPECT_EQ(PrintFontSettings().name, "Arial");
        EXPECT_EQ(PrintFontSettings().size, 120);
        EXPECT_EQ(PrintFontSettings().family, 34);
    }
    SettingsSandbox settings;
    {
        QSettings stored("Norlit Systems", "Plotra");
        stored.beginGroup("Settings");
        stored.setValue("FontName", "DejaVu Sans");
        stored.setValue("FontSize", 100);
        stored.setValue("FontFamily", "not a number");
    }
    PromptRecorder prompts;
    CPlotraApp app;
    app.session().setPrompts(&prompts);
    ASSERT_TRUE(app.InitInstance({"plotra"}, 100));
    EXPECT_EQ(PrintFontSettings().name, "DejaVu Sans");
    EXPECT_EQ(PrintFontSettings().size, 100);
    EXPECT_EQ(PrintFontSettings().family, 34);

    // The splash shows over the window while the event loop runs, and goes by itself.
    QPointer<QWidget> splash = app.mainFrame()->splash();
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->objectName(), "SPLASH");
    EXPECT_TRUE(WaitUntil([&] { return splash.isNull() || !splash->isVisible(); }, 10000));
    EXPECT_TRUE(prompts.prompts.empty());
}
