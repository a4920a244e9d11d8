#include "capture/SourceSetup.h"

namespace plotra::capture {

namespace {

bool RecordingReadsToItsEnd(const std::string& path, std::string* error) {
    auto source = ReplayScanSource::Open(path, error);
    if (!source) return false;
    CompletedScan scan;
    SourceResult r;
    while ((r = source->Next(scan, error)) == SourceResult::Ok) {
    }
    return r != SourceResult::Failed;
}

} // namespace

std::unique_ptr<ScanSource> OpenScanSource(const SourceSetup& setup, const SystemTriggerMaker& systemTrigger,
                                           std::string* error, bool* canTrigger) {
    if (canTrigger) *canTrigger = false;
    if (!setup.replayScans.empty())
        return RecordingReadsToItsEnd(setup.replayScans, error)
                   ? ReplayScanSource::Open(setup.replayScans, error)
                   : nullptr;
    LiveScanOptions live;
    live.interfaceName = setup.interfaceName;
    live.scanIntervalS = setup.scanIntervalS;
    live.recordPath = setup.recordScans;
    if (systemTrigger) live.trigger = systemTrigger();
    if (!live.trigger) {
        if (const std::string helper = FindScanTriggerHelper(); !helper.empty())
            live.trigger = std::make_unique<HelperScanTrigger>(helper);
    }
    if (canTrigger) *canTrigger = live.trigger != nullptr;
    return OpenLiveScanSource(std::move(live), error);
}

std::unique_ptr<PositionSource> OpenPositionSource(const SourceSetup& setup, std::string* error) {
    if (!setup.replayGps.empty()) return GpsLogSource::Open(setup.replayGps, error);
    std::string host;
    int port = 0;
    if (!ParseHostPort(setup.gpsd, host, port)) {
        if (error) *error = "Cannot reach gpsd at " + setup.gpsd + ". Is gpsd running?";
        return nullptr;
    }
    return GpsdClient::Connect(host, port, error);
}

} // namespace plotra::capture
