// plotra-cli --pdf: the client report from the command line, its usage errors and failures.
#include "support/CliRunner.h"
#include "support/Fixtures.h"
#include "model/Palette.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace plotra::test;

TEST(CliPdf, WritesTheReportAndRefusesBadOptionsAndMissingFolders) {
    TempDir dir;
    const std::string s = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    const std::string demo = "analyze " + s + "demo1.hsd " + s + "demo2.hsd --map " + s + "demo.hpf ";

    // Usage errors exit 2 and write nothing.
    for (const char* bad :
         {"--palette jet", "--paper a3", "--requirement signal=loud", "--requirement", "--pdf"}) {
        const CliResult r = RunPlotraCli(demo + "--pdf " + dir.File("x.pdf") + " " + bad);
        EXPECT_EQ(r.status, 2) << bad << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.pdf")));

    // A missing folder fails (exit 1) and leaves nothing behind.
    const std::string missing = dir.File("absent/report.pdf");
    CliResult r = RunPlotraCli(demo + "--pdf " + missing);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Could not write the PDF"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent")));

    // With every option: written, named on stdout, and a PDF.
    const std::string pdf = dir.File("client.pdf");
    r = RunPlotraCli(
        demo + "--pdf " + pdf +
        " --requirement signal=-75,snr=20 --title 'Hotel survey' --customer 'Acme' --surveyor 'J. Doe'"
        " --paper letter --palette viridis");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(pdf), std::string::npos) << r.out;
    EXPECT_EQ(Slurp(pdf).substr(0, 5), "%PDF-");
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        entries += (void(e), 1);
    EXPECT_EQ(entries, 1u); // no temporary file left beside it

    // export from a workspace takes the option too.
    const std::string hws = dir.File("demo.hws");
    ASSERT_EQ(RunPlotraCli(demo + "--workspace " + hws).status, 0);
    r = RunPlotraCli("export " + hws + " --pdf " + dir.File("again.pdf"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("again.pdf")));
}

// --palette colours the bitmap and the HTML report's pictures, but the saved project is the same
// bytes whatever the scale: the choice is the user's, not the project's.
TEST(CliPdf, PaletteColoursThePicturesButNotTheWorkspace) {
    TempDir dir;
    const std::string s = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    const std::string demo =
        "analyze " + s + "demo1.hsd " + s + "demo2.hsd --map " + s + "demo.hpf --graph count --alpha 255 ";
    for (const std::string scale : {"classic", "cividis"}) {
        const CliResult r = RunPlotraCli(demo + "--palette " + scale + " --image " + dir.File(scale + ".bmp") +
                                         " --workspace " + dir.File(scale + ".hws") + " --report " +
                                         dir.File(scale + ".html") + " --report-sections count");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(Slurp(dir.File("classic.hws")), Slurp(dir.File("cividis.hws")));
    const std::string classic = Slurp(dir.File("classic.bmp")), cividis = Slurp(dir.File("cividis.bmp"));
    ASSERT_EQ(classic.size(), cividis.size());
    EXPECT_NE(classic, cividis);
    // Opaque, the count picture shows level colours only: the classic ones, or cividis's.
    const auto levelPixels = [](const std::string& bmp, plotra::PaletteKind kind) {
        std::set<std::string> levels;
        for (int k = 0; k < 10; ++k) {
            const plotra::COLORREF c = plotra::PaletteLevelColour(kind, k);
            levels.insert({static_cast<char>(plotra::BlueOf(c)), static_cast<char>(plotra::GreenOf(c)),
                           static_cast<char>(plotra::RedOf(c))}); // rows are stored B, G, R
        }
        std::size_t n = 0;
        for (std::size_t i = 54; i + 3 <= bmp.size(); i += 3) n += levels.count(bmp.substr(i, 3));
        return n;
    };
    EXPECT_GT(levelPixels(classic, plotra::PaletteKind::Classic), 1000u);
    EXPECT_EQ(levelPixels(cividis, plotra::PaletteKind::Classic), 0u);
    EXPECT_GT(levelPixels(cividis, plotra::PaletteKind::Cividis), 1000u);
}
