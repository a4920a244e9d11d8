#include "model/GraphKinds.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace plotra {
namespace {

TEST(GraphKinds, EveryKindHasARowWithEveryFact) {
    std::set<std::string_view> names, captions;
    std::set<std::size_t> contourSets;
    CPlotraDoc doc;
    Edit::Frame(doc).m_nGridCols = Edit::Frame(doc).m_nGridRows = 1;
    for (GraphKind kind : kGraphKinds) {
        const GraphFacts& f = FactsOf(kind);
        SCOPED_TRACE(std::string(f.cliName));
        EXPECT_EQ(f.kind, kind);
        for (std::string_view text :
             {f.cliName, f.caption, f.contourCaption, f.legendTitle, f.statusUnit, f.reportCaption})
            EXPECT_FALSE(text.empty());
        EXPECT_TRUE(names.insert(f.cliName).second);
        EXPECT_TRUE(captions.insert(f.caption).second);
        EXPECT_TRUE(contourSets.insert(f.contourSet).second);
        EXPECT_LT(f.contourSet, doc.Coverage().m_aContours.size());
        EXPECT_LT(f.dominantPicture, kPictureCount);
        EXPECT_LT(f.mixedPicture, kPictureCount);
        ASSERT_NE(f.nodeValue, nullptr);
        ASSERT_NE(f.range, nullptr);
        // A graph whose values have a unit says it in every text that shows one.
        if (!f.unit.empty()) {
            EXPECT_NE(f.contourCaption.find(f.unit), std::string_view::npos);
            EXPECT_NE(f.legendTitle.find(f.unit), std::string_view::npos);
            EXPECT_NE(f.statusUnit.find(f.unit), std::string_view::npos);
            EXPECT_NE(f.reportCaption.find(f.unit), std::string_view::npos);
        }
        // Nothing outside the grids, whichever grid the graph reads.
        EXPECT_FALSE(f.nodeValue(doc, 0).has_value());
    }
    EXPECT_EQ(contourSets.size(), doc.Coverage().m_aContours.size());
}

TEST(GraphKinds, StoredValuesAndCommandLineNamesRoundTrip) {
    for (GraphKind kind : kGraphKinds) {
        EXPECT_EQ(GraphKindFromInt(StoredValue(kind)), kind);
        EXPECT_EQ(GraphKindFromName(FactsOf(kind).cliName), kind);
    }
    // The values a workspace has always stored.
    EXPECT_EQ(StoredValue(GraphKind::SignalPower), 1);
    EXPECT_EQ(StoredValue(GraphKind::Snr), 2);
    EXPECT_EQ(StoredValue(GraphKind::ApCount), 3);
    for (int damaged : {0, 4, -1, 1000})
        EXPECT_FALSE(GraphKindFromInt(damaged).has_value()) << damaged;
    for (const char* name : {"", "Power", "signal", "counts"})
        EXPECT_FALSE(GraphKindFromName(name).has_value()) << name;
}

TEST(GraphKinds, TheDocumentShowsThePowerForAStoredValueThatNamesNoGraph) {
    CPlotraDoc doc;
    EXPECT_EQ(doc.Graph(), GraphKind::SignalPower);
    Edit::Display(doc).m_nGraphType = 3;
    EXPECT_EQ(doc.Graph(), GraphKind::ApCount);
    for (int damaged : {0, 4, -7}) {
        Edit::Display(doc).m_nGraphType = damaged;
        EXPECT_EQ(doc.Graph(), GraphKind::SignalPower) << damaged;
    }
}

TEST(GraphKinds, EachGraphReadsItsOwnGridAndRange) {
    CPlotraDoc doc;
    Edit::Coverage(doc).m_aGridPower = {-61.5};
    Edit::Coverage(doc).m_aGridSnr = {23.25};
    Edit::Coverage(doc).m_aGridCount = {4};
    Edit::Coverage(doc).m_dPowerMin = -90, Edit::Coverage(doc).m_dPowerMax = -40,
    Edit::Coverage(doc).m_dSnrMin = 0, Edit::Coverage(doc).m_dSnrMax = 30;
    EXPECT_EQ(FactsOf(GraphKind::SignalPower).nodeValue(doc, 0), -61.5);
    EXPECT_EQ(FactsOf(GraphKind::Snr).nodeValue(doc, 0), 23.25);
    EXPECT_EQ(FactsOf(GraphKind::ApCount).nodeValue(doc, 0), 4.0);
    EXPECT_EQ(FactsOf(GraphKind::SignalPower).range(doc), (std::pair{-90.0, -40.0}));
    EXPECT_EQ(FactsOf(GraphKind::Snr).range(doc), (std::pair{0.0, 30.0}));
    EXPECT_EQ(FactsOf(GraphKind::ApCount).range(doc), (std::pair{1.0, 10.0}));
}

} // namespace
} // namespace plotra
