// The client report PDF: what a reader finds in it (through poppler's pdftotext, pdfinfo and
// pdffonts), how its text is kept whole, and that a failed write leaves nothing behind.
#include "report/ClientReport.h"

#include "analysis/Coverage.h"
#include "analysis/Requirement.h"
#include "files/FileIo.h"
#include "files/NewProject.h"
#include "files/Workspace.h"
#include "model/EditAccess.h"
#include "model/Palette.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <span>
#include <sstream>

using namespace plotra;
using namespace plotra::test;

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

bool HavePoppler() {
    return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1 && "
                       "command -v pdffonts >/dev/null 2>&1") == 0;
}

#define REQUIRE_POPPLER()                                                                                    \
    do {                                                                                                     \
        if (!HavePoppler())                                                                                  \
            GTEST_SKIP() << "pdftotext/pdfinfo/pdffonts not installed (apt-get install poppler-utils)";      \
    } while (false)

int Pages(const std::string& pdf) {
    std::smatch m;
    const std::string info = Shell("pdfinfo '" + pdf + "'");
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

ClientReportOptions Options() {
    ClientReportOptions o;
    o.customer = "Acme Hotels Ltd";
    o.surveyor = "J. Surveyor";
    o.clock = [] { return static_cast<std::time_t>(1796112000); }; // 2026-12-01 08:00 UTC
    return o;
}

} // namespace

TEST(ClientReport, DemoProjectPdfStatesTheFiguresTheApSectionsAndEmbedsItsFonts) {
    REQUIRE_POPPLER();
    CPlotraDoc doc;
    ASSERT_TRUE(LoadDemoProject(doc, true));
    std::vector<int> ticked;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (doc.Aps().m_aAPs[i].m_bSelected) ticked.push_back(static_cast<int>(i));
    ASSERT_GE(ticked.size(), 3u);
    CApFile notes;
    notes.m_strNotes = "Mounted above the reception desk";
    notes.m_strTxPower = "17";
    doc.SetApNotes(ticked[1], notes);

    TempDir dir;
    const std::string pdf = dir.File("client.pdf");
    ClientReportOptions o = Options();
    o.signalDbm = -80, o.snrDb = 15, o.targetShare = 0.5;
    std::string error;
    ASSERT_TRUE(WriteClientReport(doc, pdf, o, &error)) << error;
    const std::string text = Shell("pdftotext -layout '" + pdf + "' -");

    // Cover: title, site, customer, surveyor and the clock's date.
    for (const char* s : {"Wi-Fi Site Survey", "Acme Hotels Ltd", "J. Surveyor", "01 December 2026", "demo1"})
        EXPECT_NE(text.find(s), std::string::npos) << s;
    // Summary: each share as the core computes it, with its verdict.
    const RequirementSummary s = SummariseRequirement(doc, -80, 15, 0.5);
    ASSERT_TRUE(s.coverageReady);
    const auto verdict = [](const RequirementFigure& f) { return f.pass ? "PASS" : "FAIL"; };
    for (const auto& [label, f] : {std::pair{"Signal >= -80 dBm", s.signal}, std::pair{"SNR >= 15 dB", s.snr},
                                   std::pair{"Signal and SNR", s.both}}) {
        const std::regex row(std::string(label) + "\\s+" +
                             std::regex_replace(ShareText(f.share), std::regex("\\."), "\\.") +
                             "\\s+50\\.0 %\\s+" + verdict(f));
        EXPECT_TRUE(std::regex_search(text, row)) << label << " " << ShareText(f.share);
    }
    EXPECT_EQ(text.find("Coverage has not been calculated."), std::string::npos);
    // One section per ticked AP with its MAC, and the notes typed for one of them.
    for (std::size_t k = 0; k < ticked.size(); ++k) {
        const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(ticked[k])];
        EXPECT_TRUE(std::regex_search(
            text, std::regex("Access point " + std::to_string(k + 1) + ":\\s+" + ap.SsidText())))
            << k << " " << ap.SsidText();
        EXPECT_NE(text.find(ap.MacText()), std::string::npos) << ap.MacText();
    }
    EXPECT_NE(text.find("Mounted above the reception desk"), std::string::npos);
    EXPECT_NE(text.find("Channels"), std::string::npos);
    EXPECT_NE(text.find("How the figures were made"), std::string::npos);
    // Cover, summary, two coverage pages, the channel tables (the overlap table goes on over as many
    // pages as it needs, each starting with its headings), one page per AP, methods.
    const int pages = Pages(pdf);
    int channelPages = 0;
    for (int page = 1; page <= pages; ++page) {
        const std::string top = Shell("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                      " '" + pdf + "' - | head -1");
        channelPages += top.rfind("Channel", 0) == 0;
    }
    EXPECT_GE(channelPages, 1);
    EXPECT_EQ(pages, static_cast<int>(5 + channelPages + ticked.size()));
    // Every font is embedded.
    const std::string fonts = Shell("pdffonts '" + pdf + "'");
    std::size_t fontRows = 0;
    std::istringstream lines(fonts);
    std::string line;
    for (int n = 0; std::getline(lines, line); ++n) {
        if (n < 2 || line.empty()) continue;
        ++fontRows;
        EXPECT_TRUE(
            std::regex_search(line, std::regex("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$")))
            << line;
    }
    EXPECT_GE(fontRows, 1u);
    // Pictures are embedded losslessly (Flate), never as JPEG.
    const std::string images = Shell("command -v pdfimages >/dev/null && pdfimages -list '" + pdf + "'");
    EXPECT_EQ(images.find("jpeg"), std::string::npos);

    // Letter paper and another palette change the page, not the content.
    o.paper = PaperSize::Letter;
    o.palette = PaletteKind::Cividis;
    ASSERT_TRUE(WriteClientReport(doc, pdf, o, &error)) << error;
    EXPECT_NE(Shell("pdfinfo '" + pdf + "'").find("612 x 792 pts (letter)"), std::string::npos);
}

