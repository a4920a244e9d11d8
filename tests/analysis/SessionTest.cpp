// A whole session through the document's entry points, as the desktop program drives it: map, survey
// files, processing as a job, ticks, colour mode, coverage as a job, moving an AP (refused and
// accepted), the unit, saving and reopening; with the notices every step sends.
#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "files/FileIo.h"
#include "files/NewProject.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

using namespace plotra;
using namespace plotra::test;

namespace {

std::string Sample(const char* name) {
    return std::string(PLOTRA_SOURCE_DIR) + "/samples/" + name;
}

} // namespace

TEST(Session, EveryStepThroughTheEntryPointsWithItsNotices) {
    RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    Edit::Display(doc).m_bStarted = 1;

    ASSERT_TRUE(doc.LoadProjectionFile(Sample("demo.hpf")));
    EXPECT_EQ(r.notices.Count(DocChange::Projection), 1);
    EXPECT_TRUE(r.host.mapShown());

    std::vector<CDataFile> files;
    ASSERT_TRUE(AddSurveyFile(files, Sample("demo1.hsd"), r.prompts));
    ASSERT_TRUE(AddSurveyFile(files, Sample("demo2.hsd"), r.prompts));
    doc.SetSurveyFiles(files, true);
    EXPECT_EQ(doc.Survey().m_aFiles[1].m_strName, "demo2");
    ASSERT_TRUE(doc.PlaceSurveyFiles()); // the program processes it as a job
    EXPECT_EQ(doc.Display().m_bDataLoaded, 0);
    EXPECT_EQ(doc.Map().m_bMetricXY, 1);

    auto processing = StartProcessingJob(doc, r.progress);
    ASSERT_TRUE(processing);
    ASSERT_TRUE(ApplyProcessingJob(doc, *processing));
    EXPECT_EQ(doc.Display().m_bDataLoaded, 1);
    ASSERT_FALSE(doc.Aps().m_groups.m_aGroups.empty());

    // Tick the first group, then per-group colours.
    r.notices.notices.clear();
    doc.SetGroupTicked(0, true);
    doc.ClickTreeIcon(true);
    ASSERT_EQ(r.notices.notices.size(), 2u);
    EXPECT_EQ(r.notices.notices[0].what, DocChange::Selection);
    EXPECT_EQ(r.notices.notices[1].what, DocChange::Groups);
    EXPECT_EQ(doc.Display().m_nColourMode, 1);

    auto coverage = StartCoverageJob(doc, r.progress);
    ASSERT_TRUE(coverage);
    ASSERT_TRUE(ApplyCoverageJob(doc, *coverage));
    EXPECT_EQ(doc.Coverage().m_bCoverageReady, 1);
    EXPECT_EQ(r.notices.notices.back().what, DocChange::Coverage);

    // Move the best-located AP around until one place is refused and one accepted.
    int best = -1;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (doc.Aps().m_aAPs[i].m_bSelected && doc.Aps().m_aAPs[i].m_dSlope < -10.0 &&
            (best < 0 || doc.Aps().m_aAPs[i].m_aApPoints.size() >
                             doc.Aps().m_aAPs[static_cast<std::size_t>(best)].m_aApPoints.size()))
            best = static_cast<int>(i);
    ASSERT_GE(best, 0);
    const CAPInfo before = doc.Aps().m_aAPs[static_cast<std::size_t>(best)];
    bool refused = false, accepted = false;
    for (double dy = -400; dy <= 400 && !(refused && accepted); dy += 100)
        for (double dx = -400; dx <= 400 && !(refused && accepted); dx += 100) {
            const CDataGeo from = doc.Aps().m_aAPs[static_cast<std::size_t>(best)].m_posAP;
            const CAPInfo model = doc.Aps().m_aAPs[static_cast<std::size_t>(best)];
            const MoveOutcome o =
                doc.MoveAp(best, CDataGeo(before.m_posAP.m_dY + dy, before.m_posAP.m_dX + dx));
            const CAPInfo& now = doc.Aps().m_aAPs[static_cast<std::size_t>(best)];
            if (!o.accepted) {
                refused = true;
                EXPECT_EQ(o.message, "This AP position results in wrong progation parameters.");
                EXPECT_EQ(now.m_posAP.m_dY, from.m_dY);
                EXPECT_EQ(now.m_dSlope, model.m_dSlope);
                EXPECT_EQ(now.m_aGrid, model.m_aGrid);
            } else {
                accepted = true;
                EXPECT_LE(now.m_dSlope, -10.0);
                EXPECT_EQ(now.m_bFixed, 1);
            }
            EXPECT_EQ(r.notices.notices.back().what, DocChange::Aps);
        }
    EXPECT_TRUE(refused);
    EXPECT_TRUE(accepted);

    doc.ChangeDisplayUnit(true);
    EXPECT_EQ(r.notices.notices.back().what, DocChange::Display);
    EXPECT_EQ(doc.Display().m_dUnitFactor, 1.0);

    // Save and reopen: the same project, byte for byte, announced as a whole new document.
    TempDir dir;
    const std::string path = dir.File("session.hws");
    ASSERT_TRUE(doc.WriteWorkspace(path));
    RecordedDoc reopened;
    reopened.host.setMapShown(r.host.mapShown());
    ASSERT_TRUE(reopened.doc.OnOpenDocument(path));
    EXPECT_EQ(reopened.notices.Count(DocChange::Everything), 1);
    EXPECT_EQ(reopened.doc.EncodeWorkspace(), ReadWholeFile(path).bytes);
    EXPECT_EQ(reopened.doc.Display().m_nColourMode, 1);
    EXPECT_EQ(reopened.doc.Aps().m_groups.m_aGroups.size(), doc.Aps().m_groups.m_aGroups.size());
    EXPECT_EQ(reopened.host.recent, std::vector<std::string>{path});
}

