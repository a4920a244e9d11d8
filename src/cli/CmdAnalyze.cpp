// plotra-cli analyze: load survey files (on a map when one is given), run the data processing and
// report every AP's model, position and grid range.
#include "analysis/Coverage.h"
#include "cli/CliOutputs.h"
#include "cli/CliSupport.h"
#include "files/NewProject.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace plotra::cli {

namespace {

struct AnalyzeOptions {
    std::vector<std::string> surveys;
    std::string map;
    bool merge = true;
    double unitFactor = 0.3048;
    std::string select = "valid";
    bool hasResolution = false;
    double resolutionX = 0.0, resolutionY = 0.0;
    bool noCoverage = false;
    std::string workspace;
    bool json = false;
    bool yes = false;
    OutputOptions outputs;
};

bool ParsePositive(const std::string& text, double& out) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v) || !(v > 0.0)) return false;
    out = v;
    return true;
}

/// Parses the arguments; returns a usage error text, empty when they are fine.
std::string Parse(const std::vector<std::string>& args, AnalyzeOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--map") {
            if (!value(o.map)) return "--map needs a projection file";
        } else if (a == "--no-merge") {
            o.merge = false;
        } else if (a == "--unit") {
            if (!value(v) || (v != "m" && v != "ft")) return "--unit needs m or ft";
            o.unitFactor = v == "m" ? 1.0 : 0.3048;
        } else if (a == "--select") {
            if (!value(o.select) || o.select.empty()) return "--select needs valid, all or a list of MACs";
        } else if (a == "--resolution") {
            if (!value(v)) return "--resolution needs X[,Y]";
            const auto comma = v.find(',');
            const std::string xs = v.substr(0, comma),
                              ys = comma == std::string::npos ? xs : v.substr(comma + 1);
            if (!ParsePositive(xs, o.resolutionX) || !ParsePositive(ys, o.resolutionY))
                return "--resolution needs positive numbers X[,Y]";
            o.hasResolution = true;
        } else if (a == "--no-coverage") {
            o.noCoverage = true;
        } else if (a == "--workspace") {
            if (!value(o.workspace)) return "--workspace needs a file";
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--yes") {
            o.yes = true;
        } else if (std::string error; ParseOutputOption(args, i, o.outputs, error)) {
            if (!error.empty()) return error;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + a;
        } else {
            o.surveys.push_back(a);
        }
    }
    if (o.surveys.empty()) return "analyze needs at least one SURVEY file";
    return {};
}


/// Ticks the APs the user asked for, as ticking them in the tree would; returns an error text for an
/// unknown MAC.
std::string ApplySelection(CPlotraDoc& doc, const std::string& select) {
    std::vector<int> ticked;
    if (select == "valid" || select == "all") {
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
            if (select == "all" || doc.Aps().m_aAPs[i].m_aApPoints.size() > kMinCoveragePoints)
                ticked.push_back(static_cast<int>(i));
    } else {
        std::set<std::string> wanted;
        std::size_t start = 0;
        while (start <= select.size()) {
            const std::size_t comma = std::min(select.find(',', start), select.size());
            if (comma > start) wanted.insert(NormalisedMac(select.substr(start, comma - start)));
            start = comma + 1;
        }
        std::set<std::string> found;
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
            if (wanted.count(doc.Aps().m_aAPs[i].MacText())) {
                ticked.push_back(static_cast<int>(i));
                found.insert(doc.Aps().m_aAPs[i].MacText());
            }
        for (const auto& mac : wanted)
            if (!found.count(mac)) return "no access point with MAC " + mac;
    }
    doc.SetTickedAps(ticked);
    return {};
}

bool LoadMap(CPlotraDoc& doc, const std::string& path, CliPrompts& prompts) {
    // "Load the map" as the desktop program does it: a file without the projection magic is taken as
    // a georeferenced picture (GeoTIFF, picture with a world file), recognised by its content.
    doc.SetMapPictureImporter(ImportMapPicture);
    const int before = prompts.MessageCount();
    if (doc.LoadProjectionFile(path)) return true;
    if (prompts.MessageCount() == before)
        prompts.message("The projection file could not be read: \"" + path + "\".", "Invalid File",
                        PromptIcon::Stop);
    return false;
}

