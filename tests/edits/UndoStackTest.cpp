// Undo and Redo through the core: every kind of undoable edit, taken back and done again, leaves the
// workspace byte for byte as it was before and after the edit; a moved AP gets its fitted model back
// exactly; undo sends the edit's notices; the modified flag follows the stack and its saved state;
// the stack is cleared by a replaced project, refused while a job runs, and keeps small mementos.
#include "edits/UndoStack.h"
#include "analysis/Coverage.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

using namespace plotra;
using namespace plotra::test;

namespace {

class UndoTest : public ::testing::Test {
  public:
    void SetUp() override {
        ASSERT_TRUE(LoadDemoProject(doc, false));
        stack.Clear();
        doc.SetModifiedFlag(false);
        r.prompts.prompts.clear();
        r.notices.notices.clear();
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size() && ap < 0; ++i)
            if (doc.Aps().m_aAPs[i].m_bSelected && doc.Aps().m_aAPs[i].m_aApPoints.size() > kMinLocatedPoints)
                ap = static_cast<int>(i);
        ASSERT_GE(ap, 0);
        Edit::Display(doc).m_panel.m_nSelectedAP =
            ap; // as if last ticked in the tree: the AP a typed position moves
        // An antenna height, which the unit change rewrites.
        Edit::Aps(doc).m_aApNotes.resize(doc.Aps().m_aAPs.size());
        Edit::Aps(doc).m_aApNotes[static_cast<std::size_t>(ap)].m_strHeight = "12";
    }
    std::vector<std::uint8_t> Workspace() const { return doc.EncodeWorkspace(); }
    /// The APs' pictures, which the workspace does not store (a reopened project makes them again).
    std::vector<std::vector<COLORREF>> Pictures() const {
        std::vector<std::vector<COLORREF>> out;
        for (const CAPInfo& a : doc.Aps().m_aAPs)
            out.push_back(a.m_aCoverageBitmap);
        return out;
    }
    const CAPInfo& Ap() const { return doc.Aps().m_aAPs[static_cast<std::size_t>(ap)]; }
    std::string Mac() const { return Ap().MacText(); }
    /// A position a little way from the AP, inside its area: the refit takes it.
    CDataGeo Nearby(double share = 0.05) const {
        return {Ap().m_posAP.m_dY + share * Ap().m_areaSize.m_dY,
                Ap().m_posAP.m_dX + share * Ap().m_areaSize.m_dX};
    }

    RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    UndoStack stack{doc};
    int ap = -1;
};

struct EditCase {
    std::string name;
    std::function<void(UndoTest&)> edit;
    std::function<std::string(const UndoTest&)> text;
};

class UndoEachEdit : public UndoTest {
  public:
    void Run(const EditCase& c) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> base = Workspace();
        const auto basePictures = Pictures();
        const std::size_t index = stack.Index();
        c.edit(*this);
        const std::vector<std::uint8_t> after = Workspace();
        const auto afterPictures = Pictures();
        ASSERT_EQ(stack.Index(), index + 1) << "recorded as one edit";
        EXPECT_EQ(stack.Count(), index + 1) << "what could have been redone is gone";
        EXPECT_NE(after, base) << "the edit changes what the workspace stores";
        EXPECT_EQ(stack.UndoText(), c.text(*this));
        EXPECT_EQ(stack.RedoText(), "");
        ASSERT_TRUE(stack.Undo());
        EXPECT_TRUE(Workspace() == base) << "undone";
        EXPECT_TRUE(Pictures() == basePictures) << "undone";
        EXPECT_EQ(stack.RedoText(), c.text(*this));
        ASSERT_TRUE(stack.Redo());
        EXPECT_TRUE(Workspace() == after) << "redone";
        EXPECT_TRUE(Pictures() == afterPictures) << "redone";
        ASSERT_TRUE(stack.Undo());
        EXPECT_TRUE(Workspace() == base) << "undone again";
        EXPECT_TRUE(Pictures() == basePictures) << "undone again";
    }
};

} // namespace

