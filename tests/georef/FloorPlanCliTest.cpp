// plotra-cli make-map with --scale, as a surveyor runs it on a facility manager's PNG and on an
// architect's PDF: what is printed and written, that the written map measures the scale, and that
// every refusal says why and writes nothing.
#include "georef/RasterFixtures.h"
#include "mapview/RenderApplication.h"
#include "model/PlotraDoc.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdlib>
#include <filesystem>

using namespace plotra;
using namespace plotra::test;

namespace {

/// A plan of \p w x \p h pixels: white, with the outer walls and one inner wall in black.
void WritePlanPng(const std::string& path, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 4));
    p.drawRect(20, 20, w - 40, h - 40);
    p.drawLine(w / 2, 20, w / 2, h - 20);
    p.end();
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
}

/// A two-page A4 PDF as an architect's office exports it: landscape plan pages with lines only.
void WritePlanPdf(const std::string& path) {
    EnsureRenderApplication();
    QPdfWriter pdf(QString::fromStdString(path));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setResolution(72);
    QPainter p(&pdf);
    for (int page = 0; page < 2; ++page) {
        if (page > 0) pdf.newPage();
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(40, 40, 700, 460);
        p.drawLine(40 + 100 * (page + 1), 40, 40 + 100 * (page + 1), 500);
    }
    p.end();
}

/// Loads a written projection file; false when the reader refuses it.
bool LoadHpf(CPlotraDoc& doc, const std::string& path) {
    const std::string bytes = Slurp(path);
    return doc.ReadProjectionFile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

} // namespace

TEST(CliFloorPlan, PngPlanBecomesAMapToScale) {
    TempDir dir;
    const std::string png = dir.File("plan.png"), hpf = dir.File("plan.hpf");
    WritePlanPng(png, 1200, 800);
    const CliResult made = RunPlotraCli("make-map " + png + " " + hpf +
                                        " --scale 20,20,1180,20,58m --north 30 --origin 46.95,7.44");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_NE(made.out.find("  floor plan 1200 x 800 pixels (PNG)\n"), std::string::npos) << made.out;
    EXPECT_NE(made.out.find(
                  "  scale: (20, 20) to (1180, 20), 1160.0 pixels = 58 m (190.289 ft): 0.05 m per pixel\n"),
              std::string::npos)
        << made.out;
    EXPECT_NE(made.out.find("  north: 30 degrees clockwise from the plan's up\n"), std::string::npos);
    EXPECT_NE(made.out.find("  area: 60.0 x 40.0 m\n"), std::string::npos);
    CPlotraDoc doc;
    ASSERT_TRUE(LoadHpf(doc, hpf));
    EXPECT_NEAR(doc.Map().m_dMetersPerPixelX, 0.05, 0.05e-3);
    EXPECT_NEAR(doc.Map().m_dMetersPerPixelY, 0.05, 0.05e-3);

    // Feet and the default origin; the info listing shows the same scale.
    const CliResult feet =
        RunPlotraCli("make-map " + png + " " + dir.File("feet.hpf") + " --scale 20,20,20,780,100ft");
    ASSERT_EQ(feet.status, 0) << feet.err;
    CPlotraDoc feetDoc;
    ASSERT_TRUE(LoadHpf(feetDoc, dir.File("feet.hpf")));
    EXPECT_NEAR(feetDoc.Map().m_dMetersPerPixelY * 760, 30.48, 30.48e-3);
    EXPECT_NEAR(feetDoc.Map().m_dMetersPerPixelX * 760, 30.48, 30.48e-3);

    // The same plan as a JPEG and a BMP.
    for (const char* format : {"JPEG", "BMP"}) {
        const std::string file = dir.File(std::string("plan.") + (format[0] == 'J' ? "jpg" : "bmp"));
        ASSERT_TRUE(QImage(QString::fromStdString(png)).save(QString::fromStdString(file), format));
        const CliResult other =
            RunPlotraCli("make-map " + file + " " + dir.File("other.hpf") + " --scale 20,20,1180,20,58m");
        ASSERT_EQ(other.status, 0) << other.err;
        EXPECT_NE(other.out.find("  floor plan 1200 x 800 pixels (" + std::string(format) + ")\n"),
                  std::string::npos)
            << other.out;
    }

    // --max-pixels reduces the picture and says so; the plan still measures 60 x 40 m.
    const CliResult small = RunPlotraCli("make-map " + png + " " + dir.File("small.hpf") +
                                         " --scale 20,20,1180,20,58m --max-pixels 60000");
    ASSERT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(small.err,
              "Floor Plan: The plan is reduced from 1200 x 800 to 300 x 200 pixels to fit the map size "
              "limit; its scale is kept.\n");
    CPlotraDoc smallDoc;
    ASSERT_TRUE(LoadHpf(smallDoc, dir.File("small.hpf")));
    EXPECT_EQ(smallDoc.Map().m_nImageWidth, 300);
    EXPECT_NEAR(smallDoc.Map().m_dMapWidth, 60.0, 0.06);
    EXPECT_NEAR(smallDoc.Map().m_dMapHeight, 40.0, 0.04);
}

