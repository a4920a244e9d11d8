#pragma once
/// \brief The about box (CAboutDlg): the application icon, the program's name and version, one line
/// about what it is for, and OK.

#include <QDialog>

namespace plotra::gui {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace plotra::gui
