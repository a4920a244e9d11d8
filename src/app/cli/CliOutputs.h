#pragma once
/// \brief The output options that analyze and export share: graph image, KML overlay, HTML report
/// and measurement table.

#include "app/cli/CliSupport.h"

#include <optional>
#include <string>
#include <vector>

namespace plotra {
class CPlotraDoc;
class JsonWriter;
} // namespace plotra

namespace plotra::cli {

struct OutputOptions {
    std::string image;
    int graph = 1;
    bool multiContours = false;
    std::optional<int> alpha;
    int width = 800, height = 500;
    std::string kml;
    std::string report;
    std::string reportSections = "files,aps,path,coverage,signal,count";
    bool selectedOnly = false;
    std::string table;
    char delimiter = '\t';
    bool headings = true, quotes = true;

    bool Any() const { return !image.empty() || !kml.empty() || !report.empty() || !table.empty(); }
};

/// Consumes args[i] (and its value) when it is an output option. Returns false when args[i] is not
/// one; sets \p error for a bad value.
bool ParseOutputOption(const std::vector<std::string>& args, std::size_t& i, OutputOptions& o, std::string& error);

/// Writes every requested output and names the files on stdout (or into \p json as "outputs").
/// False when one of them failed (the reason is on stderr).
bool WriteOutputs(CPlotraDoc& doc, const OutputOptions& o, CliPrompts& prompts, std::vector<std::string>& written);

/// The folder holding report.css and projector.bmp: beside the executable.
std::string ResourceDir();

} // namespace plotra::cli
