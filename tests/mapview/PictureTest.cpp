// CPicture: loading BMP images from memory and files, drawing whole or in part, saving, errors.
#include "mapview/Picture.h"
#include "files/BmpImage.h"
#include "files/FileIo.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace plotra;
using namespace plotra::test;

namespace {

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

/// 96 x 48 pixels: top-left red, top-right green, bottom-left blue, bottom-right white.
std::vector<std::uint8_t> Quadrants(int w = 96, int h = 48) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kWhite);
            auto* p = &rgb[static_cast<std::size_t>((y * w + x) * 3)];
            p[0] = static_cast<std::uint8_t>(qRed(c));
            p[1] = static_cast<std::uint8_t>(qGreen(c));
            p[2] = static_cast<std::uint8_t>(qBlue(c));
        }
    return EncodeBmp24(w, h, rgb);
}

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(0xFF808080);
    return img;
}

/// True when every pixel of \p img has colour \p c.
bool AllOf(const QImage& img, QRgb c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != c) return false;
    return true;
}

} // namespace

TEST(Picture, ReportsPixelSizeFromBufferAndFile) {
    PromptRecorder prompts;
    CPicture pic(&prompts);
    ASSERT_TRUE(pic.LoadFromBuffer(Quadrants()));
    EXPECT_EQ(pic.m_nWidth, 96);
    EXPECT_EQ(pic.m_nHeight, 48);
    TempDir dir;
    const std::string path = dir.File("q.bmp");
    ASSERT_TRUE(WriteFileAtomically(path, Quadrants(1000, 7)));
    CPicture fromFile(&prompts);
    ASSERT_TRUE(fromFile.Load(path));
    EXPECT_EQ(fromFile.m_nWidth, 1000); // no pixel lost to a round trip through millimetres
    EXPECT_EQ(fromFile.m_nHeight, 7);
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST(Picture, WholePartEqualsRender) {
    CPicture pic;
    ASSERT_TRUE(pic.LoadFromBuffer(Quadrants()));
    QImage a = Canvas(150, 90), b = Canvas(150, 90);
    {
        QPainter p(&a);
        EXPECT_TRUE(pic.Render(p, 10, 5, 140, 85));
    }
    {
        QPainter p(&b);
        EXPECT_TRUE(pic.RenderPart(p, 10, 5, 140, 85, 0.0, 1.0, 0.0, 1.0));
    }
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.pixel(11, 6), kRed);       // top-left of the picture at the top-left of the rectangle
    EXPECT_EQ(a.pixel(138, 83), kWhite);   // bottom-right
    EXPECT_EQ(a.pixel(5, 5), 0xFF808080u); // outside untouched
}

TEST(Picture, LowerAndUpperCountFromTheBottom) {
    CPicture pic;
    ASSERT_TRUE(pic.LoadFromBuffer(Quadrants()));
    const auto part = [&](double start, double end, double lower, double upper) {
        QImage img = Canvas(48, 24);
        QPainter p(&img);
        pic.RenderPart(p, 0, 0, 48, 24, start, end, lower, upper);
        p.end();
        return img;
    };
    // The upper half of the picture: red then green.
    const QImage upper = part(0.0, 1.0, 0.5, 1.0);
    EXPECT_TRUE(AllOf(upper.copy(0, 0, 24, 24), kRed));
    EXPECT_TRUE(AllOf(upper.copy(24, 0, 24, 24), kGreen));
    EXPECT_TRUE(AllOf(part(0.0, 0.5, 0.0, 0.5), kBlue));
    EXPECT_TRUE(AllOf(part(0.5, 1.0, 0.0, 0.5), kWhite));
    EXPECT_TRUE(AllOf(part(0.5, 1.0, 0.5, 1.0), kGreen));
}

TEST(Picture, NothingDrawnIntoARectangleNarrowerThanOnePixel) {
    CPicture pic;
    ASSERT_TRUE(pic.LoadFromBuffer(Quadrants()));
    QImage img = Canvas(20, 20);
    QPainter p(&img);
    EXPECT_TRUE(pic.RenderPart(p, 10, 0, 10, 20, 0, 1, 0, 1));
    EXPECT_TRUE(pic.RenderPart(p, 10, 0, 5, 20, 0, 1, 0, 1));
    p.end();
    EXPECT_TRUE(AllOf(img, 0xFF808080));
}

TEST(Picture, SaveWritesTheLoadedBytesAndReleaseEmpties) {
    TempDir dir;
    const auto bytes = Quadrants(33, 17);
    CPicture pic;
    ASSERT_TRUE(pic.LoadFromBuffer(bytes));
    ASSERT_TRUE(pic.Save(dir.File("copy.bmp")));
    EXPECT_EQ(ReadWholeFile(dir.File("copy.bmp")).bytes, bytes);
    pic.Release();
    EXPECT_TRUE(pic.IsEmpty());
    EXPECT_EQ(pic.m_nWidth, 0);
    QImage img = Canvas(4, 4);
    QPainter p(&img);
    EXPECT_FALSE(pic.Render(p, 0, 0, 4, 4));
}

TEST(Picture, FailuresAreReportedUnderItsCaption) {
    PromptRecorder prompts;
    CPicture pic(&prompts);
    EXPECT_FALSE(pic.LoadFromBuffer(std::vector<std::uint8_t>(100, 0x5A)));
    EXPECT_FALSE(pic.LoadFromBuffer({}));
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::string>{"CPicture Error: IPicture interface is not supported\t",
                                        "CPicture Error: Can not allocate enough memory\t"}));
    EXPECT_TRUE(pic.IsEmpty());
    prompts.prompts.clear();
    EXPECT_FALSE(pic.Load("/nonexistent/dir/map.bmp"));
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].caption, "CPicture Error");
    EXPECT_EQ(prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_NE(prompts.prompts[0].text.find("/nonexistent/dir/map.bmp"), std::string::npos);
    prompts.prompts.clear();
    ASSERT_TRUE(pic.LoadFromBuffer(Quadrants()));
    EXPECT_FALSE(pic.Save("/nonexistent/dir/out.bmp"));
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].caption, "CPicture Error");
}
