#include "panel/ApTreeModel.h"

#include "panel/PanelArtwork.h"

#include <algorithm>

namespace plotra::gui {

namespace {

// A group row's internal id is 0; an AP row's is its group's index + 1.
constexpr quintptr kGroupRow = 0;

QString FromBytes(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

const COLORREF kWhite = Rgb(255, 255, 255);

} // namespace

ApTreeModel::ApTreeModel(const CPlotraDoc& doc, QObject* parent) : QAbstractItemModel(parent), m_doc(doc) {
    Reset();
}

QString ApTreeModel::ApItemText(const CAPInfo& ap, int labelMode) {
    QString text = QString::fromStdString(ap.MacText());
    if (labelMode == 0 || labelMode == 2) text += QString::asprintf(", Chan: %d", ap.m_byChannel);
    if (labelMode == 1 || labelMode == 2)
        text += QStringLiteral(", SSID:\"") + FromBytes(ap.SsidText()) + '"';
    return text;
}

bool ApTreeModel::ApMatches(const CAPInfo& ap, const QString& filter) {
    if (filter.isEmpty()) return true;
    const QString mac = QString::fromStdString(ap.MacText());
    // The MAC is shown with dashes; one copied from elsewhere often has colons.
    QString macFilter = filter;
    macFilter.replace(QLatin1Char(':'), QLatin1Char('-'));
    return mac.contains(macFilter, Qt::CaseInsensitive) ||
           FromBytes(ap.SsidText()).contains(filter, Qt::CaseInsensitive);
}

bool ApTreeModel::Matches(const QModelIndex& index, const QString& filter) const {
    if (!index.isValid() || index.internalId() == kGroupRow) return false;
    const CAPInfo* ap = Ap(ItemData(index));
    return ap && ApMatches(*ap, filter);
}

int ApTreeModel::ItemData(const QModelIndex& index) {
    return index.isValid() ? index.data(kItemDataRole).toInt() : 0;
}

void ApTreeModel::Reset() {
    beginResetModel();
    const auto& groups = m_doc.Aps().m_groups.m_aGroups;
    const std::size_t apCount = m_doc.Aps().m_aAPs.size();
    m_members.assign(groups.size(), {});
    m_places.assign(apCount, Place{});
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::vector<int>& members = m_members[g];
        members.reserve(groups[g].m_aItems.size());
        for (const CGroupItem& item : groups[g].m_aItems) {
            const int i = item.m_nIndex;
            if (i < 0 || static_cast<std::size_t>(i) >= apCount) continue;
            m_places[static_cast<std::size_t>(i)] = {static_cast<int>(g), static_cast<int>(members.size())};
            members.push_back(i);
        }
    }
    endResetModel();
}

void ApTreeModel::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Everything:
        Reset();
        break;
    case DocChange::Groups:
        // A colour or the colour mode changes icons only; anything else is a new grouping.
        if (notice.field == ApField::Colour)
            AllRowsChanged({Qt::DecorationRole, kIconColourRole});
        else
            Reset();
        break;
    case DocChange::Selection:
        RowsChanged(notice.aps, {Qt::CheckStateRole});
        break;
    case DocChange::Aps:
        if (notice.field == ApField::Colour || notice.field == ApField::All)
            RowsChanged(notice.aps, {Qt::DecorationRole, kIconColourRole});
        break;
    default:
        break;
    }
}

void ApTreeModel::AllRowsChanged(const QList<int>& roles) {
    if (m_members.empty()) return;
    const int last = static_cast<int>(m_members.size()) - 1;
    emit dataChanged(index(0, 0), index(last, 0), roles);
    for (int g = 0; g <= last; ++g) {
        const int rows = static_cast<int>(m_members[static_cast<std::size_t>(g)].size());
        if (rows > 0) {
            const QModelIndex parent = index(g, 0);
            emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), roles);
        }
    }
}

void ApTreeModel::RowsChanged(const std::vector<int>& aps, const QList<int>& roles) {
    if (aps.empty()) {
        AllRowsChanged(roles);
        return;
    }
    std::vector<int> groups;
    for (int ap : aps) {
        const QModelIndex row = ApIndex(ap);
        if (!row.isValid()) continue;
        emit dataChanged(row, row, roles);
        groups.push_back(m_places[static_cast<std::size_t>(ap)].group);
    }
    std::sort(groups.begin(), groups.end());
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());
    for (int g : groups) {
        const QModelIndex row = GroupIndex(g);
        emit dataChanged(row, row, roles);
    }
}

