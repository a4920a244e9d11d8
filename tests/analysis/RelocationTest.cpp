#include "analysis/Coverage.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

using namespace plotra;
using namespace plotra::test;

namespace {

/// An AP on a planar map with eight points at each of the distances 1, 10, 100 and 1000 m from the
/// origin, where the RSSI falls by \p stepDb per decade: the refit slope at the origin is -stepDb
/// (exactly, for -10: every mean and sum is exact in binary).
void MovedAp(CPlotraDoc& doc, double stepDb) {
    Edit::Map(doc).m_bMetricXY = 1;
    CAPInfo ap;
    ap.m_bSelected = 1;
    const double distances[] = {1, 10, 100, 1000};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 8; ++j) {
            CData p;
            p.m_dX = (j % 2 ? 1 : -1) * distances[k];
            p.m_dY = 0;
            p.m_dRssi = -40 - stepDb * k;
            p.m_nNoise = -95;
            ap.m_aApPoints.push_back(p);
        }
    ap.m_areaOrigin = CDataGeo(-5, -1000);
    ap.m_areaSize = CDataGeo(10, 2000);
    ap.m_nApGridCols = ap.m_nApGridRows = 50;
    ap.m_aGrid.assign(2500, -77.0);
    ap.m_dSlope = -33, ap.m_dIntercept = -44, ap.m_dShadowStd = 5.5;
    ap.m_posAP = CDataGeo(0, 0);         // where the user dropped it
    Edit::Aps(doc).m_posMovedFrom = CDataGeo(3, 4); // where it was
    Edit::Aps(doc).m_aAPs = {ap};
}

} // namespace

TEST(RecalculateAP, SlopeOfExactlyMinusTenIsAccepted) {
    CPlotraDoc doc;
    PromptRecorder prompts;
    ProgressRecorder progress;
    doc.SetOutside(&prompts, &progress, nullptr);
    MovedAp(doc, 10);
    doc.RecalculateAP(0);
    const CAPInfo& ap = doc.Aps().m_aAPs[0];
    EXPECT_TRUE(prompts.prompts.empty());
    EXPECT_EQ(ap.m_dSlope, -10.0);
    EXPECT_EQ(ap.m_bFixed, 1);
    EXPECT_DOUBLE_EQ(ap.m_dIntercept, -40.0);
    EXPECT_EQ(ap.m_posAP.m_dX, 0.0);
    EXPECT_NE(ap.m_aGrid[0], -77.0); // the grid was rebuilt
    EXPECT_EQ(ap.m_aCoverageBitmap.size(), 2500u);
    EXPECT_EQ(progress.texts.front(), "Re-Calculating...");
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(RecalculateAP, ShallowerSlopeIsRefusedAndEverythingRestored) {
    CPlotraDoc doc;
    PromptRecorder prompts;
    doc.SetOutside(&prompts, nullptr, nullptr);
    MovedAp(doc, 9.99);
    Edit::Coverage(doc).m_dMeanRssi = -61.5;
    doc.RecalculateAP(0);
    const CAPInfo& ap = doc.Aps().m_aAPs[0];
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0],
              "Invalid Position: This AP position results in wrong progation parameters.");
    EXPECT_EQ(ap.m_posAP.m_dY, 3.0);
    EXPECT_EQ(ap.m_posAP.m_dX, 4.0);
    EXPECT_EQ(ap.m_dSlope, -33.0);
    EXPECT_EQ(ap.m_dIntercept, -44.0);
    EXPECT_EQ(ap.m_dShadowStd, 5.5);
    EXPECT_EQ(ap.m_aGrid[0], -77.0);
    EXPECT_EQ(ap.m_bFixed, 0);
    EXPECT_EQ(doc.Coverage().m_dMeanRssi, -61.5); // the next coverage starts its ranges from the same value
}

