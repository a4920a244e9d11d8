#include "model/Bytes.h"
#include "model/PlotraDoc.h"
#include "model/Records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

using namespace plotra;

TEST(Colours, HueSequenceStartsAt174AndStepsBy52) {
    CPlotraDoc doc;
    const int expected[] = {174, 226, 26, 78, 130, 182};
    for (int hue : expected) {
        const COLORREF c = doc.NextApColour();
        EXPECT_EQ(doc.Aps().m_nHue, hue);
        EXPECT_EQ(c, HsvToRgb(hue, 224, 176));
    }
}

TEST(Colours, HsvToRgbSectorsAndGrey) {
    EXPECT_EQ(HsvToRgb(100, 0, 77), Rgb(77, 77, 77));
    // Hue 0, full saturation: red at value v, the others at p = (256 - 255) * v / 256 = 0.
    EXPECT_EQ(HsvToRgb(0, 255, 200), Rgb(200, 0, 0));
    // 252 and above wrap to 0.
    EXPECT_EQ(HsvToRgb(252, 255, 200), HsvToRgb(0, 255, 200));
    // Sector 2 (green to cyan): (p, v, t).
    const COLORREF c = HsvToRgb(84, 224, 176);
    EXPECT_EQ(RedOf(c), (256 - 224) * 176 / 256);
    EXPECT_EQ(GreenOf(c), 176);
    // f = 0 in sector 2: t = (256 - 42 * 224 / 42) * 176 / 256
    EXPECT_EQ(BlueOf(c), (256 - 224) * 176 / 256);
    // Hue 174 is sector 4: (t, p, v) with f = 6.
    const COLORREF d = HsvToRgb(174, 224, 176);
    EXPECT_EQ(RedOf(d), ((256 - (42 - 6) * 224 / 42) * 176 / 256) & 0xFF);
    EXPECT_EQ(GreenOf(d), (256 - 224) * 176 / 256);
    EXPECT_EQ(BlueOf(d), 176);
}

TEST(Colours, PaletteRunsFromRedToBlue) {
    CPlotraDoc doc;
    EXPECT_EQ(doc.Display().m_crPalette.front(), Rgb(255, 0, 0));
    EXPECT_EQ(doc.Display().m_crPalette.back(), Rgb(0, 0, 255));
    EXPECT_EQ(doc.Display().m_crPalette[3], 0x228B22u);
}

// The edits set a display mode; the workspace keeps it as four switches, exactly one of them on.
TEST(DisplayModes, EachModeIsOneSwitchAndReadsBack) {
    CPlotraDoc doc;
    for (DisplayMode mode : {DisplayMode::SingleContour, DisplayMode::MultipleContours, DisplayMode::CellRadius,
                             DisplayMode::Coverage}) {
        doc.SetDisplayMode(mode);
        const DisplaySettings& d = doc.Display();
        EXPECT_EQ(d.Mode(), mode);
        EXPECT_EQ(d.m_bCoveragePlotted + d.m_bShowContour + d.m_bMultiContours + d.m_bShowCellRadius, 1);
    }
    doc.SetMultipleContours(true);
    EXPECT_EQ(doc.Display().Mode(), DisplayMode::MultipleContours);
    doc.SetMultipleContours(false);
    EXPECT_EQ(doc.Display().Mode(), DisplayMode::Coverage);
    // No overlay (after a drop), or two at once (a damaged workspace): no mode.
    DisplaySettings s;
    s.m_bCoveragePlotted = 0;
    EXPECT_FALSE(s.Mode());
    s.m_bShowContour = s.m_bShowCellRadius = 1;
    EXPECT_FALSE(s.Mode());
}

TEST(Texts, MacIsUpperCaseHexJoinedByDashes) {
    EXPECT_EQ(MacText({0x00, 0x1a, 0xFF, 0x0b, 0x10, 0xc0}), "00-1A-FF-0B-10-C0");
}

