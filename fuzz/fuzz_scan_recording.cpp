// libFuzzer target: a scan recording replayed through the capture's nl80211 parser must be taken or
// refused (with its frame and offset) without crashing, hanging or reading outside a message:
// damaged netlink lengths, nested attributes, information elements and truncated frames. The same
// bytes, line by line, go through the gpsd report parser.
#include "capture/GpsReport.h"
#include "capture/ScanReadings.h"
#include "capture/Sources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plotra::capture;
    if (size > 0) {
        std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
        if (!file) return 0;
        std::string error;
        if (auto source = ReplayScanSource::Attach(file, size, "fuzz.scans", &error)) {
            CompletedScan scan;
            const ReadingRules rules;
            std::size_t entries = 0;
            SourceResult r;
            while ((r = source->Next(scan, &error)) == SourceResult::Ok) {
                entries += scan.bss.size();
                for (const auto& e : scan.bss)
                    if (e.ssid.size() > 32) __builtin_trap();
                // Every BSS entry takes at least a netlink, a generic and a nested header and a BSSID.
                if (entries * 36 > size) __builtin_trap();
                if (ReadingsOfScan(scan, rules).size() > scan.bss.size()) __builtin_trap();
                (void)NoiseOfScan(scan, rules);
            }
            if (r == SourceResult::Failed && error.find("frame ") == std::string::npos) __builtin_trap();
        } else if (error.empty()) {
            __builtin_trap();
        }
        std::fclose(file);
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (auto report = ParseGpsLine(text.substr(start, end - start)); report && report->IsFix())
            if (report->mode < 2 || report->mode > 3) __builtin_trap();
        start = end + 1;
    }
    return 0;
}
