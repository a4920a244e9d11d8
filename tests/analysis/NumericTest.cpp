#include "model/CoverageColours.h"
#include "analysis/Log10Batch.h"
#include "analysis/Numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace plotra;

TEST(Numeric, MeanDividesEachTerm) {
    const double a[] = {1, 2, 3, 4};
    EXPECT_DOUBLE_EQ(Mean(a, 4), 2.5);
    // Dividing before adding is not the same as adding then dividing for large values.
    const double big[] = {1.7976931348623157e308, 1.7976931348623157e308};
    EXPECT_TRUE(std::isfinite(Mean(big, 2)));
}

TEST(Numeric, LinspaceEndsAndSingleValue) {
    double out[5];
    Linspace(out, -2, 2, 5);
    EXPECT_DOUBLE_EQ(out[0], -2);
    EXPECT_DOUBLE_EQ(out[2], 0);
    EXPECT_DOUBLE_EQ(out[4], 2);
    Linspace(out, 3, 5, 1);
    EXPECT_DOUBLE_EQ(out[0], 4);
}

TEST(Numeric, RegressionSlopeOfALine) {
    const double x[] = {0, 1, 2, 3};
    const double y[] = {5, 3, 1, -1};
    EXPECT_DOUBLE_EQ(RegressionSlope(y, x, 4), -2.0);
}

TEST(Numeric, ArgMinFirstWinsAndMaxOf) {
    const double a[] = {3, 1, 2, 1};
    EXPECT_EQ(ArgMin(a, 4), 1u);
    EXPECT_DOUBLE_EQ(MaxOf(a, 4), 3);
}

TEST(Numeric, SampleStdUsesNMinusOne) {
    const double a[] = {2, 4, 4, 4, 5, 5, 7, 9};
    EXPECT_NEAR(SampleStd(a, 8), std::sqrt(32.0 / 7.0), 1e-12);
}

TEST(Numeric, IdwTakesTheThreeNearestAndTheLaterOfEqualDistances) {
    const double d[] = {5, 1, 2, 1, 9, 3};
    const double v[] = {100, 10, 20, 30, 900, 60};
    // Nearest three: the two at distance 1 (indices 1 and 3) and the one at 2.
    const double w1 = IdwWeight(1, 2), w2 = IdwWeight(2, 2);
    // Taken in the order: index 3 (later of the equal pair), index 1, index 2.
    const double expected = (w1 * 30 + w1 * 10 + w2 * 20) / (w1 + w1 + w2);
    EXPECT_DOUBLE_EQ(IdwNearest(d, v, 6, 3, 2), expected);
    // A point at distance 0 dominates without producing infinities.
    const double d0[] = {0, 10, 10};
    const double v0[] = {-50, -90, -90};
    EXPECT_NEAR(IdwNearest(d0, v0, 3, 3, 2), -50, 1e-9);
}

TEST(Numeric, GeoDistanceOfOneDegreeOfLatitude) {
    const double pi = 3.14159265;
    EXPECT_NEAR(GeoDistance(0, 0, 1, 0), 6378137.0 * pi / 180, 1e-6);
    EXPECT_DOUBLE_EQ(GeoDistance(46.9, 7.4, 46.9, 7.4), 0.0);
    EXPECT_TRUE(std::isfinite(GeoDistance(0, 0, 0, 180)));
}

TEST(Numeric, Log10DistanceIsFloored) {
    EXPECT_DOUBLE_EQ(Log10Distance(100), 2);
    EXPECT_DOUBLE_EQ(Log10Distance(0), -10);
    EXPECT_DOUBLE_EQ(Log10Distance(-1), -10);
}

// The batch logarithm must be the library's to the last bit: on distances of every size, next to
// powers of two and to the edges of its table, on values it leaves to the library (below 1, zero,
// negative, infinite, not a number), in place, and at lengths that are not a multiple of four.
TEST(Numeric, Log10BatchEqualsTheLibraryBitForBit) {
    std::vector<double> in;
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> exponent(-12.0, 12.0);
    for (int i = 0; i < 3'000'000; ++i)
        in.push_back(std::pow(10.0, exponent(random)));
    std::uniform_real_distribution<double> metres(1.0, 2000.0);
    for (int i = 0; i < 1'000'000; ++i)
        in.push_back(metres(random));
    for (int k = -3; k <= 60; ++k)
        for (int j = 0; j <= 256; ++j) {
            const double edge = std::ldexp(1.0 + j / 256.0, k);
            in.push_back(edge);
            in.push_back(std::nextafter(edge, 0.0));
            in.push_back(std::nextafter(edge, 1e300));
        }
    for (double special : {0.0, -0.0, -1.0, 1e-320, 1.0, std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 1e-10})
        in.push_back(special);
    in.push_back(3.0); // an odd length

    std::vector<double> out(in.size());
    Log10Batch(in.data(), out.data(), in.size());
    std::vector<double> inPlace = in;
    Log10Batch(inPlace.data(), inPlace.data(), inPlace.size());
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const double expected = std::log10(in[i]);
        if (std::memcmp(&expected, &out[i], sizeof expected) != 0 || std::memcmp(&expected, &inPlace[i], sizeof expected) != 0) {
            if (++wrong < 5) ADD_FAILURE() << "log10(" << in[i] << ")";
        }
    }
    EXPECT_EQ(wrong, 0u);
    Log10Batch(in.data(), out.data(), 0);
    std::printf("batch logarithm: %s\n", Log10BatchIsFast() ? "four at a time" : "the library's");
}

TEST(CoverageColours, MaximumMiddleAndMinimum) {
    const COLORREF base = Rgb(200, 100, 50);
    // Two columns, one row: values at the maximum and at the minimum; one more at the middle.
    const std::vector<double> values = {-30, -100, -65};
    const auto px = GridToColours(values, 3, 1, base, -100, -30);
    ASSERT_EQ(px.size(), 3u);
    EXPECT_EQ(px[0], Rgb(80, 40, 20)); // 60 % black
    EXPECT_EQ(px[1], Rgb(255, 255, 255));
    EXPECT_EQ(px[2], base);
}

TEST(CoverageColours, NodeRowZeroIsTheBottomPixelRow) {
    // One column, two rows: node row 0 (strong) must be the lower pixel.
    const std::vector<double> values = {-30, -100};
    const auto px = GridToColours(values, 1, 2, Rgb(100, 100, 100), -100, -30);
    EXPECT_EQ(px[1], Rgb(40, 40, 40));
    EXPECT_EQ(px[0], Rgb(255, 255, 255));
}
