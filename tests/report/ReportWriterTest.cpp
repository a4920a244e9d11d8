#include "report/ReportWriter.h"
#include "files/FileIo.h"
#include "model/EditAccess.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string_view>

using namespace plotra;
using namespace plotra::test;

namespace {

/// Records what the writer asked for and writes tiny placeholder files: the drawings (with the
/// document's combined flag at the time) and the files in the order they were written.
class RecordingSink : public ReportPictureSink {
  public:
    int DrawReportPicture(const CPlotraDoc& doc, GraphKind graph, const ReportPictureSwitches& s) override {
        draws.push_back("draw " + std::string(FactsOf(graph).cliName) + (s.map ? " map" : "") +
                        (s.coverage ? " coverage" : "") + (s.contourLevels ? " levels" : "") +
                        (s.path ? " path" : "") + (s.perAp ? " perAp" : "") +
                        (doc.Display().m_bCombined ? " combined" : ""));
        return static_cast<int>(draws.size()) - 1;
    }
    bool SaveReportPicture(int picture, const std::string& path) override {
        calls.push_back("picture " + std::to_string(picture) + " " +
                        std::filesystem::path(path).filename().string());
        return Touch(path);
    }
    bool SaveColourSwatch(COLORREF c, int w, int h, const std::string& path) override {
        calls.push_back("swatch " + std::to_string(c) + " " + std::to_string(w) + "x" + std::to_string(h) +
                        " " + std::filesystem::path(path).filename().string());
        return Touch(path);
    }
    bool SaveLineSwatch(COLORREF c, int w, int h, const std::string& path) override {
        calls.push_back("line " + std::to_string(c) + " " + std::to_string(w) + "x" + std::to_string(h) +
                        " " + std::filesystem::path(path).filename().string());
        return Touch(path);
    }
    bool SaveLogo(const std::string&, const std::string& path) override { return Touch(path); }
    std::vector<std::string> draws, calls;

  private:
    static bool Touch(const std::string& path) { return static_cast<bool>(std::ofstream(path) << "BM"); }
};

CAPInfo Ap(const std::string& ssid, std::size_t points, double slope, bool selected, std::uint8_t tail) {
    CAPInfo ap;
    ap.m_szSSID = MakeSsid(ssid);
    ap.m_abyMAC = {0xAA, 0xBB, 0xCC, 0x00, 0x01, tail};
    ap.m_aApPoints.resize(points);
    ap.m_dSlope = slope;
    ap.m_bSelected = selected ? 1 : 0;
    ap.m_byChannel = 6;
    ap.m_posAP = CDataGeo(46.94812345, 7.44751234);
    ap.m_crColour = Rgb(10, 20, 30 + tail);
    return ap;
}

struct Project {
    CPlotraDoc doc;
    ProgressRecorder progress;
    Project() {
        doc.SetOutside(nullptr, &progress, nullptr);
        CDataFile a, b;
        a.m_strName = "walk1.hsd", a.m_strPath = "/surveys/walk1.hsd",
        a.m_strCreated = "Mon Oct 26 07:33:20 2026\n";
        a.m_strNotes = "first floor\nnorth wing";
        b.m_strName = "walk2.hsd", b.m_strPath = "/surveys/walk2.hsd", b.m_bUse = 0;
        Edit::Survey(doc).m_aFiles = {a, b};
        Edit::Survey(doc).m_aFileColor = {Rgb(1, 2, 3)};
        Edit::Aps(doc).m_aAPs = {Ap("Lobby", 80, -10.0, true, 1), Ap("Hall", 80, -10.5, true, 2),
                                 Ap("Few", 20, -20, true, 3), Ap("Enough", 21, -20, true, 4),
                                 Ap("Off", 100, -30, false, 5)};
        Edit::Aps(doc).m_aApNotes.resize(doc.Aps().m_aAPs.size());
        Edit::Aps(doc).m_aApNotes[1].m_strTxPower = "20";
        Edit::Aps(doc).m_aApNotes[1].m_strNotes = "ceiling\nmounted";
    }
    ReportOptions Options() const {
        ReportOptions o;
        o.reportTime = "Sun Dec  6 12:00:00 2026\n";
        return o;
    }
};

} // namespace

