// Generated maps: the picture covers the simulated survey and its streets lie where the survey walks.
#include "sim/MapGenerator.h"
#include "files/BmpImage.h"
#include "model/Bytes.h"

#include <gtest/gtest.h>

using namespace plotra;

namespace {
/// Red, green, blue of pixel (column, row from the top) of a bottom-up 24-bit BMP.
std::array<int, 3> PixelAt(const std::vector<std::uint8_t>& bmp, int col, int row) {
    const int w = LoadI32(bmp.data() + 18), h = LoadI32(bmp.data() + 22);
    const std::size_t stride = static_cast<std::size_t>(BmpRowBytes(static_cast<std::uint64_t>(w), 24));
    const std::size_t at =
        54 + static_cast<std::size_t>(h - 1 - row) * stride + static_cast<std::size_t>(col) * 3;
    return {bmp[at + 2], bmp[at + 1], bmp[at]};
}
} // namespace

TEST(MapGenerator, DemoMapCoversTheSurveyAndShowsItsStreets) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("demo"), 1);
    const auto map = sim::GenerateMap(survey);
    EXPECT_EQ(map.width, 1000);
    EXPECT_EQ(map.height, 700);
    const auto info = CheckBmpImage(map.bmp);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, map.width);
    EXPECT_EQ(info->height, map.height);
    const auto& k = map.coefficients;
    long onStreet = 0, precise = 0;
    double minMargin = 1e9;
    for (const auto& f : survey.files)
        for (const auto& p : f.image.records) {
            const double lat = p.m_rec.m_nLatMas / 3600000.0, lon = p.m_rec.m_nLonMas / 3600000.0;
            const double col = k[0] * lat + k[1] * lon + k[3];
            const double row = k[4] * lat + k[5] * lon + k[7];
            minMargin = std::min({minMargin, col, row, map.width - col, map.height - row});
            if (p.m_rec.m_byKind != 0 || p.m_rec.m_byFix != 2) continue;
            ++precise;
            if (PixelAt(map.bmp, static_cast<int>(col), static_cast<int>(row))[0] == 188) ++onStreet;
        }
    // Every position (AP markers included) lies well inside the picture: the margin is 50 m.
    EXPECT_GT(minMargin * map.metresPerPixel, 25.0);
    // With GPS noise of 1.5 m on 7 m wide streets most positions fall on street pixels.
    EXPECT_GT(onStreet, precise * 3 / 4);
}

TEST(MapGenerator, SmallScenariosKeepHalfAMetrePerPixel) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 1);
    const auto map = sim::GenerateMap(survey);
    EXPECT_EQ(map.metresPerPixel, 0.5);
    EXPECT_EQ(map.width, 360); // 140 m and two margins of 20 m
    EXPECT_TRUE(CheckBmpImage(map.bmp));
}
