#include "cli/BuildingPlan.h"
#include "cli/CliSupport.h"
#include "capture/SimulatedRecording.h"
#include "sim/MapGenerator.h"
#include "sim/SurveyGenerator.h"

#include <charconv>
#include <cstdio>

namespace plotra::cli {

int RunSimulate(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::uint64_t seed = 1;
    bool recordings = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--recordings") {
            recordings = true;
        } else if (args[i] == "--seed") {
            if (i + 1 >= args.size()) return UsageError("--seed needs a number");
            const std::string& v = args[++i];
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), seed);
            if (ec != std::errc() || p != v.data() + v.size()) return UsageError("--seed needs a number");
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return UsageError("simulate needs SCENARIO and OUTDIR");
    const auto params = sim::BuiltInScenario(positional[0]);
    if (!params) {
        std::string names;
        for (const auto& n : sim::ScenarioNames()) names += " " + n;
        return UsageError("unknown scenario '" + positional[0] + "'; known:" + names);
    }
    const auto survey = sim::Generate(*params, seed);
    std::string error;
    if (!sim::WriteSurvey(survey, positional[1], &error)) {
        std::fprintf(stderr, "Simulate: %s\n", error.c_str());
        return kExitFailed;
    }
    if (recordings && !capture::WriteSimulatedRecordings(survey, positional[1], &error)) {
        std::fprintf(stderr, "Simulate: %s\n", error.c_str());
        return kExitFailed;
    }
    if (survey.floor) { // indoors: a floor plan picture and the map made of it with its scale
        WrittenFloorPlan plan;
        if (!WriteFloorPlan(survey, positional[1], plan, &error)) {
            std::fprintf(stderr, "Simulate: %s\n", error.c_str());
            return kExitFailed;
        }
        for (const auto& f : survey.files)
            std::printf("%s/%s: %ld points, %ld readings\n", positional[1].c_str(), f.name.c_str(), f.points,
                        f.readings);
        std::printf("%s: floor plan, %g dB lost through each wall\n", plan.picture.c_str(),
                    survey.floor->wallLossDb);
        std::printf("%s: the plan placed with --scale %s --origin %.7f,%.7f\n", plan.map.c_str(),
                    FloorPlanScaleText(*survey.floor).c_str(), survey.floor->originLat, survey.floor->originLon);
        for (const std::string& line : plan.lines)
            std::printf("  %s\n", line.c_str());
    } else {
        // 900 pixels keep the demo map near 340 KB, small enough to ship with the samples.
        const auto map = sim::GenerateMap(survey, 900);
        if (!sim::WriteMap(survey, map, positional[1], &error)) {
            std::fprintf(stderr, "Simulate: %s\n", error.c_str());
            return kExitFailed;
        }
        for (const auto& f : survey.files)
            std::printf("%s/%s: %ld points, %ld readings, %ld AP markers\n", positional[1].c_str(),
                        f.name.c_str(), f.points, f.readings, f.markers);
        std::printf("%s/%s: map %d x %d pixels, %.3f m per pixel\n", positional[1].c_str(),
                    sim::MapFileName(survey).c_str(), map.width, map.height, map.metresPerPixel);
    }
    if (recordings)
        for (const auto& f : survey.files)
            std::printf("%s/%s: scan recording and GPS log (.scans, .gps.json)%s\n", positional[1].c_str(),
                        f.name.substr(0, f.name.rfind('.')).c_str(),
                        f.turns.empty() ? "" : ", clicks at the walk's turns (.clicks.csv)");
    std::printf("%s/truth.json: %zu APs\n", positional[1].c_str(), survey.aps.size());
    return kExitOk;
}

} // namespace plotra::cli