TEST_F(UndoEachEdit, UndoneAndRedoneLeavesTheWorkspaceByteIdentical) {
    auto mac = [](const std::string& prefix) {
        return [prefix](const UndoTest& t) { return prefix + t.Mac(); };
    };
    auto plain = [](const std::string& text) { return [text](const UndoTest&) { return text; }; };
    const EditCase cases[] = {
        {"move", [](UndoTest& t) { EXPECT_TRUE(t.doc.MoveAp(t.ap, t.Nearby()).refitted); }, mac("Move AP ")},
        {"drop", [](UndoTest& t) { EXPECT_TRUE(t.doc.FinishApDrag(t.ap, t.Nearby(-0.04)).refitted); },
         mac("Move AP ")},
        {"typed position",
         [](UndoTest& t) {
             const CDataGeo to = t.Nearby(0.03);
             const double f = t.doc.Map().m_bMetricXY ? t.doc.Display().m_dUnitFactor : 1.0;
             char y[64], x[64];
             std::snprintf(y, sizeof y, "%.6f", to.m_dY / f);
             std::snprintf(x, sizeof x, "%.6f", to.m_dX / f);
             EXPECT_TRUE(t.doc.TypeApPosition(y, x).has_value());
         },
         mac("Move AP ")},
        {"untick AP", [](UndoTest& t) { t.doc.SetApTicked(t.ap, false); }, mac("Untick AP ")},
        {"untick group", [](UndoTest& t) { t.doc.SetGroupTicked(t.Ap().m_nGroupIndex, false); },
         [](const UndoTest& t) {
             return "Untick Group " +
                    t.doc.Aps().m_groups.m_aGroups[static_cast<std::size_t>(t.Ap().m_nGroupIndex)].m_strName;
         }},
        {"AP colour", [](UndoTest& t) { t.doc.SetTreeIconColour(false, t.ap, Rgb(1, 2, 3)); },
         mac("Change Colour of AP ")},
        {"colour mode", [](UndoTest& t) { t.doc.ClickTreeIcon(true); }, plain("Colour Mode")},
        {"icon", [](UndoTest& t) { t.doc.SetApIcon(t.ap, 1, 190); }, mac("Change Icon of AP ")},
        {"AP notes",
         [](UndoTest& t) {
             CApFile notes;
             notes.m_strNotes = "on the roof";
             notes.m_strHeight = "12";
             t.doc.SetApNotes(t.ap, notes);
         },
         plain("Notes")},
        {"file notes", [](UndoTest& t) { t.doc.SetFileNotes(1, "second walk"); }, plain("Notes")},
        {"display mode", [](UndoTest& t) { t.doc.SetDisplayMode(DisplayMode::CellRadius); },
         plain("Display Settings")},
        {"power range", [](UndoTest& t) { t.doc.SetPowerRange(-90, -45); }, plain("Display Settings")},
        {"transparency", [](UndoTest& t) { t.doc.SetTransparency(40); }, plain("Display Settings")},
        {"grid lines", [](UndoTest& t) { t.doc.SetDisplayFlag(DisplayFlag::XGrid, true); },
         plain("Display Settings")},
        {"sort mode", [](UndoTest& t) { t.doc.SetSortMode(2); }, plain("Sort by Channel")},
        {"unit", [](UndoTest& t) { t.doc.ChangeDisplayUnit(t.doc.Display().m_dUnitFactor < 0.5); },
         plain("Unit")},
    };
    for (const EditCase& c : cases)
        Run(c);
    EXPECT_TRUE(r.prompts.Messages().empty()) << r.prompts.Messages().front();
}

TEST_F(UndoTest, SeveralEditsUndoneAndRedoneInOrderAndAMovedApGetsItsModelBackExactly) {
    CPlotraDoc reference;
    ASSERT_TRUE(LoadDemoProject(reference, false));
    const std::vector<std::uint8_t> base = Workspace();

    ASSERT_TRUE(doc.MoveAp(ap, Nearby()).refitted);
    const CAPInfo moved = Ap();
    EXPECT_NE(moved.m_dSlope, reference.Aps().m_aAPs[static_cast<std::size_t>(ap)].m_dSlope);
    const std::vector<ChangeNotice> moveNotices = r.notices.notices;
    const int other = ap == 0 ? 1 : 0;
    doc.SetApTicked(other, !doc.Aps().m_aAPs[static_cast<std::size_t>(other)].m_bSelected);
    doc.SetColourMode(2);
    doc.SetGraphType(GraphKind::Snr);
    const std::vector<std::uint8_t> last = Workspace();
    ASSERT_EQ(stack.Count(), 4u);

    while (stack.CanUndo())
        ASSERT_TRUE(stack.Undo());
    EXPECT_TRUE(Workspace() == base);
    // Position, slope, intercept, shadowing, grid and picture: the processing's own bits.
    EXPECT_EQ(ProcessingDifferences(doc, reference), std::vector<std::string>{});

    // The move's notices came again, in the edit's order, the last ones of the undo walk.
    r.notices.notices.clear();
    ASSERT_TRUE(stack.Redo());
    ASSERT_EQ(r.notices.notices.size(), moveNotices.size());
    for (std::size_t i = 0; i < moveNotices.size(); ++i) {
        EXPECT_EQ(r.notices.notices[i].what, moveNotices[i].what);
        EXPECT_EQ(r.notices.notices[i].field, moveNotices[i].field);
        EXPECT_EQ(r.notices.notices[i].aps, moveNotices[i].aps);
    }
    EXPECT_EQ(Ap().m_dSlope, moved.m_dSlope);
    EXPECT_EQ(Ap().m_aGrid, moved.m_aGrid);
    while (stack.CanRedo())
        ASSERT_TRUE(stack.Redo());
    EXPECT_TRUE(Workspace() == last);
}

