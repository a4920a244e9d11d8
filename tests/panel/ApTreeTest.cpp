// The AP tree of the panel: groups by SSID and by channel with their names, item texts and colours,
// tick boxes of groups and APs with their messages (without rebuilding the tree), the colour-mode
// cycle of the icons, colours chosen with a right click, double clicks on tick boxes, the tree's
// height in the pane and the filter above it.
#include "PanelFixture.h"
#include "model/EditAccess.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QScrollBar>
#include <QSignalSpy>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

std::vector<QString> ChildTexts(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    std::vector<QString> out;
    for (int i = 0; i < model.rowCount(parent); ++i)
        out.push_back(model.index(i, 0, parent).data().toString());
    return out;
}

/// Answers the next colour dialog with \p colour (or cancels it).
void AnswerColourDialog(std::optional<QColor> colour, bool* opened = nullptr) {
    OnNextModal<QColorDialog>(
        [colour, opened](QColorDialog* dialog) {
            if (opened) *opened = true;
            if (colour) {
                dialog->setCurrentColor(*colour);
                dialog->accept();
            } else {
                dialog->reject();
            }
        },
        600);
}

} // namespace

TEST(ApTree, GroupsBySsidThenByChannelWithTextsColoursAndTicks) {
    PanelFixture f;
    f.LoadProject();
    f.Click("171");
    ApTreeView& tree = f.TreeCtrl();
    EXPECT_EQ(ChildTexts(f.Tree()), (std::vector<QString>{"SSID: \"a\"", "SSID: \"b\"", "SSID: \"c\""}));
    EXPECT_EQ(ChildTexts(f.Tree(), f.Tree().index(0, 0)),
              (std::vector<QString>{"00-1A-2B-3C-4D-01, Chan: 1", "00-1A-2B-3C-4D-03, Chan: 6"}));
    EXPECT_EQ(ApTreeModel::ItemData(f.Tree().index(2, 0)), -3);
    EXPECT_EQ(ApTreeModel::ItemData(f.Tree().index(1, 0, f.Tree().index(0, 0))), 2);
    EXPECT_TRUE(tree.isExpanded(f.Tree().index(0, 0)));
    // At least 3 lines taller than the APs (more when the pane has room to spare).
    EXPECT_EQ(tree.minimumHeight(), (4 + 3) * f.panel->LineHeight());
    EXPECT_GE(tree.height(), tree.minimumHeight());
    // Per-AP colours: AP icons in their colours, group icons white.
    EXPECT_EQ(IconColour(f.Tree().ApIndex(2)), ToQColor(f.doc.Aps().m_aAPs[2].m_crColour));
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(0)), QColor(Qt::white));
    EXPECT_TRUE(f.Find<QRadioButton>("161")->isChecked());

    // A ticked AP ticks its group; "By Channel" shows the other grouping with the ticks kept.
    f.ClickItem(f.Tree().ApIndex(2), ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.doc.Aps().m_aAPs[2].m_bSelected, 1);
    EXPECT_EQ(CheckOf(f.Tree().GroupIndex(0)), Qt::Checked);
    f.Click("163");
    EXPECT_EQ(f.doc.Display().m_nSortMode, 2);
    EXPECT_TRUE(f.Find<QRadioButton>("163")->isChecked());
    EXPECT_FALSE(f.Find<QRadioButton>("161")->isChecked());
    EXPECT_EQ(ChildTexts(f.Tree()), (std::vector<QString>{"Channel 1", "Channel 6"}));
    EXPECT_EQ(ChildTexts(f.Tree(), f.Tree().index(1, 0)),
              (std::vector<QString>{"00-1A-2B-3C-4D-02, SSID:\"b\"", "00-1A-2B-3C-4D-03, SSID:\"a\""}));
    EXPECT_EQ(CheckOf(f.Tree().GroupIndex(0)), Qt::Unchecked);
    EXPECT_EQ(CheckOf(f.Tree().GroupIndex(1)), Qt::Checked);
    EXPECT_EQ(f.doc.Aps().m_groups.m_aGroups[1].m_bSelected, 1);
    EXPECT_EQ(CheckOf(f.Tree().ApIndex(2)), Qt::Checked);
    // Per-group colours take the hues 0, 52, ... in order of first appearance.
    f.ClickItem(f.Tree().GroupIndex(0), ApTreeView::Hit::Icon);
    EXPECT_EQ(f.doc.Display().m_nColourMode, 1);
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(0)), ToQColor(HsvToRgb(0, 224, 176)));
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(1)), ToQColor(HsvToRgb(52, 224, 176)));
    EXPECT_EQ(IconColour(f.Tree().ApIndex(2)), QColor(Qt::white));
    f.Click("161");
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(2)), ToQColor(HsvToRgb(104, 224, 176)));
    EXPECT_EQ(CheckOf(f.Tree().GroupIndex(0)), Qt::Checked);

    // Label mode 2 and SSIDs that are not plain ASCII (UTF-8 kept, a stray byte read as Latin-1).
    CAPInfo ap = PanelAp("caf\xC3\xA9", 11, 9, 30);
    EXPECT_EQ(ApTreeModel::ApItemText(ap, 2),
              QString::fromUtf8("00-1A-2B-3C-4D-09, Chan: 11, SSID:\"caf\xC3\xA9\""));
    ap.m_szSSID = MakeSsid("caf\xE9");
    EXPECT_EQ(ApTreeModel::ApItemText(ap, 1), QString::fromUtf8("00-1A-2B-3C-4D-09, SSID:\"caf\xC3\xA9\""));
}

