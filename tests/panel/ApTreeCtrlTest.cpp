// The tick-box tree's three notifications: 100 on a tick box (the tick already changed), 101 on an
// icon, 102 on a right click on an icon; nothing on the text or on a right click on a tick box. A
// double click on a box toggles once per click, each time with the notification.
#include "panel/ApTreeCtrl.h"

#include <gtest/gtest.h>

#include <QPixmap>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QWindow>

using namespace plotra::gui;

namespace {

struct Tree {
    ApTreeCtrl tree;
    QTreeWidgetItem* item;
    Tree() {
        tree.resize(300, 200);
        QPixmap swatch(16, 16);
        swatch.fill(Qt::red);
        item = new QTreeWidgetItem(&tree, QStringList("Selected Files"));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setIcon(0, QIcon(swatch));
        ApTreeCtrl::SetItemData(item, -1);
        tree.show();
    }
    /// A point inside the part of the item's row that \p hit names.
    QPoint PointOf(ApTreeCtrl::Hit hit) {
        const QRect row = tree.visualItemRect(item);
        for (int x = row.left(); x < row.right(); ++x) {
            const QPoint p(x, row.center().y());
            if (tree.HitTest(p) == hit) return p;
        }
        ADD_FAILURE() << "no such part";
        return {};
    }
};

} // namespace

TEST(ApTreeCtrl, NotificationsWithTheNewTickState) {
    Tree t;
    QSignalSpy ticks(&t.tree, &ApTreeCtrl::tickClicked);
    QSignalSpy icons(&t.tree, &ApTreeCtrl::iconClicked);
    QSignalSpy rights(&t.tree, &ApTreeCtrl::iconRightClicked);
    Qt::CheckState seen = Qt::Unchecked;
    QObject::connect(&t.tree, &ApTreeCtrl::tickClicked, [&](QTreeWidgetItem* i) { seen = i->checkState(0); });

    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.PointOf(ApTreeCtrl::Hit::TickBox));
    EXPECT_EQ(ticks.count(), 1);
    EXPECT_EQ(seen, Qt::Checked); // already changed when the owner hears of it
    EXPECT_EQ(t.item->checkState(0), Qt::Checked);

    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.PointOf(ApTreeCtrl::Hit::Icon));
    EXPECT_EQ(icons.count(), 1);
    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.PointOf(ApTreeCtrl::Hit::Text));
    QTest::mouseClick(t.tree.viewport(), Qt::RightButton, {}, t.PointOf(ApTreeCtrl::Hit::TickBox));
    EXPECT_EQ(ticks.count() + icons.count() + rights.count(), 2); // text and right-click on the box: nothing
    EXPECT_EQ(t.item->checkState(0), Qt::Checked);
    QTest::mouseClick(t.tree.viewport(), Qt::RightButton, {}, t.PointOf(ApTreeCtrl::Hit::Icon));
    EXPECT_EQ(rights.count(), 1);

    // The keyboard: Space on the current item ticks it like a click on its box.
    t.tree.setCurrentItem(t.item);
    QTest::keyClick(&t.tree, Qt::Key_Space);
    EXPECT_EQ(ticks.count(), 2);
    EXPECT_EQ(seen, Qt::Unchecked);
    EXPECT_EQ(ApTreeCtrl::ItemData(t.item), -1);
}

TEST(ApTreeCtrl, DoubleClickOnATickBoxTogglesOncePerClickAndAlwaysNotifies) {
    Tree t;
    // The owner's copy of the tick, kept only from the notifications: it must never differ from the
    // tick the tree shows.
    bool owner = false;
    int notified = 0;
    QObject::connect(&t.tree, &ApTreeCtrl::tickClicked, [&](QTreeWidgetItem* i) {
        owner = i->checkState(0) == Qt::Checked;
        ++notified;
    });
    auto shown = [&] { return t.item->checkState(0) == Qt::Checked; };
    QWidget* viewport = t.tree.viewport();
    const QPoint box = t.PointOf(ApTreeCtrl::Hit::TickBox);

    // What a widget gets of a double click: press, release, press, double click, release.
    QTest::mousePress(viewport, Qt::LeftButton, {}, box);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, box);
    QTest::mousePress(viewport, Qt::LeftButton, {}, box);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, box);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, box);
    EXPECT_EQ(notified, 2);
    EXPECT_FALSE(shown());
    EXPECT_EQ(shown(), owner);

    // A double click event alone (without its press) is one click.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, box);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, box);
    EXPECT_EQ(notified, 3);
    EXPECT_TRUE(shown());
    EXPECT_EQ(shown(), owner);

    // The same through the window system, which makes the double click from two quick presses.
    QWindow* window = t.tree.window()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint inWindow = viewport->mapTo(t.tree.window(), box);
    QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(notified, 5);
    EXPECT_TRUE(shown());
    EXPECT_EQ(shown(), owner);
    QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    EXPECT_EQ(notified, 6);
    EXPECT_EQ(shown(), owner);

    // A release on the box whose press went to the text changes nothing.
    QTest::mousePress(viewport, Qt::LeftButton, {}, t.PointOf(ApTreeCtrl::Hit::Text));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, box);
    EXPECT_EQ(notified, 6);
    EXPECT_EQ(shown(), owner);
}