const CAPInfo* ApTreeModel::Ap(int ap) const {
    // The APs may have left the document for a processing job; rows wait for the notice that follows.
    if (ap < 0 || static_cast<std::size_t>(ap) >= m_doc.Aps().m_aAPs.size()) return nullptr;
    return &m_doc.Aps().m_aAPs[static_cast<std::size_t>(ap)];
}

QModelIndex ApTreeModel::ApIndex(int ap) const {
    if (ap < 0 || static_cast<std::size_t>(ap) >= m_places.size()) return {};
    const Place place = m_places[static_cast<std::size_t>(ap)];
    if (place.group < 0) return {};
    return createIndex(place.row, 0, static_cast<quintptr>(place.group) + 1);
}

QModelIndex ApTreeModel::GroupIndex(int group) const {
    if (group < 0 || group >= GroupCount()) return {};
    return createIndex(group, 0, kGroupRow);
}

QModelIndex ApTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row < GroupCount() ? createIndex(row, 0, kGroupRow) : QModelIndex();
    if (parent.internalId() != kGroupRow || parent.row() >= GroupCount()) return {};
    const auto& members = m_members[static_cast<std::size_t>(parent.row())];
    if (static_cast<std::size_t>(row) >= members.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex ApTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kGroupRow) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupRow);
}

int ApTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return GroupCount();
    if (parent.internalId() != kGroupRow || parent.row() >= GroupCount()) return 0;
    return static_cast<int>(m_members[static_cast<std::size_t>(parent.row())].size());
}

int ApTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

Qt::ItemFlags ApTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QIcon ApTreeModel::Swatch(COLORREF colour, Shape shape) const {
    const std::uint64_t key = (static_cast<std::uint64_t>(shape) << 32) | colour;
    auto it = m_swatches.find(key);
    if (it == m_swatches.end()) {
        const QColor c(RedOf(colour), GreenOf(colour), BlueOf(colour));
        it = m_swatches
                 .emplace(key, QIcon(shape == Shape::Plain ? artwork::WhiteSwatch()
                                                           : artwork::Swatch(c, shape == Shape::Dot)))
                 .first;
    }
    return it->second;
}

ApTreeModel::Shape ApTreeModel::IconShape(const QModelIndex& index) const {
    const int mode = m_doc.Display().m_nColourMode;
    if (index.internalId() == kGroupRow) return mode == 1 ? Shape::Starburst : Shape::Plain;
    return mode == 0 ? Shape::Starburst : mode == 2 ? Shape::Dot : Shape::Plain;
}

COLORREF ApTreeModel::IconColour(const QModelIndex& index) const {
    const int mode = m_doc.Display().m_nColourMode;
    if (index.internalId() == kGroupRow) {
        const auto& groups = m_doc.Aps().m_groups.m_aGroups;
        const auto g = static_cast<std::size_t>(index.row());
        return mode == 1 && g < groups.size() ? groups[g].m_crColour : kWhite;
    }
    if (mode == 2) return m_doc.Display().m_crSingleColour;
    if (mode == 0) {
        const CAPInfo* ap = Ap(ItemData(index));
        return ap ? ap->m_crColour : kWhite;
    }
    return kWhite;
}

QVariant ApTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool group = index.internalId() == kGroupRow;
    const int g = group ? index.row() : static_cast<int>(index.internalId() - 1);
    if (g < 0 || g >= GroupCount()) return {};
    const auto& groups = m_doc.Aps().m_groups.m_aGroups;
    if (group && static_cast<std::size_t>(g) >= groups.size()) return {};
    const auto& members = m_members[static_cast<std::size_t>(g)];
    const int apIndex = group ? -1 : members[static_cast<std::size_t>(index.row())];
    const CAPInfo* ap = group ? nullptr : Ap(apIndex);
    if (!group && !ap) return {};
    switch (role) {
    case Qt::DisplayRole:
        return group ? FromBytes(groups[static_cast<std::size_t>(g)].m_strName)
                     : ApItemText(*ap, m_doc.Aps().m_groups.m_nLabelMode);
    case Qt::ToolTipRole:
        // The narrow pane cuts long texts: the tip names channel and SSID whatever the grouping.
        return group ? QVariant() : QVariant(ApItemText(*ap, 2));
    case Qt::CheckStateRole: {
        // A group's tick is the group's ticked byte: any ticked member sets it, unticking one
        // member leaves it.
        const bool on = group ? groups[static_cast<std::size_t>(g)].m_bSelected != 0 : ap->m_bSelected != 0;
        return on ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::DecorationRole:
        return Swatch(IconColour(index), IconShape(index));
    case kItemDataRole:
        return group ? -(g + 1) : apIndex;
    case kIconColourRole:
        return static_cast<unsigned>(IconColour(index));
    default:
        return {};
    }
}

} // namespace plotra::gui
