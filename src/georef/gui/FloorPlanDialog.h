#pragma once
/// \brief The scale tool of "Load Floor Plan...": the plan is shown, the user clicks two points a
/// known distance apart and types the distance with its unit; a scale bar and a north arrow (the
/// angle editable) show the result before the plan is accepted. For a PDF the page is chosen here.

#include "georef/gui/PlanCanvas.h"
#include "georef/render/PlanPicture.h"

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QPushButton;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace plotra::gui {

/// \brief The scale tool: the plan with its scale points, the distance, north and the corner's
/// position; accepted, it has made the map.
class FloorPlanDialog : public QDialog {
    Q_OBJECT
  public:
    /// \p first: the plan as read (the first page of a PDF).
    FloorPlanDialog(std::string path, PlanLoad first, QWidget* parent = nullptr);

    /// The placement as the controls give it now.
    PlanPlacement placement() const;
    /// The map made when the dialog was accepted.
    const FloorPlanMap& map() const { return m_map; }
    PlanCanvas* canvas() const { return m_canvas; }

  public slots:
    void accept() override;

  private:
    void BuildControls(QWidget* controls);
    void OnCanvasClicked(QPointF pixel);
    void OnPageChanged(int page);
    void SetPlan(PlanPicture plan);
    /// Shows the points, scale and state of the OK button after any change.
    void Refresh();
    std::optional<double> DistanceMetres() const;

    std::string m_path;
    PlanPicture m_plan;
    FloorPlanMap m_map;
    PlanCanvas* m_canvas = nullptr;
    QFormLayout* m_form = nullptr;
    QWidget* m_pageRow = nullptr;
    QSpinBox* m_page = nullptr;
    QLabel* m_pageLabel = nullptr;
    std::array<QDoubleSpinBox*, 4> m_coords{};
    QLineEdit* m_distance = nullptr;
    QComboBox* m_unit = nullptr;
    QDoubleSpinBox* m_north = nullptr;
    QDoubleSpinBox* m_lat = nullptr;
    QDoubleSpinBox* m_lon = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_ok = nullptr;
    int m_pointsSet = 0;
    bool m_updating = false;
};

} // namespace plotra::gui
