// Runs plotra-cli as a user would and checks exit codes and outputs.
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

using namespace plotra::test;

namespace {

using CliRun = CliResult;

CliRun RunCli(const std::string& args, const std::string& errFile = "/dev/null") { return RunPlotraCliTo(args, errFile); }

std::vector<long> AllInts(const std::string& text, const std::string& key) {
    std::vector<long> out;
    const std::regex re("\"" + key + "\": (-?[0-9]+)");
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) out.push_back(std::stol((*it)[1]));
    return out;
}

} // namespace

TEST(Cli, SimulateThenInfoAgreesWithTruth) {
    TempDir dir;
    ASSERT_EQ(RunCli("simulate demo " + dir.Path()).status, 0);
    const CliRun info = RunCli("info --json " + dir.File("demo1.hsd") + " " + dir.File("demo2.hsd"));
    ASSERT_EQ(info.status, 0);
    const std::string truth = Slurp(dir.File("truth.json"));
    // truth.json lists points, readings and apMarkers per file, then the totals; info lists them per file.
    for (const char* key : {"points", "readings", "apMarkers"}) {
        auto expected = AllInts(truth, key);
        ASSERT_GE(expected.size(), 3u) << key;
        expected.resize(2); // the two files come first in truth.json
        EXPECT_EQ(AllInts(info.out, key), expected) << key;
    }
}

TEST(Cli, RefusedFileGivesCaptionTextOnStderrAndExitOne) {
    TempDir dir;
    ASSERT_EQ(RunCli("simulate tiny " + dir.Path()).status, 0);
    // Corrupt the type byte.
    {
        std::fstream f(dir.File("tiny1.hsd"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(12);
        f.put(5);
    }
    const CliRun r = RunCli("info " + dir.File("tiny1.hsd"), dir.File("err.txt"));
    EXPECT_EQ(r.status, 1);
    const std::string err = Slurp(dir.File("err.txt"));
    EXPECT_NE(err.find("Invalid File: " + dir.File("tiny1.hsd") + ": Unsupported HSS Filetype. May be for a different product."),
              std::string::npos)
        << err;
}

TEST(Cli, UsageErrorsExitTwo) {
    EXPECT_EQ(RunCli("").status, 2);
    EXPECT_EQ(RunCli("frobnicate").status, 2);
    EXPECT_EQ(RunCli("simulate nowhere /tmp/x").status, 2);
    EXPECT_EQ(RunCli("info").status, 2);
    EXPECT_EQ(RunCli("info /nonexistent/file.hsd").status, 1);
}

TEST(Cli, SimulateWritesAMapThatInfoDescribes) {
    TempDir dir;
    const CliRun sim = RunCli("simulate demo " + dir.Path());
    ASSERT_EQ(sim.status, 0);
    EXPECT_NE(sim.out.find("demo.hpf: map 900 x 630 pixels"), std::string::npos) << sim.out;
    const CliRun info = RunCli("info --json " + dir.File("demo.hpf") + " " + dir.File("demo1.hsd"));
    ASSERT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("\"kind\": \"projection\""), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"kind\": \"survey\""), std::string::npos);
    EXPECT_EQ(AllInts(info.out, "width"), std::vector<long>{900});
    EXPECT_EQ(AllInts(info.out, "height"), std::vector<long>{630});
    EXPECT_EQ(AllInts(info.out, "imageBytes"), std::vector<long>{54 + 900 * 630 * 3});
    const auto coded = AllInts(info.out, "compressedBytes");
    ASSERT_EQ(coded.size(), 1u);
    std::ifstream f(dir.File("demo.hpf"), std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<long>(f.tellg()), 1177 + coded[0]);
    const std::regex mpp("\"metersPerPixelX\": 0\\.66");
    EXPECT_TRUE(std::regex_search(info.out, mpp)) << info.out;

    const CliRun text = RunCli("info " + dir.File("demo.hpf"));
    ASSERT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("projection file"), std::string::npos);
    EXPECT_NE(text.out.find("picture 900 x 630 pixels"), std::string::npos) << text.out;
}

TEST(Cli, RefusedProjectionFileExitsOne) {
    TempDir dir;
    ASSERT_EQ(RunCli("simulate tiny " + dir.Path()).status, 0);
    {
        std::fstream f(dir.File("tiny.hpf"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(149); // Ni: far more than the coded bytes can hold
        const char huge[4] = {'\xff', '\xff', '\xff', '\x0f'};
        f.write(huge, 4);
    }
    const CliRun r = RunCli("info " + dir.File("tiny.hpf"), dir.File("err.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(Slurp(dir.File("err.txt")).find("Invalid File: File is not recognized as a HPF file."),
              std::string::npos);
}
