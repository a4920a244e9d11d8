#include "app/cli/CliSupport.h"
#include "files/FileIo.h"
#include "files/ProjectionFile.h"
#include "files/SurveyFile.h"
#include "model/Bytes.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <cstdio>

namespace plotra::cli {

namespace {

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

/// Summarises one survey file; false when it is refused.
bool InfoSurvey(const std::string& path, std::span<const std::uint8_t> bytes, CliPrompts& prompts, JsonWriter& json,
                bool asJson) {
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    doc.m_strCurrentFile = path;
    if (!doc.ReadSurveyFile(bytes)) {
        prompts.message("File is not a valid HSD file: \"" + path + "\".", "Invalid File", PromptIcon::Stop);
        return false;
    }
    const auto header = ParseSurveyHeader(bytes);
    const auto stats = ComputeSurveyStats(doc.m_aDataPoints);
    const std::string time = Trimmed(doc.m_strSurveyTime);
    if (asJson) {
        json.BeginObject();
        json.String(path, "path").String("survey", "kind");
        json.Int(header->fileType, "fileType").String(time, "surveyTime").Int(header->surveyTime, "surveyTimeSeconds");
        json.Int(header->pointSize, "pointSize").Int(header->readingSize, "readingSize");
        json.Int(stats.points, "points").Int(stats.readings, "readings");
        json.Int(static_cast<long long>(doc.m_aApMarkers.size()), "apMarkers");
        json.Int(stats.distinctBssids, "distinctBssids");
        if (stats.hasBounds) {
            json.BeginObject("bounds");
            json.Double(stats.south, "south").Double(stats.west, "west");
            json.Double(stats.north, "north").Double(stats.east, "east");
            json.EndObject();
        } else {
            json.Null("bounds");
        }
        json.EndObject();
    } else {
        std::printf("%s: survey data file\n", path.c_str());
        std::printf("  file type %d, survey time %s\n", header->fileType, time.c_str());
        std::printf("  record sizes: point %u bytes, reading %u bytes\n", header->pointSize, header->readingSize);
        std::printf("  %ld points, %ld readings, %zu AP markers, %ld distinct BSSIDs\n", stats.points,
                    stats.readings, doc.m_aApMarkers.size(), stats.distinctBssids);
        if (stats.hasBounds)
            std::printf("  bounds: latitude %.6f .. %.6f, longitude %.6f .. %.6f\n", stats.south, stats.north,
                        stats.west, stats.east);
    }
    return true;
}

/// Summarises one projection file; false when it is refused (the reader has said why).
bool InfoProjection(const std::string& path, std::span<const std::uint8_t> bytes, CliPrompts& prompts,
                    JsonWriter& json, bool asJson) {
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    if (!doc.ReadProjectionFile(bytes)) return false;
    const auto header = ParseProjectionHeader(bytes);
    const auto& k = doc.m_adProj;
    static const char* const kNames[6] = {"a", "b", "c", "d", "e", "f"};
    static const int kIndex[6] = {0, 1, 3, 4, 5, 7};
    if (asJson) {
        json.BeginObject();
        json.String(path, "path").String("projection", "kind");
        json.Int(doc.m_byProjType, "fileType");
        json.BeginObject("transform");
        for (int i = 0; i < 6; ++i) json.Double(k[static_cast<std::size_t>(kIndex[i])], kNames[i], 17);
        json.EndObject();
        json.BeginArray("coefficients");
        for (const double c : k) json.Double(c, nullptr, 17);
        json.EndArray();
        json.Int(doc.m_nImageWidth, "width").Int(doc.m_nImageHeight, "height");
        json.Int(header->compressedSize, "compressedBytes").Int(header->imageSize, "imageBytes");
        json.Double(doc.m_dMetersPerPixelX, "metersPerPixelX").Double(doc.m_dMetersPerPixelY, "metersPerPixelY");
        json.Double(doc.m_dMapWidth, "mapWidthMeters").Double(doc.m_dMapHeight, "mapHeightMeters");
        json.EndObject();
    } else {
        std::printf("%s: projection file\n", path.c_str());
        std::printf("  file type %d\n", doc.m_byProjType);
        std::printf("  column = a*lat + b*lon + c, row = d*lat + e*lon + f\n");
        for (int i = 0; i < 6; ++i)
            std::printf("  %s = %.17g\n", kNames[i], k[static_cast<std::size_t>(kIndex[i])]);
        std::printf("  picture %d x %d pixels, coded %u bytes (Nc), decoded %u bytes (Ni)\n", doc.m_nImageWidth,
                    doc.m_nImageHeight, header->compressedSize, header->imageSize);
        std::printf("  metres per pixel: X %.6f, Y %.6f\n", doc.m_dMetersPerPixelX, doc.m_dMetersPerPixelY);
        std::printf("  map size: %.2f m wide, %.2f m high\n", doc.m_dMapWidth, doc.m_dMapHeight);
    }
    return true;
}

} // namespace

int RunInfo(const std::vector<std::string>& args) {
    bool asJson = false;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (a == "--json") asJson = true;
        else if (!a.empty() && a[0] == '-') return UsageError("unknown option " + a);
        else files.push_back(a);
    }
    if (files.empty()) return UsageError("info needs at least one FILE");

    CliPrompts prompts;
    JsonWriter json;
    json.BeginObject().BeginArray("files");
    bool allOk = true;
    for (const auto& path : files) {
        const FileBytes file = ReadWholeFile(path);
        if (file.status != ReadStatus::Ok) {
            prompts.message(file.status == ReadStatus::TooLarge ? "File is too large to read: \"" + path + "\"."
                                                                : "Could not open file \"" + path + "\".",
                            "File Open Error", PromptIcon::Stop);
            allOk = false;
            continue;
        }
        if (HasSurveyMagic(file.bytes)) {
            allOk = InfoSurvey(path, file.bytes, prompts, json, asJson) && allOk;
        } else if (HasProjectionMagic(file.bytes)) {
            allOk = InfoProjection(path, file.bytes, prompts, json, asJson) && allOk;
        } else {
            prompts.message("File is not recognized as a survey, projection or workspace file: \"" + path + "\".",
                            "Invalid File", PromptIcon::Stop);
            allOk = false;
        }
    }
    json.EndArray().EndObject();
    if (asJson) std::fputs(json.Text().c_str(), stdout);
    return allOk ? kExitOk : kExitFailed;
}

} // namespace plotra::cli