TEST(ClientReport, WithoutCoverageTheSummarySaysSoAndShowsNoFigure) {
    REQUIRE_POPPLER();
    CPlotraDoc doc;
    ASSERT_TRUE(LoadDemoProject(doc, false));
    TempDir dir;
    const std::string pdf = dir.File("nocoverage.pdf");
    std::string error;
    ASSERT_TRUE(WriteClientReport(doc, pdf, Options(), &error)) << error;
    const std::string text = Shell("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("Coverage has not been calculated."), std::string::npos);
    EXPECT_EQ(text.find("Where the requirement is met"), std::string::npos);
    EXPECT_EQ(text.find("Strongest signal"), std::string::npos);
    EXPECT_EQ(text.find("PASS"), std::string::npos);
    EXPECT_EQ(text.find("FAIL"), std::string::npos);
}

TEST(ClientReport, LongTablesRepeatTheirHeadingsAndKeepSsidsAndMacsWhole) {
    REQUIRE_POPPLER();
    // Forty APs on one channel with overlapping areas: the overlap table runs over many pages.
    CPlotraDoc doc;
    CDataFile file;
    file.m_strName = "walk.hsd";
    Edit::Survey(doc).m_aFiles = {file};
    for (int i = 0; i < 40; ++i) {
        CAPInfo ap;
        const std::string ssid = i == 0 ? "Plotra Guest Network Thirty-Two" : "Net-" + std::to_string(i);
        ap.m_szSSID = MakeSsid(ssid);
        ap.m_abyMAC = {0x02, 0xAB, 0xCD, 0xEF, 0x00, static_cast<std::uint8_t>(i)};
        ap.m_aApPoints.resize(30);
        ap.m_bSelected = 1;
        ap.m_byChannel = 6;
        ap.m_areaOrigin = CDataGeo(0.0 + i, 0.0);
        ap.m_areaSize = CDataGeo(100.0, 100.0);
        Edit::Aps(doc).m_aAPs.push_back(std::move(ap));
    }
    TempDir dir;
    const std::string pdf = dir.File("long.pdf");
    std::string error;
    ASSERT_TRUE(WriteClientReport(doc, pdf, Options(), &error)) << error;
    const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
    const std::regex heading("Channel\\s+Access point\\s+Access point\\s+Overlap");
    const auto headings =
        std::distance(std::sregex_iterator(text.begin(), text.end(), heading), std::sregex_iterator());
    EXPECT_GE(headings, 3);
    // 780 pairs, 300 listed.
    EXPECT_NE(text.find("... and 480 more pairs."), std::string::npos);
    // The MACs and the long SSID's words are never cut.
    EXPECT_GE(Occurrences(text, "02-AB-CD-EF-00-00"), 2u);
    EXPECT_NE(text.find("Access point 1: Plotra Guest Network Thirty-Two"), std::string::npos);
    for (const char* part : {"02-AB-CD-\n", "02-AB-\n", "Thir\n"})
        EXPECT_EQ(text.find(part), std::string::npos) << part;
}

TEST(ClientReport, BreaksLinesOnlyBetweenGroups) {
    const auto chars = [](std::string_view s) { return static_cast<double>(s.size()); };
    EXPECT_EQ(BreakAtGroups("Guest Network Lobby", chars, 14),
              (std::vector<std::string>{"Guest Network", "Lobby"}));
    // A MAC address too wide for the line breaks after its separators only.
    EXPECT_EQ(BreakAtGroups("02-1A-67-10-00-03", chars, 7),
              (std::vector<std::string>{"02-1A-", "67-10-", "00-03"}));
    EXPECT_EQ(BreakAtGroups("AA:BB:CC:DD:EE:FF", chars, 100),
              (std::vector<std::string>{"AA:BB:CC:DD:EE:FF"}));
    // A group wider than the line stands alone, uncut; a MAC that fits is not split.
    EXPECT_EQ(BreakAtGroups("a Supercalifragilistic b", chars, 5),
              (std::vector<std::string>{"a", "Supercalifragilistic", "b"}));
    EXPECT_EQ(BreakAtGroups("Lab-Net, 02-1A-67-10-00-03", chars, 18),
              (std::vector<std::string>{"Lab-Net,", "02-1A-67-10-00-03"}));
    EXPECT_EQ(BreakAtGroups("", chars, 5), (std::vector<std::string>{""}));
}

TEST(ClientReport, FailedWritesLeaveNothingAndKeepAnOlderFile) {
    CPlotraDoc doc;
    TempDir dir;
    std::string error;
    const std::string missing = dir.File("no/such/folder/r.pdf");
    EXPECT_FALSE(WriteClientReport(doc, missing, Options(), &error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));

    // A disk that fills part way: the older report stays as it was and no temporary file is left.
    const std::string pdf = dir.File("r.pdf");
    WriteFileAtomically(pdf, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("old"), 3));
    SetWriteFailureAfterBytesForTesting(2000);
    EXPECT_FALSE(WriteClientReport(doc, pdf, Options(), &error));
    SetWriteFailureAfterBytesForTesting(-1);
    EXPECT_EQ(Slurp(pdf), "old");
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        entries += (void(e), 1);
    EXPECT_EQ(entries, 1u);

    // An empty project still makes a readable report.
    ASSERT_TRUE(WriteClientReport(doc, pdf, Options(), &error)) << error;
    EXPECT_EQ(Slurp(pdf).substr(0, 5), "%PDF-");
}

