#include "model/CoveragePictures.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace plotra;

namespace {

constexpr COLORREF kWhite = Rgb(255, 255, 255);

/// Straightforward shade of one node, written out from the rule itself as the oracle.
COLORREF OracleShade(COLORREF c, double value, double lo, double hi) {
    int q = static_cast<int>(std::trunc((hi - value) * 10.0 / (hi - lo)));
    if (q < 0) q = 0;
    const double f = q / 10.0;
    const bool light = f >= 0.5;
    const double w = light ? 2.0 * f - 1.0 : 0.6 - 1.2 * f;
    const int other = light ? 255 : 0;
    auto ch = [&](int a) { return static_cast<int>(std::lround(a * (1.0 - w)) + std::lround(other * w)); };
    return Rgb(ch(RedOf(c)), ch(GreenOf(c)), ch(BlueOf(c)));
}

/// 2 columns x 3 rows; node (ix, iy) is index ix * 3 + iy.
void FillSmallGrid(CPlotraDoc& d) {
    Edit::Frame(d).m_nGridCols = 2;
    Edit::Frame(d).m_nGridRows = 3;
    Edit::Coverage(d).m_dPowerMax = -30;
    Edit::Coverage(d).m_dPowerMin = -90;
    Edit::Coverage(d).m_dSnrMax = 40;
    Edit::Coverage(d).m_dSnrMin = 0;
    Edit::Coverage(d).m_aGridPower = {-30, -87, -100, -99.9, -101, -60};
    Edit::Coverage(d).m_aGridSnr = {20, 3, 35, 50, -101, 10};
    Edit::Coverage(d).m_aGridCount = {1, 2, 0, 9, 10, 12};
    Edit::Coverage(d).m_aDominantColour = {Rgb(200, 100, 50), Rgb(10, 20, 30), kWhite,
                                           Rgb(0, 255, 0),    kWhite,          Rgb(90, 80, 70)};
    Edit::Coverage(d).m_aMixedColour = {Rgb(100, 100, 100), Rgb(1, 2, 3), kWhite,
                                        Rgb(255, 0, 0),     kWhite,       Rgb(30, 60, 90)};
}

std::size_t Pixel(const CPlotraDoc& d, int ix, int iy) {
    return static_cast<std::size_t>((d.Frame().m_nGridRows - 1 - iy) * d.Frame().m_nGridCols + ix);
}

} // namespace

TEST(CoveragePictures, BlendRoundsEachProductBeforeAdding) {
    // 1 * 0.6 = 0.6 -> 1 and 4 * 0.4 = 1.6 -> 2: 3, where rounding or truncating the sum (2.2) gives 2
    // and truncating the products gives 1.
    EXPECT_EQ(RedOf(BlendColour(Rgb(1, 0, 0), Rgb(4, 0, 0), 0.4)), 3);
    // 3 * 0.8 = 2.4 -> 2 and 2 * 0.2 = 0.4 -> 0: 2, where rounding the sum (2.8) gives 3.
    EXPECT_EQ(RedOf(BlendColour(Rgb(3, 0, 0), Rgb(2, 0, 0), 0.2)), 2);
    EXPECT_EQ(BlendColour(Rgb(10, 20, 30), kWhite, 0.0), Rgb(10, 20, 30));
    EXPECT_EQ(BlendColour(Rgb(10, 20, 30), kWhite, 1.0), kWhite);
    EXPECT_EQ(BlendColour(Rgb(200, 100, 50), Rgb(0, 0, 0), 0.6), Rgb(80, 40, 20));
}

TEST(CoveragePictures, ShadeStepTruncatesAndTreatsOutOfRangeValues) {
    EXPECT_EQ(ShadeStep(-30, -90, -30), 0);
    EXPECT_EQ(ShadeStep(-60, -90, -30), 5);
    EXPECT_EQ(ShadeStep(-87, -90, -30), 9); // 9.5 truncates
    EXPECT_EQ(ShadeStep(-90, -90, -30), 10);
    EXPECT_EQ(ShadeStep(-25, -90, -30), 0);   // above the maximum: a negative step counts as 0
    EXPECT_EQ(ShadeStep(-10, -90, -30), 0);   // well above (step -3)
    EXPECT_EQ(ShadeStep(-200, -90, -30), 10); // held at white
    EXPECT_EQ(ShadeStep(-50, -50, -50), 0);   // empty range at its own value (0/0)
    EXPECT_EQ(ShadeStep(std::numeric_limits<double>::quiet_NaN(), -90, -30), 0);
}

TEST(CoveragePictures, ShadeDarkensTowardsTheMaximumAndLightensTowardsTheMinimum) {
    const COLORREF c = Rgb(200, 100, 50);
    EXPECT_EQ(ShadeColour(c, 0), Rgb(80, 40, 20)); // 60 % black
    EXPECT_EQ(ShadeColour(c, 5), c);               // f = 0.5: the colour itself
    EXPECT_EQ(ShadeColour(c, 10), kWhite);
    for (int step = 0; step <= 10; ++step) {
        const double value = -30.0 - step * 6.0;
        EXPECT_EQ(ShadeColour(c, step), OracleShade(c, value, -90, -30)) << step;
    }
}

