// plotra-cli --pdf: the client report from the command line, its usage errors and failures.
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

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
