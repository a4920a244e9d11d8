// plotra-cli analyze as a user runs it: counts against the generator's truth, exit codes, messages.
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

using namespace plotra::test;

namespace {

using AnalyzeRun = CliResult;

AnalyzeRun Analyze(const TempDir&, const std::string& args) { return RunPlotraCli(args); }

long FirstInt(const std::string& text, const std::string& key) {
    std::smatch m;
    const std::regex re("\"" + key + "\": (-?[0-9]+)");
    return std::regex_search(text, m, re) ? std::stol(m[1]) : -1;
}

long Count(const std::string& text, const std::string& fragment) {
    long n = 0;
    for (std::size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(CliAnalyze, JsonSummaryAgreesWithTheTruth) {
    TempDir dir;
    ASSERT_EQ(Analyze(dir, "simulate tiny " + dir.Path()).status, 0);
    const AnalyzeRun r = Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --json --no-coverage --unit m");
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(dir.File("truth.json"));
    std::stringstream truth;
    truth << in.rdbuf();
    EXPECT_EQ(FirstInt(r.out, "points"), FirstInt(truth.str(), "points"));
    EXPECT_EQ(FirstInt(r.out, "readings"), FirstInt(truth.str(), "readings"));
    EXPECT_EQ(FirstInt(r.out, "apCount"), FirstInt(truth.str(), "distinctBssids"));
    EXPECT_EQ(Count(r.out, "\"mac\""), FirstInt(r.out, "apCount"));
    EXPECT_GE(FirstInt(r.out, "processedAps"), 1);
    EXPECT_NE(r.out.find("\"unit\": \"m\""), std::string::npos);
    EXPECT_NE(r.out.find("\"processing\""), std::string::npos);
    EXPECT_EQ(r.err.find("Note:"), std::string::npos);
    // Every AP with more than 20 working points is ticked by default.
    EXPECT_GE(Count(r.out, "\"selected\": true"), 1);

    EXPECT_NE(r.out.find("\"coverage\": null"), std::string::npos);

    // Without --no-coverage the combined coverage is computed and summarised.
    const AnalyzeRun again = Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --json --unit m");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_GE(FirstInt(again.out, "cols"), 50);
    EXPECT_LE(FirstInt(again.out, "cols"), 400);
    EXPECT_GT(FirstInt(again.out, "coveredNodes"), 0);
}

TEST(CliAnalyze, EveryOutputOfTheDemoWithItsMap) {
    TempDir dir;
    const std::string s = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    const AnalyzeRun r = Analyze(dir, "analyze " + s + "demo1.hsd " + s + "demo2.hsd --map " + s + "demo.hpf --workspace " +
                                          dir.File("d.hws") + " --image " + dir.File("d.bmp") + " --contours multi --kml " +
                                          dir.File("d.kml") + " --report " + dir.File("r.html") + " --table " +
                                          dir.File("t.txt") + " --delimiter comma");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* f : {"d.hws", "d.bmp", "d.kml", "d/overlay.bmp", "r.html", "r/bmp2.bmp", "r/report.css",
                          "r/hpf_logo.bmp", "t.txt"})
        EXPECT_TRUE(std::ifstream(dir.File(f)).good()) << f;
    // The saved project re-exports, reports reliability and moves an AP.
    const AnalyzeRun again = Analyze(dir, "export " + dir.File("d.hws") + " --image " + dir.File("e.bmp") + " --graph snr");
    EXPECT_EQ(again.status, 0) << again.err;
    const AnalyzeRun rel =
        Analyze(dir, "reliability " + dir.File("d.hws") + " --group --threshold -75 --radius 50 --json");
    EXPECT_EQ(rel.status, 0) << rel.err;
    EXPECT_NE(rel.out.find("\"cellReliability\": \"0."), std::string::npos) << rel.out;
    // A refused move writes nothing.
    const AnalyzeRun bad = Analyze(dir, "relocate " + dir.File("d.hws") + " --ap 02-B7-23-9B-00-0C --to 9999,9999 "
                                        "--workspace " + dir.File("moved.hws"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Invalid Position: This AP position results in wrong progation parameters."), std::string::npos);
    EXPECT_FALSE(std::ifstream(dir.File("moved.hws")).good());
    // The overlay's description carries the time it was made.
    std::ifstream kml(dir.File("d.kml"));
    std::stringstream text;
    text << kml.rdbuf();
    EXPECT_TRUE(std::regex_search(text.str(), std::regex("RF Coverage on [0-9]{2}/[0-9]{2}/[0-9]{4},[0-9]{2}:"))) << text.str();
}

TEST(CliAnalyze, FileTitlesDuplicatesAndNodeCountsOfTheTickedAps) {
    TempDir dir;
    const std::string s = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    std::filesystem::copy_file(s + "demo1.hsd", dir.File("walk_a.hsd"));
    std::filesystem::copy_file(s + "demo2.hsd", dir.File("walk_b.v2.hsd"));
    const std::string both = dir.File("walk_a.hsd") + " " + dir.File("walk_b.v2.hsd");
    // Kept apart, every SSID names its file by its title (no extension); paths are absolute.
    AnalyzeRun r = Analyze(dir, "analyze " + both + " --no-merge --no-coverage --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"name\": \"walk_b.v2\""), std::string::npos);
    EXPECT_NE(r.out.find("\"path\": \"" + dir.File("walk_a.hsd") + "\""), std::string::npos);
    EXPECT_GT(Count(r.out, ": walk_a\""), 0);
    int ssids = 0;
    const std::regex ssidField("\"ssid\": \"([^\"]*)\"");
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), ssidField), end; it != end; ++it) {
        const std::string ssid = (*it)[1];
        const bool named = ssid.ends_with(": walk_a") || ssid.ends_with(": walk_b.v2");
        EXPECT_TRUE(named || ssid.size() == 32) << ssid; // a long SSID keeps its first 32 bytes
        ++ssids;
    }
    EXPECT_EQ(ssids, FirstInt(r.out, "apCount"));
    // The same file twice is refused.
    r = Analyze(dir, "analyze " + dir.File("walk_a.hsd") + " " + dir.File("walk_a.hsd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Invalid File: This file has been selected!"), std::string::npos) << r.err;