TEST(ApTree, TicksUpdateTheirItemsWithTheMessagesAndWithoutRebuilding) {
    PanelFixture f;
    f.LoadProject();
    f.Click("171");
    f.Click("163"); // channel 6 holds AP 1 (20 points) and AP 2 (100 points)
    const QModelIndex group = f.Tree().GroupIndex(1);
    const QModelIndex ap1 = f.Tree().ApIndex(1);
    // A tick changes tick boxes (the rows it names), it does not rebuild the tree.
    QSignalSpy resets(&f.Tree(), &QAbstractItemModel::modelReset);
    f.ClickItem(group, ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid AP: No enough points for this AP: \n\n N,\tMAC\n  "
                                       "20, 00-1A-2B-3C-4D-02\n \n\n N: Number of Points "});
    EXPECT_EQ(f.doc.Aps().m_aAPs[1].m_bSelected + f.doc.Aps().m_aAPs[2].m_bSelected, 2);
    EXPECT_EQ(CheckOf(ap1), Qt::Checked);
    EXPECT_EQ(CheckOf(f.Tree().ApIndex(2)), Qt::Checked);
    EXPECT_EQ(f.doc.Display().m_panel.m_nSelectedAP, -1);
    EXPECT_FALSE(f.Shown("114"));
    EXPECT_FALSE(f.doc.Aps().m_aAPs[2].m_aCoverageBitmap.empty());
    EXPECT_TRUE(f.doc.Aps().m_aAPs[1].m_aCoverageBitmap.empty());
    EXPECT_EQ(resets.count(), 0);

    // Unticking an AP leaves its group ticked; ticking the 20-point AP alone reports it and keeps the tick.
    f.ClickItem(ap1, ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.doc.Aps().m_aAPs[1].m_bSelected, 0);
    EXPECT_EQ(CheckOf(group), Qt::Checked);
    EXPECT_EQ(f.doc.Display().m_panel.m_nSelectedAP, 1);
    f.ClickItem(ap1, ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid AP: No enough points for this AP:\n\n N,\t MAC\n "
                                       "20, 00-1A-2B-3C-4D-02\n\n N: Number of Points"});
    EXPECT_EQ(CheckOf(ap1), Qt::Checked);
    EXPECT_EQ(f.doc.Aps().m_aAPs[1].m_bSelected, 1);
    // A group ticked off unticks its members.
    f.ClickItem(group, ApTreeView::Hit::TickBox);
    EXPECT_EQ(CheckOf(ap1), Qt::Unchecked);
    EXPECT_EQ(f.doc.Aps().m_aAPs[2].m_bSelected, 0);
    EXPECT_EQ(resets.count(), 0);
    // The keyboard ticks the current item.
    f.TreeCtrl().setCurrentIndex(f.Tree().ApIndex(2));
    QTest::keyClick(&f.TreeCtrl(), Qt::Key_Space);
    EXPECT_EQ(f.doc.Aps().m_aAPs[2].m_bSelected, 1);
    EXPECT_EQ(f.doc.Display().m_panel.m_nSelectedAP, 2);
    EXPECT_TRUE(f.Shown("114"));
    f.ExpectTreeInStep();

    // A double click on a box is two clicks, each one a tick the document hears of.
    f.DoubleClickItem(f.Tree().ApIndex(2), ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.doc.Aps().m_aAPs[2].m_bSelected, 1);
    f.ExpectTreeInStep();
    f.DoubleClickItem(group, ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.TakeMessages().size(), 1u); // unticked, then ticked again (AP 1 reported once)
    EXPECT_EQ(f.doc.Aps().m_groups.m_aGroups[1].m_bSelected, 1);
    EXPECT_EQ(f.doc.Aps().m_aAPs[1].m_bSelected, 1);
    f.ExpectTreeInStep();
    QTest::mouseDClick(f.TreeCtrl().viewport(), Qt::LeftButton, {}, f.PointOn(ap1, ApTreeView::Hit::TickBox));
    QTest::mouseRelease(f.TreeCtrl().viewport(), Qt::LeftButton, {},
                        f.PointOn(ap1, ApTreeView::Hit::TickBox));
    EXPECT_EQ(f.doc.Aps().m_aAPs[1].m_bSelected, 0); // a double click event alone is one click
    f.ExpectTreeInStep();
}

