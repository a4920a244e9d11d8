#pragma once
/// \brief "Save Table Options": whether the text export writes the column headings, encloses texts
/// in quotes, and which delimiter it puts after every cell (tab, comma, space or a character of the
/// user's, of plain ASCII). It starts with its defaults every time; F1 opens the help page on it.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace plotra::gui {

class CTableSaveOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CTableSaveOptionsDialog(QWidget* parent = nullptr);

    bool headings() const;
    bool quotes() const;
    /// 0 Tab, 1 Comma, 2 Space, 3 Other.
    int delimiterChoice() const;
    QString otherText() const;
    /// The delimiter character the choice gives (the first character of the other text, a blank
    /// when it is empty).
    char delimiter() const;
    /// Where F1 looks for the help pages: the main window's help folder.
    QString helpDirectory() const;

  public slots:
    /// OK: refuses an other delimiter beyond plain ASCII with a message and stays open.
    void accept() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QCheckBox* m_headings;
    QCheckBox* m_quotes;
    QButtonGroup* m_delimiters;
    QLineEdit* m_other;
};

} // namespace plotra::gui