TEST(Session, AReopenedProjectShowsTheCoveragePicturesItWasSavedWith) {
    // The pictures are shaded over the extremes of the covered nodes, while the document keeps the
    // rounded ranges of the contours and the legend; opening the project must shade as the
    // calculation did, not over those rounded ranges.
    RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    Edit::Display(doc).m_bStarted = 1;
    ASSERT_TRUE(doc.LoadProjectionFile(Sample("demo.hpf")));
    std::vector<CDataFile> files;
    ASSERT_TRUE(AddSurveyFile(files, Sample("demo1.hsd"), r.prompts));
    ASSERT_TRUE(AddSurveyFile(files, Sample("demo2.hsd"), r.prompts));
    doc.SetSurveyFiles(files, true);
    ASSERT_TRUE(doc.LoadSurveyFiles()); // processed at once
    ASSERT_EQ(doc.Display().m_bDataLoaded, 1);
    for (std::size_t g = 0; g < doc.Aps().m_groups.m_aGroups.size(); ++g)
        doc.SetGroupTicked(static_cast<int>(g), true);
    r.prompts.answers = {true}; // drop the AP with too few points
    ASSERT_TRUE(CalculateCoverage(doc, 2));
    ASSERT_EQ(doc.Coverage().m_bCoverageReady, 1);
    const auto shown = doc.Coverage().m_aCoveragePictures;

    RecordedDoc reopened;
    ASSERT_TRUE(reopened.doc.ReadWorkspace(doc.EncodeWorkspace()));
    EXPECT_EQ(reopened.doc.Coverage().m_dPowerMax, doc.Coverage().m_dPowerMax);
    for (int picture = 0; picture < CPlotraDoc::kPictureCount; ++picture)
        EXPECT_EQ(reopened.doc.Coverage().m_aCoveragePictures[static_cast<std::size_t>(picture)],
                  shown[static_cast<std::size_t>(picture)])
            << "picture " << picture;
}

TEST(Session, WhileACoverageRunsEveryEditIsRefusedAndTheResultFitsTheProject) {
    RecordedDoc r;
    CPlotraDoc& doc = r.doc;
    Edit::Display(doc).m_bStarted = 1;
    ASSERT_TRUE(doc.LoadProjectionFile(Sample("demo.hpf")));
    std::vector<CDataFile> files;
    ASSERT_TRUE(AddSurveyFile(files, Sample("demo1.hsd"), r.prompts));
    doc.SetSurveyFiles(files, true);
    ASSERT_TRUE(doc.PlaceSurveyFiles());
    auto processing = StartProcessingJob(doc, r.progress);
    ASSERT_TRUE(processing && ApplyProcessingJob(doc, *processing));
    doc.SetGroupTicked(0, true);
    int unticked = -1;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size() && unticked < 0; ++i)
        if (!doc.Aps().m_aAPs[i].m_bSelected && doc.Aps().m_aAPs[i].m_aApPoints.size() > 20)
            unticked = static_cast<int>(i);
    ASSERT_GE(unticked, 0);

    auto coverage = StartCoverageJob(doc, r.progress);
    ASSERT_TRUE(coverage);
    const std::vector<std::uint8_t> before = doc.EncodeWorkspace();
    doc.SetModifiedFlag(false);
    r.prompts.prompts.clear();
    r.notices.notices.clear();

    // A tick would move the combined rectangle under the running job's grids; the others would be
    // overwritten by its result or change what it computes. Each is refused, says why, and sends the
    // notice that puts the widget that took the gesture back in step.
    doc.SetApTicked(unticked, true);
    doc.SetGroupTicked(0, false);
    doc.SetResolution(false, doc.Frame().m_dResolutionX / 2);
    doc.SetPowerRange(-90, -40);
    doc.SetGraphType(GraphKind::Snr);
    doc.ChangeDisplayUnit(false);
    const MoveOutcome moved = doc.MoveAp(unticked, CDataGeo(1.0, 1.0));
    EXPECT_FALSE(moved.accepted);
    ASSERT_EQ(r.prompts.prompts.size(), 7u);
    for (const RecordedPrompt& p : r.prompts.prompts)
        EXPECT_EQ(p.caption + ": " + p.text,
                  "Busy: A calculation is still running. Please wait until it has finished, or cancel it.");
    ASSERT_EQ(r.notices.notices.size(), 7u);
    EXPECT_EQ(r.notices.notices[0].what, DocChange::Selection);
    EXPECT_EQ(doc.EncodeWorkspace(), before);
    EXPECT_FALSE(doc.IsModified());

    // The result lands on the project it was computed for.
    ASSERT_TRUE(ApplyCoverageJob(doc, *coverage));
    EXPECT_EQ(doc.Display().m_bCombined, 1);
    EXPECT_EQ(doc.Aps().m_aAPs[static_cast<std::size_t>(unticked)].m_bSelected, 0);
    EXPECT_TRUE(doc.IsModified());
    // And edits are taken again.
    doc.SetApTicked(unticked, true);
    EXPECT_EQ(doc.Aps().m_aAPs[static_cast<std::size_t>(unticked)].m_bSelected, 1);
    EXPECT_EQ(doc.Display().m_bCombined, 0);
}
