#include "app/cli/CliOutputs.h"

#include "mapview/GraphExport.h"
#include "model/PlotraDoc.h"
#include "report/ReportPictures.h"
#include "report/ReportWriter.h"
#include "table/TableModel.h"

#include <cstdlib>
#include <filesystem>

namespace plotra::cli {

namespace {

bool ParseInt(const std::string& text, int lo, int hi, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

bool ParseOutputOption(const std::vector<std::string>& args, std::size_t& i, OutputOptions& o, std::string& error) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        out = args[++i];
        return true;
    };
    std::string v;
    if (a == "--image") return value(o.image), true;
    if (a == "--kml") return value(o.kml), true;
    if (a == "--report") return value(o.report), true;
    if (a == "--table") return value(o.table), true;
    if (a == "--selected-only") return o.selectedOnly = true, true;
    if (a == "--no-headings") return o.headings = false, true;
    if (a == "--no-quotes") return o.quotes = false, true;
    if (a == "--report-sections") return value(o.reportSections), true;
    if (a == "--graph") {
        if (!value(v)) return true;
        if (v == "power") o.graph = 1;
        else if (v == "snr") o.graph = 2;
        else if (v == "count") o.graph = 3;
        else error = "--graph needs power, snr or count";
        return true;
    }
    if (a == "--contours") {
        if (!value(v)) return true;
        if (v == "multi") o.multiContours = true;
        else error = "--contours needs multi";
        return true;
    }
    if (a == "--alpha") {
        int alpha = 0;
        if (value(v) && !ParseInt(v, 0, 255, alpha)) error = "--alpha needs 0..255";
        o.alpha = alpha;
        return true;
    }
    if (a == "--size") {
        if (!value(v)) return true;
        const auto x = v.find('x');
        if (x == std::string::npos || !ParseInt(v.substr(0, x), 1, 8192, o.width) ||
            !ParseInt(v.substr(x + 1), 1, 8192, o.height))
            error = "--size needs WxH (1..8192 each)";
        return true;
    }
    if (a == "--delimiter") {
        if (!value(v)) return true;
        if (v == "tab") o.delimiter = GetDelimiter(0, "");
        else if (v == "comma") o.delimiter = GetDelimiter(1, "");
        else if (v == "space") o.delimiter = GetDelimiter(2, "");
        else if (v.size() == 1) o.delimiter = GetDelimiter(3, v);
        else error = "--delimiter needs tab, comma, space or one character";
        return true;
    }
    return false;
}

std::string ResourceDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return (exe.parent_path() / "resources").string();
}

bool WriteOutputs(CPlotraDoc& doc, const OutputOptions& o, CliPrompts& prompts, std::vector<std::string>& written) {
    bool ok = true;
    if (!o.image.empty()) {
        GraphImageOptions image;
        image.path = o.image;
        image.graph = o.graph;
        image.multiContours = o.multiContours;
        image.alpha = o.alpha;
        image.width = o.width;
        image.height = o.height;
        std::string path;
        if (ExportGraphImage(doc, image, prompts, &path)) written.push_back(path);
        else ok = false;
    }
    if (!o.kml.empty()) {
        if (ExportKml(doc, o.kml, o.width, o.height, std::nullopt, prompts)) written.push_back(o.kml);
        else ok = false;
    }
    if (!o.table.empty()) {
        CTableModel table;
        table.ResetColumns();
        table.FillRows(doc);
        if (table.WriteTable(o.table, o.headings, o.quotes, o.delimiter, prompts)) written.push_back(o.table);
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
        RenderedReportPictures pictures;
        if (doc.m_aAPs.empty()) {
            prompts.message("The project has no access point: no report was written.", "Report", PromptIcon::Stop);
            ok = false;
        } else if (WriteReport(doc, o.report, report, pictures)) {
            written.push_back(o.report);
        } else {
            prompts.message("Could not write the report \"" + o.report + "\".", "Report", PromptIcon::Stop);
            ok = false;
        }
    }
    return ok;
}

} // namespace plotra::cli
