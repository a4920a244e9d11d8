// The survey file selection of a new project: which buttons each state allows, adding files (and
// refusing the same path twice), ticking in the tree, deleting, showing the list, merging, and the
// real open-file dialog behind "Select".
#include "files/gui/SurveySelectDialog.h"
#include "panel/ApTreeCtrl.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <deque>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

CDataFile File(const std::string& path, bool ticked) {
    CDataFile f;
    f.m_strPath = path;
    f.m_strName = path.substr(path.rfind('/') + 1);
    f.m_bUse = ticked ? 1 : 0;
    return f;
}

/// The dialog with its controls found by their ids, a prompt recorder and a queue of chosen files.
struct DialogUnderTest {
    PromptRecorder prompts;
    std::deque<std::optional<std::string>> chosen;
    CHSDSelectDialog dialog;
    QPushButton *ok, *cancel, *select, *del, *show;
    QCheckBox* merge;
    QLineEdit* edit;
    ApTreeCtrl* tree;

    explicit DialogUnderTest(std::vector<CDataFile> files = {}, bool mergeFlag = true)
        : dialog(prompts, files, mergeFlag) {
        ok = Named<QPushButton>(dialog, "1");
        cancel = Named<QPushButton>(dialog, "2");
        select = Named<QPushButton>(dialog, "1080");
        del = Named<QPushButton>(dialog, "1087");
        show = Named<QPushButton>(dialog, "1088");
        merge = Named<QCheckBox>(dialog, "1090");
        edit = Named<QLineEdit>(dialog, "1081");
        tree = Named<ApTreeCtrl>(dialog, "167");
        dialog.chooseFile = [this](QWidget*) {
            if (chosen.empty()) return std::optional<std::string>();
            auto next = chosen.front();
            chosen.pop_front();
            return next;
        };
        dialog.show();
    }
    void Add(const std::string& path) {
        chosen.push_back(path);
        select->click();
    }
    QTreeWidgetItem* Root() const { return tree->topLevelItem(0); }
    std::vector<std::string> Paths() const {
        std::vector<std::string> out;
        for (const auto& f : dialog.files())
            out.push_back(f.m_strPath);
        return out;
    }
    /// OK, Delete and Merge enabled, in that order.
    std::array<bool, 3> Enabled() const { return {ok->isEnabled(), del->isEnabled(), merge->isEnabled()}; }
};

using Buttons = std::array<bool, 3>;

} // namespace

TEST(SurveySelectDialog, AnEmptyListOffersOnlySelect) {
    DialogUnderTest d;
    EXPECT_EQ(d.dialog.windowTitle(), "Select the Hovrin Survey Data File ");
    EXPECT_EQ(Named<QLabel>(d.dialog, "prompt")->text(),
              "Select the Hovrin Survey Data File (*.hsd) that \n you wish to base this project on");
    EXPECT_EQ(d.select->text(), "Select");
    EXPECT_EQ(d.merge->text(), " Merge File");
    EXPECT_EQ(d.Enabled(), (Buttons{false, false, false}));
    EXPECT_FALSE(d.show->isVisible());
    EXPECT_TRUE(d.edit->isReadOnly());
    EXPECT_EQ(d.tree->topLevelItemCount(), 0);
    EXPECT_EQ(d.dialog.currentItem(), -2);
    d.cancel->click();
    EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(d.prompts.prompts.empty());
}