TEST_F(UndoTest, EditsInsideAnEditAreOneStepAndEditsThatChangeNothingNone) {
    std::vector<int> some;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size() && some.size() < 3; ++i)
        if (doc.Aps().m_aAPs[i].m_aApPoints.size() > kMinCoveragePoints) some.push_back(static_cast<int>(i));
    const std::vector<std::uint8_t> base = Workspace();
    doc.SetTickedAps(some);
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_EQ(stack.UndoText(), "Select APs");
    ASSERT_TRUE(stack.Undo());
    EXPECT_TRUE(Workspace() == base);

    // The mode shown chosen again, a cancelled colour dialog, a refused marker toggle: nothing to take back.
    doc.SetDisplayMode(DisplayMode::Coverage);
    doc.SetTreeIconColour(false, ap, std::nullopt);
    doc.SetApIcon(ap, Ap().m_nIconOption, Ap().m_nIconId);
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_EQ(stack.Index(), 0u);
    EXPECT_TRUE(stack.CanRedo()) << "no change keeps the redo";

    // A new edit takes the place of what could have been redone.
    doc.SetAlpha(10);
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_EQ(stack.UndoText(), "Display Settings");
    EXPECT_FALSE(stack.CanRedo());

    // A view that answers an undo's notice with an edit of its own does not cut the history apart.
    struct Echo : DocumentObserver {
        CPlotraDoc* doc = nullptr;
        bool answered = false;
        void documentChanged(const ChangeNotice&) override {
            if (!std::exchange(answered, true)) doc->SetGridDivisions(9);
        }
    } echo;
    echo.doc = &doc;
    doc.AddObserver(&echo);
    ASSERT_TRUE(stack.Undo());
    doc.RemoveObserver(&echo);
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_EQ(stack.RedoText(), "Display Settings");
    ASSERT_TRUE(stack.Redo());

    // The oldest edits go once the stack is full.
    for (std::size_t i = 0; i < UndoStack::kLimit + 5; ++i)
        doc.SetAlpha(static_cast<int>(i % 2 ? 20 : 30));
    EXPECT_EQ(stack.Count(), UndoStack::kLimit);
    EXPECT_EQ(stack.Index(), UndoStack::kLimit);
}

TEST_F(UndoTest, MementosHoldWhatTheEditChangedAndNeverThePointsOrTheCombinedGrids) {
    CPlotraDoc reference;
    ASSERT_TRUE(LoadDemoProject(reference, false));
    const std::size_t grid = Ap().m_aGrid.size() * sizeof(double);
    const std::size_t picture = Ap().m_aCoverageBitmap.size() * sizeof(COLORREF);
    ASSERT_GT(grid, 0u);
    doc.SetApTicked(ap, false);
    EXPECT_LT(stack.Bytes(), 4096u) << "an untick keeps a tick byte and a few numbers";
    stack.Clear();
    ASSERT_TRUE(doc.MoveAp(ap, Nearby()).refitted);
    EXPECT_LT(stack.Bytes(), 2 * (grid + picture) + 4096u);
    EXPECT_GT(stack.Bytes(), 2 * grid);

    // A colour mode repaints every ticked AP: the pictures are made again when written back, except
    // one that is not what its AP makes (here one painted by hand), which is kept as it was.
    doc.SetApTicked(ap, true);
    stack.Clear();
    std::size_t ticked = 0;
    for (const CAPInfo& a : doc.Aps().m_aAPs)
        ticked += a.m_bSelected && !a.m_aCoverageBitmap.empty();
    ASSERT_GT(ticked, 3u);
    std::vector<COLORREF>& painted = Edit::Aps(doc).m_aAPs[static_cast<std::size_t>(ap)].m_aCoverageBitmap;
    std::fill(painted.begin(), painted.end(), Rgb(9, 9, 9));
    const std::vector<COLORREF> byHand = painted;
    doc.SetColourMode(2);
    const std::vector<COLORREF> single = Ap().m_aCoverageBitmap;
    ASSERT_NE(single, byHand);
    EXPECT_LT(stack.Bytes(), picture + ticked * 256 + 4096u) << "one picture kept, not " << ticked;
    ASSERT_TRUE(stack.Undo());
    EXPECT_EQ(Ap().m_aCoverageBitmap, byHand);
    ASSERT_TRUE(stack.Redo());
    EXPECT_EQ(Ap().m_aCoverageBitmap, single);
    ASSERT_TRUE(stack.Undo());
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (static_cast<int>(i) != ap) {
            EXPECT_EQ(doc.Aps().m_aAPs[i].m_aCoverageBitmap, reference.Aps().m_aAPs[i].m_aCoverageBitmap)
                << i;
        }
}

