#pragma once
/// \brief "Reliability Analysis": single or group AP analysis, the power threshold, the radius and
/// the boundary reliability with the two arrows between them, and the cell reliability. The fields
/// show the values the document keeps (a workspace restores them); it follows the analysis mode,
/// the reliability results, the unit and its section state.

#include "panel/PanelParts.h"

#include <array>

class QPushButton;
class QRadioButton;

namespace plotra::gui {

class ReliabilitySection : public PanelSection {
    Q_OBJECT
  public:
    ReliabilitySection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

  private:
    void BuildBody();
    void OnNotice(const ChangeNotice& notice) override;
    /// The header, the radios and the radius label (\p force: show them anyway).
    void Refresh(bool force);
    /// The four fields from the document's values, those that changed (\p force: all).
    void RefreshFields(bool force);
    void OnReliability(bool fromRadius);

    CImageTextButton* m_header;
    QWidget *m_body, *m_gap;
    QRadioButton *m_radioSingle, *m_radioGroup;
    QLineEdit *m_editThreshold, *m_editRadius, *m_editProbability, *m_editCell;
    QPushButton *m_buttonToRadius, *m_buttonToProbability;
    QLabel* m_labelRadius;

    struct Shown {
        bool open = false, single = false, group = false;
        std::string radiusLabel;
        bool operator==(const Shown&) const = default;
    };
    Shown m_shown;
    /// The reliability values last shown from the document (radius, threshold, probability, cell).
    std::array<float, 4> m_shownValues{};
    bool m_valuesShown = false;
};

} // namespace plotra::gui
