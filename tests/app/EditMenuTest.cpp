// The Edit menu: between File and View, Undo and Redo with their keys, texts that name the edit they
// take back or do again, enabled by the session's undo stack (not in the table window), refused with
// the busy message while a job runs, and the title's modified mark back off at the saved state.
#include "app/MainWindow.h"
#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

class EditMenuTest : public ::testing::Test {
  protected:
    EditMenuTest() {
        session.setPrompts(&prompts);
        LoadProcessedTiny(session.doc());
        session.doc().SetModifiedFlag(false);
        frame = std::make_unique<CMainFrame>(session);
    }
    QAction& Undo() { return *frame->action(kCmdUndo); }
    QAction& Redo() { return *frame->action(kCmdRedo); }
    std::string Text(const QAction& a) const { return a.text().toStdString(); }

    SettingsSandbox settings;
    PromptRecorder prompts;
    GuiSession session;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(EditMenuTest, SitsBetweenFileAndViewWithUndoRedoAndTheirKeys) {
    std::vector<std::string> titles;
    QMenu* edit = nullptr;
    for (QAction* a : frame->menuBar()->actions()) {
        titles.push_back(a->text().toStdString());
        if (a->menu() && a->menu()->objectName() == "menuEdit") edit = a->menu();
    }
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(titles.begin(), titles.begin() + 3),
              (std::vector<std::string>{"&File", "&Edit", "&View"}));
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(edit->actions().size(), 2);
    EXPECT_EQ(edit->actions()[0], &Undo());
    EXPECT_EQ(edit->actions()[1], &Redo());
    EXPECT_EQ(Undo().objectName(), "57643");
    EXPECT_EQ(Redo().objectName(), "57644");
    EXPECT_EQ(Undo().shortcuts(), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)});
    EXPECT_EQ(Redo().shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                       QKeySequence(Qt::CTRL | Qt::Key_Y)}));
    // Nothing done yet: the plain commands, disabled.
    EXPECT_EQ(Text(Undo()), "&Undo\tCtrl+Z");
    EXPECT_EQ(Text(Redo()), "&Redo\tCtrl+Y");
    EXPECT_FALSE(Undo().isEnabled());
    EXPECT_FALSE(Redo().isEnabled());
}

TEST_F(EditMenuTest, TextsNameTheEditAndTheCommandsTakeItBackAndDoItAgain) {
    CPlotraDoc& doc = session.doc();
    ASSERT_FALSE(doc.Aps().m_aAPs.empty());
    const std::string mac = doc.Aps().m_aAPs[0].MacText();
    const CDataGeo from = doc.Aps().m_aAPs[0].m_posAP;
    // A drop on the map, as the move tool ends a drag.
    doc.FinishApDrag(0, CDataGeo(from.m_dY + 1e-4, from.m_dX + 1e-4));
    EXPECT_EQ(Text(Undo()), "&Undo Move AP " + mac + "\tCtrl+Z");
    EXPECT_TRUE(Undo().isEnabled());
    EXPECT_TRUE(frame->isWindowModified());

    Undo().trigger();
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dY, from.m_dY);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dX, from.m_dX);
    EXPECT_EQ(Text(Undo()), "&Undo\tCtrl+Z");
    EXPECT_FALSE(Undo().isEnabled());
    EXPECT_EQ(Text(Redo()), "&Redo Move AP " + mac + "\tCtrl+Y");
    EXPECT_TRUE(Redo().isEnabled());
    EXPECT_FALSE(frame->isWindowModified()) << "back at the state the project was in";

    Redo().trigger();
    EXPECT_NE(doc.Aps().m_aAPs[0].m_posAP.m_dY, from.m_dY);
    EXPECT_TRUE(frame->isWindowModified());

    // A name with an ampersand shows it, not a mnemonic.
    CGroupInfo& group = Edit::Aps(doc).m_groups.m_aGroups.at(0);
    group.m_strName = "SSID: \"Fish & Chips\"";
    const bool ticked = group.m_bSelected != 0;
    doc.SetGroupTicked(0, !ticked);
    EXPECT_EQ(Text(Undo()),
              std::string(ticked ? "&Undo Untick" : "&Undo Tick") + " Group SSID: \"Fish && Chips\"\tCtrl+Z");
}

TEST_F(EditMenuTest, RefusedWhileAJobRunsAndDisabledInTheTableWindow) {
    CPlotraDoc& doc = session.doc();
    doc.SetAlpha(77);
    ASSERT_TRUE(Undo().isEnabled());
    doc.SetJobRunning(true);
    frame->runCommand(kCmdUndo);
    EXPECT_EQ(doc.Display().m_nAlpha, 77);
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"Busy: A calculation is still running. Please wait "
                                       "until it has finished, or cancel it."});
    doc.SetJobRunning(false);

    frame->runCommand(kCmdTableWindow);
    ASSERT_EQ(frame->rightPaneKind(), CMainFrame::PaneKind::Table);
    EXPECT_FALSE(Undo().isEnabled());
    frame->runCommand(kCmdGraphWindow);
    EXPECT_TRUE(Undo().isEnabled());
    frame->runCommand(kCmdUndo);
    EXPECT_NE(doc.Display().m_nAlpha, 77);
}