TEST(CliFloorPlan, PdfPageIsRenderedAndAMissingPageRefused) {
    TempDir dir;
    const std::string pdf = dir.File("plan.pdf");
    WritePlanPdf(pdf);
    // A4 landscape is 842 x 595 points: 2000 pixels across (171 dpi) make 2000 x 1413 pixels.
    const CliResult made =
        RunPlotraCli("make-map " + pdf + " " + dir.File("p2.hpf") + " --page 2 --scale 0,0,2000,0,297mm");
    EXPECT_EQ(made.status, 1); // "297mm" is no distance Plotra reads
    EXPECT_NE(made.err.find("is not a number"), std::string::npos);
    const CliResult page2 =
        RunPlotraCli("make-map " + pdf + " " + dir.File("p2.hpf") + " --page 2 --scale 0,0,2000,0,29.7m");
    ASSERT_EQ(page2.status, 0) << page2.err;
    EXPECT_NE(page2.out.find("  floor plan 2000 x 1413 pixels (PDF, page 2 of 2 at 171 dpi)\n"),
              std::string::npos)
        << page2.out;
    CPlotraDoc doc;
    ASSERT_TRUE(LoadHpf(doc, dir.File("p2.hpf")));
    EXPECT_EQ(doc.Map().m_nImageWidth, 2000);
    EXPECT_NEAR(doc.Map().m_dMapWidth, 29.7, 0.03);

    // --dpi chooses the resolution; the scale points are pixels of that rendering.
    const CliResult dpi =
        RunPlotraCli("make-map " + pdf + " " + dir.File("p1.hpf") + " --dpi 72 --scale 40,40,740,40,70m");
    ASSERT_EQ(dpi.status, 0) << dpi.err;
    EXPECT_NE(dpi.out.find("(PDF, page 1 of 2 at 72 dpi)"), std::string::npos) << dpi.out;
    EXPECT_NE(dpi.out.find("0.1 m per pixel"), std::string::npos) << dpi.out;

    const CliResult missing =
        RunPlotraCli("make-map " + pdf + " " + dir.File("p3.hpf") + " --page 3 --scale 0,0,100,0,5m");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Floor Plan: The PDF \"" + pdf + "\" has 2 pages; there is no page 3.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("p3.hpf")));
}

