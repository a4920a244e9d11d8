#pragma once
/// \brief "AP Sorting & Selection": the grouping ("By SSID"/"By Channel"), the power range, the
/// filter, the AP tree (an ApTreeModel in an ApTreeView) and below it the selected AP (location,
/// "Input AP Position", path loss exponent, shadowing deviation). The tree answers the notices that
/// name APs row by row; the rest of the section follows the grouping, the power range, the selected
/// AP and its section state.

#include "panel/PanelParts.h"
#include "panel/PanelTexts.h"

#include <QModelIndex>

class QRadioButton;

namespace plotra::gui {

class ApTreeModel;
class ApTreeView;
class CRangeControl;

class SortingSection : public PanelSection {
    Q_OBJECT
  public:
    SortingSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

    ApTreeModel& TreeModel() { return *m_model; }
    ApTreeView& TreeView() { return *m_tree; }
    bool IsOpen() const { return m_open; }
    /// Times the selected AP's block changed what it shows.
    int SelectedApRebuilds() const { return m_selectedRebuilds; }

  signals:
    /// The section opened or closed (an open one takes the height the others leave, for its tree).
    void openChanged(bool open);

  private:
    void BuildControls(QWidget* body);
    QWidget* BuildSelectedApBlock();
    void Connect();
    void OnNotice(const ChangeNotice& notice) override;
    /// The header, grouping radios, power range and the tree's height (\p force: show them anyway).
    void Refresh(bool force);
    /// The selected AP's block; \p force also replaces what the user typed into the location.
    void RefreshSelectedAp(bool force);

    void OnTickClicked(const QModelIndex& index, bool ticked);
    void OnIconRightClicked(const QModelIndex& index);
    void OnInputApPosition();

    ApTreeModel* m_model;
    CImageTextButton* m_header;
    QWidget *m_body, *m_selectedApBlock;
    QRadioButton *m_radioSsid, *m_radioChannel;
    CRangeControl* m_powerRange;
    QLineEdit* m_treeFilter; ///< shows only the APs whose MAC or SSID holds its text
    ApTreeView* m_tree;
    QLabel *m_labelApY, *m_labelApX;
    QLineEdit *m_editApY, *m_editApX, *m_editExponent, *m_editShadowing;
    CImageTextButton* m_inputPosition;

    struct Shown {
        bool open = false;
        int sortMode = 0, powerLow = 0, powerHigh = 0, treeRows = 0;
        bool operator==(const Shown&) const = default;
    };
    Shown m_shown;
    bool m_open = false;
    bool m_selectedShown = false;
    SelectedApTexts m_selectedTexts;
    int m_selectedRebuilds = 0;
};

} // namespace plotra::gui
