// Pictures of the control panel on the demo project: every section open before and after Plot
// Coverage, and the tree grouped by SSID with some APs ticked in per-group colours. They are written
// to PLOTRA_PANEL_PICTURES when it names a folder (docs/images takes the good ones), else only made.
#include "PanelFixture.h"
#include "mapview/DemoDocument.h"
#include "model/EditAccess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QScrollArea>
#include <QScrollBar>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// The whole column of the panel (taller than any window), as the user would scroll through it.
QImage Column(const PanelFixture& f) {
    QWidget* content = f.panel->widget();
    const QSize natural = content->sizeHint();
    return content->grab(QRect(0, 0, content->width(), natural.height())).toImage();
}

void Save(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("PLOTRA_PANEL_PICTURES");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    EXPECT_TRUE(image.save(QString::fromLocal8Bit(folder) + "/" + name));
}

/// How many different colours a picture holds (a blank or half-drawn picture has few).
int Colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

} // namespace

TEST(PanelPictures, DemoProjectBeforeAndAfterCoverageAndTheGroupedTree) {
    PanelFixture f;
    f.window.resize(260, 2400);
    f.panel->setGeometry(0, 0, 260, 2400);
    DemoOptions options;
    options.coverage = false;
    BuildDemoDocument(f.doc, options);
    const auto [w, h] = f.doc.GridRectangleDisplay();
    Edit::Frame(f.doc).m_dResolutionX = w / 60;
    Edit::Frame(f.doc).m_dResolutionY = h / 60;
    f.doc.ResetResolutionSliders(false);
    f.doc.RebuildGroups();
    f.doc.Notify(DocChange::Everything);
    for (const char* header : {"144", "171", "101"})
        f.Click(header);
    // The AP with the most points becomes the selected one.
    int best = 0;
    for (std::size_t i = 0; i < f.doc.Aps().m_aAPs.size(); ++i)
        if (f.doc.Aps().m_aAPs[i].m_aApPoints.size() >
            f.doc.Aps().m_aAPs[static_cast<std::size_t>(best)].m_aApPoints.size())
            best = static_cast<int>(i);
    f.ClickItem(f.Tree().ApIndex(best), ApTreeView::Hit::TickBox);
    f.ClickItem(f.Tree().ApIndex(best), ApTreeView::Hit::TickBox);
    f.Type("148", "-75");
    f.Type("153", "40");
    f.Click("150");
    const QImage before = Column(f);
    EXPECT_GT(before.height(), 900);
    EXPECT_GT(Colours(before), 200);
    Save(before, "panel-sections-open.png");

    int finished = 0;
    QObject::connect(&f.session, &GuiSession::jobFinished, [&](bool) { ++finished; });
    f.Click("190");
    ASSERT_TRUE(WaitUntil([&] { return finished > 0; }, 120000));
    f.Click("101"); // back to the coverage display
    f.Click("169");
    const QImage after = Column(f);
    EXPECT_GT(after.height(), before.height());
    Save(after, "panel-after-coverage.png");

    // Grouped by SSID, some APs unticked, per-group colours; the other sections closed.
    f.Click("144");
    f.Click("169");
    f.doc.SetSortMode(1);
    f.doc.SetColourMode(1);
    for (int i = 0; i < static_cast<int>(f.doc.Aps().m_aAPs.size()); i += 3)
        f.doc.SetApTicked(i, false);
    f.TreeCtrl().setFixedHeight(16 * 22);
    f.TreeCtrl().scrollToTop();
    QCoreApplication::processEvents();
    EXPECT_GT(f.TreeCtrl().horizontalScrollBar()->maximum(), 0); // long texts scroll sideways
    const QImage tree = f.TreeCtrl().grab().toImage();
    EXPECT_GT(Colours(tree), 30);
    Save(tree, "panel-tree-by-ssid.png");
}