TEST(CliFloorPlan, RefusalsSayWhyAndWriteNothing) {
    TempDir dir;
    const std::string png = dir.File("plan.png");
    WritePlanPng(png, 400, 300);
    const std::string out = dir.File("out.hpf");
    struct Refusal {
        std::string args;
        int status;
        std::string err; ///< the start of stderr
    };
    const Refusal refusals[] = {
        {"--scale 10,10,10,10,5m", 1,
         "Floor Plan: The scale's two points (10, 10) and (10, 10) are less than a pixel"},
        {"--scale 10,10,300,10,0m", 1,
         "Floor Plan: The scale's distance must be more than 0; 0 m was given."},
        {"--scale 10,10,300,10,-2", 1, "Floor Plan: The scale's distance must be more than 0"},
        {"--scale 10,10,300,10,abc", 1, "Floor Plan: The scale's distance \"abc\" is not a number"},
        {"--scale 10,10,401,10,5m", 1, "Floor Plan: The scale's point 2 (401, 10) lies outside the picture"},
        {"--scale 10,10,300,10,5m --page 2", 1,
         "Floor Plan: The plan \"" + png + "\" is a picture, not a PDF"},
        {"--scale 10,10,300,10,5m --origin 95,0", 1, "Floor Plan: The plan's corner 95, 0 is not a position"},
        {"--scale 10,10,300,10", 2, "plotra-cli: --scale needs X1,Y1,X2,Y2,DIST"},
        {"--scale 10,10,300,10,5m --origin 46.9", 2, "plotra-cli: --origin needs LATITUDE,LONGITUDE"},
        {"--scale 10,10,300,10,5m --north east", 2, "plotra-cli: --north needs an angle"},
        {"--scale 10,10,300,10,5m --dpi 0", 2, "plotra-cli: --dpi needs a whole number above 0"},
        {"--scale 10,10,300,10,5m --gcp 0,0,1,1", 2, "plotra-cli: --gcp and --scale"},
    };
    for (const Refusal& r : refusals) {
        const CliResult res = RunPlotraCli("make-map " + png + " " + out + " " + r.args);
        EXPECT_EQ(res.status, r.status) << r.args << "\n" << res.err;
        EXPECT_EQ(res.err.substr(0, r.err.size()), r.err) << r.args;
        EXPECT_FALSE(std::filesystem::exists(out)) << r.args;
    }
    // A refused plan keeps an earlier map of the same name.
    WriteText(out, "earlier");
    const CliResult res =
        RunPlotraCli("make-map " + dir.File("missing.png") + " " + out + " --scale 1,1,50,1,5m");
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "File Open Error: Could not open file \"" + dir.File("missing.png") + "\"\n");
    EXPECT_EQ(Slurp(out), "earlier");
    WriteText(dir.File("text.png"), "not a picture");
    const CliResult text =
        RunPlotraCli("make-map " + dir.File("text.png") + " " + out + " --scale 1,1,50,1,5m");
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("is not a floor plan Plotra can read"), std::string::npos) << text.err;
    EXPECT_EQ(Slurp(out), "earlier");
}

// A plan whose BMP would exceed the projection file's 512 MiB (label "slow": about 20 s and 2 GB):
// reduced to the largest size that fits, with the limit said, and measuring what the plan says.
TEST(CliFloorPlanSlow, PlanAboveTheFormatLimitIsReducedKeepingItsScale) {
    if (!std::getenv("PLOTRA_SLOW_TESTS")) GTEST_SKIP() << "set PLOTRA_SLOW_TESTS=1 (ctest -L slow)";
    TempDir dir;
    const std::string png = dir.File("big.png");
    {
        QImage image(16000, 12000, QImage::Format_Grayscale8);
        image.fill(255);
        QPainter p(&image);
        p.fillRect(500, 500, 15000, 20, Qt::black);
        p.end();
        ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG", 100));
    }
    const CliResult made =
        RunPlotraCli("make-map " + png + " " + dir.File("big.hpf") + " --scale 500,500,15500,500,150m");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err,
              "Floor Plan: The plan is reduced from 16000 x 12000 to 15446 x 11585 pixels to fit the map "
              "size limit (a projection file holds a picture of at most 512 MiB, about 13,377 x 13,377 "
              "pixels); its scale is kept.\n");
    CPlotraDoc doc;
    ASSERT_TRUE(LoadHpf(doc, dir.File("big.hpf")));
    EXPECT_EQ(doc.Map().m_nImageWidth, 15446);
    EXPECT_NEAR(doc.Map().m_dMapWidth, 160.0, 0.16);
    EXPECT_NEAR(doc.Map().m_dMapHeight, 120.0, 0.12);
}
