// Pseudo-points held as references to the path are a way of holding them, not a change of the
// project: the workspace is the same byte for byte, and reading it back holds them as references
// again.
#include "analysis/Processing.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

using namespace plotra;
using namespace plotra::test;

namespace {

/// A drive like the metro scenario's on a sixth of its extent: most working points are pseudo-points.
sim::ScenarioParams SmallDrive() {
    sim::ScenarioParams p = *sim::BuiltInScenario("metro");
    p.name = "small drive";
    p.widthM = 1800;
    p.heightM = 1800;
    p.apCount = 450;
    p.pointsPerFile = {12000};
    return p;
}

struct Held {
    std::size_t pseudo = 0, bytes = 0;
};

Held HeldPoints(const CPlotraDoc& doc) {
    Held h;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        h.pseudo += ap.m_aApPoints.PseudoPointCount();
        h.bytes += ap.m_aApPoints.MemoryBytes();
    }
    return h;
}

} // namespace

TEST(PseudoPoints, WorkspaceIsTheSameWhateverTheWayTheyAreHeld) {
    for (const sim::ScenarioParams& params :
         {*sim::BuiltInScenario("demo"), *sim::BuiltInScenario("city"), SmallDrive()}) {
        SCOPED_TRACE(params.name);
        CPlotraDoc doc;
        PlaceGenerated(doc, sim::Generate(params, 1));
        ProcessData(doc, ProcessingOptions{2});
        const Held references = HeldPoints(doc);
        if (params.name != "demo") {
            EXPECT_GT(references.pseudo, 0u);
        }
        const std::vector<std::uint8_t> fromReferences = doc.EncodeWorkspace();

        // The same project with every working point held whole.
        for (CAPInfo& ap : Edit::Aps(doc).m_aAPs) {
            SampleList whole;
            for (const CData& p : ap.m_aApPoints)
                whole.push_back(p);
            ap.m_aApPoints = whole;
        }
        EXPECT_EQ(HeldPoints(doc).pseudo, 0u);
        EXPECT_EQ(doc.EncodeWorkspace(), fromReferences);

        CPlotraDoc back;
        ASSERT_TRUE(back.ReadWorkspace(fromReferences));
        const Held reread = HeldPoints(back);
        EXPECT_EQ(reread.pseudo, references.pseudo);
        EXPECT_EQ(back.EncodeWorkspace(), fromReferences);
        if (params.name == "small drive") {
            EXPECT_GT(references.pseudo, 4 * (doc.Survey().m_aDataPoints.size()));
            EXPECT_LT(reread.bytes * 2, HeldPoints(doc).bytes);
        }
    }
}
