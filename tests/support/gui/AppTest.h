#pragma once
/// \brief Helpers of the application-shell tests: settings in a private folder, a processed project,
/// clicks on tree tick boxes and the controls of a window by their object names.

#include "analysis/Processing.h"
#include "gui/AppSettings.h"
#include "model/PlotraDoc.h"
#include "panel/ApTreeCtrl.h"
#include "sim/SurveyGenerator.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

namespace plotra::test {

/// \brief While it lives, the per-user settings (recent files, fonts) go to an empty private folder,
/// so that tests neither read nor change the user's own.
class SettingsSandbox {
  public:
    SettingsSandbox() {
        // The writes still on their way belong to the folder they were made for.
        gui::FlushSettings();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    ~SettingsSandbox() { gui::FlushSettings(); }
    QString Path() const { return m_dir.path(); }

  private:
    QTemporaryDir m_dir;
};

/// Fills \p doc with the small generated survey and processes it on this thread: data loaded.
inline void LoadProcessedTiny(CPlotraDoc& doc) {
    PlaceGenerated(doc, sim::Generate(*sim::BuiltInScenario("tiny"), 1));
    ProcessData(doc);
}

/// The widget or action named \p name inside \p parent (fails the test when missing).
template <class T> T* Named(const QObject& parent, const QString& name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no " << name.toStdString();
    return found;
}

/// Clicks the tick box of \p item, where the tree itself hit-tests it.
inline void ClickTick(gui::ApTreeCtrl& tree, QTreeWidgetItem* item) {
    ASSERT_NE(item, nullptr);
    tree.scrollToItem(item);
    const QRect rect = tree.visualItemRect(item);
    for (int x = rect.left(); x <= rect.right(); ++x) {
        const QPoint p(x, rect.center().y());
        QTreeWidgetItem* hit = nullptr;
        if (tree.HitTest(p, &hit) == gui::ApTreeCtrl::Hit::TickBox && hit == item) {
            QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, p);
            return;
        }
    }
    FAIL() << "no tick box on " << item->text(0).toStdString();
}

} // namespace plotra::test
