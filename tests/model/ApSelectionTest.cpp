// Which APs take part and in which colours: groupings by SSID and by channel, the tick boxes of
// groups and APs with their messages, the colour modes and the tree's colours.
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

using namespace plotra;
using namespace plotra::test;

namespace {

/// A planar AP over a 10 x 10 m square at (y, x) with \p points working points and a 2 x 2 grid.
CAPInfo Ap(const std::string& ssid, int channel, std::uint8_t macTail, double y, double x, std::size_t points) {
    CAPInfo ap;
    ap.m_szSSID = MakeSsid(ssid);
    ap.m_byChannel = static_cast<std::uint8_t>(channel);
    ap.m_abyMAC = {0xAA, 0, 0, 0, 0, macTail};
    ap.m_crColour = Rgb(10 * macTail, 0, 0);
    ap.m_areaOrigin = CDataGeo(y, x);
    ap.m_areaSize = CDataGeo(10, 10);
    ap.m_aApPoints.resize(points);
    ap.m_nApGridCols = ap.m_nApGridRows = 2;
    ap.m_aGrid = {-50, -60, -70, -80};
    return ap;
}

/// Three SSIDs on two channels: a/1, b/6, a/6, c/1; AP 1 has 20 points, AP 3 has 10.
struct Project : RecordedDoc {
    Project() {
        Edit::Map(doc).m_bMetricXY = 1;
        Edit::Display(doc).m_dUnitFactor = 1.0;
        Edit::Display(doc).m_bDataLoaded = 1;
        Edit::Aps(doc).m_aAPs = {Ap("a", 1, 1, 0, 0, 30), Ap("b", 6, 2, 0, 20, 20), Ap("a", 6, 3, 30, 0, 25),
                                 Ap("c", 1, 4, 30, 30, 10)};
        Edit::Path(doc).m_aPoints.resize(1); // a path point at (0, 0)
        Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 0.5;
        doc.RebuildGroups();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& g : doc.Aps().m_groups.m_aGroups)
            out.push_back(g.m_strName);
        return out;
    }
};

} // namespace

TEST(ApGroups, BySsidAndByChannelWithHuesAndIndices) {
    Project p;
    EXPECT_EQ(p.Names(), (std::vector<std::string>{"SSID: \"a\"", "SSID: \"b\"", "SSID: \"c\""}));
    EXPECT_EQ(p.doc.Aps().m_groups.m_nLabelMode, 0);
    const auto& ssid = p.doc.Aps().m_groups.m_aGroups;
    EXPECT_EQ(ssid[0].m_crColour, HsvToRgb(0, 224, 176));
    EXPECT_EQ(ssid[1].m_crColour, HsvToRgb(52, 224, 176));
    EXPECT_EQ(ssid[2].m_crColour, HsvToRgb(104, 224, 176));
    ASSERT_EQ(ssid[0].m_aItems.size(), 2u);
    EXPECT_EQ(ssid[0].m_aItems[1].m_nIndex, 2);
    EXPECT_EQ(ssid[0].m_aItems[1].m_abyMAC, p.doc.Aps().m_aAPs[2].m_abyMAC);
    std::vector<int> indices;
    for (const auto& ap : p.doc.Aps().m_aAPs)
        indices.push_back(ap.m_nGroupIndex);
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 0, 2}));

    p.doc.SetSortMode(2);
    EXPECT_EQ(p.Names(), (std::vector<std::string>{"Channel 1", "Channel 6"}));
    EXPECT_EQ(p.doc.Aps().m_groups.m_nLabelMode, 1);
    EXPECT_EQ(p.doc.Aps().m_groups.m_aGroups[1].m_crColour, HsvToRgb(52, 224, 176));
    indices.clear();
    for (const auto& ap : p.doc.Aps().m_aAPs)
        indices.push_back(ap.m_nGroupIndex);
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 1, 0}));
    EXPECT_EQ(p.notices.Count(DocChange::Groups), 1);
    p.doc.SetSortMode(1);
    EXPECT_EQ(p.Names().size(), 3u);
}

