#include "cli/CliSupport.h"
#include "files/FileIo.h"
#include "files/ProjectionFile.h"
#include "files/SurveyFile.h"
#include "files/Workspace.h"
#include "model/Bytes.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <array>
#include <cstdio>
#include <fstream>

namespace plotra::cli {

namespace {

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

/// Summarises one survey file (\p bytes: the file as read, for its header); false when it is refused.
bool InfoSurvey(const std::string& path, std::span<const std::uint8_t> bytes, CliPrompts& prompts, JsonWriter& json,
                bool asJson) {
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    // Read as a new project reads each of its files, which names the file in the reader's messages.
    switch (doc.ReadOneSurveyFile(path)) {
    case SurveyReadResult::Ok:
        break;
    case SurveyReadResult::CannotOpen:
        prompts.message("Could not open file \"" + path + "\".", "File Open Error", PromptIcon::Stop);
        return false;
    case SurveyReadResult::Invalid:
        prompts.message("File is not a valid HSD file: \"" + path + "\".", "Invalid File", PromptIcon::Stop);
        return false;
    }
    const auto header = ParseSurveyHeader(bytes);
    const auto stats = ComputeSurveyStats(doc.Survey().m_aDataPoints);
    const std::string time = Trimmed(doc.Survey().m_strSurveyTime);
    if (asJson) {
        json.BeginObject();
        json.String(path, "path").String("survey", "kind");
        json.Int(header->fileType, "fileType").String(time, "surveyTime").Int(header->surveyTime, "surveyTimeSeconds");
        json.Int(header->pointSize, "pointSize").Int(header->readingSize, "readingSize");
        json.Int(stats.points, "points").Int(stats.readings, "readings");
        json.Int(static_cast<long long>(doc.Survey().m_aApMarkers.size()), "apMarkers");
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
                    stats.readings, doc.Survey().m_aApMarkers.size(), stats.distinctBssids);
        if (stats.hasBounds)
            std::printf("  bounds: latitude %.6f .. %.6f, longitude %.6f .. %.6f\n", stats.south, stats.north,
                        stats.west, stats.east);
    }
    return true;
}

void ReportWorkspaceTooLarge(const std::string& path, CliPrompts& prompts) {
    prompts.message("The workspace \"" + path + "\" is too large to open on this computer.",
                    "File Open Error", PromptIcon::Stop);
}

/// Summarises one workspace file; false when it is refused.
bool InfoWorkspace(const std::string& path, std::span<const std::uint8_t> bytes, CliPrompts& prompts,
                   JsonWriter& json, bool asJson) {
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    const WorkspaceRefusal refusal = ReadWorkspaceImage(doc, bytes);
    if (refusal != WorkspaceRefusal::None) {
        if (refusal == WorkspaceRefusal::Malformed) // the file type refusal has been reported already
            prompts.message("File is not recognized as a HWS file.", "Invalid File", PromptIcon::Stop);
        else if (refusal == WorkspaceRefusal::TooLarge)
            ReportWorkspaceTooLarge(path, prompts);
        return false;
    }
    long readings = 0;
    for (const auto& p : doc.Survey().m_aDataPoints)
        readings += static_cast<long>(p.m_aReadings.size());
    long valid = 0;
    for (const auto& ap : doc.Aps().m_aAPs)
        valid += ap.m_aApPoints.size() > kMinCoveragePoints ? 1 : 0;
    if (asJson) {
        json.BeginObject();
        json.String(path, "path").String("workspace", "kind");
        json.Int(static_cast<long long>(doc.Survey().m_aFiles.size()), "files");
        json.Int(static_cast<long long>(doc.Survey().m_aDataPoints.size()), "points")
            .Int(readings, "readings");
        json.Int(static_cast<long long>(doc.Path().m_aPoints.size()), "pathPoints");
        json.Int(static_cast<long long>(doc.Aps().m_aAPs.size()), "aps").Int(valid, "apsOver20Points");
        json.BeginObject("map");
        json.Int(doc.Map().m_nMapImageSize, "bytes")
            .Int(doc.Map().m_nImageWidth, "width")
            .Int(doc.Map().m_nImageHeight, "height");
        json.EndObject();
        json.Bool(doc.Display().m_bDataLoaded != 0, "dataLoaded")
            .Bool(doc.Coverage().m_bCoverageReady != 0, "coverageReady");
        json.Bool(doc.Map().m_bMetricXY != 0, "metric");
        json.Int(doc.Frame().m_nGridCols, "gridCols").Int(doc.Frame().m_nGridRows, "gridRows");
        json.EndObject();
    } else {
        auto yesNo = [](int flag) { return flag ? "yes" : "no"; };
        std::printf("%s: workspace file\n", path.c_str());
        std::printf("  %zu survey files, %zu points, %ld readings, %zu path points\n",
                    doc.Survey().m_aFiles.size(), doc.Survey().m_aDataPoints.size(), readings,
                    doc.Path().m_aPoints.size());
        std::printf("  %zu APs, %ld with more than 20 points\n", doc.Aps().m_aAPs.size(), valid);
        if (doc.Map().m_nMapImageSize > 0)
            std::printf("  map: %d x %d pixels, %d bytes\n", doc.Map().m_nImageWidth,
                        doc.Map().m_nImageHeight, doc.Map().m_nMapImageSize);
        else
            std::printf("  map: none\n");
        std::printf("  data loaded %s, coverage ready %s, metric %s\n", yesNo(doc.Display().m_bDataLoaded),
                    yesNo(doc.Coverage().m_bCoverageReady), yesNo(doc.Map().m_bMetricXY));
        std::printf("  coverage grid: %d x %d nodes\n", doc.Frame().m_nGridCols, doc.Frame().m_nGridRows);
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
    const auto& k = doc.Map().m_adProj;
    static const char* const kNames[6] = {"a", "b", "c", "d", "e", "f"};
    static const int kIndex[6] = {0, 1, 3, 4, 5, 7};
    if (asJson) {
        json.BeginObject();
        json.String(path, "path").String("projection", "kind");
        json.Int(doc.Map().m_byProjType, "fileType");
        json.BeginObject("transform");
        for (int i = 0; i < 6; ++i) json.Double(k[static_cast<std::size_t>(kIndex[i])], kNames[i], 17);
        json.EndObject();
        json.BeginArray("coefficients");
        for (const double c : k) json.Double(c, nullptr, 17);
        json.EndArray();
        json.Int(doc.Map().m_nImageWidth, "width").Int(doc.Map().m_nImageHeight, "height");
        json.Int(header->compressedSize, "compressedBytes").Int(header->imageSize, "imageBytes");
        json.Double(doc.Map().m_dMetersPerPixelX, "metersPerPixelX")
            .Double(doc.Map().m_dMetersPerPixelY, "metersPerPixelY");
        json.Double(doc.Map().m_dMapWidth, "mapWidthMeters")
            .Double(doc.Map().m_dMapHeight, "mapHeightMeters");
        json.EndObject();
    } else {
        std::printf("%s: projection file\n", path.c_str());
        std::printf("  file type %d\n", doc.Map().m_byProjType);
        std::printf("  column = a*lat + b*lon + c, row = d*lat + e*lon + f\n");
        for (int i = 0; i < 6; ++i)
            std::printf("  %s = %.17g\n", kNames[i], k[static_cast<std::size_t>(kIndex[i])]);
        std::printf("  picture %d x %d pixels, coded %u bytes (Nc), decoded %u bytes (Ni)\n",
                    doc.Map().m_nImageWidth, doc.Map().m_nImageHeight, header->compressedSize,
                    header->imageSize);
        std::printf("  metres per pixel: X %.6f, Y %.6f\n", doc.Map().m_dMetersPerPixelX,
                    doc.Map().m_dMetersPerPixelY);
        std::printf("  map size: %.2f m wide, %.2f m high\n", doc.Map().m_dMapWidth, doc.Map().m_dMapHeight);
    }
    return true;
}

/// The file's first 8 bytes (zeros when it is shorter or cannot be read).
std::array<std::uint8_t, 8> FileHead(const std::string& path) {
    std::array<std::uint8_t, 8> head{};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) head.fill(0);
    return head;
}

/// True when the file's first bytes carry the magic of a survey, workspace or projection file.
bool HasPlotraMagic(std::span<const std::uint8_t> head) {
    return HasSurveyMagic(head) || HasWorkspaceMagic(head) || HasProjectionMagic(head);
}

/// Summarises a file that starts as a workspace. It is mapped rather than read whole: the workspace
/// of a large project may be larger than any file read into one buffer.
bool InfoWorkspaceFile(const std::string& path, CliPrompts& prompts, JsonWriter& json, bool asJson) {
    const MappedFile file(path);
    switch (file.Status()) {
    case ReadStatus::CannotOpen:
        prompts.message("Could not open file \"" + path + "\".", "File Open Error", PromptIcon::Stop);
        return false;
    case ReadStatus::TooLarge:
        ReportWorkspaceTooLarge(path, prompts);
        return false;
    case ReadStatus::Ok:
        break;
    }
    return InfoWorkspace(path, file.Bytes(), prompts, json, asJson);
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
        // Pictures are recognised by content too and may be larger than any file read whole.
        const std::array<std::uint8_t, 8> head = FileHead(path);
        if (std::ifstream(path, std::ios::binary) && !HasPlotraMagic(head)) {
            allOk = InfoImage(path, prompts, json, asJson) && allOk;
            continue;
        }
        if (HasWorkspaceMagic(head)) {
            allOk = InfoWorkspaceFile(path, prompts, json, asJson) && allOk;
            continue;
        }
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
        } else if (HasWorkspaceMagic(file.bytes)) {
            allOk = InfoWorkspace(path, file.bytes, prompts, json, asJson) && allOk;
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
