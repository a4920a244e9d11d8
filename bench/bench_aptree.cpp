// The AP tree of the control panel on a large project (2,000 APs): resetting its model from the
// groups (the view expanding every group), recolouring its icons, and one tick through the whole
// panel (which changes the rows of one AP and its group only).
#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "panel/ApTreeModel.h"
#include "panel/ApTreeView.h"
#include "panel/ControlView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <string>

namespace {

using namespace plotra;
using namespace plotra::gui;

/// 2,000 APs, or PLOTRA_BENCH_APS of them (20000: as many as the metro drive has).
const int kAps = [] {
    const int n = qEnvironmentVariableIntValue("PLOTRA_BENCH_APS");
    return n > 0 ? n : 2000;
}();

/// 2,000 APs with 300 SSIDs on 13 channels, planar, 30 points each, every third ticked.
void FillDocument(CPlotraDoc& doc) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Aps(doc).m_aAPs.resize(kAps);
    for (int i = 0; i < kAps; ++i) {
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[static_cast<std::size_t>(i)];
        ap.m_szSSID = MakeSsid("net-" + std::to_string(i % 300));
        ap.m_byChannel = static_cast<std::uint8_t>(1 + i % 13);
        ap.m_abyMAC = {0x02,
                       0x00,
                       0x00,
                       static_cast<std::uint8_t>(i >> 16),
                       static_cast<std::uint8_t>(i >> 8),
                       static_cast<std::uint8_t>(i)};
        ap.m_crColour = doc.NextApColour();
        ap.m_areaOrigin = CDataGeo(i % 50 * 20.0, i / 50 * 20.0);
        ap.m_areaSize = CDataGeo(100, 100);
        ap.m_aApPoints.resize(30);
        ap.m_nApGridCols = ap.m_nApGridRows = 2;
        ap.m_aGrid = {-50, -60, -70, -80};
        ap.m_bSelected = i % 3 == 0;
    }
    Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 5.0;
    Edit::Display(doc).m_bDataLoaded = 1;
    doc.RebuildGroups();
}

struct Session {
    GuiSession session;
    Session() { FillDocument(session.doc()); }
};

Session& Shared() {
    static Session s;
    return s;
}

void BM_ApTree_Rebuild(benchmark::State& state) {
    CPlotraDoc& doc = Shared().session.doc();
    doc.SetSortMode(static_cast<int>(state.range(0)));
    ApTreeModel model(doc);
    ApTreeView tree(model);
    tree.resize(208, 136);
    for (auto _ : state) {
        model.Reset();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetLabel(state.range(0) == 1 ? "by SSID, 300 groups" : "by channel, 13 groups");
}
BENCHMARK(BM_ApTree_Rebuild)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

/// A colour-mode notice: every row's icon changes; the visible ones are drawn again.
void BM_ApTree_RefreshIcons(benchmark::State& state) {
    CPlotraDoc& doc = Shared().session.doc();
    ApTreeModel model(doc);
    ApTreeView tree(model);
    tree.resize(208, 136);
    tree.show();
    QCoreApplication::processEvents();
    int mode = 0;
    for (auto _ : state) {
        Edit::Display(doc).m_nColourMode = mode = (mode + 1) % 3;
        model.OnNotice(ChangeNotice{DocChange::Groups, ApField::Colour, {}});
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ApTree_RefreshIcons)->Unit(benchmark::kMillisecond);

/// The panel as the user has it, shown with its sorting section open: a notice that replaces
/// everything rebuilds the tree, and the event loop lays it out and paints it.
void BM_Panel_EverythingNotice(benchmark::State& state) {
    GuiSession& session = Shared().session;
    Edit::Display(session.doc()).m_panel.m_bExpandSorting = 1;
    CControlView panel(session);
    panel.resize(260, 900);
    panel.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        session.doc().Notify(DocChange::Everything);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Panel_EverythingNotice)->Unit(benchmark::kMillisecond);

/// One tick box: the document's work (pictures, extent, node counts) and the panel's (one item).
void BM_Panel_TickOneAp(benchmark::State& state) {
    GuiSession& session = Shared().session;
    CControlView panel(session);
    panel.resize(260, 900);
    panel.show();
    QCoreApplication::processEvents();
    bool on = false;
    for (auto _ : state) {
        on = !on;
        session.doc().SetApTicked(1, on);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Panel_TickOneAp)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
