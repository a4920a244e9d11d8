#pragma once
/// \brief The document's prompts in the desktop program: message boxes with the caption, text, icon
/// and buttons the document asks for, and real file dialogs with its titles and filters.

#include "model/Interfaces.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QMessageBox;

namespace plotra::gui {

/// The file-dialog filter "Description|*.ext|...||" of the document in Qt's syntax
/// ("Description (*.ext);;..."): a description that already names its pattern keeps it.
QString QtFileFilter(const std::string& filter);

/// Puts \p text into a message box so that the box fits the screen: a text of more than \p maxLines
/// lines shows its first \p maxLines and "… and N more", with the whole text as the detailed text.
void SetFittingText(QMessageBox& box, const QString& text, int maxLines = 15);

class GuiPrompts : public UserPrompts {
  public:
    explicit GuiPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const std::string& text, const std::string& caption, PromptIcon icon) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    std::optional<bool> askYesNoCancel(const std::string& text, const std::string& caption) override;
    bool askOkCancel(const std::string& text, const std::string& caption, PromptIcon icon) override;
    std::optional<std::string> chooseOpenFile(const FileChooserRequest& request) override;
    std::optional<std::string> chooseSaveFile(const FileChooserRequest& request) override;
    std::optional<SurveySelection> chooseSurveyFiles(const std::vector<CDataFile>& current,
                                                     bool merge) override;

    /// The survey file selection dialog, set by the main window.
    std::function<std::optional<SurveySelection>(QWidget*, const std::vector<CDataFile>&, bool)>
        surveyChooser;

  private:
    QPointer<QWidget> m_parent;
};

} // namespace plotra::gui