    // Ticking one AP frames its own area: the node counts follow that smaller rectangle at the
    // resolution of the whole walk (W / resolution, truncated).
    r = Analyze(dir, "analyze " + both + " --map " + s + "demo.hpf --unit m --no-coverage --json --select 02-B7-23-9B-00-0C");
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"spanY\": ([0-9.e+-]+),\\s*\"spanX\": ([0-9.e+-]+)")));
    const double spanX = std::stod(m[2]);
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"resolution\": \\{\\s*\"x\": ([0-9.e+-]+)")));
    const double resX = std::stod(m[1]);
    EXPECT_EQ(FirstInt(r.out, "cols"), static_cast<long>(spanX / resX));
    EXPECT_LT(FirstInt(r.out, "cols"), 50);
}

TEST(CliAnalyze, SelectionByMac) {
    TempDir dir;
    ASSERT_EQ(Analyze(dir, "simulate tiny " + dir.Path()).status, 0);
    const AnalyzeRun all =
        Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --json --no-coverage --select all");
    ASSERT_EQ(all.status, 0);
    EXPECT_EQ(Count(all.out, "\"selected\": true"), FirstInt(all.out, "apCount"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(all.out, m, std::regex("\"mac\": \"([0-9A-F-]+)\"")));
    std::string mac = m[1];
    std::replace(mac.begin(), mac.end(), '-', ':');
    const AnalyzeRun one =
        Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --json --no-coverage --select " + mac);
    ASSERT_EQ(one.status, 0);
    EXPECT_EQ(Count(one.out, "\"selected\": true"), 1);
    const AnalyzeRun unknown =
        Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --no-coverage --select 00-00-00-00-00-00");
    EXPECT_EQ(unknown.status, 1);
}

TEST(CliAnalyze, RefusalsAndUsage) {
    TempDir dir;
    ASSERT_EQ(Analyze(dir, "simulate tiny " + dir.Path()).status, 0);
    const std::string missing = dir.File("missing.hsd");
    AnalyzeRun r = Analyze(dir, "analyze " + missing);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File Open Error: Could not open file \"" + missing + "\"."), std::string::npos)
        << r.err;
    // One unreadable file among readable ones is named, and the rest is analysed.
    r = Analyze(dir, "analyze " + missing + " " + dir.File("tiny1.hsd") + " --no-coverage");
    EXPECT_EQ(r.status, 0);
    r = Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --map " + dir.File("truth.json"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Invalid File: File is not recognized as a HPF file."), std::string::npos) << r.err;
    EXPECT_EQ(Analyze(dir, "analyze").status, 2);
    EXPECT_EQ(Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --unit km").status, 2);
    EXPECT_EQ(Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --resolution 0").status, 2);
    EXPECT_EQ(Analyze(dir, "analyze " + dir.File("tiny1.hsd") + " --frobnicate").status, 2);
}

TEST(CliAnalyze, DisplayOptionsReachTheGraphImage) {
    TempDir dir;
    const std::string s = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    ASSERT_EQ(Analyze(dir, "analyze " + s + "demo1.hsd " + s + "demo2.hsd --map " + s + "demo.hpf --workspace " +
                               dir.File("d.hws"))
                  .status,
              0);
    auto image = [&](const std::string& name, const std::string& options) {
        const AnalyzeRun r = Analyze(dir, "export " + dir.File("d.hws") + " --image " + dir.File(name) + " " + options);
        EXPECT_EQ(r.status, 0) << options << ": " << r.err;
        std::ifstream in(dir.File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string plain = image("plain.bmp", "");
    ASSERT_FALSE(plain.empty());
    // Each option changes what is drawn; none of them is silently ignored.
    for (const char* options :
         {"--legend --contours multi", "--compass", "--grid xy", "--no-map", "--no-path", "--lonlat",
          "--colour-mode single --ap 02-B7-23-9B-00-0C", "--ap 02-B7-23-9B-00-0C", "--cell-radius",
          "--contour -80,-60", "--graph count --contours multi"})
        EXPECT_NE(image("option.bmp", options), plain) << options;
    EXPECT_EQ(image("again.bmp", "--mixed"), plain); // the mixed colour is the default
    EXPECT_EQ(Analyze(dir, "export " + dir.File("d.hws") + " --image " + dir.File("x.bmp") + " --ap 00-00-00-00-00-01")
                  .status,
              1);
    for (const char* bad : {"--grid z", "--colour-mode red", "--contour -60,-80", "--contour 5"})
        EXPECT_EQ(Analyze(dir, "export " + dir.File("d.hws") + " --image " + dir.File("x.bmp") + " " + bad).status, 2)
            << bad;
}

namespace {

/// FNV-1a of a workspace without its survey file list, whose absolute paths depend on where the
/// test runs; every other byte counts.
std::uint64_t WorkspaceDigest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), {});
    auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
        return v;
    };
    std::size_t files = 145 + 12 + u32(145 + 8); // header, map sizes and picture
    std::size_t end = files + 4;
    for (std::uint32_t f = 0, n = u32(files); f < n; ++f) {
        for (int s = 0; s < 4; ++s) end += 4 + u32(end);
        end += 4;
    }
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i == files) i = end;
        h = (h ^ static_cast<unsigned char>(b[i])) * 0x100000001b3ull;
    }
    return h;
}

} // namespace

