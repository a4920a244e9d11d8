#pragma once
/// \brief The ruler dialog: the two measured points (editable), the distance between them with its
/// unit, and "Calculation" to measure again from the edited points.

#include "model/PointQuery.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace plotra::gui {

class CRulerDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CRulerDlg(QWidget* parent = nullptr);

    /// Fills the fields from a measurement; remembers whether the points are planar (m_bMetric).
    void setReading(const RulerReading& reading);
    /// "Calculation": the distance of the four coordinate fields in the unit the (unchanged) label
    /// names.
    void calculate();

    /// The control of a dialog id (1022 ... 1085); null for another id.
    QLineEdit* field(int id) const;
    QPushButton* calculationButton() const { return m_calculation; }
    bool metric() const { return m_bMetric; }

  private:
    QLineEdit* AddField(int id, bool readOnly);

    bool m_bMetric = false;
    RulerUnit m_unit = RulerUnit::Meter; ///< the unit of the distance label
    QLineEdit* m_first[2] = {};          ///< 1023, 1025
    QLineEdit* m_second[2] = {};         ///< 1024, 1026
    QLineEdit *m_leftLabel[2] = {}, *m_rightLabel[2] = {};
    QLineEdit* m_distanceLabel = nullptr;
    QLineEdit* m_distance = nullptr;
    QPushButton* m_calculation = nullptr;
};

} // namespace plotra::gui
