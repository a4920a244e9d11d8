#pragma once
/// \brief The display block, shown while survey data is loaded: "Transparency", the walk path and
/// its width, the path without GPS, AP markers, latitude/longitude, X/Y grid lines, the grid and
/// matrix resolutions and "Plot Coverage". It follows the display settings it shows, the rectangle
/// (the matrix sliders' ranges) and whether a job runs.

#include "panel/PanelParts.h"

class QVBoxLayout;

namespace plotra::gui {

class CBitCheckButton;
class CRangeControl;
class CResolutionControl;

class DisplaySection : public PanelSection {
    Q_OBJECT
  public:
    DisplaySection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

  private:
    QWidget* BuildBlock();
    /// The matrix resolutions and "Plot Coverage", below the toggles.
    void AddMatrixAndPlotRows(QWidget* block, QVBoxLayout* column);
    void Connect();
    void OnNotice(const ChangeNotice& notice) override;
    /// Shows the document's values when they differ from those shown (\p force: always).
    void Refresh(bool force);
    void ShowMatrix(CResolutionControl* control, double value, double minimum, double maximum,
                    const QString& unit);
    void OnPlotCoverage();

    QWidget *m_block, *m_gap;
    CRangeControl* m_transparency;
    CBitCheckButton *m_togglePath, *m_toggleNoGps, *m_toggleApMarkers, *m_toggleLonLat;
    CBitCheckButton *m_toggleXGrid, *m_toggleYGrid;
    CImageTextButton* m_lineWidth;
    CResolutionControl *m_gridResolution, *m_matrixX, *m_matrixY;
    CImageTextButton* m_plotCoverage;

    struct Shown {
        bool data = false, path = false, noGps = false, markers = false, lonLat = false;
        bool xGrid = false, yGrid = false, jobRunning = false;
        int percent = 0, lineWidth = 1, gridLines = 0;
        double xValue = 0, xMin = 0, xMax = 0, yValue = 0, yMin = 0, yMax = 0;
        std::string xUnit, yUnit;
        bool operator==(const Shown&) const = default;
    };
    Shown m_shown;
};

} // namespace plotra::gui