TEST(Texts, SsidEndsAtNulOrAfter32Characters) {
    const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    ASSERT_EQ(full.size(), 32u);
    EXPECT_EQ(SsidText(MakeSsid(full)), full);
    EXPECT_EQ(SsidText(MakeSsid(full + "overflow")), full);
    std::array<char, 32> withNul = MakeSsid("abc");
    withNul[5] = 'x'; // bytes after the first NUL do not count
    EXPECT_EQ(SsidText(withNul), "abc");
    EXPECT_EQ(SsidText(MakeSsid("")), "");
}

// An SSID joined with a file title and cut to its 32-byte field, and SSID bytes decoded for display.
TEST(Texts, Utf8SsidsAreCutAtCharactersAndDecodedByteForByte) {
    const std::string a30(30, 'a'), a31(31, 'a');
    // Valid UTF-8: the cut moves back to the start of the character it would split (2, 3 and 4 bytes).
    EXPECT_EQ(SsidText(MakeSsid(a31 + "\xC3\xA9: walk.hsd")), a31);
    EXPECT_EQ(SsidText(MakeSsid(a30 + "\xE2\x82\xAC")), a30);
    EXPECT_EQ(SsidText(MakeSsid(a30.substr(1) + "\xF0\x9F\x93\xB6")), a30.substr(1));
    EXPECT_EQ(SsidText(MakeSsid(a30 + "\xF0\x9F\x93\xB6")), a30);
    // A character that ends exactly at byte 32 stays, and so does a valid SSID that fits.
    EXPECT_EQ(SsidText(MakeSsid(a30 + "\xC3\xA9: x")), a30 + "\xC3\xA9");
    EXPECT_EQ(SsidText(MakeSsid("Caf\xC3\xA9")), "Caf\xC3\xA9");
    // Not UTF-8 (a Latin-1 SSID joined with a UTF-8 title): cut at 32 bytes, whatever it splits.
    const std::string mixed = a30 + "\xE9\xC3\xA9";
    EXPECT_EQ(SsidText(MakeSsid(mixed)), a30 + "\xE9\xC3");

    // Decoding: well-formed sequences stay, every other byte is one Latin-1 character.
    EXPECT_EQ(DisplayUtf8(SsidText(MakeSsid(mixed))), a30 + "\xC3\xA9\xC3\x83");
    EXPECT_EQ(DisplayUtf8("Caf\xC3\xA9 \xE9t\xE9"), "Caf\xC3\xA9 \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(DisplayUtf8("\xF0\x9F\x93\xB6 \xE2\x82\xAC"), "\xF0\x9F\x93\xB6 \xE2\x82\xAC");
    EXPECT_EQ(DisplayUtf8("\x80"), "\xC2\x80");                         // a lone continuation byte
    EXPECT_EQ(DisplayUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");             // overlong '/'
    EXPECT_EQ(DisplayUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80"); // a surrogate
    EXPECT_EQ(DisplayUtf8("\xF4\x90\x80\x80").size(), 8u);              // above U+10FFFF
    EXPECT_EQ(DisplayUtf8("x\xE2\x82"), "x\xC3\xA2\xC2\x82");           // a sequence cut short
    EXPECT_EQ(DisplayUtf8(std::string("\0ok", 3)), std::string("\0ok", 3));
    EXPECT_EQ(DisplayUtf8(""), "");
}

TEST(Records, PointRecordRoundTripKeepsUninterpretedBytes) {
    std::uint8_t raw[CPointRecord::kSize];
    for (std::size_t i = 0; i < sizeof raw; ++i) raw[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const CPointRecord r = CPointRecord::Parse(raw);
    EXPECT_EQ(r.m_nLatMas, LoadI32(raw));
    EXPECT_EQ(r.m_nAltitudeCm, LoadI32(raw + 19));
    EXPECT_EQ(r.m_wSpeedCms, LoadU16(raw + 23));
    EXPECT_EQ(r.m_byFix, raw[29]);
    EXPECT_EQ(r.m_wReadingCount, LoadU16(raw + 30));
    EXPECT_EQ(r.m_anNoise[13], LoadI16(raw + 58));
    EXPECT_EQ(r.m_byKind, raw[60]);
    std::uint8_t back[CPointRecord::kSize] = {};
    r.Serialize(back);
    EXPECT_EQ(0, std::memcmp(raw, back, sizeof raw));
}

TEST(Records, ReadingRoundTripAndRssiScale) {
    std::uint8_t raw[CHssData::kSize];
    for (std::size_t i = 0; i < sizeof raw; ++i) raw[i] = static_cast<std::uint8_t>(200 - i);
    raw[1] = 0x00;
    raw[2] = 0xBA; // -17920 / 256 = -70 dBm
    const CHssData d = CHssData::Parse(raw);
    EXPECT_EQ(d.m_nRssi256, -17920);
    EXPECT_DOUBLE_EQ(d.RssiDbm(), -70.0);
    std::uint8_t back[CHssData::kSize] = {};
    d.Serialize(back);
    EXPECT_EQ(0, std::memcmp(raw, back, sizeof raw));
}

TEST(ByteReader, RefusesReadsPastTheEnd) {
    const std::uint8_t data[] = {1, 2, 3};
    ByteReader r(data);
    EXPECT_EQ(r.U16(), 0x0201);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.Remaining(), 0u);
}

// The core must build without Qt: no file of a core folder may include a Qt header.
TEST(Layering, CoreFoldersIncludeNoQtHeader) {
    namespace fs = std::filesystem;
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|qt))");
    int scanned = 0;
    for (const char* folder : {"src/model", "src/edits", "src/files", "src/analysis", "src/table", "src/sim",
                               "src/georef", "src/capture"}) {
        const fs::path dir = fs::path(PLOTRA_SOURCE_DIR) / folder;
        if (!fs::exists(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            const auto ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp") continue;
            // Windows of a mixed folder live in its gui/ subfolder, which directory_iterator skips.
            std::ifstream in(entry.path());
            std::string line;
            int lineNo = 0;
            while (std::getline(in, line)) {
                ++lineNo;
                EXPECT_FALSE(std::regex_search(line, qtInclude)) << entry.path() << ":" << lineNo << ": " << line;
            }
            ++scanned;
        }
    }
    EXPECT_GT(scanned, 5);
}

// The folders stand in floors, and no file includes a floor above its own: a window's header reached
// from the core, or the main window from a dialog, would tie the lower floor to the upper one. And
// only the core's edits reach the document's parts writable: a window, the renderer or plotra-cli
// that included the writable access would be a writer outside the edits.
TEST(Layering, NoFolderIncludesOneAboveAndOnlyTheCoreWrites) {
    namespace fs = std::filesystem;
    // The first matching prefix gives a path's floor.
    const std::vector<std::pair<std::string, int>> floors{
        {"app/", 7},          {"cli/", 7},          {"panel/", 6},       {"files/gui/", 6},
        {"georef/gui/", 6},   {"capture/gui/", 6},  {"mapview/gui/", 6}, {"table/gui/", 6},
        {"report/gui/", 6},   {"gui/", 5},          {"mapview/", 4},     {"report/", 4},
        {"table/", 3},        {"sim/", 3},          {"capture/", 3},     {"georef/", 3},
        {"files/", 2},        {"analysis/", 2},     {"edits/", 1},       {"model/", 0}};
    auto floorOf = [&](const std::string& path) {
        for (const auto& [prefix, floor] : floors)
            if (path.rfind(prefix, 0) == 0) return floor;
        return -1;
    };
    const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    const fs::path src = fs::path(PLOTRA_SOURCE_DIR) / "src";
    int scanned = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".inc")) continue;
        const std::string file = fs::relative(entry.path(), src).generic_string();
        const int own = floorOf(file);
        if (own < 0) continue;
        std::ifstream in(entry.path());
        std::string line;
        std::smatch m;
        while (std::getline(in, line)) {
            if (std::regex_search(line, m, include)) {
                EXPECT_LE(floorOf(m[1].str()), own) << file << " includes " << m[1].str();
                if (m[1].str() == "model/EditAccess.h") {
                    EXPECT_TRUE(own <= 2 || file.rfind("table/", 0) == 0) << file << " writes the document";
                }
            }
        }
        ++scanned;
    }
    EXPECT_GT(scanned, 100);
}
