// plotra-cli make-map PLAN OUT.hpf --scale ...: a projection file from a floor plan with a scale (a
// picture or a PDF page), placed at a corner position with a north angle.
#include "cli/CliSupport.h"
#include "georef/WorldFile.h"
#include "georef/render/PlanPicture.h"
#include "mapview/RenderApplication.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace plotra::cli {

namespace {

constexpr const char* kCaption = "Floor Plan";

struct FloorPlanOptions {
    std::vector<std::string> positional;
    PlanPlacement placement;
    PlanRequest request;
    std::string scaleError; ///< a distance that is not a number: refused, not a usage error
};

bool WholeNumber(const std::string& v, std::uint64_t& n) {
    const auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    return ec == std::errc() && p == v.data() + v.size();
}

/// Reads the options; a usage error's exit status, or kExitOk.
int ParseFloorPlanOptions(const std::vector<std::string>& args, FloorPlanOptions& o) {
    bool haveScale = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--scale" || a == "--origin" || a == "--north" || a == "--page" ||
                                a == "--dpi" || a == "--max-pixels";
        if (takesValue && i + 1 >= args.size()) return UsageError(a + " needs a value");
        if (a == "--scale") {
            const ScaleArgument s = ParseScaleArgument(args[++i]);
            if (s.usage) return UsageError(s.error);
            o.scaleError = s.error;
            o.placement.scale = s.scale;
            haveScale = true;
        } else if (a == "--origin") {
            const auto origin = ParseOrigin(args[++i]);
            if (!origin)
                return UsageError("--origin needs LATITUDE,LONGITUDE in degrees, not '" + args[i] + "'");
            o.placement.originLat = origin->lat;
            o.placement.originLon = origin->lon;
        } else if (a == "--north") {
            const auto deg = ParseNumber(args[++i]);
            if (!deg) return UsageError("--north needs an angle in degrees, not '" + args[i] + "'");
            o.placement.northDegrees = *deg;
        } else if (a == "--page" || a == "--dpi" || a == "--max-pixels") {
            std::uint64_t n = 0;
            const std::string& v = args[++i];
            if (!WholeNumber(v, n) || n < 1)
                return UsageError(a + " needs a whole number above 0, not '" + v + "'");
            if (a == "--page") {
                if (n > 1000000) return UsageError("--page " + v + " is beyond any PDF");
                o.request.page = static_cast<int>(n);
            } else if (a == "--dpi") {
                if (n < kMinPlanDpi || n > kMaxPlanDpi)
                    return UsageError("--dpi needs a resolution from " + std::to_string(kMinPlanDpi) +
                                      " to " + std::to_string(kMaxPlanDpi) + " dots per inch");
                o.request.dpi = static_cast<int>(n);
            } else {
                o.request.maxPixels = n;
            }
        } else if (a == "--gcp") {
            return UsageError("--gcp and --scale place a picture in two different ways: give one of them");
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else {
            o.positional.push_back(a);
        }
    }
    if (!haveScale) return UsageError("a floor plan needs --scale X1,Y1,X2,Y2,DIST");
    if (o.positional.size() != 2) return UsageError("make-map needs PLAN and OUT.hpf");
    return kExitOk;
}

} // namespace

int RunMakeFloorPlan(const std::vector<std::string>& args) {
    FloorPlanOptions o;
    if (const int usage = ParseFloorPlanOptions(args, o); usage != kExitOk) return usage;
    const std::string& in = o.positional[0];
    const std::string& out = o.positional[1];
    std::error_code ec;
    if (std::filesystem::equivalent(in, out, ec)) return UsageError("OUT.hpf must not be the plan itself");

    CliPrompts prompts;
    if (!o.scaleError.empty()) {
        prompts.message(o.scaleError, kCaption, PromptIcon::Stop);
        return kExitFailed;
    }
    EnsureRenderApplication();
    const PlanLoad plan = LoadPlanPicture(in, o.request);
    if (!plan.ok) {
        prompts.message(plan.message, plan.caption, PromptIcon::Stop);
        return kExitFailed;
    }
    const FloorPlanMap map = MakeFloorPlanMap(plan.plan, o.placement);
    if (!map.ok) {
        prompts.message(map.message, kCaption, PromptIcon::Stop);
        return kExitFailed;
    }
    for (const std::string& w : map.warnings)
        prompts.message(w, kCaption, PromptIcon::Information);
    if (!WriteProjectionFile(out, map.image)) {
        prompts.message("Could not write the projection file \"" + out + "\".", "File Save Error",
                        PromptIcon::Stop);
        return kExitFailed;
    }
    std::printf("%s: floor plan\n", in.c_str());
    for (const std::string& line : map.lines)
        std::printf("  %s\n", line.c_str());
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(out, sizeError);
    std::printf("%s: projection file written (%llu bytes)\n", out.c_str(),
                static_cast<unsigned long long>(sizeError ? 0 : size));
    return kExitOk;
}

} // namespace plotra::cli
