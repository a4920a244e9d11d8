#pragma once
/// \brief The metric selection (CUnitDialog): "Metric Selection", a drop-down list with "Feet" and
/// "Meter" (control 1079) and OK. The caller presets the line from the document's unit and maps the
/// line back to it when the dialog returns.

#include <QDialog>

class QComboBox;

namespace plotra::gui {

class CUnitDialog : public QDialog {
    Q_OBJECT
  public:
    enum Line { kFeet = 0, kMeter = 1 };

    explicit CUnitDialog(QWidget* parent = nullptr);

    /// The line chosen: 0 "Feet", 1 "Meter". Set it before exec() to preset the list.
    int selection() const { return m_nSelection; }
    void setSelection(int line);
    QComboBox* combo() const { return m_combo; }

    /// The line for a unit factor (metres per display unit): metres above 0.5, else feet.
    static int LineForUnitFactor(double unitFactor) { return unitFactor > 0.5 ? kMeter : kFeet; }

  private:
    QComboBox* m_combo;
    int m_nSelection = kFeet;
};

} // namespace plotra::gui
