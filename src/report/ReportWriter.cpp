#include "report/ReportWriter.h"
#include "model/TextFormat.h"

#include "files/FileIo.h"
#include "files/SurveyFile.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <span>
#include <utility>

namespace plotra {

namespace fs = std::filesystem;

std::string ReportFolderOf(const std::string& htmlPath) {
    const std::string ext = ".html";
    if (htmlPath.size() > ext.size() && htmlPath.compare(htmlPath.size() - ext.size(), ext.size(), ext) == 0)
        return htmlPath.substr(0, htmlPath.size() - ext.size());
    return htmlPath + "_files";
}

namespace {

/// A file name as one segment of a relative URL: unreserved characters stay, every other byte
/// (of the UTF-8 name) becomes %XX, so that a space, '#', '%' or '?' in the name still reaches the file.
std::string UrlSegment(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string Fmt(const char* fmt, const std::string& s) {
    std::string out;
    const std::string f(fmt);
    const auto pos = f.find("%s");
    return pos == std::string::npos ? f : f.substr(0, pos) + s + f.substr(pos + 2);
}

/// Notes with every line break as "<br>", escaped first so the breaks stay markup.
std::string NotesHtml(const std::string& notes) {
    std::string escaped = HtmlText(notes), out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\r') {
            if (i + 1 < escaped.size() && escaped[i + 1] == '\n') ++i;
            out += "<br>";
        } else if (escaped[i] == '\n') {
            out += "<br>";
        } else {
            out += escaped[i];
        }
    }
    return out;
}

std::string NowCtime() {
    const std::time_t now = std::time(nullptr);
    return SurveyTimeText(static_cast<std::int64_t>(now));
}

} // namespace

std::string HtmlText(const std::string& bytes) {
    const std::string utf8 = DisplayUtf8(bytes);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\0':
            break;
        default:
            out += c;
        }
    }
    return out;
}

// ---- first stage: the snapshot ----------------------------------------------------------------------

ReportSnapshot TakeReportSnapshot(const CPlotraDoc& doc, const ReportOptions& options,
                                  ReportPictureSink& pictures) {
    ReportSnapshot s;
    s.options = options;
    if (s.options.reportTime.empty()) s.options.reportTime = NowCtime();
    s.metricXY = doc.Map().m_bMetricXY != 0;
    s.mapLoaded = doc.Map().m_bMapLoaded != 0;
    s.coverageReady = doc.Coverage().m_bCoverageReady != 0;
    s.unitFactor = doc.Display().m_dUnitFactor;
    s.projectionPath = doc.Map().m_strProjectionPath;
    for (const CDataFile& f : doc.Survey().m_aFiles)
        s.files.push_back({f.m_strName, f.m_strPath, f.m_strCreated, f.m_strNotes, f.m_bUse != 0});
    s.fileColours = doc.Survey().m_aFileColor;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
        const CAPInfo& ap = doc.Aps().m_aAPs[i];
        ReportAp r;
        r.ssid = ap.SsidText();
        r.mac = ap.MacText();
        r.channel = ap.m_byChannel;
        r.ticked = ap.m_bSelected != 0;
        r.fixed = ap.m_bFixed != 0;
        r.points = ap.m_aApPoints.size();
        r.slope = ap.m_dSlope;
        r.position = ap.m_posAP;
        r.colour = ap.m_crColour;
        if (i < doc.Aps().m_aApNotes.size()) r.notes = doc.Aps().m_aApNotes[i];
        s.aps.push_back(std::move(r));
    }
    s.colourMode = doc.Display().m_nColourMode;
    s.singleColour = doc.Display().m_crSingleColour;
    for (const CGroupInfo& g : doc.Aps().m_groups.m_aGroups)
        s.groups.push_back({g.m_strName, g.m_crColour});
    s.powerMin = doc.Coverage().m_dPowerMin;
    s.powerMax = doc.Coverage().m_dPowerMax;
    for (const COLORREF c : doc.Display().m_crPalette)
        s.levelColours.push_back(InPalette(options.palette, c));

    // The big pictures, in the order the page shows them.
    ReportPictureSwitches sw;
    sw.map = s.mapLoaded;
    sw.palette = options.palette;
    if (options.walkPath) {
        ReportPictureSwitches path = sw;
        path.path = true;
        s.walkPathPicture = pictures.DrawReportPicture(doc, GraphKind::SignalPower, path);
    }
    if (options.apCoverage) {
        ReportPictureSwitches coverage = sw;
        coverage.coverage = true;
        coverage.perAp = true;
        s.coveragePicture = pictures.DrawReportPicture(doc, GraphKind::SignalPower, coverage);
    }
    ReportPictureSwitches levels = sw;
    levels.contourLevels = true;
    if (options.signalContours && s.coverageReady)
        s.signalPicture = pictures.DrawReportPicture(doc, GraphKind::SignalPower, levels);
    if (options.countContours && s.coverageReady)
        s.countPicture = pictures.DrawReportPicture(doc, GraphKind::ApCount, levels);
    return s;
}

