#include "report/ReportWriter.h"

#include "files/FileIo.h"
#include "files/SurveyFile.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

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

std::string FmtInt(const char* fmt, long long v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string FmtDouble(const char* fmt, double v) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
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

class Page {
public:
    void operator()(const std::string& fragment) { text += fragment; }
    std::string text;
};

} // namespace

std::string HtmlText(const std::string& bytes) {
    const std::string utf8 = DisplayUtf8(bytes);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\0': break;
        default: out += c;
        }
    }
    return out;
}

bool WriteReport(CPlotraDoc& doc, const std::string& htmlPath, const ReportOptions& opt, ReportPictureSink& pictures) {
    Progress& progress = doc.ProgressSink();
    const std::string folder = ReportFolderOf(htmlPath);
    // The folder as the page refers to it; the folder and its files keep their names on disk.
    const std::string folderName = HtmlText(UrlSegment(fs::path(folder).filename().string()));
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!opt.resourceDir.empty()) {
        const fs::path css = fs::path(opt.resourceDir) / "report.css";
        if (fs::exists(css, ec) && !fs::exists(fs::path(folder) / "report.css", ec))
            fs::copy_file(css, fs::path(folder) / "report.css", ec);
        const fs::path logo = fs::path(opt.resourceDir) / "projector.bmp";
        if (fs::exists(logo, ec)) pictures.SaveLogo(logo.string(), (fs::path(folder) / "hpf_logo.bmp").string());
    }

    progress.show();
    progress.setText("Begin to Write A Report...");
    progress.setPosition(1);

    int pictureNumber = 2;
    auto nextPicture = [&](std::string& src) {
        const std::string name = "bmp" + std::to_string(pictureNumber++) + ".bmp";
        src = folderName + "/" + name;
        return (fs::path(folder) / name).string();
    };
    const bool coverageReady = doc.m_bCoverageReady != 0;

    Page w;
    w("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    w("\n <html>");
    w("\n <head>");
    w(Fmt("\n<link href=\"%s/report.css\" rel=\"stylesheet\"/>", folderName));
    w("\n<title>Survey Report with Norlit Hovrin Software</title>");
    w("\n </head>");
    w("\n <body>");
    w("\n <center><h2>Survey Report with Norlit Hovrin Software</h2></center>");
    w(Fmt("\n <img height=100 width= 100 src=\"%s/hpf_logo.bmp\"  align=\"right\">", folderName));
    w("\n <p/>");
    w("\n <p/>");

    w("\n <tr>");
    w("\n <td>");
    w(Fmt("\n Report date: %s", HtmlText(opt.reportTime.empty() ? NowCtime() : opt.reportTime)));
    w("\n </td>");
    w("\n </tr>");
    w("\n <p/>");
    w("\n <p/>");
    if (doc.m_bMetricXY) {
        w("\n <tr>");
        w("\n <td>");
        w(Fmt("\n Map/Projection File: %s", HtmlText(doc.m_strProjectionPath)));
        w("\n </td>");
        w("\n </tr>");
    }
    progress.setPosition(5);

    // Survey files: ticked first, then (when all are listed) the unticked ones.
    if (opt.files) {
        const bool all = !opt.selectedFilesOnly;
        progress.setText("Write Down Surveys's Info...");
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
            for (const CDataFile& f : doc.m_aFiles) {
                if ((f.m_bUse != 0) != ticked) continue;
                w("\n <tr>");
                w(FmtInt("\n <td class=\"Index\" align =\"Center\">%lld</td>", index++));
                w(Fmt("\n <td class=\"Path\\Name\" align =\"Center\"> %s</td>", HtmlText(f.m_strPath)));
                if (all)
                    w(ticked ? "\n <td class = \"Selected?\" align =\"Center\"> Yes </td>"
                             : "\n <td class = \"Selected?\" align =\"Center\"> No </td>");
                w(Fmt(ticked ? "\n <td class=\"Survey Time\" align =\"Center\"> %s</td>"
                             : "\n <td class=\"Survey Time\" align =\"Center\">%s</td>",
                      HtmlText(f.m_strCreated)));
                w(Fmt("\n <td class= \"Center\" align =\"Center\">%s</td>", NotesHtml(f.m_strNotes)));
                w("\n </tr>");
            }
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    if (opt.apInfo) {
        const bool all = !opt.selectedApsOnly;
        progress.setText("Write Down AP's Info...");
        w("\n <h3>Access Points Information</h3>");
        w("\n <table border=\"1\">");
        w("\n <tr>");
        std::vector<std::string> headers = {"Index", "SSID", "MAC", "Channel"};
        if (all) headers.push_back("Selected?");
        if (doc.m_bMetricXY && doc.m_dUnitFactor > 0.5) headers.insert(headers.end(), {"Y Axis(m)", "X Axis(m)"});
        else if (doc.m_bMetricXY) headers.insert(headers.end(), {"Y Axis(Ft)", "X Axis(Ft)"});
        else headers.insert(headers.end(), {"Latitude", "Longitude"});
        headers.push_back("# Points");
        for (const auto& h : headers) w(Fmt("\n <th align =\"Center\">%s</th>", h));
        w("\n </tr>");
        int index = 1;
        for (int pass = 0; pass < (all ? 2 : 1); ++pass) {
            const bool ticked = pass == 0;
            // Rows of unticked APs are written without the leading line breaks.
            const std::string nl = ticked ? "\n " : "";
            for (const CAPInfo& ap : doc.m_aAPs) {
                if ((ap.m_bSelected != 0) != ticked) continue;
                w(nl + "<tr>");
                w(nl + FmtInt("<td class=\"Index\" align =\"Center\">%lld</td>", index++));
                w(nl + Fmt("<td class=\"SSID\" align =\"Center\">%s</td>", HtmlText(ap.SsidText())));
                w(nl + Fmt("<td class=\"MAC\" align =\"Center\">%s</td>", ap.MacText()));
                w(nl + FmtInt("<td class=\"Channel\" align =\"Center\">%lld</td>", ap.m_byChannel));
                if (all)
                    w(nl + (ticked ? "<td class = \"Selected?\" align =\"Center\"> Yes </td>"
                                   : "<td class = \"Selected?\" align =\"Center\"> No </td>"));
                std::string py, px;
                if (!ap.m_bFixed && ap.m_aApPoints.size() < kMinLocatedPoints) {
                    py = px = "Not Enough Points";
                } else if (!ap.m_bFixed && !(ap.m_dSlope < -10.0)) {
                    py = px = "Need More Points";
                } else if (doc.m_bMetricXY) {
                    py = FmtDouble("%5.3f", ap.m_posAP.m_dY / doc.m_dUnitFactor);
                    px = FmtDouble("%5.3f", ap.m_posAP.m_dX / doc.m_dUnitFactor);
                } else {
                    py = FmtDouble("%3.5f", ap.m_posAP.m_dY);
                    px = FmtDouble("%3.5f", ap.m_posAP.m_dX);
                }
                w(nl + Fmt("<td class=\"Position\" align =\"Center\">%s</td>", py));
                w(nl + Fmt("<td class=\"Position\" align =\"Center\">%s</td>", px));
                w(nl + FmtInt("<td class=\"N Points\" align =\"Center\"> %lld</th>", static_cast<long long>(ap.m_aApPoints.size())));
                w(nl + "</tr>");
            }
        }
        w("\n </table>");
        w("\n <p/>");

        // Antenna information of the ticked APs.
        const bool metres = doc.m_dUnitFactor > 0.5;
        w("\n <h3>AP Antenna Information and Notes</h3>");
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const char* h : {"AP's SSID", "AP's MAC", "Trans. Power(dBm)", "Antenna Gain", metres ? "Height(m)" : "Height(Ft)",
                              "Direction(Deg)", "Notes"})
            w(Fmt("\n <th align =\"Center\">%s</th>", h));
        w("\n </tr>");
        for (std::size_t i = 0; i < doc.m_aAPs.size(); ++i) {
            const CAPInfo& ap = doc.m_aAPs[i];
            if (!ap.m_bSelected) continue;
            const CApFile notes = i < doc.m_aApNotes.size() ? doc.m_aApNotes[i] : CApFile{};
            w("\n <tr>");
            w(Fmt("\n <td align =\"Center\">%s</td>", HtmlText(ap.SsidText())));
            w(Fmt("\n <td align =\"Center\">%s</td>", ap.MacText()));
            w(Fmt("\n <td class=\"Trans. Power(dBm)\" align =\"Center\">%s</td>", HtmlText(notes.m_strTxPower)));
            w(Fmt("\n <td class=\"Antenna Type\" align =\"Center\">%s</td>", HtmlText(notes.m_strAntennaGain)));
            w(Fmt("\n <td class=\"Height\" align =\"Center\">%s</td>", HtmlText(notes.m_strHeight)));
            w(Fmt("\n <td class=\"Direction(Deg)\" align =\"Center\">%s</td>", HtmlText(notes.m_strDirection)));
            w(Fmt("\n <td class=\"Notes for AP\" align =\"Center\">%s</td>", NotesHtml(notes.m_strNotes)));
            w("\n </tr>");
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    auto pictureTable = [&](const std::string& heading, const std::string& src, const char* remark) {
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
    };
    auto swatchCell = [&](COLORREF colour) {
        std::string src;
        pictures.SaveColourSwatch(colour, 40, 18, nextPicture(src));
        w(Fmt("\n <td class=\"legendColor\"> <img height=\"18\" src=\"%s\" width=\"40\"/> </td>", src));
    };

    if (opt.walkPath) {
        progress.setText("Draw Measurement Path and Selected APs...");
        std::string src;
        ReportPictureSwitches sw;
        sw.map = doc.m_bMapLoaded != 0;
        sw.path = true;
        pictures.SaveReportPicture(doc, 1, sw, nextPicture(src));
        pictureTable("\n <h3>Walk/Drive Path and Access Point Location</h3>", src, nullptr);
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const CDataFile& f : doc.m_aFiles)
            if (f.m_bUse) w(Fmt("\n <td class=\"legendText\" align =\"Center\">%s</td>", HtmlText(f.m_strName)));
        w("\n </tr>");
        w("\n <tr>");
        const int width = std::min(60, static_cast<int>(800.0 / (static_cast<double>(doc.m_aFileColor.size()) + 2.0)));
        for (COLORREF c : doc.m_aFileColor) {
            std::string line;
            pictures.SaveLineSwatch(c, width, 18, nextPicture(line));
            w("\n <td class=\"legendLine\">");
            w(Fmt("\n <img height=\"18\" src=\"%s\" width=\"", line) + std::to_string(width) + "\"/>");
            w("\n </td>");
        }
        w("\n </tr>");
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    if (opt.apCoverage) {
        progress.setText("Draw Coverage of Selected APs...");
        std::string src;
        ReportPictureSwitches sw;
        sw.map = doc.m_bMapLoaded != 0;
        sw.coverage = true;
        const int combined = doc.m_bCombined;
        doc.m_bCombined = 0;
        pictures.SaveReportPicture(doc, 1, sw, nextPicture(src));
        doc.m_bCombined = combined;
        pictureTable("\n <h3>Coverage of Access Points </h3>", src, nullptr);
        w("\n <table border=\"1\">");
        if (doc.m_nColourMode == 2) {
            w("\n <tr>");
            swatchCell(doc.m_crSingleColour);
            w("\n <td class=\"legendText\" align =\"Center\">    Combined Mode: For all selected APs</td>");
            w("\n </tr>");
        } else if (doc.m_nColourMode == 1) {
            w("\n <tr>");
            w("\n <th class=\"legendColor\"> Color </td>");
            w("\n <th class=\"legendText\" align =\"Center\">    Groups of APs</td>");
            w("\n </tr>");
            for (const CGroupInfo& g : doc.m_groups.m_aGroups) {
                w("\n <tr>");
                swatchCell(g.m_crColour);
                w(Fmt("\n <td class=\"legendText\" align =\"Center\">  %s</td>", HtmlText(g.m_strName)));
                w("\n </tr>");
            }
        } else {
            w("\n <tr>");
            w("\n <th class=\"legendColor\"> Color </th>");
            w("\n <th class=\"legendMAC\" align =\"Center\">    MAC of APs</th>");
            w("\n <th class=\"legendSSID\" align =\"Center\">    SSID of APs</th>");
            w("\n </tr>");
            bool anyFew = false;
            for (const CAPInfo& ap : doc.m_aAPs) {
                if (!ap.m_bSelected) continue;
                if (ap.m_aApPoints.size() <= kMinCoveragePoints) {
                    anyFew = true;
                    continue;
                }
                w("\n <tr>");
                swatchCell(ap.m_crColour);
                w(Fmt("\n <td class=\"legendMAC\" align =\"Center\">    %s</td>", ap.MacText()));
                w(Fmt("\n <td class=\"legendSSID\" align =\"Center\">    %s</td>", HtmlText(ap.SsidText())));
                w("\n </tr>");
            }
            if (anyFew) {
                w("\n <tr>");
                w("\n <th class=\"legendColor\"> Color </th>");
                w("\n <th class=\"legendMAC\" align =\"Center\"> MAC of APs (N < 20) </th>");
                w("\n <th class=\"legendSSID\" align =\"Center\"> SSID of APs (N < 20) </th>");
                w("\n </tr>");
                for (const CAPInfo& ap : doc.m_aAPs) {
                    if (!ap.m_bSelected || ap.m_aApPoints.size() > kMinCoveragePoints) continue;
                    w("\n <tr>");
                    swatchCell(ap.m_crColour);
                    w(Fmt("\n <td class=\"legendMAC\" align =\"Center\">    %s</td>", ap.MacText()));
                    w(Fmt("\n <td class=\"legendSSID\" align =\"Center\">    %s</td>", HtmlText(ap.SsidText())));
                    w("\n </tr>");
                }
            }
        }
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    }

    // Colour scale pictures of the contour sections: one per label, in the level colours.
    constexpr int kScaleWidth = 60;
    auto scaleRow = [&](const std::vector<COLORREF>& colours) {
        w("\n <tr>");
        for (COLORREF c : colours) {
            std::string src;
            pictures.SaveColourSwatch(c, kScaleWidth, 18, nextPicture(src));
            w("\n <td class=\"legendColor\">");
            w(Fmt("\n <img height=\"18\" src=\"%s\" width=\"", src) + std::to_string(kScaleWidth) + "\"/>");
            w("\n </td>");
        }
        w("\n </tr>");
    };
    std::vector<COLORREF> levelColours(doc.m_crPalette.begin(), doc.m_crPalette.end());

    // A contour section: its picture, then a legend of ten labels over the level colours.
    auto contourSection = [&](const char* progressText, int graphType, const std::string& heading, const char* remark,
                              const std::vector<std::string>& labelCells) {
        progress.setText(progressText);
        std::string src;
        ReportPictureSwitches sw;
        sw.map = doc.m_bMapLoaded != 0;
        sw.contourLevels = true;
        pictures.SaveReportPicture(doc, graphType, sw, nextPicture(src));
        pictureTable(heading, src, remark);
        w("\n <table border=\"1\">");
        w("\n <tr>");
        for (const auto& cell : labelCells) w(cell);
        w("\n </tr>");
        scaleRow(levelColours);
        w("\n </table>");
        w("\n <p/>");
        w("\n <p/>");
    };

    if (opt.signalContours && coverageReady) {
        const int lo = static_cast<int>(doc.m_dPowerMin);
        const int s = static_cast<int>((doc.m_dPowerMax - lo) / 10.0);
        std::vector<std::string> labels;
        for (int k = 0; k < 10; ++k) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "\n <td class=\"legendText\" align =\"Center\">%d/%d</td>", lo + k * s, lo + (k + 1) * s);
            labels.push_back(buf);
        }
        contourSection("Draw the Coverage of Signal Strength of Selected APS...", 1,
                       "\n <h3>Coverage of Signal Strength</h3>",
                       "\n <td> The strongest RSSI (dBm) is shown at a location. </td>", labels);
    }

    if (opt.countContours && coverageReady) {
        std::vector<std::string> labels;
        for (int k = 1; k <= 9; ++k) labels.push_back(FmtInt("\n <td class=\"legendLabel\" align =\"Center\">%lld</td>", k));
        labels.push_back("\n <td class=\"legendLabel\"> >= 10 </td>");
        contourSection("Draw the Number of APS per Location...", 3, "\n <h3>Overlap of Selected APs</h3>",
                       "\n <td> Number of the selected available access points is shown at a location, where the AP's "
                       "signal strength is larger than -100 dBm. </td>",
                       labels);
    }

    progress.setText("Finished...");
    w("\n </body>");
    w("\n </html>\n");
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(w.text.data()), w.text.size());
    const bool ok = WriteFileAtomically(htmlPath, bytes);
    progress.setText("Launching Report...");
    progress.setPosition(100);
    progress.hide();
    return ok;
}

} // namespace plotra
