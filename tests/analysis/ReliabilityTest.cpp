#include "analysis/Reliability.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plotra;
using namespace plotra::test;

namespace {

CAPInfo ModelAp(std::size_t points, double slope, int macTail = 1) {
    CAPInfo ap;
    ap.m_bSelected = 1;
    ap.m_aApPoints.resize(points);
    ap.m_dSlope = slope;
    ap.m_dIntercept = -40;
    ap.m_dShadowStd = 6;
    ap.m_abyMAC = {0, 1, 2, 3, 4, static_cast<std::uint8_t>(macTail)};
    ap.m_szSSID = MakeSsid("net");
    return ap;
}

struct Fixture {
    PromptRecorder prompts;
    CPlotraDoc doc;
    ReliabilityFields fields;
    Fixture() {
        doc.SetOutside(&prompts, nullptr, nullptr);
        Edit::Display(doc).m_dUnitFactor = 1.0;
        fields.threshold = "-80";
    }
};

} // namespace

TEST(Erfc, ReferenceValuesOfTheIntegration) {
    EXPECT_DOUBLE_EQ(Erfc(0.0), 1.0);
    EXPECT_NEAR(Erfc(2.49), 0.000348, 0.000002);
    EXPECT_DOUBLE_EQ(Erfc(2.5), 0.0);
    EXPECT_DOUBLE_EQ(Erfc(-2.5), 2.0);
    EXPECT_NEAR(Erfc(-1.0) + Erfc(1.0), 2.0, 1e-12); // odd around 1 by construction
}

TEST(ErfInv, ReferenceValuesOfTheTableSearch) {
    EXPECT_DOUBLE_EQ(ErfInv(0.0), 0.0);
    EXPECT_NEAR(ErfInv(0.5), 0.4763, 0.0001);
    EXPECT_NEAR(ErfInv(-1.0), -2.6475, 0.0001);
    EXPECT_NEAR(ErfInv(0.5), -ErfInv(-0.5), 1e-12);
}

TEST(Reliability, EightyPointsAndSlopeStrictlyBelowMinusTen) {
    Fixture f;
    Edit::Display(f.doc).m_nAnalysisMode = 1;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(79, -30)};
    Edit::Display(f.doc).m_panel.m_nSelectedAP = 0;
    f.fields.radius = "50";
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_EQ(f.fields.probability, "N/A");
    ASSERT_EQ(f.prompts.Messages().size(), 1u);
    EXPECT_EQ(f.prompts.Messages()[0], "Insufficient Points: No Enough Measurement Points (< 80) for this AP: net");

    Edit::Aps(f.doc).m_aAPs = {ModelAp(80, -30)};
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_NE(f.fields.probability, "N/A");
    EXPECT_FLOAT_EQ(f.doc.Aps().m_aAPs[0].m_fReliability, 50.0f);
    EXPECT_EQ(f.doc.Display().m_bShowCellRadius, 1);
    EXPECT_EQ(f.doc.Display().m_bCoveragePlotted, 0);

    Edit::Aps(f.doc).m_aAPs = {ModelAp(80, -10.0)};
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_EQ(f.fields.probability, "N/A"); // -10 is skipped silently
    Edit::Aps(f.doc).m_aAPs = {ModelAp(80, -10.01)};
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_NE(f.fields.probability, "N/A");
}

TEST(Reliability, EdgeProbabilityMatchesTheModel) {
    Fixture f;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(100, -30)};
    Edit::Display(f.doc).m_panel.m_nSelectedAP = 0;
    // At R = 10^((P - A)/S) the model meets the threshold: edge reliability 0.5.
    const double r = std::pow(10.0, (-80.0 + 40.0) / -30.0);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", r);
    f.fields.radius = buf;
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_EQ(f.fields.probability, "0.5000");
}