void WriteJsonFiles(JsonWriter& w, const CPlotraDoc& doc) {
    w.BeginArray("files");
    std::size_t k = 0;
    for (const CDataFile& f : doc.Survey().m_aFiles) {
        w.BeginObject();
        w.String(f.m_strPath, "path").String(f.m_strName, "name").Bool(f.m_bUse != 0, "read");
        std::string created = f.m_strCreated;
        while (!created.empty() && (created.back() == '\n' || created.back() == '\r'))
            created.pop_back();
        w.String(created, "surveyTime");
        if (f.m_bUse && k < doc.Survey().m_aFilePointCount.size()) {
            w.Int(doc.Survey().m_aFilePointCount[k], "points");
            w.Int(k < doc.Path().m_aFilePathCount.size() ? doc.Path().m_aFilePathCount[k] : 0,
                  "pathPositions");
            ++k;
        }
        w.EndObject();
    }
    w.EndArray();
}

void WriteJsonAps(JsonWriter& w, const CPlotraDoc& doc) {
    w.BeginArray("aps");
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        const bool hasModel = ap.m_nApGridCols > 0;
        w.BeginObject();
        w.String(ap.MacText(), "mac").String(ap.SsidText(), "ssid").Int(ap.m_byChannel, "channel");
        w.Int(static_cast<long long>(ap.m_aSamples.size()), "samples");
        w.Int(static_cast<long long>(ap.m_aApPoints.size()), "workingPoints");
        w.Bool(ap.m_bSelected != 0, "selected").Bool(ap.m_bFixed != 0, "fixed").Bool(hasModel, "processed");
        if (hasModel || ap.m_bFixed) {
            w.BeginObject("position");
            w.Double(ap.m_posAP.m_dY, doc.Map().m_bMetricXY ? "y" : "lat", 12);
            w.Double(ap.m_posAP.m_dX, doc.Map().m_bMetricXY ? "x" : "lon", 12);
            w.EndObject();
        } else {
            w.Null("position");
        }
        w.Double(ap.m_dSlope, "slope")
            .Double(ap.m_dIntercept, "intercept")
            .Double(ap.m_dShadowStd, "shadowingStd");
        w.Double(-ap.m_dSlope / 10.0, "pathLossExponent");
        w.Double(ap.m_dGridMin, "gridMin").Double(ap.m_dGridMax, "gridMax");
        w.EndObject();
    }
    w.EndArray();
}

/// The extent, frame, resolution and grid, and the coverage when there is one.
void WriteJsonGrid(JsonWriter& w, const CPlotraDoc& doc) {
    w.BeginObject("extent");
    w.Double(doc.Frame().m_dGridOriginY, "originY", 12).Double(doc.Frame().m_dGridOriginX, "originX", 12);
    w.Double(doc.Frame().m_dGridSpanY, "spanY", 12).Double(doc.Frame().m_dGridSpanX, "spanX", 12);
    w.BeginObject("frame");
    w.Double(doc.Frame().m_dFrameOriginY, "originY", 12).Double(doc.Frame().m_dFrameOriginX, "originX", 12);
    w.Double(doc.Frame().m_dFrameSpanY, "spanY", 12).Double(doc.Frame().m_dFrameSpanX, "spanX", 12);
    w.EndObject();
    w.EndObject();
    w.BeginObject("resolution");
    w.Double(doc.Frame().m_dResolutionX, "x").Double(doc.Frame().m_dResolutionY, "y");
    w.EndObject();
    // The node counts of the grid over the ticked APs (what a coverage would start from).
    w.BeginObject("nodes");
    w.Int(doc.Frame().m_nGridCols, "cols").Int(doc.Frame().m_nGridRows, "rows");
    w.EndObject();
    if (doc.Coverage().m_bCoverageReady) {
        long long covered = 0;
        int most = 0;
        for (int c : doc.Coverage().m_aGridCount) {
            covered += c > 0;
            most = std::max(most, c);
        }
        w.BeginObject("coverage");
        w.Int(doc.Frame().m_nGridCols, "cols").Int(doc.Frame().m_nGridRows, "rows");
        w.Double(doc.Frame().m_dResolutionX, "resolutionX").Double(doc.Frame().m_dResolutionY, "resolutionY");
        w.Double(doc.Coverage().m_dPowerMin, "powerMin").Double(doc.Coverage().m_dPowerMax, "powerMax");
        w.Double(doc.Coverage().m_dSnrMin, "snrMin").Double(doc.Coverage().m_dSnrMax, "snrMax");
        w.Int(covered, "coveredNodes").Int(most, "mostCoveringAps");
        w.EndObject();
    } else {
        w.Null("coverage");
    }
}