TEST(Palette, ClassicBandsAndPublishedScaleAnchors) {
    // Classic: the ten contour colours as bands, weakest first, the top band including 1.
    EXPECT_EQ(PaletteColour(PaletteKind::Classic, 0.0), 0x0000FFu);
    EXPECT_EQ(PaletteColour(PaletteKind::Classic, 0.15), 0x6A5ACDu);
    EXPECT_EQ(PaletteColour(PaletteKind::Classic, 1.0), 0xFF0000u);
    EXPECT_EQ(PaletteColour(PaletteKind::Classic, 7.0), 0xFF0000u);
    EXPECT_EQ(PaletteColour(PaletteKind::Classic, std::nan("")), 0x0000FFu);
    // Anchors exactly, and the midpoint between two anchors.
    EXPECT_EQ(PaletteColour(PaletteKind::Viridis, 0.0), Rgb(68, 1, 84));
    EXPECT_EQ(PaletteColour(PaletteKind::Viridis, 1.0), Rgb(253, 231, 36));
    EXPECT_EQ(PaletteColour(PaletteKind::Viridis, 0.4), Rgb(41, 120, 142));
    EXPECT_EQ(PaletteColour(PaletteKind::Viridis, 0.1), Rgb(66, 34, 110));
    EXPECT_EQ(PaletteColour(PaletteKind::Cividis, 0.0), Rgb(0, 34, 78));
    EXPECT_EQ(PaletteColour(PaletteKind::Cividis, 1.0), Rgb(254, 232, 56));
    EXPECT_EQ(PaletteColour(PaletteKind::Cividis, -3.0), Rgb(0, 34, 78));
    // Viridis and cividis grow lighter from weak to strong (they read in grey print).
    for (PaletteKind k : {PaletteKind::Viridis, PaletteKind::Cividis}) {
        double last = -1;
        for (int i = 0; i <= 100; ++i) {
            const COLORREF c = PaletteColour(k, i / 100.0);
            const double luma = 0.299 * RedOf(c) + 0.587 * GreenOf(c) + 0.114 * BlueOf(c);
            EXPECT_GE(luma, last - 0.5) << PaletteName(k) << " " << i;
            last = luma;
        }
        EXPECT_EQ(ParsePalette(PaletteName(k)), k);
    }
    EXPECT_EQ(ParsePalette("classic"), PaletteKind::Classic);
    EXPECT_FALSE(ParsePalette("jet"));
}

