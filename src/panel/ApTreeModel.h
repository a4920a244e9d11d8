#pragma once
/// \brief The AP tree of the control panel as an item model: one top-level row per group of the
/// grouping shown (by SSID or by channel), one child row per AP in it. It only reads the document.
/// A notice that names APs (ticks, colours) emits dataChanged for exactly those rows and their
/// group rows; a new grouping, sort mode or project resets the model.
///
/// Each row's icon follows the colour mode: per AP a starburst in the AP's colour (mode 0), per
/// group a starburst in the group's colour with white APs (mode 1), or a dot in the single colour on
/// every AP with white groups (mode 2).

#include "model/Notices.h"
#include "model/PlotraDoc.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <unordered_map>
#include <vector>

namespace plotra::gui {

class ApTreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    /// Role of the item data: -(g + 1) for group g, the AP's index for an AP.
    static constexpr int kItemDataRole = Qt::UserRole;
    /// Role of the colour the row's icon is painted in (a COLORREF as an unsigned int).
    static constexpr int kIconColourRole = Qt::UserRole + 2;

    explicit ApTreeModel(const CPlotraDoc& doc, QObject* parent = nullptr);

    /// The text of an AP's row under a label mode: the MAC, then ", Chan: %d" (modes 0 and 2) and
    /// `, SSID:"name"` (modes 1 and 2).
    static QString ApItemText(const CAPInfo& ap, int labelMode);
    /// Whether an AP passes a filter text (already trimmed; empty passes everything). A MAC may be
    /// typed with colons.
    static bool ApMatches(const CAPInfo& ap, const QString& filter);
    /// Whether the AP of row \p index passes a filter (false for a group row).
    bool Matches(const QModelIndex& index, const QString& filter) const;
    /// The item data of a row (see kItemDataRole); 0 for an invalid index.
    static int ItemData(const QModelIndex& index);

    /// Takes the document's groups again.
    void Reset();
    /// Brings the rows a notice concerns up to date.
    void OnNotice(const ChangeNotice& notice);

    QModelIndex ApIndex(int ap) const;
    QModelIndex GroupIndex(int group) const;
    int GroupCount() const { return static_cast<int>(m_members.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    struct Place {
        int group = -1, row = -1;
    };
    const CAPInfo* Ap(int ap) const;
    COLORREF IconColour(const QModelIndex& index) const;
    /// A plain white square (no colour of its own), a dot or a starburst.
    enum class Shape : std::uint8_t { Plain, Dot, Starburst };
    Shape IconShape(const QModelIndex& index) const;
    QIcon Swatch(COLORREF colour, Shape shape) const;
    /// dataChanged for the rows of the listed APs and their groups (every row when empty).
    void RowsChanged(const std::vector<int>& aps, const QList<int>& roles);
    void AllRowsChanged(const QList<int>& roles);

    const CPlotraDoc& m_doc;
    std::vector<std::vector<int>> m_members; ///< the valid AP indices of each group, in order
    std::vector<Place> m_places;             ///< by AP index
    /// Swatches made so far, by colour and shape: a project has far fewer colours than APs.
    mutable std::unordered_map<std::uint64_t, QIcon> m_swatches;
};

} // namespace plotra::gui
