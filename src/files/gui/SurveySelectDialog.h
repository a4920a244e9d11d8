#pragma once
/// \brief The survey file selection of a new project (CHSDSelectDialog): the user adds survey files
/// one at a time, ticks the ones to use in a tree, deletes the ticked ones, and chooses whether the
/// access points of several files are merged. The file list is a copy: the project changes only when
/// the dialog ends with OK (the caller takes selection()).

#include "model/Interfaces.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

namespace plotra::gui {

class ApTreeCtrl;

class CHSDSelectDialog : public QDialog {
    Q_OBJECT
  public:
    /// \p prompts shows the dialog's messages and questions (the document's prompts).
    CHSDSelectDialog(UserPrompts& prompts, const std::vector<CDataFile>& files, bool merge,
                     QWidget* parent = nullptr);

    /// The file list as edited and the merge choice (meaningful after OK).
    SurveySelection selection() const;
    const std::vector<CDataFile>& files() const { return m_aFiles; }
    int mergeFlag() const { return m_nMerge; }
    /// Item data of the tree item last toggled: -1 the root, a file index, -2 none yet.
    int currentItem() const { return m_nCurrentItem; }

    /// The file chooser behind "Select"/"Add": by default a real open-file dialog for survey files;
    /// tests put their own here. Nothing means cancelled.
    std::function<std::optional<std::string>(QWidget* parent)> chooseFile;
    /// The open-file dialog "Select"/"Add" shows by default.
    static std::optional<std::string> ChooseSurveyFile(QWidget* parent);

    ApTreeCtrl* tree() const { return m_tree; }

  private:
    void OnSelect();
    void OnDelete();
    void OnShowSelected();
    void OnMerge();
    void OnTreeTick(QTreeWidgetItem* item);
    void RefillTree();
    int TickedCount() const;
    /// Merge box enabled (and checked from the merge flag) for more than one ticked file.
    void EnableMergeFor(int ticked);
    /// OK and Delete need a ticked file, the merge box two: one rule after every change of the list.
    void UpdateButtons();

    UserPrompts& m_prompts;
    std::vector<CDataFile> m_aFiles;
    int m_nMerge = 1;
    std::string m_strChosenTitle, m_strChosenPath;
    int m_nCurrentItem = -2;

    QLabel* m_prompt;
    QLineEdit* m_chosen;
    QPushButton* m_select;
    QPushButton* m_showSelected;
    QCheckBox* m_merge;
    ApTreeCtrl* m_tree;
    QPushButton* m_ok;
    QPushButton* m_delete;
    QPushButton* m_cancel;
};

} // namespace plotra::gui