TEST(ApTree, ColourModesCycleAndRightClickColoursTheRightAps) {
    PanelFixture f;
    f.LoadProject();
    f.Click("171");
    f.doc.SetTickedAps({0, 2});
    auto iconsOfAps = [&] {
        std::vector<QColor> out;
        for (int i = 0; i < 4; ++i)
            out.push_back(IconColour(f.Tree().ApIndex(i)));
        return out;
    };
    // Group icon: 0 -> 1 -> 2; AP icon: 2 -> 0 -> 2.
    f.ClickItem(f.Tree().GroupIndex(1), ApTreeView::Hit::Icon);
    EXPECT_EQ(f.doc.Display().m_nColourMode, 1);
    f.ClickItem(f.Tree().GroupIndex(1), ApTreeView::Hit::Icon);
    EXPECT_EQ(f.doc.Display().m_nColourMode, 2);
    const QColor single = ToQColor(f.doc.Display().m_crSingleColour);
    EXPECT_EQ(iconsOfAps(), std::vector<QColor>(4, single));
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(0)), QColor(Qt::white));
    f.ClickItem(f.Tree().ApIndex(3), ApTreeView::Hit::Icon);
    EXPECT_EQ(f.doc.Display().m_nColourMode, 0);
    EXPECT_EQ(IconColour(f.Tree().ApIndex(3)), ToQColor(f.doc.Aps().m_aAPs[3].m_crColour));
    f.ClickItem(f.Tree().ApIndex(3), ApTreeView::Hit::Icon);
    EXPECT_EQ(f.doc.Display().m_nColourMode, 2);

    // Mode 2, an AP's icon: the single colour, every ticked AP redrawn in it.
    bool opened = false;
    AnswerColourDialog(QColor(10, 200, 30), &opened);
    f.ClickItem(f.Tree().ApIndex(1), ApTreeView::Hit::Icon, true);
    EXPECT_TRUE(opened);
    EXPECT_EQ(f.doc.Display().m_crSingleColour, Rgb(10, 200, 30));
    EXPECT_EQ(iconsOfAps(), std::vector<QColor>(4, QColor(10, 200, 30)));
    EXPECT_EQ(f.doc.ApPictureColour(2), Rgb(10, 200, 30));

    // Mode 1, a group's icon: that group's colour (kept for the next switch back), its members redrawn.
    f.doc.SetColourMode(1);
    AnswerColourDialog(QColor(200, 0, 200));
    f.ClickItem(f.Tree().GroupIndex(0), ApTreeView::Hit::Icon, true);
    EXPECT_EQ(f.doc.Aps().m_groups.m_aGroups[0].m_crColour, Rgb(200, 0, 200));
    EXPECT_EQ(f.doc.Aps().m_groupsBySsid.m_aGroups[0].m_crColour, Rgb(200, 0, 200));
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(0)), QColor(200, 0, 200));
    EXPECT_EQ(IconColour(f.Tree().GroupIndex(1)), ToQColor(HsvToRgb(52, 224, 176)));
    EXPECT_EQ(f.doc.ApPictureColour(2), Rgb(200, 0, 200));
    // Mode 1, an AP's icon: no dialog, but the combined display is dropped all the same.
    Edit::Display(f.doc).m_bCombined = 1;
    opened = false;
    AnswerColourDialog(QColor(1, 2, 3), &opened);
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::Icon, true);
    QTest::qWait(700); // the answer stands ready until then
    EXPECT_FALSE(opened);
    EXPECT_EQ(f.doc.Display().m_bCombined, 0);

    // Mode 0, an AP's icon: that AP alone; Cancel changes nothing.
    f.doc.SetColourMode(0);
    const COLORREF before = f.doc.Aps().m_aAPs[0].m_crColour;
    AnswerColourDialog(QColor(250, 250, 0));
    f.ClickItem(f.Tree().ApIndex(2), ApTreeView::Hit::Icon, true);
    EXPECT_EQ(f.doc.Aps().m_aAPs[2].m_crColour, Rgb(250, 250, 0));
    EXPECT_EQ(IconColour(f.Tree().ApIndex(2)), QColor(250, 250, 0));
    EXPECT_EQ(IconColour(f.Tree().ApIndex(0)), ToQColor(before));
    AnswerColourDialog(std::nullopt);
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::Icon, true);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_crColour, before);
}

