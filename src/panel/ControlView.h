#pragma once
/// \brief CControlView: the control panel, the left pane of the main window. One column of
/// sections, top to bottom: "Measurement Information", "AP Sorting & Selection" (with the AP tree
/// and the selected AP), "Reliability Analysis", the display block while survey data is loaded,
/// and the graph choice once a combined coverage exists. The column scrolls when it is taller than
/// the pane.
///
/// The panel is only their container: each section is its own widget that listens to the notices
/// of what it shows and updates only what changed. Every control calls one entry point of the
/// document. Every control is named by its numeric id (objectName), the panel itself
/// "CControlView".

#include "gui/Commands.h"

#include <QScrollArea>

class QVBoxLayout;

namespace plotra::gui {

class ApTreeModel;
class ApTreeView;
class DisplaySection;
class GraphSection;
class GuiSession;
class MeasurementSection;
class PanelSection;
class ReliabilitySection;
class SortingSection;

class CControlView : public QScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    explicit CControlView(GuiSession& session, QWidget* parent = nullptr);
    ~CControlView() override;

    /// The panel handles no menu or toolbar command of its own.
    bool handlesCommand(int) const override { return false; }
    CommandState commandState(int) const override { return {}; }
    void runCommand(int) override {}

    /// The AP tree's model and view (for the windows' tests and the benchmark).
    ApTreeModel& TreeModel();
    ApTreeView& TreeView();
    /// The sections, top to bottom (for tests that count what a notice reached).
    MeasurementSection& Measurement() { return *m_measurement; }
    SortingSection& Sorting() { return *m_sorting; }
    ReliabilitySection& Reliability() { return *m_reliability; }
    DisplaySection& Display() { return *m_display; }
    GraphSection& Graph() { return *m_graph; }
    /// The line height the layout is measured in (the height of "XXXXX").
    int LineHeight() const { return m_lineHeight; }

  private:
    QWidget* m_content = nullptr;
    QVBoxLayout* m_column = nullptr;
    int m_lineHeight = 16;
    MeasurementSection* m_measurement;
    SortingSection* m_sorting;
    ReliabilitySection* m_reliability;
    DisplaySection* m_display;
    GraphSection* m_graph;
};

} // namespace plotra::gui
