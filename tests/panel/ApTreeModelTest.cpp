// The AP tree's item model: the same rows, texts, tips, ticks and icon colours as the builder that
// filled the tree widget before it, on a generated project in both groupings and every colour mode;
// the rows a notice names are the rows it changes; and rows that outlive their APs answer nothing.
#include "ApTreeBuilder.h"
#include "PanelFixture.h"
#include "model/EditAccess.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <set>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// \p count APs with 37 SSIDs on 13 channels (one SSID hidden), planar, every third ticked.
void FillGenerated(CPlotraDoc& doc, int count) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Aps(doc).m_aAPs.clear();
    for (int i = 0; i < count; ++i) {
        CAPInfo ap = PanelAp(i % 37 == 5 ? std::string() : "net-" + std::to_string(i % 37), 1 + i % 13,
                             static_cast<std::uint8_t>(i), 30);
        ap.m_abyMAC[4] = static_cast<std::uint8_t>(i >> 8);
        ap.m_crColour = doc.NextApColour();
        ap.m_bSelected = i % 3 == 0;
        Edit::Aps(doc).m_aAPs.push_back(ap);
    }
    Edit::Display(doc).m_bDataLoaded = 1;
    doc.RebuildGroups();
}

struct Row {
    QString text, tip;
    int data = 0;
    bool ticked = false;
    QRgb icon = 0;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << r.text.toStdString() << " [" << r.data << (r.ticked ? " x " : " - ") << std::hex << r.icon
               << std::dec << "]";
}

QRgb Middle(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().pixel(8, 8);
}

/// Every row of the model, groups followed by their APs.
std::vector<Row> ModelRows(const ApTreeModel& model) {
    std::vector<Row> rows;
    auto add = [&](const QModelIndex& i) {
        rows.push_back({i.data().toString(), i.data(Qt::ToolTipRole).toString(), ApTreeModel::ItemData(i),
                        i.data(Qt::CheckStateRole).toInt() == Qt::Checked,
                        Middle(i.data(Qt::DecorationRole).value<QIcon>())});
    };
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex group = model.index(g, 0);
        add(group);
        for (int r = 0; r < model.rowCount(group); ++r)
            add(model.index(r, 0, group));
    }
    return rows;
}

/// Every item of the tree widget the old builder filled, in the same order.
std::vector<Row> BuilderRows(const ApTreeCtrl& tree) {
    std::vector<Row> rows;
    auto add = [&](const QTreeWidgetItem* item) {
        rows.push_back({item->text(0), item->toolTip(0), ApTreeCtrl::ItemData(item),
                        item->checkState(0) == Qt::Checked, Middle(item->icon(0))});
    };
    for (int g = 0; g < tree.topLevelItemCount(); ++g) {
        add(tree.topLevelItem(g));
        for (int c = 0; c < tree.topLevelItem(g)->childCount(); ++c)
            add(tree.topLevelItem(g)->child(c));
    }
    return rows;
}

/// The rows named by the dataChanged signals recorded in \p spy, as item data.
std::set<int> ChangedRows(const QSignalSpy& spy) {
    std::set<int> rows;
    for (const QList<QVariant>& args : spy) {
        const auto from = args[0].value<QModelIndex>(), to = args[1].value<QModelIndex>();
        for (int r = from.row(); r <= to.row(); ++r)
            rows.insert(ApTreeModel::ItemData(from.sibling(r, 0)));
    }
    return rows;
}

} // namespace

TEST(ApTreeModel, SameRowsAsTheOldBuilderInBothGroupingsAndEveryColourMode) {
    gui::GuiSession session;
    PromptRecorder prompts;
    session.setPrompts(&prompts);
    CPlotraDoc& doc = session.doc();
    FillGenerated(doc, 300);
    ApTreeModel model(doc);
    ApTreeCtrl tree;
    ApTreeBuilder builder(tree, doc);
    for (int sort : {1, 2}) {
        doc.SetSortMode(sort);
        model.Reset();
        for (int colours : {0, 1, 2}) {
            Edit::Display(doc).m_nColourMode = colours;
            builder.RebuildApTree();
            const std::vector<Row> expected = BuilderRows(tree);
            ASSERT_EQ(expected.size(), doc.Aps().m_aAPs.size() + doc.Aps().m_groups.m_aGroups.size());
            EXPECT_EQ(ModelRows(model), expected) << "sort " << sort << ", colours " << colours;
        }
    }
    // Every AP row is where the model says it is.
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(ApTreeModel::ItemData(model.ApIndex(i)), i);
    EXPECT_EQ(ApTreeModel::ItemData(model.GroupIndex(4)), -5);
    EXPECT_FALSE(model.ApIndex(300).isValid());
    EXPECT_FALSE(model.GroupIndex(-1).isValid());
}

