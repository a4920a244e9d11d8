// BMP file images: the writer's layout and the structural check the map loader relies on.
#include "files/BmpImage.h"
#include "model/Bytes.h"

#include <gtest/gtest.h>

using namespace plotra;

namespace {
std::vector<std::uint8_t> Pixels(int w, int h) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 13 + 1);
    return rgb;
}
} // namespace

TEST(BmpImage, WritesBottomUpPaddedRowsWithTheStandardHeader) {
    const int w = 5, h = 3; // 15 bytes per row, padded to 16
    const auto rgb = Pixels(w, h);
    const auto bmp = EncodeBmp24(w, h, rgb);
    ASSERT_EQ(bmp.size(), 54u + 16u * 3u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(LoadU32(bmp.data() + 2), bmp.size());
    EXPECT_EQ(LoadU32(bmp.data() + 10), 54u);
    EXPECT_EQ(LoadU32(bmp.data() + 14), 40u);
    EXPECT_EQ(LoadI32(bmp.data() + 18), w);
    EXPECT_EQ(LoadI32(bmp.data() + 22), h);
    EXPECT_EQ(LoadU16(bmp.data() + 26), 1);
    EXPECT_EQ(LoadU16(bmp.data() + 28), 24);
    EXPECT_EQ(LoadU32(bmp.data() + 30), 0u);
    EXPECT_EQ(LoadU32(bmp.data() + 34), 48u);
    // The first stored row is the bottom one, pixels as blue, green, red, then one pad byte.
    const std::size_t bottom = static_cast<std::size_t>((h - 1) * w * 3);
    EXPECT_EQ(bmp[54], rgb[bottom + 2]);
    EXPECT_EQ(bmp[55], rgb[bottom + 1]);
    EXPECT_EQ(bmp[56], rgb[bottom + 0]);
    EXPECT_EQ(bmp[54 + 15], 0);
    EXPECT_EQ(bmp[54 + 32], rgb[2]); // the top row comes last
    const auto info = CheckBmpImage(bmp);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, w);
    EXPECT_EQ(info->height, h);
    EXPECT_EQ(info->bitCount, 24);
}

TEST(BmpImage, WriterRefusesImpossibleSizes) {
    EXPECT_TRUE(EncodeBmp24(0, 3, {}).empty());
    EXPECT_TRUE(EncodeBmp24(2, 2, Pixels(2, 1)).empty()); // too few pixels
}

TEST(BmpImage, CheckAcceptsPalettedAndBitFieldImages) {
    // An 8-bit image with a 256-entry colour table: pixel offset 1078.
    std::vector<std::uint8_t> b(1078 + 4 * 2, 0);
    b[0] = 'B';
    b[1] = 'M';
    StoreU32(b.data() + 10, 1078);
    StoreU32(b.data() + 14, 40);
    StoreU32(b.data() + 18, 3);
    StoreU32(b.data() + 22, 2);
    StoreU16(b.data() + 26, 1);
    StoreU16(b.data() + 28, 8);
    EXPECT_TRUE(CheckBmpImage(b));
    StoreU16(b.data() + 28, 32);
    StoreU32(b.data() + 30, 3);
    b.resize(1078 + 3 * 4 * 2);
    EXPECT_TRUE(CheckBmpImage(b));
    b.pop_back(); // one byte short of the last row
    EXPECT_FALSE(CheckBmpImage(b));
}