TEST(SurveySelectDialog, TheFilesOfTheLastProjectAreShownAtOnce) {
    // Two of three ticked, merge off: everything is allowed, the box shows the flag. OK and Delete
    // act on these files, so they are listed from the start.
    DialogUnderTest d({File("/d/a.hsd", true), File("/d/b.hsd", false), File("/d/c.hsd", true)}, false);
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, true}));
    EXPECT_FALSE(d.merge->isChecked());
    EXPECT_TRUE(d.show->isVisible());
    EXPECT_FALSE(d.show->isEnabled());
    EXPECT_EQ(d.select->text(), "Add");
    QTreeWidgetItem* root = d.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), "Selected Files");
    EXPECT_EQ(ApTreeCtrl::ItemData(root), -1);
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(d.tree->currentItem(), root);
    ASSERT_EQ(root->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ApTreeCtrl::ItemData(root->child(i)), i);
        EXPECT_EQ(root->child(i)->text(0).toStdString(),
                  d.dialog.files()[static_cast<std::size_t>(i)].m_strPath);
    }
    EXPECT_EQ(root->child(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(root->child(1)->checkState(0), Qt::Unchecked);

    // One ticked file: no merging; none: nothing to accept or delete.
    DialogUnderTest one({File("/d/a.hsd", true), File("/d/b.hsd", false)});
    EXPECT_EQ(one.Enabled(), (Buttons{true, true, false}));
    DialogUnderTest none({File("/d/a.hsd", false)});
    EXPECT_EQ(none.Enabled(), (Buttons{false, false, false}));
    EXPECT_EQ(none.select->text(), "Add");
}

TEST(SurveySelectDialog, SelectAddsFilesAndRefusesTheSamePathTwice) {
    DialogUnderTest d;
    d.Add("/surveys/walk1.hsd");
    ASSERT_EQ(d.dialog.files().size(), 1u);
    const CDataFile& first = d.dialog.files()[0];
    EXPECT_EQ(first.m_strPath, "/surveys/walk1.hsd");
    EXPECT_EQ(first.m_strName, "walk1");
    EXPECT_EQ(first.m_bUse, 1);
    EXPECT_TRUE(first.m_strCreated.empty());
    EXPECT_EQ(d.edit->text(), "/surveys/walk1.hsd");
    EXPECT_EQ(d.select->text(), "Add");
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, false}));
    ASSERT_NE(d.Root(), nullptr);
    EXPECT_EQ(d.Root()->childCount(), 1);

    d.Add("/surveys/walk2.hsd");
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, true}));
    EXPECT_TRUE(d.merge->isChecked());
    EXPECT_EQ(d.Root()->childCount(), 2);

    // The same path again is refused; the edit keeps the last file added.
    d.Add("/surveys/walk1.hsd");
    EXPECT_EQ(d.prompts.Messages(), std::vector<std::string>{"Invalid File: This file has been selected!"});
    EXPECT_EQ(d.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(d.Paths(), (std::vector<std::string>{"/surveys/walk1.hsd", "/surveys/walk2.hsd"}));
    EXPECT_EQ(d.edit->text(), "/surveys/walk2.hsd");

    // Another spelling of a path is another file; a cancelled choice changes nothing.
    d.Add("/surveys/WALK1.hsd");
    EXPECT_EQ(d.dialog.files().size(), 3u);
    d.chosen.push_back(std::nullopt);
    d.select->click();
    EXPECT_EQ(d.dialog.files().size(), 3u);
    EXPECT_EQ(d.prompts.prompts.size(), 1u);
}

TEST(SurveySelectDialog, TicksInTheTreeDecideOkDeleteAndMerge) {
    DialogUnderTest d;
    d.Add("/s/a.hsd");
    d.Add("/s/b.hsd");
    QTreeWidgetItem* root = d.Root();
    ASSERT_NE(root, nullptr);

    // The root (unticked so far) ticks every file, and unticks them all again.
    ClickTick(*d.tree, root);
    EXPECT_EQ(d.dialog.currentItem(), -1);
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, true}));
    ClickTick(*d.tree, root);
    EXPECT_EQ(root->child(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(root->child(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(d.dialog.files()[0].m_bUse, 0);
    EXPECT_EQ(d.dialog.files()[1].m_bUse, 0);
    EXPECT_EQ(d.Enabled(), (Buttons{false, false, false}));

    ClickTick(*d.tree, root->child(1));
    EXPECT_EQ(d.dialog.currentItem(), 1);
    EXPECT_EQ(d.dialog.files()[1].m_bUse, 1);
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, false}));
    ClickTick(*d.tree, root->child(0));
    EXPECT_EQ(d.Enabled(), (Buttons{true, true, true}));

    // The merge box turns the flag over; OK hands back the list with the ticks and the flag.
    d.merge->click();
    EXPECT_FALSE(d.dialog.selection().merge);
    d.merge->click();
    d.merge->click();
    d.ok->click();
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    const SurveySelection chosen = d.dialog.selection();
    EXPECT_FALSE(chosen.merge);
    ASSERT_EQ(chosen.files.size(), 2u);
    EXPECT_EQ(chosen.files[0].m_bUse, 1);
    EXPECT_EQ(chosen.files[1].m_bUse, 1);
}

