// libFuzzer target: a click log of an indoor survey must be taken or refused (with its line)
// without crashing; the clicks taken are in time order and on the plan, and placing scans by them
// in either mode writes no scan twice and no scan that was not given.
#include "capture/ClickLog.h"
#include "capture/ClickPlacer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plotra::capture;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PixelToLatLon place = [](double x, double y) -> std::optional<std::pair<double, double>> {
        if (!(x >= 0 && y >= 0 && x <= 4000 && y <= 3000)) return std::nullopt;
        return std::pair{47.0 - y * 1e-6, 7.0 + x * 1e-6};
    };
    std::string error;
    const auto clicks = ParseClickLog(text, place, &error);
    if (!clicks) {
        if (error.rfind("line ", 0) != 0) __builtin_trap();
        return 0;
    }
    for (std::size_t i = 1; i < clicks->size(); ++i)
        if ((*clicks)[i].timeNs < (*clicks)[i - 1].timeNs) __builtin_trap();
    for (const ClickMode mode : {ClickMode::StopAndGo, ClickMode::Continuous}) {
        ClickPlacer placer(mode);
        std::size_t scans = 0, written = 0;
        for (std::size_t i = 0; i < clicks->size(); ++i) {
            placer.AddClick((*clicks)[i]);
            if (i % 3 == 2) placer.UndoClick();
            placer.AddScan((*clicks)[i].timeNs + 1, {});
            ++scans;
            written += placer.TakeFinal().size();
        }
        placer.Finish();
        written += placer.TakeFinal().size();
        if (written + static_cast<std::size_t>(placer.Dropped()) != scans) __builtin_trap();
    }
    return 0;
}
