// plotra-cli import-wigle run as a user would: summaries, the one skip message, refusals and exit codes.
#include "files/FileIo.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace plotra::test;

namespace {

CliResult Cli(const std::string& args) { return RunPlotraCli(args); }

long JsonInt(const std::string& text, const std::string& key) {
    std::smatch m;
    const std::regex re("\"" + key + "\": (-?[0-9]+)");
    return std::regex_search(text, m, re) ? std::stol(m[1]) : -1;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const std::string kWalk2 = SharedData("wigle/phone-walk2-v1.4.csv");
const std::string kEsp32 = SharedData("wigle/esp32-mixed-v1.6.csv");

} // namespace

TEST(CliWigle, ImportReportsSkippedRowsOnceAndWritesASurveyFile) {
    PLOTRA_SKIP_WITHOUT_SHARED_DATA("wigle/phone-walk2-v1.4.csv");
    TempDir dir;
    const CliResult r = Cli("import-wigle " + kWalk2 + " " + dir.File("walk.hsd"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "WiGLE Import: 43 of 1191 rows skipped (non-WIFI rows: 38, same MAC twice in a point: 5)\n");
    EXPECT_NE(r.out.find("1191 rows, 1153 WIFI rows, 449 points, 1148 readings"), std::string::npos) << r.out;
    const CliResult info = Cli("info --json " + dir.File("walk.hsd"));
    ASSERT_EQ(info.status, 0);
    EXPECT_EQ(JsonInt(info.out, "points"), 449);
    EXPECT_EQ(JsonInt(info.out, "readings"), 1148);
}

TEST(CliWigle, SeveralLogsGoIntoOneSurveyInOrder) {
    PLOTRA_SKIP_WITHOUT_SHARED_DATA("wigle/phone-walk2-v1.4.csv");
    PLOTRA_SKIP_WITHOUT_SHARED_DATA("wigle/esp32-mixed-v1.6.csv");
    TempDir dir;
    const CliResult r = Cli("import-wigle " + kWalk2 + " " + kEsp32 + " --noise -90 " + dir.File("both.hsd"));
    ASSERT_EQ(r.status, 0) << r.err;
    // One message for the whole import.
    EXPECT_EQ(r.err,
              "WiGLE Import: 112 of 1315 rows skipped (non-WIFI rows: 107, same MAC twice in a point: 5)\n");
    const CliResult info = Cli("info --json " + dir.File("both.hsd"));
    EXPECT_EQ(JsonInt(info.out, "points"), 449 + 6);
    EXPECT_EQ(JsonInt(info.out, "readings"), 1148 + 55);
    const auto bytes = plotra::ReadWholeFile(dir.File("both.hsd")).bytes;
    ASSERT_GT(bytes.size(), 33u + 61u);
    EXPECT_EQ(bytes[33 + 32], 0xA6); // first noise entry, -90 little-endian
    EXPECT_EQ(bytes[33 + 33], 0xFF);
}

TEST(CliWigle, NothingUsableOrARefusedLogWritesNothing) {
    TempDir dir;
    const std::string bleOnly = dir.File("ble.csv");
    WriteText(
        bleOnly,
        "WigleWifi-1.6,model=x\n"
        "MAC,SSID,AuthMode,FirstSeen,Channel,Frequency,RSSI,CurrentLatitude,CurrentLongitude,"
        "AltitudeMeters,AccuracyMeters,RCOIs,MfgrId,Type\n"
        "6a:1f:95:f0:b7:53,\"\",Misc [BLE],2026-08-08 06:49:57,0,,-94,-33.39,151.34,30.6,1.7,,004C,BLE\n");
    CliResult r = Cli("import-wigle " + bleOnly + " " + dir.File("out.hsd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("WiGLE Import: 1 of 1 rows skipped (non-WIFI rows: 1)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("WiGLE Import: No usable Wi-Fi rows were found. Nothing was written."),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.hsd")));

    const std::string other = dir.File("other.csv");
    WriteText(other, "name,value\na,1\n");
    r = Cli("import-wigle " + kEsp32 + " " + other + " " + dir.File("out.hsd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("WiGLE Import: " + other + ": The file is not a WiGLE CSV log."), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.hsd")));
}

TEST(CliWigle, UsageErrorsProtectTheLogs) {
    TempDir dir;
    // Forgetting the output name must not overwrite the last log.
    EXPECT_EQ(Cli("import-wigle " + kWalk2 + " " + kEsp32).status, 2);
    EXPECT_EQ(Cli("import-wigle " + kWalk2).status, 2);
    EXPECT_EQ(Cli("import-wigle " + kWalk2 + " " + dir.File("x.hsd") + " --noise").status, 2);
    EXPECT_EQ(Cli("import-wigle " + kWalk2 + " " + dir.File("x.hsd") + " --noise loud").status, 2);
    EXPECT_EQ(Cli("import-wigle " + kWalk2 + " " + dir.File("x.hsd") + " --frobnicate").status, 2);
    EXPECT_EQ(Cli("import-wigle " + dir.File("x.hsd") + " " + dir.File("x.hsd")).status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.hsd")));
}
