#pragma once
/// \brief "Client Report (PDF)": the cover texts, paper, colour scale, requirement and target share of
/// the client report, and the command that asks for them and writes the PDF.

#include "report/ClientReport.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace plotra::gui {

class GuiSession;

class ClientReportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ClientReportDialog(QWidget* parent = nullptr);

    void setOptions(const ClientReportOptions& options);
    /// The options as entered (the clock is left empty: the current time).
    ClientReportOptions options() const;

    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* customerEdit() const { return m_customer; }
    QLineEdit* surveyorEdit() const { return m_surveyor; }
    QComboBox* paperBox() const { return m_paper; }
    QComboBox* paletteBox() const { return m_palette; }
    QDoubleSpinBox* signalBox() const { return m_signal; }
    QDoubleSpinBox* snrBox() const { return m_snr; }
    QDoubleSpinBox* targetBox() const { return m_target; }

  private:
    QLineEdit *m_title, *m_customer, *m_surveyor;
    QComboBox *m_paper, *m_palette;
    QDoubleSpinBox *m_signal, *m_snr, *m_target;
};

/// The desktop command: refused without APs or while a calculation runs; asks for the options
/// (remembered in the settings group "ClientReport") and the file, then writes the PDF from the live
/// document and says where it went, or why it could not be written.
void ExportClientReport(GuiSession& session, QWidget* parent);

} // namespace plotra::gui
