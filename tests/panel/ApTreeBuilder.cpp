#include "ApTreeBuilder.h"

#include "panel/PanelArtwork.h"

#include <algorithm>

namespace plotra::gui {

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

constexpr Qt::ItemFlags kItemFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;

Qt::CheckState Tick(bool on) {
    return on ? Qt::Checked : Qt::Unchecked;
}

QString FromBytes(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

} // namespace

QString ApTreeBuilder::ApItemText(const CAPInfo& ap, int labelMode) {
    QString text = QString::fromStdString(ap.MacText());
    if (labelMode == 0 || labelMode == 2) text += QString::asprintf(", Chan: %d", ap.m_byChannel);
    if (labelMode == 1 || labelMode == 2)
        text += QStringLiteral(", SSID:\"") + FromBytes(ap.SsidText()) + '"';
    return text;
}

QIcon ApTreeBuilder::SwatchIcon(COLORREF colour, bool dot) {
    const std::uint64_t key = (static_cast<std::uint64_t>(dot) << 32) | colour;
    auto it = m_swatches.find(key);
    if (it == m_swatches.end())
        it = m_swatches.emplace(key, QIcon(artwork::Swatch(ToQColor(colour), dot))).first;
    return it->second;
}

void ApTreeBuilder::BuildApImageList() {
    const std::size_t count = m_doc.Aps().m_aAPs.size() + 2;
    m_images.assign(count, QIcon());
    m_imageColours.assign(count, 0);
    m_images[0] = QIcon(artwork::WhiteSwatch());
    m_imageColours[0] = Rgb(255, 255, 255);
    SetSwatch(1, m_doc.Display().m_crSingleColour);
    for (std::size_t i = 0; i < m_doc.Aps().m_aAPs.size(); ++i)
        SetSwatch(static_cast<int>(i) + 2, m_doc.Aps().m_aAPs[i].m_crColour);
}

void ApTreeBuilder::SetSwatch(int index, COLORREF colour) {
    if (index < 0 || index >= ImageCount()) return;
    m_images[static_cast<std::size_t>(index)] = SwatchIcon(colour, index == 1);
    m_imageColours[static_cast<std::size_t>(index)] = colour;
}

COLORREF ApTreeBuilder::ImageColour(int index) const {
    return index >= 0 && index < ImageCount() ? m_imageColours[static_cast<std::size_t>(index)] : 0;
}

int ApTreeBuilder::GroupImage(int group) const {
    return m_doc.Display().m_nColourMode == 1 ? group + 2 : 0;
}

int ApTreeBuilder::ApImage(int ap) const {
    switch (m_doc.Display().m_nColourMode) {
    case 0:
        return ap + 2;
    case 2:
        return 1;
    default:
        return 0;
    }
}

void ApTreeBuilder::SetImage(QTreeWidgetItem* item, int image) {
    if (image < 0 || image >= ImageCount()) image = 0;
    item->setIcon(0, m_images[static_cast<std::size_t>(image)]);
    item->setData(0, kImageRole, image);
}

void ApTreeBuilder::PaintModeSwatches() {
    if (m_doc.Display().m_nColourMode == 0) {
        for (std::size_t i = 0; i < m_doc.Aps().m_aAPs.size(); ++i)
            SetSwatch(static_cast<int>(i) + 2, m_doc.Aps().m_aAPs[i].m_crColour);
    } else if (m_doc.Display().m_nColourMode == 1) {
        const auto& groups = m_doc.Aps().m_groups.m_aGroups;
        for (std::size_t g = 0; g < groups.size(); ++g)
            SetSwatch(static_cast<int>(g) + 2, groups[g].m_crColour);
    }
}

void ApTreeBuilder::RebuildApTree() {
    const auto& aps = m_doc.Aps().m_aAPs;
    const auto& groups = m_doc.Aps().m_groups.m_aGroups;
    if (m_images.size() != aps.size() + 2) BuildApImageList();
    PaintModeSwatches();

    m_tree.setUpdatesEnabled(false);
    m_tree.clear();
    m_apItems.assign(aps.size(), nullptr);
    m_groupItems.clear();
    // Items are made outside the tree and inserted at once: inserting one by one costs a layout each.
    QList<QTreeWidgetItem*> tops;
    tops.reserve(static_cast<qsizetype>(groups.size()));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const CGroupInfo& info = groups[g];
        auto* groupItem = new QTreeWidgetItem(QStringList(FromBytes(info.m_strName)));
        groupItem->setFlags(kItemFlags);
        ApTreeCtrl::SetItemData(groupItem, -(static_cast<int>(g) + 1));
        SetImage(groupItem, GroupImage(static_cast<int>(g)));
        QList<QTreeWidgetItem*> children;
        for (const CGroupItem& member : info.m_aItems) {
            const int i = member.m_nIndex;
            if (i < 0 || static_cast<std::size_t>(i) >= aps.size()) continue;
            const CAPInfo& ap = aps[static_cast<std::size_t>(i)];
            auto* apItem =
                new QTreeWidgetItem(QStringList(ApItemText(ap, m_doc.Aps().m_groups.m_nLabelMode)));
            // The narrow pane cuts long texts: the tip names channel and SSID whatever the grouping.
            apItem->setToolTip(0, ApItemText(ap, 2));
            apItem->setFlags(kItemFlags);
            ApTreeCtrl::SetItemData(apItem, i);
            SetImage(apItem, ApImage(i));
            apItem->setCheckState(0, Tick(ap.m_bSelected));
            m_apItems[static_cast<std::size_t>(i)] = apItem;
            children.append(apItem);
        }
        // The group's tick is the group's ticked byte: any ticked member sets it, unticking one
        // member leaves it.
        groupItem->setCheckState(0, Tick(info.m_bSelected));
        groupItem->addChildren(children);
        m_groupItems.push_back(groupItem);
        tops.append(groupItem);
    }
    m_tree.addTopLevelItems(tops);
    m_tree.expandAll();
    ApplyFilter();
    m_tree.setUpdatesEnabled(true);
    m_tree.scrollToTop();
}

