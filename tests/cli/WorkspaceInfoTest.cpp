// plotra-cli info on workspace files.
#include "model/Bytes.h"
#include "model/PlotraDoc.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    d.m_aFiles.resize(2);
    d.m_aDataPoints = {MakePoint(1, 2, {MakeReading(1, -50, 1, "a"), MakeReading(6, -60, 2, "b")}),
                       MakePoint(1, 3)};
    d.m_aPoints.resize(4);
    d.m_aAltitude.resize(4);
    d.m_aVelocity.resize(4);
    d.m_aAPs.resize(3);
    d.m_aAPs[1].m_aApPoints.resize(21);
    d.m_aAPs[2].m_aApPoints.resize(20);
    d.m_aMapImage = TinyBmp();
    d.m_nMapImageSize = static_cast<int>(d.m_aMapImage.size());
    d.m_nImageWidth = 2;
    d.m_nImageHeight = 1;
    d.m_bMetricXY = 1;
    d.m_bDataLoaded = 1;
    d.m_nGridCols = 60;
    d.m_nGridRows = 55;
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
