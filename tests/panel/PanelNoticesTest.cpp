// What a notice reaches: ticking one AP through the document's entry point sends the one notice that
// names it, changes the tree's rows of that AP and its group, repaints the picture once, and leaves
// every other section of the panel as it was; notices about one display setting or one section
// reach that section alone.
#include "PanelFixture.h"
#include "gui/Panes.h"
#include "model/EditAccess.h"
#include "panel/DisplaySection.h"
#include "panel/GraphSection.h"
#include "panel/MeasurementSection.h"
#include "panel/ReliabilitySection.h"
#include "panel/SortingSection.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QSignalSpy>

#include <set>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// Counts the paints of a widget: the graph window's picture is drawn again on each one.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

/// The times each section changed what it shows.
struct Rebuilds {
    int measurement = 0, sorting = 0, selectedAp = 0, reliability = 0, display = 0, graph = 0;
    bool operator==(const Rebuilds&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rebuilds& r) {
    return out << "measurement " << r.measurement << ", sorting " << r.sorting << ", selected AP "
               << r.selectedAp << ", reliability " << r.reliability << ", display " << r.display << ", graph "
               << r.graph;
}

/// The panel beside a graph window, with everything a notice may reach counted.
struct NoticeFixture : PanelFixture {
    QWidget graphWindow;
    QAbstractScrollArea* graph = nullptr;
    PaintCounter picture;
    NoticeRecorder notices;

    NoticeFixture() {
        graph = qobject_cast<QAbstractScrollArea*>(CreateGraphView(session, &graphWindow));
        graph->setGeometry(0, 0, 400, 300);
        graphWindow.resize(400, 300);
        graphWindow.show();
        graph->viewport()->installEventFilter(&picture);
        doc.AddObserver(&notices);
    }
    ~NoticeFixture() { doc.RemoveObserver(&notices); }

    Rebuilds Now() const {
        return {panel->Measurement().Rebuilds(),       panel->Sorting().Rebuilds(),
                panel->Sorting().SelectedApRebuilds(), panel->Reliability().Rebuilds(),
                panel->Display().Rebuilds(),           panel->Graph().Rebuilds()};
    }
    /// Lets the event loop paint what the last edit asked for, and starts counting afresh.
    void Settle() {
        QCoreApplication::processEvents();
        picture.paints = 0;
        notices.notices.clear();
    }
};

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

TEST(PanelNotices, TickingOneApNamesItAndRebuildsOnlyItsTreeRowsAndThePicture) {
    NoticeFixture f;
    // AP 2's area lies inside AP 0's: ticking it leaves the measured rectangle as it is.
    f.LoadProject();
    Edit::Aps(f.doc).m_aAPs[2].m_areaOrigin = CDataGeo(30, 20);
    Edit::Aps(f.doc).m_aAPs[2].m_areaSize = CDataGeo(50, 50);
    for (const char* header : {"144", "171", "101"})
        f.Click(header);
    f.doc.SetApTicked(0, true);
    f.Settle();
    const std::string north = f.Text("103").toStdString();
    const Rebuilds before = f.Now();
    QSignalSpy rows(&f.Tree(), &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&f.Tree(), &QAbstractItemModel::modelReset);

    f.doc.SetApTicked(2, true);
    QCoreApplication::processEvents();
    ASSERT_EQ(f.notices.notices.size(), 1u);
    const ChangeNotice& notice = f.notices.notices[0];
    EXPECT_EQ(notice.what, DocChange::Selection);
    EXPECT_EQ(notice.aps, std::vector<int>{2});
    const int group = f.doc.Aps().m_aAPs[2].m_nGroupIndex;
    EXPECT_EQ(ChangedRows(rows), (std::set<int>{2, -1 - group}));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(f.picture.paints, 1);
    // The tick selects the AP: the block beside its row shows it; nothing else was rebuilt.
    Rebuilds expected = before;
    ++expected.selectedAp;
    EXPECT_EQ(f.Now(), expected);
    EXPECT_TRUE(f.Shown("114"));
    EXPECT_EQ(f.Text("114"), "80.00");
    EXPECT_EQ(f.Text("103").toStdString(), north);
    f.ExpectTreeInStep();

    // A tick that widens the rectangle: the measured area and the matrix sliders follow it.
    f.Settle();
    f.doc.SetApTicked(3, true);
    QCoreApplication::processEvents();
    ASSERT_EQ(f.notices.notices.size(), 1u);
    EXPECT_EQ(f.notices.notices[0].aps, std::vector<int>{3});
    EXPECT_NE(f.Text("103").toStdString(), north);
    expected.measurement += 1, expected.display += 1, expected.selectedAp += 1;
    EXPECT_EQ(f.Now(), expected);
    EXPECT_EQ(f.picture.paints, 1);
}

TEST(PanelNotices, ADisplaySettingOrASectionReachesOnlyItsSection) {
    NoticeFixture f;
    f.LoadProject();
    f.Settle();
    auto expectOnly = [&](auto edit, int Rebuilds::*section, const char* what) {
        Rebuilds expected = f.Now();
        f.Settle();
        edit();
        QCoreApplication::processEvents();
        ++(expected.*section);
        EXPECT_EQ(f.Now(), expected) << what;
        ASSERT_EQ(f.notices.notices.size(), 1u) << what;
        EXPECT_LE(f.picture.paints, 1) << what;
    };
    expectOnly([&] { f.doc.SetTransparency(40); }, &Rebuilds::display, "transparency");
    EXPECT_EQ(f.notices.notices[0].setting, DisplaySetting::Alpha);
    expectOnly([&] { f.doc.SetDisplayFlag(DisplayFlag::XGrid, true); }, &Rebuilds::display, "grid");
    expectOnly([&] { f.doc.ToggleSection(kSectionMeasurement); }, &Rebuilds::measurement, "measurement");
    EXPECT_EQ(f.notices.notices[0].setting, DisplaySetting::Sections);
    expectOnly([&] { f.doc.ToggleSection(kSectionSorting); }, &Rebuilds::sorting, "sorting");
    expectOnly([&] { f.doc.SetAnalysisMode(2); }, &Rebuilds::reliability, "analysis mode");
    expectOnly([&] { f.doc.SetGraphType(GraphKind::ApCount); }, &Rebuilds::graph, "graph type");
    expectOnly([&] { f.doc.SetPowerRange(-90, -40); }, &Rebuilds::sorting, "power range");
    EXPECT_EQ(f.notices.notices[0].setting, DisplaySetting::PowerRange);

    // A gesture shows its own section again, not the whole panel.
    Rebuilds expected = f.Now();
    const int path = f.doc.Display().m_bShowPath;
    f.Click("132"); // the walk path
    ++expected.display;
    EXPECT_EQ(f.Now(), expected);
    EXPECT_NE(f.doc.Display().m_bShowPath, path);
}