// ---- second stage: the page -------------------------------------------------------------------------

namespace {

/// The page, written section by section in the order the reader sees them. Every fragment is one
/// text line of the page; the picture files are numbered in the order they are written.
class ReportPage {
  public:
    ReportPage(const ReportSnapshot& s, const std::string& folder, ReportPictureSink& pictures,
               Progress& progress)
        : s(s), m_folder(folder), m_folderName(HtmlText(UrlSegment(fs::path(folder).filename().string()))),
          m_pictures(pictures), m_progress(progress) {}

    const std::string& Text() const { return m_text; }

    void Head() {
        w("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        w("\n <html>");
        w("\n <head>");
        w(Fmt("\n<link href=\"%s/report.css\" rel=\"stylesheet\"/>", m_folderName));
        w("\n<title>Survey Report with Norlit Hovrin Software</title>");
        w("\n </head>");
        w("\n <body>");
        w("\n <center><h2>Survey Report with Norlit Hovrin Software</h2></center>");
        w(Fmt("\n <img height=100 width= 100 src=\"%s/hpf_logo.bmp\"  align=\"right\">", m_folderName));
        w("\n <p/>");
        w("\n <p/>");
    }

    void Date() {
        w("\n <tr>");
        w("\n <td>");
        w(Fmt("\n Report date: %s", HtmlText(s.options.reportTime)));
        w("\n </td>");
        w("\n </tr>");
        w("\n <p/>");
        w("\n <p/>");
        if (s.metricXY) {
            w("\n <tr>");
            w("\n <td>");
            w(Fmt("\n Map/Projection File: %s", HtmlText(s.projectionPath)));
            w("\n </td>");
            w("\n </tr>");
        }
        m_progress.setPosition(5);
    }

    /// The survey files: ticked first, then (when all are listed) the unticked ones.
    void Files() {
        const bool all = !s.options.selectedFilesOnly;
        m_progress.setText("Write Down Surveys's Info...");
        w("\n <h3> Survey's Infomation</h3>");
        w("\n <table border=\"1\">");
        w("\n <tr>");
        w("\n <th align =\"Center\">Index</th>");
        w("\n <th align =\"Center\">File Directory & Name</th>");
        if (all) w("\n <th align =\"Center\">Selected?</th>");
        w("\n <th align =\"Center\">Created Time</th>");
        w("\n <th align =\"Center\">File Notes</th>");
        w("\n </tr>");
        int index = 1;
        for (int pass = 0; pass < (all ? 2 : 1); ++pass) {
            const bool ticked = pass == 0;
            for (const ReportFile& f : s.files) {
                if (f.ticked != ticked) continue;
                w("\n <tr>");
                w(FormatText<512>("\n <td class=\"Index\" align =\"Center\">%lld</td>", index++));
                w(Fmt("\n <td class=\"Path\\Name\" align =\"Center\"> %s</td>", HtmlText(f.path)));
                if (all)
                    w(ticked ? "\n <td class = \"Selected?\" align =\"Center\"> Yes </td>"
                             : "\n <td class = \"Selected?\" align =\"Center\"> No </td>");
                w(Fmt(ticked ? "\n <td class=\"Survey Time\" align =\"Center\"> %s</td>"
                             : "\n <td class=\"Survey Time\" align =\"Center\">%s</td>",
                      HtmlText(f.created)));
                w(Fmt("\n <td class= \"Center\" align =\"Center\">%s</td>", NotesHtml(f.notes)));
                w("\n </tr>");
            }
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    /// The access points with their positions: ticked first, then (when all are listed) the others.
    void AccessPoints() {
        const bool all = !s.options.selectedApsOnly;
        m_progress.setText("Write Down AP's Info...");
        w("\n <h3>Access Points Information</h3>");
        w("\n <table border=\"1\">");
        w("\n <tr>");
        std::vector<std::string> headers = {"Index", "SSID", "MAC", "Channel"};
        if (all) headers.push_back("Selected?");
        if (s.metricXY && s.unitFactor > 0.5)
            headers.insert(headers.end(), {"Y Axis(m)", "X Axis(m)"});
        else if (s.metricXY)
            headers.insert(headers.end(), {"Y Axis(Ft)", "X Axis(Ft)"});
        else
            headers.insert(headers.end(), {"Latitude", "Longitude"});
        headers.push_back("# Points");
        for (const auto& h : headers)
            w(Fmt("\n <th align =\"Center\">%s</th>", h));
        w("\n </tr>");
        int index = 1;
        for (int pass = 0; pass < (all ? 2 : 1); ++pass) {
            const bool ticked = pass == 0;
            // Rows of unticked APs are written without the leading line breaks.
            const std::string nl = ticked ? "\n " : "";
            for (const ReportAp& ap : s.aps) {
                if (ap.ticked != ticked) continue;
                w(nl + "<tr>");
                w(nl + FormatText<512>("<td class=\"Index\" align =\"Center\">%lld</td>", index++));
                w(nl + Fmt("<td class=\"SSID\" align =\"Center\">%s</td>", HtmlText(ap.ssid)));
                w(nl + Fmt("<td class=\"MAC\" align =\"Center\">%s</td>", ap.mac));
                w(nl + FormatText<512>("<td class=\"Channel\" align =\"Center\">%lld</td>", ap.channel));
                if (all)
                    w(nl + (ticked ? "<td class = \"Selected?\" align =\"Center\"> Yes </td>"
                                   : "<td class = \"Selected?\" align =\"Center\"> No </td>"));
                const auto [py, px] = PositionCells(ap);
                w(nl + Fmt("<td class=\"Position\" align =\"Center\">%s</td>", py));
                w(nl + Fmt("<td class=\"Position\" align =\"Center\">%s</td>", px));
                w(nl + FormatText<512>("<td class=\"N Points\" align =\"Center\"> %lld</th>",
                                       static_cast<long long>(ap.points)));
                w(nl + "</tr>");
            }
        }
        w("\n </table>");
        w("\n <p/>");
    }

    /// The antenna information and notes typed for the ticked APs.
    void AntennaNotes() {
        const bool metres = s.unitFactor > 0.5;
        w("\n <h3>AP Antenna Information and Notes</h3>");
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const char* h : {"AP's SSID", "AP's MAC", "Trans. Power(dBm)", "Antenna Gain",
                              metres ? "Height(m)" : "Height(Ft)", "Direction(Deg)", "Notes"})
            w(Fmt("\n <th align =\"Center\">%s</th>", h));
        w("\n </tr>");
        for (const ReportAp& ap : s.aps) {
            if (!ap.ticked) continue;
            w("\n <tr>");
            w(Fmt("\n <td align =\"Center\">%s</td>", HtmlText(ap.ssid)));
            w(Fmt("\n <td align =\"Center\">%s</td>", ap.mac));
            w(Fmt("\n <td class=\"Trans. Power(dBm)\" align =\"Center\">%s</td>",
                  HtmlText(ap.notes.m_strTxPower)));
            w(Fmt("\n <td class=\"Antenna Type\" align =\"Center\">%s</td>",
                  HtmlText(ap.notes.m_strAntennaGain)));
            w(Fmt("\n <td class=\"Height\" align =\"Center\">%s</td>", HtmlText(ap.notes.m_strHeight)));
            w(Fmt("\n <td class=\"Direction(Deg)\" align =\"Center\">%s</td>",
                  HtmlText(ap.notes.m_strDirection)));
            w(Fmt("\n <td class=\"Notes for AP\" align =\"Center\">%s</td>", NotesHtml(ap.notes.m_strNotes)));
            w("\n </tr>");
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    /// The walk path with the AP markers, and a legend of the files' path colours.
    void WalkPath() {
        m_progress.setText("Draw Measurement Path and Selected APs...");
        PictureTable("\n <h3>Walk/Drive Path and Access Point Location</h3>", SavePicture(s.walkPathPicture),
                     nullptr);
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const ReportFile& f : s.files)
            if (f.ticked) w(Fmt("\n <td class=\"legendText\" align =\"Center\">%s</td>", HtmlText(f.name)));
        w("\n </tr>");
        w("\n <tr>");
        const int width =
            std::min(60, static_cast<int>(800.0 / (static_cast<double>(s.fileColours.size()) + 2.0)));
        for (COLORREF c : s.fileColours) {
            std::string line;
            m_pictures.SaveLineSwatch(c, width, 18, NextPicture(line));
            w("\n <td class=\"legendLine\">");
            w(Fmt("\n <img height=\"18\" src=\"%s\" width=\"", line) + std::to_string(width) + "\"/>");
            w("\n </td>");
        }
        w("\n </tr>");
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    /// The coverage of every ticked AP on its own, with a legend by the colour mode.
    void ApCoverage() {
        m_progress.setText("Draw Coverage of Selected APs...");
        PictureTable("\n <h3>Coverage of Access Points </h3>", SavePicture(s.coveragePicture), nullptr);
        w("\n <table border=\"1\">");
        if (s.colourMode == 2) {
            w("\n <tr>");
            SwatchCell(s.singleColour);
            w("\n <td class=\"legendText\" align =\"Center\">    Combined Mode: For all selected APs</td>");
            w("\n </tr>");
        } else if (s.colourMode == 1) {
            w("\n <tr>");
            w("\n <th class=\"legendColor\"> Color </td>");
            w("\n <th class=\"legendText\" align =\"Center\">    Groups of APs</td>");
            w("\n </tr>");
            for (const ReportGroup& g : s.groups) {
                w("\n <tr>");
                SwatchCell(g.colour);
                w(Fmt("\n <td class=\"legendText\" align =\"Center\">  %s</td>", HtmlText(g.name)));
                w("\n </tr>");
            }
        } else {
            w("\n <tr>");
            w("\n <th class=\"legendColor\"> Color </th>");
            w("\n <th class=\"legendMAC\" align =\"Center\">    MAC of APs</th>");
            w("\n <th class=\"legendSSID\" align =\"Center\">    SSID of APs</th>");
            w("\n </tr>");
            // APs with too few points for a coverage picture are listed apart.
            const auto few = [](const ReportAp& ap) { return ap.points <= kMinCoveragePoints; };
            bool anyFew = false;
            for (const ReportAp& ap : s.aps) {
                if (!ap.ticked) continue;
                if (few(ap))
                    anyFew = true;
                else
                    ApLegendRow(ap);
            }
            if (anyFew) {
                w("\n <tr>");
                w("\n <th class=\"legendColor\"> Color </th>");
                w("\n <th class=\"legendMAC\" align =\"Center\"> MAC of APs (N < 20) </th>");
                w("\n <th class=\"legendSSID\" align =\"Center\"> SSID of APs (N < 20) </th>");
                w("\n </tr>");
                for (const ReportAp& ap : s.aps)
                    if (ap.ticked && few(ap)) ApLegendRow(ap);
            }
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    /// The strongest signal's contour levels, with a legend of ten dBm ranges.
    void SignalStrength() {
        const int lo = static_cast<int>(s.powerMin);
        const int step = static_cast<int>((s.powerMax - lo) / 10.0);
        std::vector<std::string> labels;
        for (int k = 0; k < 10; ++k) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "\n <td class=\"legendText\" align =\"Center\">%d/%d</td>",
                          lo + k * step, lo + (k + 1) * step);
            labels.push_back(buf);
        }
        ContourSection("Draw the Coverage of Signal Strength of Selected APS...", s.signalPicture,
                       "\n <h3>Coverage of Signal Strength</h3>",
                       "\n <td> The strongest RSSI (dBm) is shown at a location. </td>", labels);
    }

    /// The number of APs heard at each place, with a legend of 1 to 9 and "10 or more".
    void NumberOfAps() {
        std::vector<std::string> labels;
        for (int k = 1; k <= 9; ++k)
            labels.push_back(FormatText<512>("\n <td class=\"legendLabel\" align =\"Center\">%lld</td>", k));
        labels.push_back("\n <td class=\"legendLabel\"> >= 10 </td>");
        ContourSection(
            "Draw the Number of APS per Location...", s.countPicture, "\n <h3>Overlap of Selected APs</h3>",
            "\n <td> Number of the selected available access points is shown at a location, where the AP's "
            "signal strength is larger than -100 dBm. </td>",
            labels);
    }

    void End() {
        m_progress.setText("Finished...");
        w("\n </body>");
        w("\n </html>\n");
    }

  private:
    void w(const std::string& fragment) { m_text += fragment; }

    /// The two position cells of an AP: its position once it is located (or placed by the user),
    /// otherwise why it is not.
    std::pair<std::string, std::string> PositionCells(const ReportAp& ap) const {
        if (!ap.fixed && ap.points < kMinLocatedPoints) return {"Not Enough Points", "Not Enough Points"};
        if (!ap.fixed && !(ap.slope < -10.0)) return {"Need More Points", "Need More Points"};
        if (s.metricXY)
            return {FormatText<128>("%5.3f", ap.position.m_dY / s.unitFactor),
                    FormatText<128>("%5.3f", ap.position.m_dX / s.unitFactor)};
        return {FormatText<128>("%3.5f", ap.position.m_dY), FormatText<128>("%3.5f", ap.position.m_dX)};
    }

    /// The file path of the next picture; \p src gets its link as the page writes it.
    std::string NextPicture(std::string& src) {
        const std::string name = "bmp" + std::to_string(m_nextPicture++) + ".bmp";
        src = m_folderName + "/" + name;
        return (fs::path(m_folder) / name).string();
    }

    /// Writes a drawn picture as the next picture file; returns its link.
    std::string SavePicture(int picture) {
        std::string src;
        const std::string path = NextPicture(src);
        if (picture >= 0) m_pictures.SaveReportPicture(picture, path);
        return src;
    }

    void PictureTable(const std::string& heading, const std::string& src, const char* remark) {
        w(heading);
        w("\n <table border=\"0\">");
        w("\n <tbody>");
        if (remark) {
            w("\n <tr>");
            w(remark);
            w("\n </tr>");
        }
        w("\n <tr>");
        w("\n <td>");
        w(Fmt("\n <img height=\"500\" src=\"%s\" width=\"800\"/>", src));
        w("\n </td>");
        w("\n </tr>");
        w("\n </tbody>");
        w("\n </table>");
    }

    void SwatchCell(COLORREF colour) {
        std::string src;
        m_pictures.SaveColourSwatch(colour, 40, 18, NextPicture(src));
        w(Fmt("\n <td class=\"legendColor\"> <img height=\"18\" src=\"%s\" width=\"40\"/> </td>", src));
    }

    void ApLegendRow(const ReportAp& ap) {
        w("\n <tr>");
        SwatchCell(ap.colour);
        w(Fmt("\n <td class=\"legendMAC\" align =\"Center\">    %s</td>", ap.mac));
        w(Fmt("\n <td class=\"legendSSID\" align =\"Center\">    %s</td>", HtmlText(ap.ssid)));
        w("\n </tr>");
    }

    /// A contour section: its picture, then a legend of ten labels over the level colours.
    void ContourSection(const char* progressText, int picture, const std::string& heading, const char* remark,
                        const std::vector<std::string>& labelCells) {
        m_progress.setText(progressText);
        PictureTable(heading, SavePicture(picture), remark);
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const auto& cell : labelCells)
            w(cell);
        w("\n </tr>");
        // One colour picture per label, in the level colours.
        constexpr int kScaleWidth = 60;
        w("\n <tr>");
        for (COLORREF c : s.levelColours) {
            std::string src;
            m_pictures.SaveColourSwatch(c, kScaleWidth, 18, NextPicture(src));
            w("\n <td class=\"legendColor\">");
            w(Fmt("\n <img height=\"18\" src=\"%s\" width=\"", src) + std::to_string(kScaleWidth) + "\"/>");
            w("\n </td>");
        }
        w("\n </tr>");
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    const ReportSnapshot& s;
    const std::string m_folder;
    const std::string m_folderName; ///< the folder as the page links to it
    ReportPictureSink& m_pictures;
    Progress& m_progress;
    std::string m_text;
    int m_nextPicture = 2;
};

/// The folder beside the page with the style sheet (an existing copy is kept) and the logo.
void PrepareFolder(const std::string& folder, const std::string& resourceDir, ReportPictureSink& pictures) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (resourceDir.empty()) return;
    const fs::path css = fs::path(resourceDir) / "report.css";
    if (fs::exists(css, ec) && !fs::exists(fs::path(folder) / "report.css", ec))
        fs::copy_file(css, fs::path(folder) / "report.css", ec);
    const fs::path logo = fs::path(resourceDir) / "projector.bmp";
    if (fs::exists(logo, ec)) pictures.SaveLogo(logo.string(), (fs::path(folder) / "hpf_logo.bmp").string());
}

} // namespace

ReportResult WriteReportPage(const ReportSnapshot& s, const std::string& htmlPath,
                             ReportPictureSink& pictures, Progress& progress) {
    const std::string folder = ReportFolderOf(htmlPath);
    // A report that is cancelled or cannot be written leaves the disk as it found it: a folder it
    // made goes again, and so do the files it added to a folder that was already there.
    std::error_code ec;
    const bool folderExisted = fs::is_directory(folder, ec);
    std::set<fs::path> existing;
    if (folderExisted)
        for (const auto& entry : fs::directory_iterator(folder, ec))
            existing.insert(entry.path());
    auto undo = [&] {
        std::error_code ignored;
        if (!folderExisted) {
            fs::remove_all(folder, ignored);
            return;
        }
        std::vector<fs::path> added;
        for (const auto& entry : fs::directory_iterator(folder, ignored))
            if (!existing.count(entry.path())) added.push_back(entry.path());
        for (const fs::path& p : added)
            fs::remove_all(p, ignored);
    };
    PrepareFolder(folder, s.options.resourceDir, pictures);
    progress.show();
    progress.setText("Begin to Write A Report...");
    progress.setPosition(1);

    ReportPage page(s, folder, pictures, progress);
    const ReportOptions& o = s.options;
    const bool ready = s.coverageReady;
    const std::vector<std::pair<bool, void (ReportPage::*)()>> steps = {
        {true, &ReportPage::Head},
        {true, &ReportPage::Date},
        {o.files, &ReportPage::Files},
        {o.apInfo, &ReportPage::AccessPoints},
        {o.apInfo, &ReportPage::AntennaNotes},
        {o.walkPath, &ReportPage::WalkPath},
        {o.apCoverage, &ReportPage::ApCoverage},
        {o.signalContours && ready, &ReportPage::SignalStrength},
        {o.countContours && ready, &ReportPage::NumberOfAps},
        {true, &ReportPage::End},
    };
    for (const auto& [wanted, step] : steps) {
        if (progress.cancelRequested()) {
            progress.hide();
            undo();
            return ReportResult::Cancelled;
        }
        if (wanted) (page.*step)();
    }

    const std::string& text = page.Text();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    const bool ok = WriteFileAtomically(htmlPath, bytes);
    progress.setText("Launching Report...");
    progress.setPosition(100);
    progress.hide();
    if (!ok) undo();
    return ok ? ReportResult::Written : ReportResult::Failed;
}

bool WriteReport(const CPlotraDoc& doc, const std::string& htmlPath, const ReportOptions& options,
                 ReportPictureSink& pictures) {
    const ReportSnapshot snapshot = TakeReportSnapshot(doc, options, pictures);
    return WriteReportPage(snapshot, htmlPath, pictures, doc.ProgressSink()) == ReportResult::Written;
}

} // namespace plotra