void WriteJsonStages(JsonWriter& w, const StageMeter& meter) {
    w.BeginObject("seconds");
    for (const auto& stage : meter.Stages())
        w.Double(stage.seconds, stage.name, 4);
    w.EndObject();
    // The processor time of each stage (user and system, all threads): on a busy machine the wall
    // clock also counts the time other programs had the processors.
    w.BeginObject("cpuSeconds");
    for (const auto& stage : meter.Stages())
        w.Double(stage.cpuSeconds, stage.name, 4);
    w.EndObject();
    // The largest resident memory of each stage (megabytes), and of the whole run.
    w.BeginObject("peakMemoryMB");
    double peak = 0.0;
    for (const auto& stage : meter.Stages()) {
        w.Double(stage.peakMB, stage.name, 8);
        peak = std::max(peak, stage.peakMB);
    }
    w.Double(peak, "total", 8);
    w.EndObject();
}

void WriteJson(const CPlotraDoc& doc, const AnalyzeOptions& o, const StageMeter& meter,
               const std::vector<std::string>& outputs) {
    JsonWriter w;
    w.BeginObject();
    WriteJsonFiles(w, doc);
    const long long readings = static_cast<long long>(doc.Survey().m_aDataPoints.ReadingCount());
    w.Int(static_cast<long long>(doc.Survey().m_aDataPoints.size()), "points");
    w.Int(readings, "readings");
    w.Int(static_cast<long long>(doc.Path().m_aPoints.size()), "pathPositions");
    w.Bool(doc.Survey().m_bMerge != 0, "merge");
    w.Bool(doc.Map().m_bMetricXY != 0, "mapMetres");
    w.String(o.unitFactor > 0.5 ? "m" : "ft", "unit");
    long long processed = 0;
    for (const CAPInfo& ap : doc.Aps().m_aAPs)
        processed += ap.m_nApGridCols > 0 ? 1 : 0;
    w.Int(static_cast<long long>(doc.Aps().m_aAPs.size()), "apCount");
    w.Int(processed, "processedAps");
    WriteJsonAps(w, doc);
    WriteJsonGrid(w, doc);
    w.BeginArray("outputs");
    for (const auto& path : outputs) w.String(path);
    w.EndArray();
    WriteJsonStages(w, meter);
    w.EndObject();
    std::fputs(w.Text().c_str(), stdout);
}

