// What Undo costs on a large project (2,000 APs with 50 x 50 grids, every third ticked): the edits
// with and without an undo stack attached (its capture and comparison), the memory a recorded edit
// keeps, and taking an edit back and making it again.
#include "edits/UndoStack.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace plotra;

constexpr int kAps = 2000;
constexpr int kNodes = 50;

/// 2,000 planar APs with 300 SSIDs on 13 channels, each with a 50 x 50 grid and its picture.
std::unique_ptr<CPlotraDoc> MakeDocument() {
    auto doc = std::make_unique<CPlotraDoc>();
    Edit::Map(*doc).m_bMetricXY = 1;
    Edit::Display(*doc).m_dUnitFactor = 1.0;
    Edit::Aps(*doc).m_aAPs.resize(kAps);
    for (int i = 0; i < kAps; ++i) {
        CAPInfo& ap = Edit::Aps(*doc).m_aAPs[static_cast<std::size_t>(i)];
        ap.m_szSSID = MakeSsid("net-" + std::to_string(i % 300));
        ap.m_byChannel = static_cast<std::uint8_t>(1 + i % 13);
        ap.m_abyMAC = {0x02,
                       0x00,
                       0x00,
                       static_cast<std::uint8_t>(i >> 16),
                       static_cast<std::uint8_t>(i >> 8),
                       static_cast<std::uint8_t>(i)};
        ap.m_crColour = doc->NextApColour();
        ap.m_areaOrigin = CDataGeo(i % 50 * 20.0, i / 50 * 20.0);
        ap.m_areaSize = CDataGeo(100, 100);
        ap.m_aApPoints.resize(30);
        ap.m_nApGridCols = ap.m_nApGridRows = kNodes;
        ap.m_aGrid.resize(kNodes * kNodes);
        for (std::size_t n = 0; n < ap.m_aGrid.size(); ++n)
            ap.m_aGrid[n] = -40.0 - static_cast<double>((n * 7 + static_cast<std::size_t>(i)) % 60);
        ap.m_bSelected = i % 3 == 0;
    }
    Edit::Frame(*doc).m_dResolutionX = Edit::Frame(*doc).m_dResolutionY = 5.0;
    Edit::Display(*doc).m_bDataLoaded = 1;
    doc->RebuildGroups();
    doc->RegenerateTickedApPictures();
    return doc;
}

/// A tick box, with (1) and without (0) an undo stack recording it.
void BM_Undo_TickOneAp(benchmark::State& state) {
    const auto doc = MakeDocument();
    std::unique_ptr<UndoStack> stack;
    if (state.range(0)) stack = std::make_unique<UndoStack>(*doc);
    bool on = false;
    for (auto _ : state) {
        on = !on;
        doc->SetApTicked(1, on);
    }
    if (stack)
        state.counters["bytes per edit"] =
            static_cast<double>(stack->Bytes()) / static_cast<double>(stack->Count());
    state.SetLabel(state.range(0) ? "recorded" : "no stack");
}
BENCHMARK(BM_Undo_TickOneAp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// A colour mode: the pictures of all 667 ticked APs are made again.
void BM_Undo_ColourMode(benchmark::State& state) {
    const auto doc = MakeDocument();
    std::unique_ptr<UndoStack> stack;
    if (state.range(0)) stack = std::make_unique<UndoStack>(*doc);
    int mode = 0;
    for (auto _ : state) {
        mode = mode == 0 ? 2 : 0;
        doc->SetColourMode(mode);
    }
    if (stack)
        state.counters["bytes per edit"] =
            static_cast<double>(stack->Bytes()) / static_cast<double>(stack->Count());
    state.SetLabel(state.range(0) ? "recorded" : "no stack");
}
BENCHMARK(BM_Undo_ColourMode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// Undo and Redo of a move's refit (grid and picture written back) and of a colour mode (667
/// pictures made again).
void BM_Undo_UndoRedo(benchmark::State& state) {
    const auto doc = MakeDocument();
    UndoStack stack(*doc);
    if (state.range(0) == 0) {
        // A refit as a move leaves it: another grid and picture for one AP.
        CAPInfo& ap = Edit::Aps(*doc).m_aAPs[3];
        CPlotraDoc::UndoableEdit edit(*doc, EditSubject("Move AP " + ap.MacText(), {3}));
        for (double& v : ap.m_aGrid)
            v -= 3.0;
        ap.m_posAP = CDataGeo(10, 10);
        doc->RegenerateTickedApPictures();
        doc->Notify(DocChange::Aps, ApField::Model, {3});
    } else {
        doc->SetColourMode(2);
    }
    for (auto _ : state) {
        stack.Undo();
        stack.Redo();
    }
    state.SetLabel(state.range(0) ? "colour mode" : "move");
}
BENCHMARK(BM_Undo_UndoRedo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