TEST(Reliability, RadiusZeroSilentNegativeOneMessagePerAp) {
    Fixture f;
    Edit::Display(f.doc).m_nAnalysisMode = 2;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(100, -30, 1), ModelAp(120, -25, 2)};
    f.fields.radius = "0";
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_EQ(f.fields.probability, "N/A");
    f.fields.radius = "-1";
    ReliabilityFromRadius(f.doc, f.fields);
    ASSERT_EQ(f.prompts.Messages().size(), 2u);
    EXPECT_EQ(f.prompts.Messages()[0], "Invalid Radius: Radius has to be larger than 0!");
}

TEST(Reliability, GroupModeListsApsWithFewPointsAndAverages) {
    Fixture f;
    Edit::Display(f.doc).m_nAnalysisMode = 2;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(100, -30, 1), ModelAp(10, -30, 2), ModelAp(120, -25, 3)};
    f.fields.radius = "20";
    ReliabilityFromRadius(f.doc, f.fields);
    ASSERT_EQ(f.prompts.Messages().size(), 1u);
    EXPECT_EQ(f.prompts.Messages()[0],
              "Invalid AP: No enough points for the following AP: \n 00-01-02-03-04-02, net \n \n");
    const double e1 = EdgeReliability(-30, -40, 6, -80, 20), e3 = EdgeReliability(-25, -40, 6, -80, 20);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1.4f", (e1 + e3) / 2);
    EXPECT_EQ(f.fields.probability, buf);
}

TEST(Reliability, ProbabilityHalfAndOneAndFeet) {
    Fixture f;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(100, -30)};
    Edit::Display(f.doc).m_panel.m_nSelectedAP = 0;
    f.fields.probability = "0.5";
    RadiusFromReliability(f.doc, f.fields);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%1.4f", std::pow(10.0, (-80.0 + 40.0) / -30.0));
    EXPECT_EQ(f.fields.radius, buf);

    f.fields.probability = "1.0";
    RadiusFromReliability(f.doc, f.fields);
    const double z = std::sqrt(2.0) * ErfInv(-1.0);
    EXPECT_NEAR(z, -3.744, 0.001);
    EXPECT_TRUE(std::isfinite(f.doc.Aps().m_aAPs[0].m_fReliability));

    f.fields.probability = "1.5";
    RadiusFromReliability(f.doc, f.fields);
    EXPECT_EQ(f.prompts.Messages().back(), "Invalid Probability: Probability has to be in [0, 1]!");
    EXPECT_EQ(f.fields.radius, "N/A");

    // Feet: a radius of 100 is evaluated as 30.48 m; a found radius of 30.48 m is shown as 100.0000.
    Fixture g;
    Edit::Display(g.doc).m_dUnitFactor = 0.3048;
    Edit::Aps(g.doc).m_aAPs = {ModelAp(100, -30)};
    Edit::Display(g.doc).m_panel.m_nSelectedAP = 0;
    g.fields.radius = "100";
    ReliabilityFromRadius(g.doc, g.fields);
    EXPECT_NEAR(g.doc.Aps().m_aAPs[0].m_fReliability, 30.48f, 1e-4);
    // With probability 0.5 the found radius is where the model meets the threshold: choose it at 30.48 m.
    std::snprintf(buf, sizeof buf, "%.9f", -40.0 - 30.0 * std::log10(30.48));
    g.fields.threshold = buf;
    g.fields.probability = "0.5";
    RadiusFromReliability(g.doc, g.fields);
    EXPECT_EQ(g.fields.radius, "100.0000");
}

TEST(Reliability, UnparsableTextKeepsThePreviousValue) {
    Fixture f;
    Edit::Aps(f.doc).m_aAPs = {ModelAp(100, -30)};
    Edit::Display(f.doc).m_panel.m_nSelectedAP = 0;
    f.fields.radius = "25";
    ReliabilityFromRadius(f.doc, f.fields);
    f.fields.radius = "abc";
    ReliabilityFromRadius(f.doc, f.fields);
    EXPECT_FLOAT_EQ(f.doc.Display().m_panel.m_afReliability[0], 25.0f);
}
