#pragma once
/// \brief CControlView: the control panel, the left pane of the main window. One column of sections,
/// top to bottom: "Measurement Information" (bounds and size of the measured area), "AP Sorting &
/// Selection" (grouping, power range, the AP tree and the selected AP), "Reliability Analysis", a
/// display block while survey data is loaded (transparency, path and map toggles, grid and matrix
/// resolution, "Plot Coverage"), and the graph choice with its contour options once a combined
/// coverage exists. The column scrolls when it is taller than the pane.
///
/// Every control calls one entry point of the document; what the panel shows is rebuilt from the
/// document whenever the document announces a change. The panel keeps only view state: the texts
/// being typed into its edit boxes and the thumbs of its sliders while they move.
///
/// Every control is named by its numeric id (objectName), the panel itself "CControlView".

#include "app/Commands.h"
#include "model/Notices.h"

#include <QFont>
#include <QScrollArea>

#include <array>
#include <memory>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;

namespace plotra {
class CPlotraDoc;
}

namespace plotra::gui {

class ApTreeBuilder;
class ApTreeCtrl;
class CBitCheckButton;
class CImageTextButton;
class CRangeControl;
class CResolutionControl;
class GuiSession;

class CControlView : public QScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    explicit CControlView(GuiSession& session, QWidget* parent = nullptr);
    ~CControlView() override;

    /// The panel handles no menu or toolbar command of its own.
    bool handlesCommand(int) const override { return false; }
    CommandState commandState(int) const override { return {}; }
    void runCommand(int) override {}

    /// The tree's items and swatches (for the windows' tests and the benchmark).
    ApTreeBuilder& Tree() { return *m_treeBuilder; }
    /// The line height the layout is measured in (the height of "XXXXX").
    int LineHeight() const { return m_lineHeight; }

    /// Shows what the document holds now (every notice ends here).
    void SyncFromDocument();

  private:
    void BuildControls();
    QWidget* BuildMeasurementSection();
    QWidget* BuildSortingSection();
    QWidget* BuildSelectedApBlock();
    QWidget* BuildReliabilitySection();
    QWidget* BuildDisplayBlock();
    QWidget* BuildGraphSection();
    void Connect();

    void OnNotice(const ChangeNotice& notice);
    /// Texts of the reliability fields from the values the document keeps (a workspace restores them).
    void SyncReliabilityFields(bool force);
    void SyncSelectedAp(bool force);

    // Handlers.
    void OnTickClicked(QTreeWidgetItem* item);
    void OnIconClicked(QTreeWidgetItem* item);
    void OnIconRightClicked(QTreeWidgetItem* item);
    void OnPlotCoverage();
    void OnInputApPosition();
    void OnReliability(bool fromRadius);

    CPlotraDoc& Doc();

    GuiSession& m_session;
    QWidget* m_content = nullptr;
    int m_lineHeight = 16;
    QFont m_fontText; ///< painted labels and radio buttons
    QFont m_fontEdit; ///< every edit box

    // Section headers and their bodies, and the gaps after them.
    CImageTextButton *m_headerMeasurement, *m_headerSorting, *m_headerReliability, *m_headerGraph;
    QWidget *m_bodyMeasurement, *m_bodySorting, *m_bodyReliability, *m_bodyGraph;
    QWidget *m_gapMeasurement, *m_gapSorting, *m_gapReliability, *m_gapDisplay;
    QWidget *m_displayBlock, *m_graphSection, *m_selectedApBlock;

    // Measurement Information.
    QLabel *m_labelNorth, *m_labelWest, *m_labelSouth, *m_labelEast, *m_labelArea;
    QLineEdit *m_editNorth, *m_editSouth, *m_editEast, *m_editWest, *m_editHeight, *m_editWidth;

    // AP Sorting & Selection.
    QRadioButton *m_radioSsid, *m_radioChannel;
    CRangeControl* m_powerRange;
    QLineEdit* m_treeFilter; ///< shows only the APs whose MAC or SSID holds its text
    ApTreeCtrl* m_tree;
    std::unique_ptr<ApTreeBuilder> m_treeBuilder;
    QLabel *m_labelApY, *m_labelApX;
    QLineEdit *m_editApY, *m_editApX, *m_editExponent, *m_editShadowing;
    CImageTextButton* m_inputPosition;

    // Reliability Analysis.
    QRadioButton *m_radioSingle, *m_radioGroup;
    QLineEdit *m_editThreshold, *m_editRadius, *m_editProbability, *m_editCell;
    QPushButton *m_buttonToRadius, *m_buttonToProbability;
    QLabel* m_labelRadius;
    /// The reliability values last shown from the document (radius, threshold, probability, cell).
    std::array<float, 4> m_shownReliability{};
    bool m_reliabilityShown = false;

    // Display block.
    CRangeControl* m_transparency;
    CBitCheckButton *m_togglePath, *m_toggleNoGps, *m_toggleApMarkers, *m_toggleLonLat;
    CBitCheckButton *m_toggleXGrid, *m_toggleYGrid;
    CImageTextButton* m_lineWidth;
    CResolutionControl *m_gridResolution, *m_matrixX, *m_matrixY;
    CImageTextButton* m_plotCoverage;

    // Graph Selection.
    QRadioButton *m_radioPower, *m_radioSnr, *m_radioCount;
    CBitCheckButton *m_toggleMultiContours, *m_toggleOverlay;
    CRangeControl* m_contour;
    QLabel* m_labelContourCaption;
};

} // namespace plotra::gui
