#pragma once
/// \brief The output options that analyze and export share: graph image, KML overlay, HTML report
/// and measurement table.

#include "cli/CliSupport.h"
#include "model/GraphKinds.h"
#include "report/ClientReport.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace plotra {
class CPlotraDoc;
class JsonWriter;
} // namespace plotra

namespace plotra::cli {

/// \brief The display settings of the graph image, set as the control panel and the graph window's
/// toggles would set them.
struct DisplayOptions {
    bool legend = false, compass = false;
    bool xGrid = false, yGrid = false;
    bool noMap = false, noPath = false, lonLat = false;
    std::optional<int> colourMode; ///< 0 per AP, 1 per group, 2 one colour
    bool mixed = false;            ///< combined coverage in the mixed colour
    std::string apMac;             ///< the per-AP view of this AP
    bool cellRadius = false;
    std::optional<std::pair<int, int>> contour; ///< the single contour's low and high level

    bool Any() const {
        return legend || compass || xGrid || yGrid || noMap || noPath || lonLat || colourMode || mixed ||
               !apMac.empty() || cellRadius || contour;
    }
};

struct OutputOptions {
    std::string image;
    GraphKind graph = GraphKind::SignalPower;
    bool multiContours = false;
    DisplayOptions display;
    std::optional<int> alpha;
    int width = 800, height = 500;
    std::string kml;
    std::string report;
    std::string reportSections = "files,aps,path,coverage,signal,count";
    bool selectedOnly = false;
    std::string table;
    std::string pdf;                     ///< the client report
    ClientReportOptions pdfOptions; ///< its palette is every picture's (--palette)
    char delimiter = '\t';
    bool headings = true, quotes = true;

    bool Any() const { return !image.empty() || !kml.empty() || !report.empty() || !table.empty() || !pdf.empty(); }
};

/// Consumes args[i] (and its value) when it is an output option. Returns false when args[i] is not
/// one; sets \p error for a bad value.
bool ParseOutputOption(const std::vector<std::string>& args, std::size_t& i, OutputOptions& o, std::string& error);

/// Writes every requested output and names the files on stdout (or into \p json as "outputs").
/// False when one of them failed (the reason is on stderr).
bool WriteOutputs(CPlotraDoc& doc, const OutputOptions& o, CliPrompts& prompts, std::vector<std::string>& written);

/// The folder holding report.css and projector.bmp: `resources` beside the executable in a build tree,
/// the shared data folder (`../share/plotra`) in an installed one.
std::string ResourceDir();

/// The current local time (the KML description's time); nothing when it cannot be had.
std::optional<std::tm> LocalTimeNow();

} // namespace plotra::cli