// The workspaces of the simulated demo and city surveys are byte for byte what they were when these
// digests were taken; a deliberate change of the format is the only reason to take them again.
TEST(CliAnalyze, WorkspacesOfTheSimulatedSurveysKeepEveryByte) {
    TempDir dir;
    ASSERT_EQ(Analyze(dir, "simulate demo " + dir.File("demo")).status, 0);
    ASSERT_EQ(Analyze(dir, "simulate city " + dir.File("city")).status, 0);
    AnalyzeRun r = Analyze(dir, "analyze " + dir.File("demo/demo1.hsd") + " " + dir.File("demo/demo2.hsd") +
                                    " --map " + dir.File("demo/demo.hpf") + " --workspace " + dir.File("demo.hws"));
    ASSERT_EQ(r.status, 0) << r.err;
    r = Analyze(dir, "analyze " + dir.File("city/city1.hsd") + " " + dir.File("city/city2.hsd") + " --workspace " +
                         dir.File("city.hws"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(WorkspaceDigest(dir.File("demo.hws")), 0xb6fdfc7100d06199ull);
    // Taken again when the frame without a map became equal ground per pixel (only its four numbers
    // changed).
    EXPECT_EQ(WorkspaceDigest(dir.File("city.hws")), 0xf93106c5340cf3bfull);
}
