#pragma once
/// \brief "Measurement Information": the four bounds of the measured area (degrees, or the display
/// unit on a planar project), the area label, its height and width. It follows the rectangle (the
/// frame, the ticks it is drawn around, a moved AP), the unit and its section state.

#include "panel/PanelParts.h"
#include "panel/PanelTexts.h"

namespace plotra::gui {

class MeasurementSection : public PanelSection {
    Q_OBJECT
  public:
    MeasurementSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

  private:
    void OnNotice(const ChangeNotice& notice) override;
    /// Shows the document's values when they differ from those shown (\p force: always).
    void Refresh(bool force);

    CImageTextButton* m_header;
    QWidget *m_body, *m_gap;
    QLabel *m_labelNorth, *m_labelWest, *m_labelSouth, *m_labelEast, *m_labelArea;
    QLineEdit *m_editNorth, *m_editSouth, *m_editEast, *m_editWest, *m_editHeight, *m_editWidth;
    bool m_open = false;
    MeasurementTexts m_shown;
    bool m_shownSet = false;
};

} // namespace plotra::gui