TEST_F(UndoTest, TheModifiedFlagFollowsTheStackAndItsSavedState) {
    TempDir dir;
    Edit::Project(doc).m_strWorkspacePath = dir.File("site.hws");
    Edit::Project(doc).m_bWorkspaceNamed = 1;
    doc.OnSaveProject();
    ASSERT_FALSE(doc.IsModified());
    EXPECT_TRUE(stack.IsClean());

    doc.SetApTicked(ap, false);
    EXPECT_TRUE(doc.IsModified());
    stack.Undo();
    EXPECT_FALSE(doc.IsModified()) << "back at the saved state";
    stack.Redo();
    EXPECT_TRUE(doc.IsModified());
    doc.OnSaveProject();
    EXPECT_FALSE(doc.IsModified());
    stack.Undo();
    EXPECT_TRUE(doc.IsModified()) << "undone past the save";
    stack.Redo();
    EXPECT_FALSE(doc.IsModified());

    // A new edit after an undo past the save makes the saved state unreachable.
    stack.Undo();
    doc.SetAlpha(50);
    stack.Undo();
    EXPECT_TRUE(doc.IsModified());

    // Something that is not undoable (a section opened) keeps the project modified at any step.
    doc.OnSaveProject();
    doc.SetGridDivisions(7);
    doc.ToggleSection(kSectionMeasurement);
    stack.Undo();
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(UndoTest, AReplacedProjectClearsTheStack) {
    TempDir dir;
    const std::string path = dir.File("site.hws");
    ASSERT_TRUE(doc.WriteWorkspace(path));
    int changes = 0;
    stack.changed = [&changes] { ++changes; };

    doc.SetApTicked(ap, false);
    doc.SetAlpha(20);
    ASSERT_EQ(stack.Count(), 2u);
    stack.Undo();
    EXPECT_EQ(changes, 3);
    r.prompts.threeWayAnswers.push_back(false); // "Save changes?" No
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(stack.Count(), 0u);
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(stack.IsClean());

    // A new project ends in a new processing, which replaces the APs the edits named.
    doc.SetApIcon(ap, 1, 186);
    ASSERT_EQ(stack.Count(), 1u);
    doc.BuildAccessPoints();
    doc.RunProcessing();
    EXPECT_EQ(stack.Count(), 0u);
    EXPECT_EQ(stack.UndoText(), "");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(UndoTest, UndoAndRedoAreRefusedWhileAJobRuns) {
    doc.SetAlpha(33);
    const std::vector<std::uint8_t> edited = Workspace();
    doc.SetJobRunning(true);
    EXPECT_FALSE(stack.Undo());
    EXPECT_EQ(r.prompts.Messages(),
              std::vector<std::string>{"Busy: A calculation is still running. Please wait "
                                       "until it has finished, or cancel it."});
    doc.SetApTicked(ap, false); // refused: not recorded either
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_TRUE(Workspace() == edited);
    doc.SetJobRunning(false);
    EXPECT_TRUE(stack.Undo());
    doc.SetJobRunning(true);
    EXPECT_FALSE(stack.Redo());
    doc.SetJobRunning(false);
    EXPECT_TRUE(stack.Redo());
    EXPECT_TRUE(Workspace() == edited);
}

TEST_F(UndoTest, ATickUndoneAfterPlotCoverageLeavesTheCoverageStaleAsATickDoes) {
    doc.SetApTicked(ap, false);
    ASSERT_TRUE(CalculateCoverage(doc));
    ASSERT_TRUE(doc.Display().m_bCombined);
    const std::vector<double> grid = doc.Coverage().m_aGridPower;
    ASSERT_TRUE(stack.Undo());
    EXPECT_TRUE(Ap().m_bSelected);
    EXPECT_FALSE(doc.Display().m_bCombined) << "the combined display is dropped";
    EXPECT_TRUE(doc.Display().m_bCoveragePlotted);
    EXPECT_EQ(doc.Coverage().m_aGridPower, grid) << "the coverage itself is not undone";

    // Without a new coverage in between, an edit made while the combined display was shown brings
    // it back when undone.
    ASSERT_TRUE(CalculateCoverage(doc));
    const std::vector<std::uint8_t> covered = Workspace();
    doc.SetApTicked(ap, false);
    EXPECT_FALSE(doc.Display().m_bCombined);
    ASSERT_TRUE(stack.Undo());
    EXPECT_TRUE(doc.Display().m_bCombined);
    EXPECT_TRUE(Workspace() == covered);
}
