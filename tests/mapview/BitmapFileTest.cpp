#include "mapview/BitmapFile.h"
#include "files/FileIo.h"
#include "mapview/GraphExport.h"
#include "mapview/RenderApplication.h"
#include "model/Bytes.h"
#include "support/Fixtures.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace plotra;

TEST(BitmapFile, PixelOffsetKeepsTheColourTableTermToSixteenBits) {
    EXPECT_EQ(BmpPixelOffset(24), 54u);
    EXPECT_EQ(BmpPixelOffset(8), 1078u);
    EXPECT_EQ(BmpPixelOffset(4), 14u + 40u + 64u);
    EXPECT_EQ(BmpPixelOffset(1), 62u);
    EXPECT_EQ(BmpPixelOffset(16), 54u);
    EXPECT_EQ(BmpPixelOffset(32), 54u);
    EXPECT_EQ(BmpRowBytes(3, 24), 12u); // 9 bytes padded to 12
    EXPECT_EQ(BmpRowBytes(4, 24), 12u);
    EXPECT_EQ(BmpRowBytes(5, 24), 16u);
}

TEST(BitmapFile, HeadersAndBottomUpRowsAreByteExact) {
    EnsureRenderApplication();
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3)); // top row
    image.setPixel(1, 0, qRgb(4, 5, 6));
    image.setPixel(2, 0, qRgb(7, 8, 9));
    image.setPixel(0, 1, qRgb(10, 11, 12)); // bottom row
    image.setPixel(1, 1, qRgb(13, 14, 15));
    image.setPixel(2, 1, qRgb(16, 17, 18));
    const auto b = EncodeBmp24(image);
    ASSERT_EQ(b.size(), 54u + 2 * 12u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(LoadU32(&b[2]), b.size());
    EXPECT_EQ(LoadU16(&b[6]), 0u);
    EXPECT_EQ(LoadU16(&b[8]), 0u);
    EXPECT_EQ(LoadU32(&b[10]), 54u);
    EXPECT_EQ(LoadU32(&b[14]), 40u);
    EXPECT_EQ(LoadI32(&b[18]), 3);
    EXPECT_EQ(LoadI32(&b[22]), 2); // positive height: bottom-up
    EXPECT_EQ(LoadU16(&b[26]), 1u);
    EXPECT_EQ(LoadU16(&b[28]), 24u);
    EXPECT_EQ(LoadU32(&b[30]), 0u);
    EXPECT_EQ(LoadU32(&b[34]), 24u);
    // First stored row is the bottom one, in blue, green, red order, then three padding bytes.
    const std::vector<std::uint8_t> bottom{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0};
    const std::vector<std::uint8_t> top{3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 66), bottom);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 66, b.end()), top);
    // Any reader gets the picture back.
    const QImage back = QImage::fromData(b.data(), static_cast<int>(b.size()), "BMP");
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(EncodeBmp24(QImage()).empty());
}

TEST(BitmapFile, WriteFailsCleanlyAndKeepsThePreviousFile) {
    EnsureRenderApplication();
    test::TempDir dir;
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = dir.File("graph.bmp");
    ASSERT_TRUE(WriteBmpFile(path, image));
    const auto before = ReadWholeFile(path).bytes;
    EXPECT_FALSE(WriteBmpFile(dir.File("missing/graph.bmp"), image));
    EXPECT_FALSE(WriteBmpFile(path, QImage()));
    EXPECT_EQ(ReadWholeFile(path).bytes, before);
}

TEST(BitmapFile, SavedGraphNamesEndInBmp) {
    EXPECT_EQ(SaveGraphImageName("a.b.c"), "a.bmp");
    EXPECT_EQ(SaveGraphImageName("graph"), "graph.bmp");
    EXPECT_EQ(SaveGraphImageName(".hidden"), ".hidden.bmp");
    EXPECT_EQ(SaveGraphImageName("/home/u/survey.v2/a.b.c"), "/home/u/survey.v2/a.bmp");
    EXPECT_EQ(SaveGraphImageName("/tmp/.hidden"), "/tmp/.hidden.bmp");
    EXPECT_EQ(TitleWithoutExtension("campus.hws"), "campus");
    EXPECT_EQ(TitleWithoutExtension(".campus"), ".campus");
}

TEST(PrintPlacement, WidePagesCentreAndTallPagesFillTheWidth) {
    // A page wider than the picture's proportions: full height less 20, centred.
    const PrintPlacement wide = PrintPlacementFor(2000, 1000, 800, 500);
    EXPECT_EQ(wide.top, 10);
    EXPECT_EQ(wide.height, 980);
    EXPECT_EQ(wide.width, static_cast<int>(800 * 2.0 - 20)); // sy = 2
    EXPECT_EQ(wide.left, (2000 - wide.width) / 2);
    EXPECT_EQ(wide.top + wide.height + 10, 1000); // 10 pixels left at the bottom
    // A tall page: full width less 20 from the left margin.
    const PrintPlacement tall = PrintPlacementFor(1000, 3000, 800, 500);
    EXPECT_EQ(tall.left, 10);
    EXPECT_EQ(tall.width, 980);
    EXPECT_EQ(tall.height, static_cast<int>(500 * 1.25 - 20));
    EXPECT_EQ(PrintPlacementFor(100, 100, 0, 10).width, 0);
}

TEST(PrintPlacement, PrintedPictureGetsAFrame) {
    EnsureRenderApplication();
    QImage picture(80, 50, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QImage page(400, 200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.setPen(Qt::black);
        DrawPrintedGraph(p, page.rect(), picture);
    }
    const PrintPlacement pl = PrintPlacementFor(400, 200, 80, 50);
    EXPECT_EQ(page.pixel(pl.left + pl.width / 2, 10 + pl.height / 2), qRgb(0, 255, 0));
    EXPECT_EQ(page.pixel(pl.left, 10 + pl.height / 2), qRgb(0, 0, 0));
    EXPECT_EQ(page.pixel(pl.left - 3, 10 + pl.height / 2), qRgb(255, 255, 255));
}
