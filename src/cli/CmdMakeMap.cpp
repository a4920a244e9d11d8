// plotra-cli make-map: a projection file from a georeferenced picture (GeoTIFF, picture with a world
// file) or from any picture placed with control points; and the same import for analyze --map.
#include "cli/CliSupport.h"
#include "files/ProjectionWriter.h"
#include "georef/ControlPoints.h"
#include "georef/MapImport.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace plotra::cli {

namespace {

constexpr const char* kCaption = "Map Import";

/// Runs the import and says why it was refused; nullopt then. \p notPicture, when given, replaces
/// the refusal of a file that is no picture at all (a command that takes other files too says which).
std::optional<MapImportResult> Import(const std::string& path, const MapImportOptions& options,
                                      UserPrompts& prompts, const std::string& notPicture = {}) {
    MapImportResult r = ImportMapImage(path, options);
    if (!r.ok) {
        if (!r.picture && !notPicture.empty() && r.caption == "Invalid File")
            prompts.message(notPicture, r.caption, PromptIcon::Stop);
        else
            prompts.message(r.message, r.caption, PromptIcon::Stop);
        return std::nullopt;
    }
    return r;
}

void PrintReport(const MapImportReport& report) {
    std::printf("%s: georeferenced picture\n", report.path.c_str());
    for (const std::string& line : DescribeMapImport(report))
        std::printf("  %s\n", line.c_str());
}

} // namespace

MapImportOutcome ImportMapPicture(const std::string& path, UserPrompts& prompts) {
    MapImportOutcome out;
    auto r = Import(path, {}, prompts, "File is not recognized as a HPF file.");
    if (!r) {
        out.kind = MapImportOutcome::Refused;
        return out;
    }
    for (const std::string& w : r->report.warnings)
        prompts.message(w, kCaption, PromptIcon::Information);
    out.kind = MapImportOutcome::Loaded;
    out.map.type = r->image.type;
    out.map.coefficients = r->image.coefficients;
    out.map.bmp = std::move(r->image.picture);
    return out;
}

int RunMakeMap(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--scale") return RunMakeFloorPlan(args);
    std::vector<std::string> positional;
    MapImportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--gcp") {
            if (i + 1 >= args.size()) return UsageError("--gcp needs COLUMN,ROW,LATITUDE,LONGITUDE");
            const auto point = ParseControlPoint(args[++i]);
            if (!point)
                return UsageError("--gcp needs four numbers COLUMN,ROW,LATITUDE,LONGITUDE, not '" + args[i] +
                                  "'");
            options.controlPoints.push_back(*point);
        } else if (a == "--max-pixels") {
            if (i + 1 >= args.size()) return UsageError("--max-pixels needs a number of pixels");
            const std::string& v = args[++i];
            std::uint64_t n = 0;
            const auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc() || p != v.data() + v.size() || n < 1)
                return UsageError("--max-pixels needs a whole number of pixels above 0");
            options.maxPixels = n;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return UsageError("make-map needs IMAGE and OUT.hpf");
    const std::string& in = positional[0];
    const std::string& out = positional[1];
    std::error_code ec;
    if (std::filesystem::equivalent(in, out, ec)) return UsageError("OUT.hpf must not be the picture itself");

    CliPrompts prompts;
    const auto r = Import(in, options, prompts);
    if (!r) return kExitFailed;
    for (const std::string& w : r->report.warnings)
        prompts.message(w, kCaption, PromptIcon::Information);
    if (!WriteProjectionFile(out, r->image)) {
        prompts.message("Could not write the projection file \"" + out + "\".", "File Save Error",
                        PromptIcon::Stop);
        return kExitFailed;
    }
    PrintReport(r->report);
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(out, sizeError);
    std::printf("%s: projection file written (%llu bytes)\n", out.c_str(),
                static_cast<unsigned long long>(sizeError ? 0 : size));
    return kExitOk;
}

bool InfoImage(const std::string& path, CliPrompts& prompts, JsonWriter& json, bool asJson) {
    MapImportOptions options;
    options.readPicture = false;
    const auto r =
        Import(path, options, prompts,
               "File is not recognized as a survey, projection or workspace file, nor as a picture: \"" +
                   path + "\".");
    if (!r) return false;
    const MapImportReport& rep = r->report;
    if (asJson) {
        static const char* const kKinds[] = {"exact", "fitted", "control points"};
        json.BeginObject();
        json.String(path, "path").String("image", "kind").String(rep.format, "format");
        json.Int(rep.sourceWidth, "width").Int(rep.sourceHeight, "height");
        json.Int(rep.width, "mapWidth").Int(rep.height, "mapHeight").Bool(rep.reduced, "reduced");
        json.String(rep.georeference, "georeference").String(rep.coordinateSystem, "coordinateSystem");
        json.String(kKinds[static_cast<int>(rep.kind)], "transformation");
        json.Int(rep.fitPoints, "fitPoints").Double(rep.maxResidualPixels, "maxResidualPixels");
        json.BeginObject("bounds");
        json.Double(rep.bounds.south, "south").Double(rep.bounds.west, "west");
        json.Double(rep.bounds.north, "north").Double(rep.bounds.east, "east");
        json.EndObject();
        json.BeginArray("warnings");
        for (const auto& w : rep.warnings)
            json.String(w);
        json.EndArray();
        json.EndObject();
    } else {
        PrintReport(rep);
        for (const auto& w : rep.warnings)
            std::printf("  warning: %s\n", w.c_str());
    }
    return true;
}

} // namespace plotra::cli
