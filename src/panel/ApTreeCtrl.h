#pragma once
/// \brief The tree with tick boxes of the AP tree and of the survey file selection (CApTreeCtrl): it
/// tells its owner, after the tree has changed the tick, that an item's tick box was clicked (100),
/// that its icon was clicked (101) or right-clicked (102). A click on the text tells nothing. The
/// Space key on the current item toggles its tick like a click on the box (a keyboard user expects
/// it). A double click on a box is two clicks: two toggles, each one told.

#include <QPersistentModelIndex>
#include <QTreeWidget>

namespace plotra::gui {

class ApTreeCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ApTreeCtrl(QWidget* parent = nullptr);

    /// Expands every top-level item.
    void ExpandAll();
    /// The item data (an integer kept in Qt::UserRole) of an item.
    static int ItemData(const QTreeWidgetItem* item);
    static void SetItemData(QTreeWidgetItem* item, int data);

    /// What a point of the viewport hits: nothing, an item's tick box or its icon.
    enum class Hit { None, TickBox, Icon, Text };
    Hit HitTest(const QPoint& viewportPoint, QTreeWidgetItem** item = nullptr) const;

  signals:
    /// Notification 100: the tick box of \p item was clicked; its check state is already the new one.
    void tickClicked(QTreeWidgetItem* item);
    /// Notification 101: the icon of \p item was clicked.
    void iconClicked(QTreeWidgetItem* item);
    /// Notification 102: the icon of \p item was right-clicked.
    void iconRightClicked(QTreeWidgetItem* item);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    /// Toggles the tick of \p item, makes it current and tells the owner (notification 100).
    void ToggleTick(QTreeWidgetItem* item);

    /// The item whose tick box the button went down on (and toggled), until the button comes up.
    QPersistentModelIndex m_pressedTick;
};

} // namespace plotra::gui