TEST(CoveragePictures, PicturesFollowTheGridWithLargerYDrawnHigher) {
    CPlotraDoc d;
    FillSmallGrid(d);
    BuildCoveragePictures(d);
    for (const auto& picture : d.Coverage().m_aCoveragePictures)
        ASSERT_EQ(picture.size(), 6u);
    const auto& pd = d.Coverage().m_aCoveragePictures[CPlotraDoc::kPowerDominant];
    const auto& pm = d.Coverage().m_aCoveragePictures[CPlotraDoc::kPowerMixed];
    const auto& sd = d.Coverage().m_aCoveragePictures[CPlotraDoc::kSnrDominant];
    const auto& sm = d.Coverage().m_aCoveragePictures[CPlotraDoc::kSnrMixed];

    // Node (0, 0) is the bottom-left pixel: row 2, column 0.
    EXPECT_EQ(Pixel(d, 0, 0), 4u);
    EXPECT_EQ(pd[4], Rgb(80, 40, 20)); // power at the maximum
    EXPECT_EQ(pm[4], Rgb(40, 40, 40));
    EXPECT_EQ(sd[4], Rgb(200, 100, 50)); // SNR 20 of 0..40 is the middle step
    EXPECT_EQ(sm[4], Rgb(100, 100, 100));
    // Node (0, 1): power step 9 mixes with white by 0.8.
    EXPECT_EQ(pd[Pixel(d, 0, 1)], Rgb(206, 208, 210));
    EXPECT_EQ(pd[Pixel(d, 0, 1)], OracleShade(Rgb(10, 20, 30), -87, -90, -30));
    EXPECT_EQ(sd[Pixel(d, 0, 1)], OracleShade(Rgb(10, 20, 30), 3, 0, 40));
    // Node (1, 2) is the top-right pixel.
    EXPECT_EQ(Pixel(d, 1, 2), 1u);
    EXPECT_EQ(pd[1], Rgb(90, 80, 70));
    EXPECT_EQ(sm[1], OracleShade(Rgb(30, 60, 90), 10, 0, 40));
}

TEST(CoveragePictures, PowerAtOrBelowMinus100IsWhiteInAllFourShadedPictures) {
    CPlotraDoc d;
    FillSmallGrid(d);
    BuildCoveragePictures(d);
    for (int pic = CPlotraDoc::kPowerDominant; pic <= CPlotraDoc::kSnrMixed; ++pic) {
        const auto& p = d.Coverage().m_aCoveragePictures[static_cast<std::size_t>(pic)];
        EXPECT_EQ(p[Pixel(d, 0, 2)], kWhite) << pic; // power exactly -100, SNR 35
        EXPECT_EQ(p[Pixel(d, 1, 1)], kWhite) << pic; // uncovered, -101
    }
    // -99.9 is shaded: below the power minimum -90 it is held at step 10 (white in the power pictures),
    // while its SNR of 50 lies above the SNR maximum and counts as step 0.
    EXPECT_EQ(d.Coverage().m_aCoveragePictures[CPlotraDoc::kPowerDominant][Pixel(d, 1, 0)], kWhite);
    EXPECT_EQ(d.Coverage().m_aCoveragePictures[CPlotraDoc::kSnrDominant][Pixel(d, 1, 0)], Rgb(0, 102, 0));
    EXPECT_EQ(d.Coverage().m_aCoveragePictures[CPlotraDoc::kSnrMixed][Pixel(d, 1, 0)], Rgb(102, 0, 0));
}

TEST(CoveragePictures, CountPictureUsesThePaletteAndAnEleventhColourFromTen) {
    CPlotraDoc d;
    FillSmallGrid(d);
    BuildCoveragePictures(d);
    const auto& count = d.Coverage().m_aCoveragePictures[CPlotraDoc::kApCount];
    EXPECT_EQ(count[Pixel(d, 0, 0)], d.Display().m_crPalette[1]);
    EXPECT_EQ(count[Pixel(d, 0, 1)], d.Display().m_crPalette[2]);
    EXPECT_EQ(count[Pixel(d, 0, 2)], d.Display().m_crPalette[0]); // uncovered nodes take entry 0, never white
    EXPECT_EQ(count[Pixel(d, 1, 0)], d.Display().m_crPalette[9]);
    EXPECT_EQ(count[Pixel(d, 1, 1)], kCountTenOrMoreColour);
    EXPECT_EQ(count[Pixel(d, 1, 2)], kCountTenOrMoreColour);
    for (COLORREF c : d.Display().m_crPalette)
        EXPECT_NE(c, kCountTenOrMoreColour);
}

TEST(CoveragePictures, ShortOrEmptyGridsGiveUncoveredOrNoPictures) {
    CPlotraDoc d;
    Edit::Frame(d).m_nGridCols = 2;
    Edit::Frame(d).m_nGridRows = 2;
    BuildCoveragePictures(d);
    EXPECT_EQ(d.Coverage().m_aCoveragePictures[CPlotraDoc::kPowerDominant], std::vector<COLORREF>(4, kWhite));
    EXPECT_EQ(d.Coverage().m_aCoveragePictures[CPlotraDoc::kApCount],
              std::vector<COLORREF>(4, d.Display().m_crPalette[0]));
    Edit::Frame(d).m_nGridCols = 0;
    BuildCoveragePictures(d);
    for (const auto& p : d.Coverage().m_aCoveragePictures)
        EXPECT_TRUE(p.empty());
    Edit::Frame(d).m_nGridCols = -3;
    Edit::Frame(d).m_nGridRows = -3;
    BuildCoveragePictures(d);
    for (const auto& p : d.Coverage().m_aCoveragePictures)
        EXPECT_TRUE(p.empty());
}
