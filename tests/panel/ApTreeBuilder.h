#pragma once
/// \brief The reference the AP tree's item model is tested against: the builder that filled the
/// control panel's tree widget before the tree became an item model. It fills an ApTreeCtrl from the
/// grouping shown (one item per group, one child per AP), keeps the swatches (the image list) in the
/// colours of the colour mode, and brings single tick boxes up to date. It only reads the document.
///
/// Item data: -(g + 1) for group g, the AP's index for an AP. Images: 0 a white square, 1 a dot in
/// the single colour, 2 + i a starburst in the colour of AP i (colour mode 0) or of group i (mode 1).

#include "model/PlotraDoc.h"
#include "panel/ApTreeCtrl.h"

#include <QIcon>
#include <QString>

#include <unordered_map>
#include <vector>

namespace plotra::gui {

class ApTreeBuilder {
  public:
    /// Item data role holding the index of the item's image in the image list.
    static constexpr int kImageRole = Qt::UserRole + 1;

    ApTreeBuilder(ApTreeCtrl& tree, const CPlotraDoc& doc) : m_tree(tree), m_doc(doc) {}

    /// The text of an AP's item under a label mode: the MAC, then ", Chan: %d" (modes 0 and 2) and
    /// `, SSID:"name"` (modes 1 and 2).
    static QString ApItemText(const CAPInfo& ap, int labelMode);

    /// A white square, a dot in the single colour and one starburst per AP, in the AP colours.
    void BuildApImageList();
    /// Repaints image \p index in \p colour (a dot for image 1, a starburst otherwise); nothing for an
    /// index beyond the list.
    void SetSwatch(int index, COLORREF colour);
    /// Deletes every item and builds the tree again from the grouping shown, ticks from the APs,
    /// images of the colour mode; every group expanded, the first one at the top.
    void RebuildApTree();
    /// The swatches and every item's image for the current colour mode, without rebuilding.
    void RefreshApTreeIcons();
    /// The tick boxes of the listed APs and of their groups (every item when the list is empty).
    void UpdateTicks(const std::vector<int>& aps);
    /// The tick boxes of a group item and of every AP in it.
    void UpdateGroupTicks(int group);

    /// Shows only the APs whose MAC or SSID contains \p text (case-insensitive; a MAC may be typed
    /// with colons) and the groups with at least one of them shown; an empty text shows everything.
    /// Ticks are left as they are. The filter holds across rebuilds.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_filter; }
    /// Whether an AP passes a filter text (already trimmed).
    static bool ApMatches(const CAPInfo& ap, const QString& filter);

    QTreeWidgetItem* ApItem(int ap) const;
    QTreeWidgetItem* GroupItem(int group) const;
    int ImageCount() const { return static_cast<int>(m_images.size()); }
    /// The colour image \p index is painted in (white for image 0).
    COLORREF ImageColour(int index) const;

  private:
    /// Image index of a group or AP item in the current colour mode.
    int GroupImage(int group) const;
    int ApImage(int ap) const;
    void SetImage(QTreeWidgetItem* item, int image);
    /// Step 2 of a rebuild: the swatches of the colour mode (per AP or per group).
    void PaintModeSwatches();
    QIcon SwatchIcon(COLORREF colour, bool dot);
    /// Hides the items that the filter leaves out.
    void ApplyFilter();

    ApTreeCtrl& m_tree;
    const CPlotraDoc& m_doc;
    std::vector<QIcon> m_images;
    std::vector<COLORREF> m_imageColours;
    std::vector<QTreeWidgetItem*> m_apItems;    ///< by AP index (null when the AP has no item)
    std::vector<QTreeWidgetItem*> m_groupItems; ///< by group index
    /// Swatches made so far, by colour and shape: a project has far fewer colours than APs.
    std::unordered_map<std::uint64_t, QIcon> m_swatches;
    QString m_filter;
};

} // namespace plotra::gui