TEST(ApTreeModel, ANoticeChangesExactlyTheRowsItNamesAndAGroupingResets) {
    gui::GuiSession session;
    PromptRecorder prompts;
    session.setPrompts(&prompts);
    CPlotraDoc& doc = session.doc();
    FillGenerated(doc, 60);
    ApTreeModel model(doc);
    QObject::connect(&session.notices(), &DocumentSignals::changed, &model, &ApTreeModel::OnNotice);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);

    // One AP: its row and its group's row, the tick role only.
    const int group = doc.Aps().m_aAPs[7].m_nGroupIndex;
    doc.SetApTicked(7, true);
    EXPECT_EQ(ChangedRows(changed), (std::set<int>{7, -1 - group}));
    for (const auto& args : changed)
        EXPECT_EQ(args[2].value<QList<int>>(), QList<int>{Qt::CheckStateRole});
    EXPECT_EQ(model.ApIndex(7).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // A group: its members and itself.
    changed.clear();
    doc.SetGroupTicked(group, false);
    std::set<int> expected{-1 - group};
    for (const CGroupItem& item : doc.Aps().m_groups.m_aGroups[static_cast<std::size_t>(group)].m_aItems)
        expected.insert(item.m_nIndex);
    EXPECT_EQ(ChangedRows(changed), expected);
    EXPECT_EQ(resets.count(), 0);

    // A new set of ticks names the APs it unticks as well as those it ticks.
    changed.clear();
    const std::vector<int> before = [&] {
        std::vector<int> ticked;
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
            if (doc.Aps().m_aAPs[i].m_bSelected) ticked.push_back(static_cast<int>(i));
        return ticked;
    }();
    ASSERT_GT(before.size(), 2u);
    doc.SetTickedAps({before[1], 2});
    const std::set<int> rows = ChangedRows(changed);
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
        const bool ticked =
            model.ApIndex(static_cast<int>(i)).data(Qt::CheckStateRole).toInt() == Qt::Checked;
        EXPECT_EQ(ticked, doc.Aps().m_aAPs[i].m_bSelected != 0) << "AP " << i;
        if (std::find(before.begin(), before.end(), static_cast<int>(i)) != before.end() || i == 2) {
            EXPECT_TRUE(rows.count(static_cast<int>(i))) << "AP " << i << " not named";
        }
    }
    for (int g = 0; g < model.GroupCount(); ++g) {
        EXPECT_EQ(model.GroupIndex(g).data(Qt::CheckStateRole).toInt() == Qt::Checked,
                  doc.Aps().m_groups.m_aGroups[static_cast<std::size_t>(g)].m_bSelected != 0)
            << "group " << g;
    }

    // Colours change icons, never rows.
    changed.clear();
    doc.SetColourMode(1);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(ChangedRows(changed).size(), doc.Aps().m_aAPs.size() + doc.Aps().m_groups.m_aGroups.size());
    for (const auto& args : changed)
        EXPECT_TRUE(args[2].value<QList<int>>().contains(Qt::DecorationRole));

    // Another grouping, and a new project, reset the model; nothing else did.
    doc.SetSortMode(2);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 13);
    doc.Notify(DocChange::Everything);
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(layouts.count(), 0);
}

TEST(ApTreeModel, RowsWhoseApsLeftTheDocumentAnswerNothing) {
    gui::GuiSession session;
    PromptRecorder prompts;
    session.setPrompts(&prompts);
    CPlotraDoc& doc = session.doc();
    FillGenerated(doc, 20);
    ApTreeModel model(doc);
    ApTreeView view(model);
    view.resize(220, 300);
    view.show();
    QCoreApplication::processEvents();
    // The APs leave (as they do for a processing job) before the notice that says so arrives.
    const QModelIndex row = model.ApIndex(3);
    Edit::Aps(doc).m_aAPs.clear();
    EXPECT_FALSE(row.data().isValid());
    EXPECT_FALSE(row.data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model.Matches(row, QStringLiteral("net")));
    view.SetFilter(QStringLiteral("net"));
    view.viewport()->repaint();
    model.OnNotice(ChangeNotice{DocChange::Selection, ApField::All, {3, -5, 1000}});
    Edit::Aps(doc).m_groups.m_aGroups.clear();
    model.Reset();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_FALSE(model.index(0, 0, model.index(0, 0)).isValid());
}
