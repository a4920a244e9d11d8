#pragma once
/// \brief "Html Report Options": which sections the report writes. The two contour sections need a
/// combined coverage; without one their boxes cannot be changed.

#include "report/ReportWriter.h"

#include <QDialog>

#include <array>

class QCheckBox;

namespace plotra::gui {

class CDialogHtmlRpt : public QDialog {
    Q_OBJECT
  public:
    explicit CDialogHtmlRpt(QWidget* parent = nullptr);

    /// Whether a combined coverage exists; set before the dialog runs.
    void setCoverageReady(bool ready);
    /// The sections as ticked (the answers to the questions stay at their defaults).
    ReportOptions options() const;
    QCheckBox* box(int id) const;

  private:
    std::array<QCheckBox*, 6> m_boxes{};
};

} // namespace plotra::gui