TEST(ReportWriter, PositionRulesAndLegendSplitAt20Points) {
    Project p;
    TempDir dir;
    RecordingSink sink;
    ASSERT_TRUE(WriteReport(p.doc, dir.File("r.html"), p.Options(), sink));
    const std::string html = Slurp(dir.File("r.html"));
    // 80 points with slope -10.0: "Need More Points"; -10.5: its position.
    const auto lobby = html.find("Lobby");
    ASSERT_NE(lobby, std::string::npos);
    EXPECT_NE(html.find("Need More Points", lobby), std::string::npos);
    EXPECT_NE(html.find("<td class=\"Position\" align =\"Center\">46.94812</td>"), std::string::npos);
    EXPECT_NE(html.find("Not Enough Points"), std::string::npos); // 20 and 21 points, not fixed
    // The 20-point AP is listed under the (N < 20) headers, the 21-point one in the main list.
    const auto few = html.find("MAC of APs (N < 20)");
    ASSERT_NE(few, std::string::npos);
    EXPECT_LT(html.find("AA-BB-CC-00-01-04</td>", html.find("MAC of APs</th>")), few);
    EXPECT_GT(html.find("AA-BB-CC-00-01-03</td>", html.find("MAC of APs</th>")), few);
    // Unticked AP rows come last and without the leading line breaks.
    EXPECT_NE(
        html.find(
            "<tr><td class=\"Index\" align =\"Center\">5</td><td class=\"SSID\" align =\"Center\">Off</td>"),
        std::string::npos);
    // Notes keep their line breaks as <br>.
    EXPECT_NE(html.find("first floor<br>north wing"), std::string::npos);
    EXPECT_NE(html.find("ceiling<br>mounted"), std::string::npos);
    // Without a combined coverage the two contour sections are left out.
    EXPECT_EQ(html.find("Coverage of Signal Strength"), std::string::npos);
    EXPECT_TRUE(html.starts_with(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n <html>\n <head>\n<link href=\"r/report.css\""));
    EXPECT_TRUE(html.ends_with("\n </body>\n </html>\n"));
}

TEST(ReportWriter, PicturesAreDrawnFirstAndNumberedInWritingOrder) {
    Project p;
    Edit::Coverage(p.doc).m_bCoverageReady = 1;
    Edit::Display(p.doc).m_bCombined = 1;
    Edit::Coverage(p.doc).m_dPowerMin = -100, Edit::Coverage(p.doc).m_dPowerMax = -30;
    TempDir dir;
    RecordingSink sink;
    const ReportSnapshot snapshot = TakeReportSnapshot(p.doc, p.Options(), sink);
    // Drawn from the document: the path, every AP's own coverage (not the combined one), the levels.
    EXPECT_EQ(sink.draws, (std::vector<std::string>{"draw power path combined", "draw power coverage perAp combined",
                                                    "draw power levels combined", "draw count levels combined"}));
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(snapshot.options.reportTime, p.Options().reportTime);

    // The page needs nothing more from the document.
    Edit::Aps(p.doc).m_aAPs.clear();
    Edit::Survey(p.doc).m_aFiles.clear();
    ASSERT_EQ(WriteReportPage(snapshot, dir.File("r.html"), sink, p.progress), ReportResult::Written);
    ASSERT_GE(sink.calls.size(), 4u);
    EXPECT_EQ(sink.calls[0], "picture 0 bmp2.bmp");
    EXPECT_EQ(sink.calls[1].substr(0, 5), "line ");
    EXPECT_NE(sink.calls[1].find("bmp3.bmp"), std::string::npos);
    EXPECT_EQ(sink.calls[2], "picture 1 bmp4.bmp");
    const std::string html = Slurp(dir.File("r.html"));
    EXPECT_NE(html.find("Lobby"), std::string::npos);
    EXPECT_NE(html.find("-100/-93"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"legendLabel\"> >= 10 </td>"), std::string::npos);
    EXPECT_EQ(p.progress.texts.front(), "Begin to Write A Report...");
    EXPECT_EQ(p.progress.texts.back(), "Launching Report...");
    EXPECT_EQ(p.doc.Display().m_bCombined, 1);
}