// A cancel between the steps (as the window's progress dialog asks) leaves nothing on disk and
// whatever file was there before as it was.
TEST(ClientReport, ACancelledReportLeavesTheTargetAsItWas) {
    CPlotraDoc doc;
    ASSERT_TRUE(LoadDemoProject(doc, true));
    TempDir dir;
    const std::string pdf = dir.File("client.pdf");
    std::ofstream(pdf) << "the previous report";
    Progress cancelled;
    cancelled.requestCancel();
    std::string why;
    EXPECT_FALSE(WriteClientReport(doc, pdf, ClientReportOptions{}, &why, &cancelled));
    EXPECT_EQ(why, kClientReportCancelled);
    EXPECT_EQ(Slurp(pdf), "the previous report");
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) entries += (void(e), 1);
    EXPECT_EQ(entries, 1u);

    // The copy a job writes from gives the same report as the live project.
    const std::unique_ptr<CPlotraDoc> copy = CopyProjectForJob(doc);
    ClientReportOptions fixed;
    fixed.clock = [] { return std::time_t(1796000000); };
    ASSERT_TRUE(WriteClientReport(doc, dir.File("live.pdf"), fixed, &why)) << why;
    ASSERT_TRUE(WriteClientReport(*copy, dir.File("copy.pdf"), fixed, &why)) << why;
    // The same project, byte for byte as saved, but for the window's map toggle: a copy has no window.
    const std::vector<std::uint8_t> a = copy->EncodeWorkspace(), b = doc.EncodeWorkspace();
    ASSERT_EQ(a.size(), b.size());
    std::vector<std::size_t> differ;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) differ.push_back(i);
    EXPECT_LE(differ.size(), 1u) << differ.front();
    EXPECT_EQ(std::filesystem::file_size(dir.File("live.pdf")), std::filesystem::file_size(dir.File("copy.pdf")));
}
