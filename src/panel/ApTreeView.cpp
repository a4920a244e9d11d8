#include "panel/ApTreeView.h"

#include "panel/ApTreeModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace plotra::gui {

ApTreeView::ApTreeView(ApTreeModel& model, QWidget* parent) : QTreeView(parent), m_model(model) {
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Every row has the icon's height: the view need not ask thousands of rows for their sizes.
    setUniformRowHeights(true);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The tick is asked for here, on a click on its box, and nowhere else.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(&model);
    connect(&model, &QAbstractItemModel::modelReset, this, &ApTreeView::AfterReset);
    AfterReset();
}

void ApTreeView::AfterReset() {
    setUpdatesEnabled(false);
    // The groups open, one by one: expandAll() would also mark every AP row (a leaf) as expanded, a
    // persistent index each, and thousands of those make every later reset and layout crawl.
    const int groups = m_model.rowCount();
    for (int g = 0; g < groups; ++g)
        expand(m_model.index(g, 0));
    ApplyFilter();
    setUpdatesEnabled(true);
    scrollToTop();
}

ApTreeView::Hit ApTreeView::HitTest(const QPoint& point, QModelIndex* hitIndex) const {
    const QModelIndex index = indexAt(point);
    if (hitIndex) *hitIndex = index;
    if (!index.isValid()) return Hit::None;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize().isValid() ? iconSize() : QSize(16, 16);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    option.icon = icon;
    option.text = index.data(Qt::DisplayRole).toString();
    const QRect tick = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    const QRect iconRect = style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    if (index.flags() & Qt::ItemIsUserCheckable && tick.contains(point)) return Hit::TickBox;
    if (!icon.isNull() && iconRect.contains(point)) return Hit::Icon;
    return Hit::Text;
}

void ApTreeView::ToggleTick(const QModelIndex& index) {
    setCurrentIndex(index);
    emit tickClicked(index, index.data(Qt::CheckStateRole).toInt() != Qt::Checked);
}

void ApTreeView::mousePressEvent(QMouseEvent* event) {
    QModelIndex index;
    const Hit hit = HitTest(event->position().toPoint(), &index);
    m_pressedTick = QPersistentModelIndex();
    if (event->button() == Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        if (hit == Hit::Icon) emit iconRightClicked(index);
        return;
    }
    if (event->button() == Qt::LeftButton && hit == Hit::TickBox) {
        m_pressedTick = index;
        ToggleTick(index);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && hit == Hit::Icon) emit iconClicked(index);
}

void ApTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index;
    const Hit hit = HitTest(event->position().toPoint(), &index);
    if (hit != Hit::TickBox) {
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    // The view would take a double click on a box for a press of its own, or let the delegate
    // toggle it on the release unheard. A double click is two clicks: the second press has normally
    // asked already; a double click that comes without that press asks here.
    if (event->button() == Qt::LeftButton && m_pressedTick != QPersistentModelIndex(index)) {
        m_pressedTick = index;
        ToggleTick(index);
    }
    event->accept();
}

void ApTreeView::mouseReleaseEvent(QMouseEvent* event) {
    // The delegate would toggle a tick box on release; the press has asked already, and a release
    // on a box whose press went elsewhere must not toggle it unseen either.
    const bool onBox = HitTest(event->position().toPoint()) == Hit::TickBox;
    if (m_pressedTick.isValid() || onBox) {
        m_pressedTick = QPersistentModelIndex();
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void ApTreeView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex index = currentIndex();
    if (event->key() == Qt::Key_Space && index.isValid() && (index.flags() & Qt::ItemIsUserCheckable)) {
        ToggleTick(index);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ApTreeView::SetFilter(const QString& text) {
    const QString filter = text.trimmed();
    if (filter == m_filter) return;
    m_filter = filter;
    setUpdatesEnabled(false);
    ApplyFilter();
    setUpdatesEnabled(true);
}

void ApTreeView::ApplyFilter() {
    const int groups = m_model.rowCount();
    for (int g = 0; g < groups; ++g) {
        const QModelIndex group = m_model.index(g, 0);
        const int members = m_model.rowCount(group);
        bool anyShown = false;
        for (int r = 0; r < members; ++r) {
            const bool shown = m_filter.isEmpty() || m_model.Matches(m_model.index(r, 0, group), m_filter);
            if (isRowHidden(r, group) == shown) setRowHidden(r, group, !shown);
            anyShown = anyShown || shown;
        }
        // A group with nothing to show goes too; an empty group (no members) shows while unfiltered.
        const bool groupShown = anyShown || (m_filter.isEmpty() && members == 0);
        if (isRowHidden(g, {}) == groupShown) setRowHidden(g, {}, !groupShown);
    }
}

} // namespace plotra::gui