void WriteText(const CPlotraDoc& doc, const StageMeter& meter, const std::vector<std::string>& outputs) {
    const long long readings = static_cast<long long>(doc.Survey().m_aDataPoints.ReadingCount());
    std::printf("%zu points, %lld readings, %zu path positions, %zu APs\n", doc.Survey().m_aDataPoints.size(),
                readings, doc.Path().m_aPoints.size(), doc.Aps().m_aAPs.size());
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        std::printf("%s %-32s ch %2d %5zu pts %c ", ap.MacText().c_str(), ap.SsidText().c_str(),
                    ap.m_byChannel, ap.m_aApPoints.size(), ap.m_bSelected ? '*' : ' ');
        if (ap.m_nApGridCols > 0)
            std::printf("at %.7f, %.7f  slope %.2f  intercept %.2f  std %.2f  grid %.1f..%.1f\n",
                        ap.m_posAP.m_dY, ap.m_posAP.m_dX, ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd,
                        ap.m_dGridMin, ap.m_dGridMax);
        else
            std::printf("too few points for a model\n");
    }
    std::printf("extent: origin %.7f, %.7f  span %.7f, %.7f\n", doc.Frame().m_dGridOriginY,
                doc.Frame().m_dGridOriginX, doc.Frame().m_dGridSpanY, doc.Frame().m_dGridSpanX);
    if (doc.Coverage().m_bCoverageReady)
        std::printf("coverage: %d x %d nodes, power %.0f..%.0f dBm, SNR %.0f..%.0f dB\n",
                    doc.Frame().m_nGridCols, doc.Frame().m_nGridRows, doc.Coverage().m_dPowerMin,
                    doc.Coverage().m_dPowerMax, doc.Coverage().m_dSnrMin, doc.Coverage().m_dSnrMax);
    for (const auto& path : outputs)
        std::printf("wrote %s\n", path.c_str());
    for (const auto& stage : meter.Stages())
        std::printf("%s: %.3f s (processor %.3f s), peak %.0f MB\n", stage.name, stage.seconds, stage.cpuSeconds,
                    stage.peakMB);
}

} // namespace

int RunAnalyze(const std::vector<std::string>& args) {
    AnalyzeOptions o;
    if (const std::string error = Parse(args, o); !error.empty()) return UsageError(error);

    StageMeter meter;

    // An invalid AP among the selected ones is reported and dropped, as a Yes answer does.
    CliPrompts prompts(true);
    CliProgress progress;
    DocumentHost host;
    CPlotraDoc doc;
    doc.SetOutside(&prompts, &progress, &host);
    doc.OnNewDocument(); // the start-up call the desktop program makes too
    // The unit is chosen before anything is loaded, so nothing already shown is converted.
    doc.ChangeDisplayUnit(o.unitFactor > 0.5);

    if (!o.map.empty()) {
        meter.Start();
        if (!LoadMap(doc, o.map, prompts)) return kExitFailed;
        meter.End("map");
    }

    std::vector<CDataFile> files;
    for (const std::string& path : o.surveys)
        if (!AddSurveyFile(files, path, prompts)) return kExitFailed;
    doc.SetSurveyFiles(std::move(files), o.merge);
    meter.Start();
    // Placed here, processed and timed below.
    const bool loaded = doc.PlaceSurveyFiles();
    meter.End("load");
    if (!loaded) return kExitFailed;
    meter.Start();
    if (!doc.RunProcessing()) return kExitFailed;
    meter.End("processing");

    meter.Start();
    if (const std::string error = ApplySelection(doc, o.select); !error.empty()) {
        std::fprintf(stderr, "Select: %s\n", error.c_str());
        return kExitFailed;
    }
    // As the user would: tick the APs, then move the resolution sliders.
    if (o.hasResolution) {
        doc.SetResolution(false, o.resolutionX);
        doc.SetResolution(true, o.resolutionY);
    }
    meter.End("select");

    if (!o.noCoverage) {
        meter.Start();
        // Without an AP that has enough points there is no coverage (the message says so); the
        // project's other outputs are still worth writing.
        CalculateCoverage(doc);
        meter.End("coverage");
    }

    if (!o.workspace.empty()) {
        meter.Start();
        if (!doc.WriteWorkspace(o.workspace)) {
            std::fprintf(stderr, "Workspace: could not write \"%s\"\n", o.workspace.c_str());
            return kExitFailed;
        }
        meter.End("workspace");
    }

    std::vector<std::string> written;
    bool outputsOk = true;
    if (o.outputs.Any()) {
        meter.Start();
        outputsOk = WriteOutputs(doc, o.outputs, prompts, written);
        meter.End("outputs");
    }
    if (!o.workspace.empty()) written.insert(written.begin(), o.workspace);

    if (o.json)
        WriteJson(doc, o, meter, written);
    else
        WriteText(doc, meter, written);
    return outputsOk ? kExitOk : kExitFailed;
}

} // namespace plotra::cli