TEST(SurveySelectDialog, DeleteAsksThenRemovesTheTickedFiles) {
    DialogUnderTest d({File("/s/a.hsd", true), File("/s/b.hsd", false), File("/s/c.hsd", true)});
    d.del->click(); // answered No
    ASSERT_EQ(d.prompts.prompts.size(), 1u);
    EXPECT_EQ(d.prompts.prompts[0].kind, "question");
    EXPECT_EQ(d.prompts.prompts[0].text, "Delete Selected Files?");
    EXPECT_EQ(d.prompts.prompts[0].caption, "Delete Files");
    EXPECT_EQ(d.dialog.files().size(), 3u);
    ASSERT_NE(d.Root(), nullptr); // the list is shown again
    EXPECT_EQ(d.Root()->childCount(), 3);

    d.prompts.answers.push_back(true);
    d.del->click();
    EXPECT_EQ(d.Paths(), std::vector<std::string>{"/s/b.hsd"});
    ASSERT_NE(d.Root(), nullptr);
    EXPECT_EQ(d.Root()->childCount(), 1);
    EXPECT_EQ(ApTreeCtrl::ItemData(d.Root()->child(0)), 0);
    EXPECT_EQ(d.select->text(), "Add");

    // Deleting the last file empties the tree and leaves only Select.
    ClickTick(*d.tree, d.Root()->child(0));
    d.prompts.answers.push_back(true);
    d.del->click();
    EXPECT_TRUE(d.dialog.files().empty());
    EXPECT_EQ(d.tree->topLevelItemCount(), 0);
    EXPECT_EQ(d.Enabled(), (Buttons{false, false, false}));
    EXPECT_EQ(d.select->text(), "Select");
}

TEST(SurveySelectDialog, NewProjectOverAnOpenProjectDeletesOnlyWhatItShows) {
    // The previous project's two files, both ticked; two files added, then unticked.
    DialogUnderTest d({File("/old/a.hsd", true), File("/old/b.hsd", true)});
    d.Add("/new/c.hsd");
    d.Add("/new/d.hsd");
    ASSERT_NE(d.Root(), nullptr);
    ASSERT_EQ(d.Root()->childCount(), 4);
    ClickTick(*d.tree, d.Root()->child(2));
    ClickTick(*d.tree, d.Root()->child(3));
    // What is ticked is what the tree shows ticked.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.Root()->child(i)->checkState(0) == Qt::Checked,
                  d.dialog.files()[static_cast<std::size_t>(i)].m_bUse != 0);

    // Delete removes the ticked files, which were on the screen; the rest are unticked, so there is
    // nothing to accept any more.
    d.prompts.answers.push_back(true);
    d.del->click();
    EXPECT_EQ(d.Paths(), (std::vector<std::string>{"/new/c.hsd", "/new/d.hsd"}));
    ASSERT_NE(d.Root(), nullptr);
    EXPECT_EQ(d.Root()->childCount(), 2);
    EXPECT_EQ(d.Enabled(), (Buttons{false, false, false}));
}

TEST(SurveySelectDialog, SelectOpensAFileDialogForSurveyFiles) {
    PromptRecorder prompts;
    CHSDSelectDialog dialog(prompts, {}, true);
    dialog.show();
    QStringList filters;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    OnNextModal<QFileDialog>([&](QFileDialog* files) {
        filters = files->nameFilters();
        mode = files->fileMode();
        files->reject();
    });
    Named<QPushButton>(dialog, "1080")->click();
    // Wardriving logs are offered with the survey files.
    EXPECT_EQ(filters,
              (QStringList{"Survey data (*.hsd *.csv)", "Hovrin Site Survey File (*.hsd)", "All files (*)"}));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_TRUE(dialog.files().empty());
}