void ApTreeBuilder::RefreshApTreeIcons() {
    if (m_images.size() != m_doc.Aps().m_aAPs.size() + 2) BuildApImageList();
    PaintModeSwatches();
    SetSwatch(1, m_doc.Display().m_crSingleColour);
    for (std::size_t g = 0; g < m_groupItems.size(); ++g) {
        SetImage(m_groupItems[g], GroupImage(static_cast<int>(g)));
        for (int c = 0; c < m_groupItems[g]->childCount(); ++c) {
            QTreeWidgetItem* child = m_groupItems[g]->child(c);
            SetImage(child, ApImage(ApTreeCtrl::ItemData(child)));
        }
    }
}

void ApTreeBuilder::UpdateTicks(const std::vector<int>& aps) {
    const auto& groups = m_doc.Aps().m_groups.m_aGroups;
    auto updateGroup = [&](QTreeWidgetItem* groupItem) {
        if (!groupItem) return;
        const int g = -1 - ApTreeCtrl::ItemData(groupItem);
        if (g >= 0 && static_cast<std::size_t>(g) < groups.size())
            groupItem->setCheckState(0, Tick(groups[static_cast<std::size_t>(g)].m_bSelected));
    };
    auto updateAp = [&](int i) {
        QTreeWidgetItem* item = ApItem(i);
        if (!item) return;
        item->setCheckState(0, Tick(m_doc.Aps().m_aAPs[static_cast<std::size_t>(i)].m_bSelected));
        updateGroup(item->parent());
    };
    if (aps.empty()) {
        for (std::size_t i = 0; i < m_apItems.size(); ++i)
            updateAp(static_cast<int>(i));
        for (QTreeWidgetItem* g : m_groupItems)
            updateGroup(g);
        return;
    }
    for (int i : aps)
        updateAp(i);
}

void ApTreeBuilder::UpdateGroupTicks(int group) {
    QTreeWidgetItem* groupItem = GroupItem(group);
    if (!groupItem) return;
    std::vector<int> members;
    members.reserve(static_cast<std::size_t>(groupItem->childCount()));
    for (int c = 0; c < groupItem->childCount(); ++c)
        members.push_back(ApTreeCtrl::ItemData(groupItem->child(c)));
    const auto& groups = m_doc.Aps().m_groups.m_aGroups;
    if (static_cast<std::size_t>(group) < groups.size())
        groupItem->setCheckState(0, Tick(groups[static_cast<std::size_t>(group)].m_bSelected));
    if (!members.empty()) UpdateTicks(members);
}

bool ApTreeBuilder::ApMatches(const CAPInfo& ap, const QString& filter) {
    if (filter.isEmpty()) return true;
    const QString mac = QString::fromStdString(ap.MacText());
    // The MAC is shown with dashes; one copied from elsewhere often has colons.
    QString macFilter = filter;
    macFilter.replace(QLatin1Char(':'), QLatin1Char('-'));
    return mac.contains(macFilter, Qt::CaseInsensitive) ||
           FromBytes(ap.SsidText()).contains(filter, Qt::CaseInsensitive);
}

void ApTreeBuilder::SetFilter(const QString& text) {
    const QString filter = text.trimmed();
    if (filter == m_filter) return;
    m_filter = filter;
    m_tree.setUpdatesEnabled(false);
    ApplyFilter();
    m_tree.setUpdatesEnabled(true);
}

void ApTreeBuilder::ApplyFilter() {
    const auto& aps = m_doc.Aps().m_aAPs;
    for (QTreeWidgetItem* groupItem : m_groupItems) {
        bool anyShown = false;
        for (int c = 0; c < groupItem->childCount(); ++c) {
            QTreeWidgetItem* child = groupItem->child(c);
            const int i = ApTreeCtrl::ItemData(child);
            const bool shown = i >= 0 && static_cast<std::size_t>(i) < aps.size() &&
                               ApMatches(aps[static_cast<std::size_t>(i)], m_filter);
            if (child->isHidden() == shown) child->setHidden(!shown);
            anyShown = anyShown || shown;
        }
        // A group with nothing to show goes too; an empty group (no members) shows while unfiltered.
        const bool groupShown = anyShown || (m_filter.isEmpty() && groupItem->childCount() == 0);
        if (groupItem->isHidden() == groupShown) groupItem->setHidden(!groupShown);
    }
}

QTreeWidgetItem* ApTreeBuilder::ApItem(int ap) const {
    if (ap < 0 || static_cast<std::size_t>(ap) >= m_apItems.size() ||
        static_cast<std::size_t>(ap) >= m_doc.Aps().m_aAPs.size())
        return nullptr;
    return m_apItems[static_cast<std::size_t>(ap)];
}

QTreeWidgetItem* ApTreeBuilder::GroupItem(int group) const {
    if (group < 0 || static_cast<std::size_t>(group) >= m_groupItems.size()) return nullptr;
    return m_groupItems[static_cast<std::size_t>(group)];
}

} // namespace plotra::gui
