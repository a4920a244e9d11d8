// plotra-cli info on workspace files.
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

using namespace plotra;
using namespace plotra::test;

namespace {

using CliRun = CliResult;

CliRun RunCli(const std::string& args, const std::string& errFile) { return RunPlotraCliTo(args, errFile); }

/// A 2 x 1 pixel BMP.
std::vector<std::uint8_t> TinyBmp() {
    std::vector<std::uint8_t> b(54 + 8, 0);
    b[0] = 'B';
    b[1] = 'M';
    StoreU32(&b[2], static_cast<std::uint32_t>(b.size()));
    StoreU32(&b[10], 54);
    StoreU32(&b[14], 40);
    StoreU32(&b[18], 2);
    StoreU32(&b[22], 1);
    return b;
}

void WriteProject(const std::string& path) {
    CPlotraDoc d;
    Edit::Survey(d).m_aFiles.resize(2);
    Edit::Survey(d).m_aDataPoints = {
        MakePoint(1, 2, {MakeReading(1, -50, 1, "a"), MakeReading(6, -60, 2, "b")}), MakePoint(1, 3)};
    Edit::Path(d).m_aPoints.resize(4);
    Edit::Path(d).m_aAltitude.resize(4);
    Edit::Path(d).m_aVelocity.resize(4);
    Edit::Aps(d).m_aAPs.resize(3);
    Edit::Aps(d).m_aAPs[1].m_aApPoints.resize(21);
    Edit::Aps(d).m_aAPs[2].m_aApPoints.resize(20);
    Edit::Map(d).m_aMapImage = TinyBmp();
    Edit::Map(d).m_nMapImageSize = static_cast<int>(d.Map().m_aMapImage.size());
    Edit::Map(d).m_nImageWidth = 2;
    Edit::Map(d).m_nImageHeight = 1;
    Edit::Map(d).m_bMetricXY = 1;
    Edit::Display(d).m_bDataLoaded = 1;
    Edit::Frame(d).m_nGridCols = 60;
    Edit::Frame(d).m_nGridRows = 55;
    ASSERT_TRUE(d.WriteWorkspace(path));
}

} // namespace

TEST(CliWorkspaceInfo, SummarisesAWorkspaceAsTextAndJson) {
    TempDir dir;
    const std::string path = dir.File("site.hws");
    WriteProject(path);
    const CliRun text = RunCli("info " + path, dir.File("err.txt"));
    ASSERT_EQ(text.status, 0);
    EXPECT_EQ(text.out, path + ": workspace file\n"
                               "  2 survey files, 2 points, 2 readings, 4 path points\n"
                               "  3 APs, 1 with more than 20 points\n"
                               "  map: 2 x 1 pixels, 62 bytes\n"
                               "  data loaded yes, coverage ready no, metric yes\n"
                               "  coverage grid: 60 x 55 nodes\n");
    EXPECT_EQ(Slurp(dir.File("err.txt")), "");

    const CliRun json = RunCli("info --json " + path, dir.File("err.txt"));
    ASSERT_EQ(json.status, 0);
    for (const char* expected :
         {"\"kind\": \"workspace\"", "\"files\": 2", "\"points\": 2", "\"pathPoints\": 4", "\"aps\": 3",
          "\"apsOver20Points\": 1", "\"bytes\": 62", "\"width\": 2", "\"dataLoaded\": true",
          "\"coverageReady\": false", "\"metric\": true", "\"gridCols\": 60", "\"gridRows\": 55"})
        EXPECT_NE(json.out.find(expected), std::string::npos) << expected << "\n" << json.out;
}

TEST(CliWorkspaceInfo, RefusedWorkspacesFailWithTheirMessage) {
    TempDir dir;
    const std::string path = dir.File("site.hws");
    WriteProject(path);
    std::string bytes = Slurp(path);
    std::ofstream(dir.File("cut.hws"), std::ios::binary) << bytes.substr(0, bytes.size() - 3);
    const CliRun cut = RunCli("info " + dir.File("cut.hws"), dir.File("err.txt"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, "");
    EXPECT_EQ(Slurp(dir.File("err.txt")), "Invalid File: File is not recognized as a HWS file.\n");

    bytes[12] = 3;
    std::ofstream(dir.File("typed.hws"), std::ios::binary) << bytes;
    const CliRun typed = RunCli("info " + dir.File("typed.hws"), dir.File("err.txt"));
    EXPECT_EQ(typed.status, 1);
    EXPECT_EQ(Slurp(dir.File("err.txt")),
              "Invalid File: Unsupported HWS Filetype. May be for a different product.\n");
}

// A workspace larger than any file read whole (label "slow": run with PLOTRA_SLOW_TESTS=1).
TEST(CliWorkspaceInfoSlow, SummarisesAWorkspaceLargerThanOneGiB) {
    if (!std::getenv("PLOTRA_SLOW_TESTS")) GTEST_SKIP() << "set PLOTRA_SLOW_TESTS=1 (ctest -L slow)";
    TempDir dir;
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(dir.Path(), error);
    if (error || space.available < (4ull << 30)) GTEST_SKIP() << "needs 4 GiB free in " << dir.Path();
    const std::string path = dir.File("large.hws");
    {
        // Two APs of 10 M working points and as many samples (28 bytes each stored): 1.12 GB.
        CPlotraDoc d;
        Edit::Aps(d).m_aAPs.resize(2);
        for (CAPInfo& ap : Edit::Aps(d).m_aAPs)
            for (std::int32_t i = 0; i < 10'000'000; ++i) {
                ap.m_aApPoints.AppendReading(145800000 + i, -11700000 - i,
                                             static_cast<std::int16_t>(-10240 - i % 5000), -95);
                ap.m_aSamples.AppendReading(145800000 - i, -11700000 + i, -12800,
                                            static_cast<std::int16_t>(-90 - i % 3));
            }
        Edit::Display(d).m_bDataLoaded = 1;
        ASSERT_TRUE(d.WriteWorkspace(path));
    }
    ASSERT_GT(std::filesystem::file_size(path), 1ull << 30);

    const CliRun text = RunCli("info " + path, dir.File("err.txt"));
    EXPECT_EQ(Slurp(dir.File("err.txt")), "");
    ASSERT_EQ(text.status, 0);
    EXPECT_EQ(text.out, path + ": workspace file\n"
                               "  0 survey files, 0 points, 0 readings, 0 path points\n"
                               "  2 APs, 2 with more than 20 points\n"
                               "  map: none\n"
                               "  data loaded yes, coverage ready no, metric no\n"
                               "  coverage grid: 50 x 50 nodes\n");

    // Where the address space cannot take the file it is too large for this computer, not foreign.
    const std::string cmd = "(ulimit -v 786432 && exec " + std::string(PLOTRA_CLI) + " info " + path +
                            ") 2>" + dir.File("err.txt");
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(Slurp(dir.File("err.txt")),
              "File Open Error: The workspace \"" + path + "\" is too large to open on this computer.\n");
    std::filesystem::remove(path, error);
}
