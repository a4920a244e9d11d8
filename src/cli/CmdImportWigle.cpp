// plotra-cli import-wigle: WiGLE CSV wardriving logs to one survey data file.
#include "cli/CliSupport.h"
#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "files/WigleCsv.h"

#include <charconv>
#include <cstdio>

namespace plotra::cli {

namespace {

constexpr const char* kCaption = "WiGLE Import";

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    if (s.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = s[s.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != suffix[i]) return false;
    }
    return true;
}

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

} // namespace

int RunImportWigle(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    WigleImportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--noise") {
            if (i + 1 >= args.size()) return UsageError("--noise needs a level in dBm");
            const std::string& v = args[++i];
            int dbm = 0;
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), dbm);
            if (ec != std::errc() || p != v.data() + v.size() || dbm < -200 || dbm > 0)
                return UsageError("--noise needs a whole number of dBm between -200 and 0");
            options.noiseFloorDbm = dbm;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return UsageError("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() < 2) return UsageError("import-wigle needs IN.csv... and OUT.hsd");
    const std::string out = positional.back();
    positional.pop_back();
    // A forgotten output name would otherwise overwrite the last log with survey bytes.
    if (EndsWithNoCase(out, ".csv"))
        return UsageError("the last name must be the survey file to write, not " + out);
    for (const auto& in : positional)
        if (in == out) return UsageError("the survey file to write must not be one of the logs: " + out);

    CliPrompts prompts;
    WigleImporter importer(options);
    bool allRead = true;
    for (const auto& path : positional) {
        const FileBytes file = ReadWholeFile(path);
        if (file.status != ReadStatus::Ok) {
            prompts.message(file.status == ReadStatus::TooLarge
                                ? "File is too large to read: \"" + path + "\"."
                                : "Could not open file \"" + path + "\".",
                            "File Open Error", PromptIcon::Stop);
            allRead = false;
            continue;
        }
        if (!LooksLikeWigleCsv(file.bytes)) {
            prompts.message(path + ": The file is not a WiGLE CSV log.", kCaption, PromptIcon::Stop);
            allRead = false;
            continue;
        }
        const WigleFileResult r = importer.AddFile(file.bytes);
        if (!r.ok) {
            prompts.message(path + ": " + r.error, kCaption, PromptIcon::Stop);
            allRead = false;
            continue;
        }
        const WigleCounts& c = r.counts;
        std::printf("%s: WiGLE CSV %s, %ld rows, %ld WIFI rows, %ld points, %ld readings\n", path.c_str(),
                    r.version.empty() ? "(no version line)" : r.version.c_str(), c.rows, c.wifiRows, c.points,
                    c.readings);
    }
    // Skipped rows are reported once for the whole import, never dropped silently.
    const std::string skipped = WigleSkipSummary(importer.Counts());
    if (!skipped.empty()) prompts.message(skipped, kCaption, PromptIcon::Information);
    if (!allRead) {
        prompts.message("Nothing was written.", kCaption, PromptIcon::Stop);
        return kExitFailed;
    }
    if (importer.Counts().points == 0) {
        prompts.message("No usable Wi-Fi rows were found. Nothing was written.", kCaption, PromptIcon::Stop);
        return kExitFailed;
    }
    const SurveyFileImage image = importer.TakeImage();
    if (!WriteSurveyFile(out, image)) {
        prompts.message("Could not write the file \"" + out + "\".", kCaption, PromptIcon::Stop);
        return kExitFailed;
    }
    const SurveyStats stats = ComputeSurveyStats(image.records);
    std::printf("%s: %ld points, %ld readings, %ld distinct BSSIDs, survey time %s\n", out.c_str(),
                stats.points, stats.readings, stats.distinctBssids,
                Trimmed(SurveyTimeText(image.surveyTime)).c_str());
    return kExitOk;
}

} // namespace plotra::cli
