#include "panel/ApTreeCtrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace plotra::gui {

ApTreeCtrl::ApTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The tick is changed here, on a click on its box, and nowhere else.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ApTreeCtrl::ExpandAll() {
    for (int i = 0; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setExpanded(true);
}

int ApTreeCtrl::ItemData(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void ApTreeCtrl::SetItemData(QTreeWidgetItem* item, int data) {
    item->setData(0, Qt::UserRole, data);
}

ApTreeCtrl::Hit ApTreeCtrl::HitTest(const QPoint& point, QTreeWidgetItem** hitItem) const {
    QTreeWidgetItem* item = itemAt(point);
    if (hitItem) *hitItem = item;
    if (!item) return Hit::None;
    const QModelIndex index = indexFromItem(item);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize().isValid() ? iconSize() : QSize(16, 16);
    option.icon = item->icon(0);
    option.text = item->text(0);
    const QRect tick = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    const QRect icon = style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    if (item->flags() & Qt::ItemIsUserCheckable && tick.contains(point)) return Hit::TickBox;
    if (!item->icon(0).isNull() && icon.contains(point)) return Hit::Icon;
    return Hit::Text;
}

void ApTreeCtrl::ToggleTick(QTreeWidgetItem* item) {
    setCurrentItem(item);
    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    emit tickClicked(item);
}

void ApTreeCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = nullptr;
    const Hit hit = HitTest(event->position().toPoint(), &item);
    m_pressedTick = QPersistentModelIndex();
    if (event->button() == Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        if (hit == Hit::Icon) emit iconRightClicked(item);
        return;
    }
    if (event->button() == Qt::LeftButton && hit == Hit::TickBox) {
        // The tick toggles here, so that the owner hears of the new state.
        m_pressedTick = indexFromItem(item);
        ToggleTick(item);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && hit == Hit::Icon) emit iconClicked(item);
}

void ApTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = nullptr;
    const Hit hit = HitTest(event->position().toPoint(), &item);
    if (hit != Hit::TickBox) {
        QTreeWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The view would take a double click on a box for a press of its own and toggle the tick once
    // more, or let the item's delegate toggle it on the release, where the owner never hears of it.
    // A double click is two clicks: the second press has normally toggled already; a double click
    // that comes without that press (some platforms and input methods) toggles here.
    const QPersistentModelIndex index = indexFromItem(item);
    if (event->button() == Qt::LeftButton && m_pressedTick != index) {
        m_pressedTick = index;
        ToggleTick(item);
    }
    event->accept();
}

void ApTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
    // The view would toggle a tick box again on release; the press has done it already, and a
    // release on a box whose press went elsewhere must not toggle it unseen either.
    const bool onBox = HitTest(event->position().toPoint()) == Hit::TickBox;
    if (m_pressedTick.isValid() || onBox) {
        m_pressedTick = QPersistentModelIndex();
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void ApTreeCtrl::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* item = currentItem();
    if (event->key() == Qt::Key_Space && item && (item->flags() & Qt::ItemIsUserCheckable)) {
        ToggleTick(item);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace plotra::gui
