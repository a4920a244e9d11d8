#include "cli/CliOutputs.h"

#include "files/ResourceDir.h"
#include "mapview/GraphExport.h"
#include "model/PlotraDoc.h"
#include "analysis/Requirement.h"
#include "report/ReportPictures.h"
#include "report/ReportWriter.h"
#include "table/TableModel.h"

#include <cstdlib>
#include <ctime>

namespace plotra::cli {

namespace {

bool ParseInt(const std::string& text, int lo, int hi, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

// "power, snr or count".
std::string GraphChoices() {
    std::string text;
    for (std::size_t i = 0; i < kGraphKinds.size(); ++i) {
        if (i > 0) text += i + 1 < kGraphKinds.size() ? ", " : " or ";
        text += FactsOf(kGraphKinds[i]).cliName;
    }
    return text;
}

} // namespace

namespace {

/// The option being read (its name stays \c a while its value is taken from the next argument).
struct OptionReader {
    const std::vector<std::string>& args;
    std::size_t& i;
    std::string& error;
    const std::string a;
    bool value(std::string& out) {
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        out = args[++i];
        return true;
    }
};

/// The files written, and the client report's texts and paper.
bool ParseFileOption(OptionReader& r, OutputOptions& o) {
    const std::string& a = r.a;
    std::string v;
    if (a == "--image") return r.value(o.image), true;
    if (a == "--kml") return r.value(o.kml), true;
    if (a == "--report") return r.value(o.report), true;
    if (a == "--table") return r.value(o.table), true;
    if (a == "--selected-only") return o.selectedOnly = true, true;
    if (a == "--no-headings") return o.headings = false, true;
    if (a == "--no-quotes") return o.quotes = false, true;
    if (a == "--report-sections") return r.value(o.reportSections), true;
    if (a == "--pdf") return r.value(o.pdf), true;
    if (a == "--title") return r.value(o.pdfOptions.title), true;
    if (a == "--customer") return r.value(o.pdfOptions.customer), true;
    if (a == "--surveyor") return r.value(o.pdfOptions.surveyor), true;
    if (a == "--paper") {
        if (r.value(v) && !ParsePaper(v, o.pdfOptions.paper)) r.error = "--paper needs a4 or letter";
        return true;
    }
    if (a == "--palette") {
        if (!r.value(v)) return true;
        if (const auto kind = ParsePalette(v)) o.pdfOptions.palette = *kind;
        else r.error = "--palette needs classic, viridis or cividis";
        return true;
    }
    if (a == "--requirement") {
        RequirementInput q{o.pdfOptions.signalDbm, o.pdfOptions.snrDb};
        if (r.value(v) && ParseRequirement(v, q, r.error)) o.pdfOptions.signalDbm = q.signalDbm, o.pdfOptions.snrDb = q.snrDb;
        return true;
    }
    if (a == "--delimiter") {
        if (!r.value(v)) return true;
        if (v == "tab") o.delimiter = GetDelimiter(0, "");
        else if (v == "comma") o.delimiter = GetDelimiter(1, "");
        else if (v == "space") o.delimiter = GetDelimiter(2, "");
        else if (v.size() == 1) o.delimiter = GetDelimiter(3, v);
        else r.error = "--delimiter needs tab, comma, space or one character";
        return true;
    }
    return false;
}

/// The picture: its graph, contours, transparency and size.
bool ParsePictureOption(OptionReader& r, OutputOptions& o) {
    const std::string& a = r.a;
    std::string v;
    if (a == "--graph") {
        if (!r.value(v)) return true;
        if (const auto kind = GraphKindFromName(v)) o.graph = *kind;
        else r.error = "--graph needs " + GraphChoices();
        return true;
    }
    if (a == "--contours") {
        if (!r.value(v)) return true;
        if (v == "multi") o.multiContours = true;
        else r.error = "--contours needs multi";
        return true;
    }
    if (a == "--alpha") {
        int alpha = 0;
        if (r.value(v) && !ParseInt(v, 0, 255, alpha)) r.error = "--alpha needs 0..255";
        o.alpha = alpha;
        return true;
    }
    if (a == "--size") {
        if (!r.value(v)) return true;
        const auto x = v.find('x');
        if (x == std::string::npos || !ParseInt(v.substr(0, x), 1, 8192, o.width) ||
            !ParseInt(v.substr(x + 1), 1, 8192, o.height))
            r.error = "--size needs WxH (1..8192 each)";
        return true;
    }
    return false;
}

/// The layers and modes of the display.
bool ParseDisplayOption(OptionReader& r, DisplayOptions& d) {
    const std::string& a = r.a;
    std::string v;
    if (a == "--legend") return d.legend = true, true;
    if (a == "--compass") return d.compass = true, true;
    if (a == "--no-map") return d.noMap = true, true;
    if (a == "--no-path") return d.noPath = true, true;
    if (a == "--lonlat") return d.lonLat = true, true;
    if (a == "--mixed") return d.mixed = true, true;
    if (a == "--cell-radius") return d.cellRadius = true, true;
    if (a == "--grid") {
        if (!r.value(v)) return true;
        if (v == "x" || v == "y" || v == "xy") {
            d.xGrid = v.find('x') != std::string::npos;
            d.yGrid = v.find('y') != std::string::npos;
        } else {
            r.error = "--grid needs x, y or xy";
        }
        return true;
    }
    if (a == "--colour-mode") {
        if (!r.value(v)) return true;
        if (v == "ap") d.colourMode = 0;
        else if (v == "group") d.colourMode = 1;
        else if (v == "single") d.colourMode = 2;
        else r.error = "--colour-mode needs ap, group or single";
        return true;
    }
    if (a == "--ap") {
        if (r.value(d.apMac) && d.apMac.empty()) r.error = "--ap needs a MAC address";
        return true;
    }
    if (a == "--contour") {
        if (!r.value(v)) return true;
        const auto comma = v.find(',');
        int low = 0, high = 0;
        if (comma == std::string::npos || !ParseInt(v.substr(0, comma), -1000, 1000, low) ||
            !ParseInt(v.substr(comma + 1), -1000, 1000, high) || low > high)
            r.error = "--contour needs LOW,HIGH with LOW <= HIGH";
        else
            d.contour = std::make_pair(low, high);
        return true;
    }
    return false;
}

} // namespace

bool ParseOutputOption(const std::vector<std::string>& args, std::size_t& i, OutputOptions& o, std::string& error) {
    OptionReader r{args, i, error, args[i]};
    return ParseFileOption(r, o) || ParsePictureOption(r, o) || ParseDisplayOption(r, o.display);
}

std::optional<std::tm> LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return std::nullopt;
    return local;
}

std::string ResourceDir() { return ProgramResourceDir(); }

namespace {

/// Sets the display options on the document through the same entry points as the control panel and
/// the graph window. False (with a message) for an AP that the project does not have.
bool ApplyDisplayOptions(CPlotraDoc& doc, const OutputOptions& o, CliPrompts& prompts) {
    const DisplayOptions& d = o.display;
    doc.SetGraphType(o.graph);
    if (d.colourMode) doc.SetColourMode(*d.colourMode);
    if (!d.apMac.empty()) {
        const int index = FindApByMac(doc, d.apMac);
        if (index < 0) {
            prompts.message("No AP with the MAC address " + d.apMac + " in the project.", "Invalid AP",
                            PromptIcon::Stop);
            return false;
        }
        // The per-AP view: only this AP ticked, no combined coverage.
        doc.SetTickedAps({index});
    }
    if (d.legend) doc.SetDisplayFlag(DisplayFlag::Legend, true);
    if (d.xGrid) doc.SetDisplayFlag(DisplayFlag::XGrid, true);
    if (d.yGrid) doc.SetDisplayFlag(DisplayFlag::YGrid, true);
    if (d.noPath) doc.SetDisplayFlag(DisplayFlag::Path, false);
    if (d.lonLat) doc.SetDisplayFlag(DisplayFlag::LonLat, true);
    if (d.mixed) doc.SetDisplayFlag(DisplayFlag::CoverageOverlay, true);
    if (o.multiContours) doc.SetMultipleContours(true);
    if (d.cellRadius) doc.SetDisplayMode(DisplayMode::CellRadius);
    if (d.contour) {
        doc.SetThreshold(false, d.contour->first);
        doc.SetThreshold(true, d.contour->second);
    }
    return true;
}

} // namespace

bool WriteOutputs(CPlotraDoc& doc, const OutputOptions& o, CliPrompts& prompts, std::vector<std::string>& written) {
    bool ok = true;
    if (!o.image.empty()) {
        if (!ApplyDisplayOptions(doc, o, prompts)) return false;
        GraphImageOptions image;
        image.path = o.image;
        image.alpha = o.alpha;
        image.width = o.width;
        image.height = o.height;
        image.showMap = !o.display.noMap && doc.Map().m_bMapLoaded;
        image.compass = o.display.compass;
        image.palette = o.pdfOptions.palette;
        std::string path;
        if (ExportGraphImage(doc, image, prompts, &path)) written.push_back(path);
        else ok = false;
    }
    if (!o.kml.empty()) {
        if (ExportKml(doc, o.kml, o.width, o.height, LocalTimeNow(), prompts, o.pdfOptions.palette)) written.push_back(o.kml);
        else ok = false;
    }
    if (!o.table.empty()) {
        if (WriteDocumentTable(doc, o.table, o.headings, o.quotes, o.delimiter, prompts)) written.push_back(o.table);
        else ok = false;
    }
    if (!o.report.empty()) {
        ReportOptions report;
        auto has = [&](const char* s) { return ("," + o.reportSections + ",").find(std::string(",") + s + ",") != std::string::npos; };
        report.files = has("files");
        report.apInfo = has("aps");
        report.walkPath = has("path");
        report.apCoverage = has("coverage");
        report.signalContours = has("signal");
        report.countContours = has("count");
        report.selectedFilesOnly = report.selectedApsOnly = o.selectedOnly;
        report.resourceDir = ResourceDir();
        report.palette = o.pdfOptions.palette;
        RenderedReportPictures pictures;
        if (doc.Aps().m_aAPs.empty()) {
            prompts.message("The project has no access point: no report was written.", "Report", PromptIcon::Stop);
            ok = false;
        } else if (WriteReport(doc, o.report, report, pictures)) {
            written.push_back(o.report);
        } else {
            prompts.message("Could not write the report \"" + o.report + "\".", "Report", PromptIcon::Stop);
            ok = false;
        }
    }
    if (!o.pdf.empty()) {
        std::string why;
        if (doc.Aps().m_aAPs.empty()) {
            prompts.message("The project has no access point: no PDF was written.", "Report", PromptIcon::Stop);
            ok = false;
        } else if (WriteClientReport(doc, o.pdf, o.pdfOptions, &why)) {
            written.push_back(o.pdf);
        } else {
            prompts.message("Could not write the PDF \"" + o.pdf + "\": " + why + ".", "Report", PromptIcon::Stop);
            ok = false;
        }
    }
    return ok;
}

} // namespace plotra::cli
