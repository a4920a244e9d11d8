#pragma once
/// \brief The graph choice, shown once a combined coverage exists: a header named after the graph
/// shown, "Signal Power"/"Number of Overlay APs", multiple contours, the coverage overlay and the
/// "Contour" slider with its caption. It follows the coverage (an edit that leaves it stale hides
/// the section), the graph type, the display mode, the overlay flag, the contour and its section
/// state.

#include "model/GraphKinds.h"
#include "panel/PanelParts.h"

#include <array>

class QRadioButton;

namespace plotra::gui {

class CBitCheckButton;
class CRangeControl;

class GraphSection : public PanelSection {
    Q_OBJECT
  public:
    GraphSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

  private:
    QWidget* BuildBody();
    void Connect();
    void OnNotice(const ChangeNotice& notice) override;
    /// Shows the document's values when they differ from those shown (\p force: always).
    void Refresh(bool force);

    CImageTextButton* m_header;
    QWidget* m_radios;
    std::array<QRadioButton*, kGraphKinds.size()> m_graphRadios{}; ///< one per graph, in kGraphKinds order
    CBitCheckButton *m_toggleMultiContours, *m_toggleOverlay;
    CRangeControl* m_contour;
    QLabel* m_labelContourCaption;

    struct Shown {
        bool combined = false, open = false, multi = false, overlay = false;
        GraphKind graph = GraphKind::SignalPower;
        int low = 0, high = 0, contourLow = 0, contourHigh = 0;
        bool operator==(const Shown&) const = default;
    };
    Shown m_shown;
};

} // namespace plotra::gui