TEST(ReportWriter, CancelStopsBetweenStepsWithoutAPage) {
    Project p;
    TempDir dir;
    RecordingSink sink;
    const ReportSnapshot snapshot = TakeReportSnapshot(p.doc, p.Options(), sink);
    p.progress.requestCancel();
    EXPECT_EQ(WriteReportPage(snapshot, dir.File("r.html"), sink, p.progress), ReportResult::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.html")));
    EXPECT_EQ(p.progress.hides, 1);
    // A page that cannot be written (its folder is a file) is a failure.
    p.progress.clearCancel();
    std::ofstream(dir.File("blocker")) << "x";
    EXPECT_EQ(WriteReportPage(snapshot, dir.File("blocker/r.html"), sink, p.progress), ReportResult::Failed);
}

TEST(ReportWriter, SelectedOnlyAnswersDropTheSelectedColumn) {
    Project p;
    TempDir dir;
    RecordingSink sink;
    auto o = p.Options();
    o.selectedFilesOnly = true;
    o.selectedApsOnly = true;
    ASSERT_TRUE(WriteReport(p.doc, dir.File("r.html"), o, sink));
    const std::string html = Slurp(dir.File("r.html"));
    EXPECT_EQ(html.find("Selected?"), std::string::npos);
    EXPECT_EQ(html.find("walk2.hsd"), std::string::npos);
    EXPECT_EQ(html.find(">Off<"), std::string::npos);
}

TEST(ReportWriter, HostileTextsAppearAsText) {
    Project p;
    Edit::Aps(p.doc).m_aAPs[0].m_szSSID = MakeSsid("<script>x\"&'\xff");
    Edit::Survey(p.doc).m_aFiles[0].m_strNotes = "<b>bold</b>";
    TempDir dir;
    RecordingSink sink;
    ASSERT_TRUE(WriteReport(p.doc, dir.File("r.html"), p.Options(), sink));
    const std::string html = Slurp(dir.File("r.html"));
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_EQ(html.find("<b>bold"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;x&quot;&amp;&#39;\xC3\xBF"),
              std::string::npos);                                                  // 0xFF read as Latin-1
    EXPECT_EQ(HtmlText("caf\xC3\xA9"), "caf\xC3\xA9");                             // valid UTF-8 kept
    EXPECT_EQ(HtmlText("caf\xC3\xA9 \xE9t\xE9"), "caf\xC3\xA9 \xC3\xA9t\xC3\xA9"); // byte by byte
}

// Every link of the page, read as a browser reads a relative URL (percent escapes decoded, a bare
// '#', '?', '%' or space not part of a path), names a file that exists beside the page.
TEST(ReportWriter, LinksReachTheirFilesWhateverTheReportIsNamed) {
    Project p;
    Edit::Coverage(p.doc).m_bCoverageReady = 1;
    Edit::Display(p.doc).m_bCombined = 1;
    TempDir dir;
    std::ofstream(dir.File("report.css")) << "body {}";
    std::ofstream(dir.File("projector.bmp")) << "BM";
    auto o = p.Options();
    o.resourceDir = dir.Path();
    RecordingSink sink;
    const std::string page = dir.File("survey #3 100%.html");
    ASSERT_TRUE(WriteReport(p.doc, page, o, sink));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("survey #3 100%")));
    const std::string html = Slurp(page);

    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    auto urlPath = [&](const std::string& attribute) -> std::optional<std::string> {
        std::string text = attribute; // attribute text: undo the HTML escapes first
        for (const auto& [entity, c] :
             {std::pair{"&quot;", "\""}, {"&#39;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
            for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
                text.replace(at, std::string(entity).size(), c);
        std::string path;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '%') {
                if (i + 2 >= text.size() || !hex(text[i + 1]) || !hex(text[i + 2])) return std::nullopt;
                path += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else if (std::isalnum(static_cast<unsigned char>(c)) ||
                       std::string_view("-._~/").find(c) != std::string_view::npos) {
                path += c;
            } else {
                return std::nullopt;
            }
        }
        return path;
    };
    const std::regex link(R"re((href|src)="([^"]*)")re");
    int links = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator();
         ++it, ++links) {
        const std::string attribute = (*it)[2];
        const auto path = urlPath(attribute);
        ASSERT_TRUE(path) << attribute;
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(dir.Path()) / *path)) << attribute;
    }
    EXPECT_GE(links, 2 + 2 + 2 * 10); // style sheet, logo, two contour pictures and their colour rows
    EXPECT_NE(html.find("href=\"survey%20%233%20100%25/report.css\""), std::string::npos);
}

// The whole page of a small project against a reviewed golden file (clock injected). Set
// PLOTRA_UPDATE_GOLDEN=1 to rewrite the golden after a deliberate change.
TEST(ReportWriter, SmallProjectMatchesTheGolden) {
    Project p;
    Edit::Map(p.doc).m_bMetricXY = 1;
    Edit::Display(p.doc).m_dUnitFactor = 1.0;
    Edit::Map(p.doc).m_strProjectionPath = "/maps/campus.hpf";
    Edit::Aps(p.doc).m_aAPs[1].m_posAP = CDataGeo(120.5, 340.25);
    TempDir dir;
    RecordingSink sink;
    ASSERT_TRUE(WriteReport(p.doc, dir.File("small.html"), p.Options(), sink));
    const std::string html = Slurp(dir.File("small.html"));
    const std::string golden = std::string(PLOTRA_SOURCE_DIR) + "/tests/report/golden/small_report.html";
    if (std::getenv("PLOTRA_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << html;
    EXPECT_EQ(html, Slurp(golden));
}