TEST(ApTree, TakesThePanesFreeHeightAndFiltersByMacOrSsid) {
    PanelFixture f;
    Edit::Map(f.doc).m_bMetricXY = 1;
    Edit::Display(f.doc).m_dUnitFactor = 1.0;
    Edit::Aps(f.doc).m_aAPs = {PanelAp("office", 1, 1, 120), PanelAp("Guest", 6, 2, 30),
                               PanelAp("office", 6, 3, 100), PanelAp("lab", 1, 4, 79)};
    Edit::Path(f.doc).m_aPoints.resize(3);
    Edit::Path(f.doc).m_aGpsState = {2, 2, 2};
    Edit::Display(f.doc).m_bDataLoaded = 1;
    f.doc.RebuildGroups();
    f.doc.Notify(DocChange::Everything);
    f.Click("171");
    ApTreeView& tree = f.TreeCtrl();

    // The tree grows and shrinks with the pane; below its few lines the pane scrolls instead.
    auto treeHeightAt = [&](int paneHeight) {
        f.panel->resize(260, paneHeight);
        QCoreApplication::processEvents();
        return tree.height();
    };
    const int at800 = treeHeightAt(800);
    const int at1400 = treeHeightAt(1400);
    EXPECT_GT(at800, tree.minimumHeight());
    EXPECT_EQ(at1400 - at800, 600);
    EXPECT_EQ(f.panel->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(treeHeightAt(200), tree.minimumHeight());
    EXPECT_GT(f.panel->verticalScrollBar()->maximum(), 0);
    treeHeightAt(900);

    auto* filter = f.Find<QLineEdit>("apFilter");
    EXPECT_EQ(filter->placeholderText(), "Filter by MAC or SSID");
    EXPECT_TRUE(filter->isClearButtonEnabled());
    EXPECT_TRUE(filter->isVisibleTo(f.panel));
    EXPECT_LT(filter->mapTo(f.panel, QPoint()).y(), tree.mapTo(f.panel, QPoint()).y());
    f.doc.SetApTicked(1, true);
    f.doc.SetApTicked(3, true);
    f.TakeMessages();
    auto ticks = [&] {
        std::vector<int> out;
        for (const CAPInfo& ap : f.doc.Aps().m_aAPs)
            out.push_back(ap.m_bSelected);
        return out;
    };
    const std::vector<int> ticked = ticks();
    auto shownAps = [&] {
        std::vector<int> out;
        for (int i = 0; i < 4; ++i)
            if (!tree.isRowHidden(f.Tree().ApIndex(i).row(), f.Tree().ApIndex(i).parent())) out.push_back(i);
        return out;
    };
    auto shownGroups = [&] {
        std::vector<int> out;
        for (int g = 0; g < f.Tree().rowCount(); ++g)
            if (!tree.isRowHidden(g, {})) out.push_back(g);
        return out;
    };

    // By SSID, whatever the case; groups with nothing shown go too.
    QTest::keyClicks(filter, "GUEST");
    EXPECT_EQ(shownAps(), std::vector<int>{1});
    EXPECT_EQ(shownGroups(), std::vector<int>{1}); // office, Guest, lab
    EXPECT_EQ(ticks(), ticked);
    f.ExpectTreeInStep();
    // By MAC, with dashes or colons.
    filter->setText("4d-03");
    EXPECT_EQ(shownAps(), std::vector<int>{2});
    filter->setText("3c:4D:04");
    EXPECT_EQ(shownAps(), std::vector<int>{3});
    EXPECT_EQ(shownGroups(), std::vector<int>{2});
    filter->setText("offi");
    EXPECT_EQ(shownAps(), (std::vector<int>{0, 2}));
    filter->setText("nothing like it");
    EXPECT_TRUE(shownAps().empty());
    EXPECT_TRUE(shownGroups().empty());
    EXPECT_EQ(ticks(), ticked);

    // The filter holds when the tree is built again (another grouping).
    filter->setText("guest");
    f.Click("163"); // channel 1: office, lab; channel 6: Guest, office
    EXPECT_EQ(shownAps(), std::vector<int>{1});
    EXPECT_EQ(shownGroups(), std::vector<int>{1});
    f.ExpectTreeInStep();
    // Cleared: everything again, ticks as they were.
    filter->clear();
    EXPECT_EQ(shownAps(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(shownGroups(), (std::vector<int>{0, 1}));
    EXPECT_EQ(ticks(), ticked);
    f.ExpectTreeInStep();
}

TEST(ApTree, ATickWhileTheCoverageRunsIsRefusedAndTheBoxShowsTheDocument) {
    PanelFixture f;
    f.LoadProject();
    f.Click("171");
    f.ClickItem(f.Tree().ApIndex(2), ApTreeView::Hit::TickBox);
    ASSERT_EQ(f.doc.Aps().m_aAPs[2].m_bSelected, 1);
    f.TakeMessages();
    int finished = 0;
    QObject::connect(&f.session, &gui::GuiSession::jobFinished, [&](bool) { ++finished; });
    ASSERT_TRUE(f.session.startCoverage());
    ASSERT_TRUE(f.session.jobRunning()); // its result waits for the event loop

    // The click reaches the document, which refuses it: the combined rectangle the job computes for
    // stays the one of the ticked APs, and the box shows the document's tick again.
    const double originY = f.doc.Frame().m_dGridOriginY, spanX = f.doc.Frame().m_dGridSpanX;
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Busy: A calculation is still running. Please wait until "
                                       "it has finished, or cancel it."});
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_bSelected, 0);
    EXPECT_EQ(CheckOf(f.Tree().ApIndex(0)), Qt::Unchecked);
    f.ExpectTreeInStep();
    EXPECT_EQ(f.doc.Frame().m_dGridOriginY, originY);
    EXPECT_EQ(f.doc.Frame().m_dGridSpanX, spanX);

    ASSERT_TRUE(WaitUntil([&] { return finished == 1; }, 30000));
    EXPECT_EQ(f.doc.Display().m_bCombined, 1);
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_bSelected, 1);
    f.ExpectTreeInStep();
}