TEST(ApGroups, TicksWithTheirMessagesExtentAndNodeCounts) {
    Project p;
    // A group: every member ticked, one message for the members with 20 points or fewer.
    p.doc.SetSortMode(2);
    p.doc.SetGroupTicked(0, true); // channel 1: APs 0 (30 points) and 3 (10 points)
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_bSelected + p.doc.Aps().m_aAPs[3].m_bSelected, 2);
    EXPECT_EQ(p.prompts.Messages(),
              std::vector<std::string>{"Invalid AP: No enough points for this AP: \n\n N,\tMAC\n  10, "
                                       "AA-00-00-00-00-04\n \n\n N: Number of Points "});
    EXPECT_EQ(p.doc.Display().m_panel.m_nSelectedAP, -1);
    EXPECT_FALSE(p.doc.Aps().m_aAPs[0].m_aCoverageBitmap.empty());
    EXPECT_TRUE(p.doc.Aps().m_aAPs[3].m_aCoverageBitmap.empty());
    // The rectangle of the ticked APs (0..40 x 0..40 m) at 0.5 m cells, sliders at W/50 in W/400..W/50.
    EXPECT_EQ(p.doc.Frame().m_dGridSpanX, 40.0);
    EXPECT_EQ(p.doc.Frame().m_nGridCols, 80);
    EXPECT_EQ(p.doc.Frame().m_nGridRows, 80);
    EXPECT_DOUBLE_EQ(p.doc.Display().m_panel.m_resolutionX.value, 0.8);
    EXPECT_DOUBLE_EQ(p.doc.Display().m_panel.m_resolutionX.minimum, 0.1);
    EXPECT_EQ(p.doc.Frame().m_dResolutionX, 0.5); // the document's resolution moves only with its slider

    // A single AP with exactly 20 points: its own message, and it stays ticked.
    p.prompts.prompts.clear();
    Edit::Display(p.doc).m_bCombined = 1;
    p.doc.SetApTicked(1, true);
    EXPECT_EQ(p.prompts.Messages(), std::vector<std::string>{"Invalid AP: No enough points for this AP:\n\n N,\t "
                                                             "MAC\n 20, AA-00-00-00-00-02\n\n N: Number of Points"});
    EXPECT_EQ(p.doc.Aps().m_aAPs[1].m_bSelected, 1);
    EXPECT_EQ(p.doc.Display().m_panel.m_nSelectedAP, 1);
    EXPECT_EQ(p.doc.Aps().m_groups.m_aGroups[1].m_bSelected, 1);
    EXPECT_EQ(p.doc.Display().m_bCombined, 0); // a combined coverage no longer matches the selection
    EXPECT_EQ(p.doc.Display().m_bCoveragePlotted, 1);
    // Unticking an AP leaves its group ticked.
    p.doc.SetApTicked(1, false);
    EXPECT_EQ(p.doc.Aps().m_groups.m_aGroups[1].m_bSelected, 1);
    // Only the ticked APs' rectangle counts: AP 2 alone is 10 x 10 m.
    p.doc.SetTickedAps({2});
    EXPECT_EQ(p.doc.Frame().m_dGridSpanX, 10.0);
    EXPECT_EQ(p.doc.Frame().m_nGridCols, 20);
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_bSelected, 0);
    const ChangeNotice& last = p.notices.notices.back();
    EXPECT_EQ(last.what, DocChange::Selection);
    EXPECT_EQ(last.aps, std::vector<int>{2});
}

TEST(ApGroups, ColourModesAndColourEdits) {
    Project p;
    p.doc.SetTickedAps({0, 2});
    const COLORREF group0 = p.doc.Aps().m_groups.m_aGroups[0].m_crColour;
    auto pictureColour = [&](int ap) {
        return p.doc.Aps().m_aAPs[static_cast<std::size_t>(ap)].m_aCoverageBitmap[2];
    };
    const COLORREF own = pictureColour(0);
    EXPECT_EQ(own, GridToColours({-50, -60, -70, -80}, 2, 2, p.doc.Aps().m_aAPs[0].m_crColour, -100, -30)[2]);

    p.doc.ClickTreeIcon(true); // group icon in mode 0: per-group colours
    EXPECT_EQ(p.doc.Display().m_nColourMode, 1);
    EXPECT_EQ(p.doc.ApPictureColour(2), group0);
    EXPECT_NE(pictureColour(0), own);
    p.doc.ClickTreeIcon(true); // again: one colour
    EXPECT_EQ(p.doc.Display().m_nColourMode, 2);
    p.doc.ClickTreeIcon(false); // AP icon in mode 2: per-AP colours
    EXPECT_EQ(p.doc.Display().m_nColourMode, 0);
    EXPECT_EQ(pictureColour(0), own);
    p.doc.ClickTreeIcon(false);
    EXPECT_EQ(p.doc.Display().m_nColourMode, 2);

    // Right clicks: the colour each combination edits, and the APs redrawn.
    EXPECT_EQ(p.doc.TreeIconColour(false, 3), p.doc.Display().m_crSingleColour);
    EXPECT_FALSE(p.doc.TreeIconColour(true, 0)); // a group in mode 2 opens no dialog
    p.doc.SetTreeIconColour(false, 3, Rgb(1, 2, 3));
    EXPECT_EQ(p.doc.Display().m_crSingleColour, Rgb(1, 2, 3));
    EXPECT_EQ(p.doc.ApPictureColour(0), Rgb(1, 2, 3));
    p.doc.SetColourMode(1);
    p.doc.SetTreeIconColour(true, 0, Rgb(9, 9, 9));
    EXPECT_EQ(p.doc.Aps().m_groups.m_aGroups[0].m_crColour, Rgb(9, 9, 9));
    EXPECT_EQ(p.doc.Aps().m_groupsBySsid.m_aGroups[0].m_crColour, Rgb(9, 9, 9)); // kept for the next switch
    EXPECT_EQ(p.doc.ApPictureColour(2), Rgb(9, 9, 9));
    EXPECT_FALSE(p.doc.TreeIconColour(false, 0)); // an AP in mode 1 opens no dialog
    p.doc.SetColourMode(0);
    Edit::Display(p.doc).m_bCombined = 1;
    p.doc.SetTreeIconColour(false, 2, std::nullopt); // cancelled: only the combined display drops
    EXPECT_EQ(p.doc.Display().m_bCombined, 0);
    EXPECT_EQ(p.doc.Aps().m_aAPs[2].m_crColour, Rgb(30, 0, 0));
}