TEST(RecalculateAP, OutOfRangeAndFewPointsChangeNothing) {
    CPlotraDoc doc;
    MovedAp(doc, 20);
    doc.RecalculateAP(-1);
    doc.RecalculateAP(5);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dSlope, -33.0);
    Edit::Aps(doc).m_aAPs[0].m_aApPoints.resize(20);
    doc.RecalculateAP(0);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dSlope, -33.0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1);
}

TEST(RecalculateAP, DropIsTheOnlyStepOfADragThatChangesTheProject) {
    CPlotraDoc doc;
    PromptRecorder prompts;
    doc.SetOutside(&prompts, nullptr, nullptr);
    MovedAp(doc, 9.99);
    Edit::Aps(doc).m_aAPs[0].m_posAP = CDataGeo(3, 4);
    Edit::Aps(doc).m_posMovedFrom = CDataGeo(-1, -1);
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Display(doc).m_bCombined = Edit::Display(doc).m_bMultiContours = Edit::Display(doc).m_bShowContour =
        Edit::Display(doc).m_bShowCellRadius = 1;
    Edit::Coverage(doc).m_bCoverageReady = Edit::Display(doc).m_bCoveragePlotted = 1;
    EXPECT_TRUE(doc.BeginApDrag(0));
    EXPECT_FALSE(doc.BeginApDrag(1));
    EXPECT_FALSE(doc.BeginApDrag(-1));
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dY, 3.0);
    EXPECT_EQ(doc.Aps().m_posMovedFrom.m_dY, -1.0);
    EXPECT_EQ(doc.Display().m_bCombined, 1);

    // Dropped at the origin, where the slope is too shallow: refused and put back to where it was
    // when dropped; the overlays of the old place are off all the same.
    const MoveOutcome refused = doc.FinishApDrag(0, CDataGeo(0, 0));
    EXPECT_FALSE(refused.accepted);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dY, 3.0);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dX, 4.0);
    EXPECT_EQ(doc.Aps().m_posMovedFrom.m_dY, 3.0);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dSlope, -33.0);
    EXPECT_EQ(doc.Display().m_bCombined + doc.Display().m_bMultiContours + doc.Display().m_bShowContour +
                  doc.Display().m_bShowCellRadius,
              0);
    EXPECT_EQ(doc.Coverage().m_bCoverageReady, 0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1);

    // Without data the drop only places the AP.
    Edit::Display(doc).m_bDataLoaded = 0;
    EXPECT_TRUE(doc.FinishApDrag(0, CDataGeo(0, 0)).accepted);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dY, 0.0);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dSlope, -33.0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 0);
    EXPECT_FALSE(doc.FinishApDrag(2, CDataGeo(9, 9)).accepted);
}

TEST(DisplayUnit, FeetAndMetresConvertResolutionsAndNotes) {
    CPlotraDoc doc;
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Frame(doc).m_dGridSpanX = 1000, Edit::Frame(doc).m_dGridSpanY = 500;
    Edit::Display(doc).m_dUnitFactor = 0.3048;
    Edit::Aps(doc).m_aApNotes.resize(2);
    Edit::Aps(doc).m_aApNotes[0].m_strHeight = "100";
    Edit::Aps(doc).m_aApNotes[1].m_strHeight = "n/a";
    Edit::Display(doc).m_panel.m_afReliability[0] = 100; // feet
    doc.ChangeDisplayUnit(true);
    EXPECT_EQ(doc.Display().m_dUnitFactor, 1.0);
    EXPECT_EQ(doc.Display().m_bUnitUnchanged, 0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dResolutionX, 20.0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dResolutionY, 10.0);
    EXPECT_EQ(doc.Aps().m_aApNotes[0].m_strHeight, "30.48");
    EXPECT_EQ(doc.Aps().m_aApNotes[1].m_strHeight, "n/a");
    EXPECT_FLOAT_EQ(doc.Display().m_panel.m_afReliability[0], 30.5f); // "%3.1f" of 30.48 m
    doc.ChangeDisplayUnit(true);
    EXPECT_EQ(doc.Display().m_bUnitUnchanged, 1);
}
