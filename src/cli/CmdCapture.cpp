// plotra-cli capture: a survey file from the Wi-Fi adapter and gpsd, or from their recordings.
#include "cli/CliSupport.h"
#include "capture/CaptureSession.h"
#include "capture/ClickLog.h"
#include "capture/SourceSetup.h"
#include "files/FileIo.h"
#include "model/PlotraDoc.h"
#ifdef PLOTRA_HAVE_NM_DBUS
#include "capture/dbus/NmScanTrigger.h"
#endif

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace plotra::cli {

namespace {

struct CaptureArgs {
    std::string out;
    capture::SourceSetup sources;
    bool gpsdGiven = false;
    double durationS = 0;
    capture::ReadingRules rules;
    bool realtime = false;
    std::string clicks, plan;                  ///< indoors: clicks on a floor plan
    std::optional<capture::ClickMode> mode;
};

template <class T> bool Number(const std::string& text, T& out) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && p == text.data() + text.size();
}

/// Parses the options; an empty text when they are usable, else the usage error.
std::string ParseArgs(const std::vector<std::string>& args, CaptureArgs& a) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& o = args[i];
        if (o == "--realtime") {
            a.realtime = true;
            continue;
        }
        if (o.empty() || o[0] != '-') {
            positional.push_back(o);
            continue;
        }
        if (i + 1 >= args.size()) return o + " needs a value";
        const std::string& v = args[++i];
        long maxAge = 0;
        if (o == "--interface")
            a.sources.interfaceName = v;
        else if (o == "--gpsd")
            a.sources.gpsd = v, a.gpsdGiven = true;
        else if (o == "--record-scans")
            a.sources.recordScans = v;
        else if (o == "--replay-scans")
            a.sources.replayScans = v;
        else if (o == "--replay-gps")
            a.sources.replayGps = v;
        else if (o == "--clicks")
            a.clicks = v;
        else if (o == "--map")
            a.plan = v;
        else if (o == "--mode") {
            a.mode = capture::ParseClickMode(v);
            if (!a.mode) return "--mode needs stop-and-go or continuous";
        }
        else if (o == "--duration") {
            if (!Number(v, a.durationS) || a.durationS <= 0)
                return "--duration needs a number of seconds above 0";
        } else if (o == "--scan-interval") {
            if (!Number(v, a.sources.scanIntervalS) || a.sources.scanIntervalS < 0.5 ||
                a.sources.scanIntervalS > 600)
                return "--scan-interval needs seconds between 0.5 and 600";
        } else if (o == "--max-age") {
            if (!Number(v, maxAge) || maxAge < 0 || maxAge > 3600000) return "--max-age needs milliseconds";
            a.rules.maxAgeMs = static_cast<std::uint32_t>(maxAge);
        } else if (o == "--noise-floor") {
            if (!Number(v, a.rules.noiseFloorDbm) || a.rules.noiseFloorDbm < -150 ||
                a.rules.noiseFloorDbm > 0)
                return "--noise-floor needs dBm between -150 and 0";
        } else {
            return "unknown option " + o;
        }
    }
    if (positional.size() != 1) return "capture needs one output file OUT.hsd";
    a.out = positional[0];
    const bool replay = !a.sources.replayScans.empty();
    if (replay && (!a.sources.interfaceName.empty() || !a.sources.recordScans.empty()))
        return "--interface and --record-scans apply to a live adapter, not to --replay-scans";
    if (!a.sources.replayGps.empty() && a.gpsdGiven) return "--gpsd and --replay-gps exclude each other";
    if (!a.clicks.empty() && (a.plan.empty() || a.gpsdGiven || !a.sources.replayGps.empty()))
        return "--clicks places the scans on the floor plan given by --map, without gpsd or --replay-gps";
    if (a.clicks.empty() && (!a.plan.empty() || a.mode)) return "--map and --mode go with --clicks";
    if (a.realtime && !replay) return "--realtime paces --replay-scans";
    return {};
}

std::unique_ptr<capture::ScanSource> OpenScans(const CaptureArgs& a, std::string* error) {
    capture::SystemTriggerMaker trigger;
#ifdef PLOTRA_HAVE_NM_DBUS
    trigger = [] { return capture::MakeNetworkManagerTrigger(); };
#endif
    bool canTrigger = false;
    auto source = capture::OpenScanSource(a.sources, trigger, error, &canTrigger);
    if (source && source->IsLive() && !canTrigger)
        std::fputs("Capture: neither NetworkManager nor plotra-scan-trigger can start scans; reading the "
                   "results of the system's own scans.\n",
                   stderr);
    return source;
}

/// The clicks of --clicks, placed through the plan of --map.
std::optional<std::vector<capture::Click>> ReadClicks(const CaptureArgs& a, std::string* error) {
    CPlotraDoc plan; // its prompts are silent: the refusal below says what went wrong
    const FileBytes map = ReadWholeFile(a.plan);
    if (map.status != ReadStatus::Ok || !plan.ReadProjectionFile(map.bytes)) {
        *error = "The floor plan \"" + a.plan + "\" is not a projection file that can be read.";
        return std::nullopt;
    }
    const FileBytes log = ReadWholeFile(a.clicks, 64u << 20);
    if (log.status != ReadStatus::Ok) {
        *error = "Cannot read the clicks \"" + a.clicks + "\".";
        return std::nullopt;
    }
    const double W = plan.Map().m_nImageWidth, H = plan.Map().m_nImageHeight;
    const capture::PixelToLatLon place = [&](double x, double y) -> std::optional<std::pair<double, double>> {
        if (!(x >= 0 && y >= 0 && x <= W && y <= H)) return std::nullopt;
        const auto geo =
            plan.MapToGeoQuiet(x * plan.Map().m_dMetersPerPixelX, (H - y) * plan.Map().m_dMetersPerPixelY);
        if (!geo) return std::nullopt;
        return std::pair{geo->m_dY, geo->m_dX};
    };
    std::string why;
    const std::string_view text(reinterpret_cast<const char*>(log.bytes.data()), log.bytes.size());
    auto clicks = capture::ParseClickLog(text, place, &why);
    if (!clicks) *error = "The clicks \"" + a.clicks + "\" were refused: " + why + ".";
    return clicks;
}

std::string StatusText(const capture::CaptureStatus& s) {
    const char* fix = s.fixMode >= 3 ? "3D" : s.fixMode == 2 ? "2D" : "none";
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "fix %s, %s satellites, %.1f scans/min, %ld points written, %ld APs heard, %ld no fix", fix,
                  s.satellites >= 0 ? std::to_string(s.satellites).c_str() : "?", s.scansPerMinute,
                  s.pointsWritten, s.apsHeard, s.noFix);
    return buf;
}

capture::CaptureSession* g_session = nullptr;

extern "C" void OnStopSignal(int) {
    if (g_session) g_session->RequestStop();
}

/// Runs the capture to its end, a stop signal or a failure, with the status line on stderr.
bool RunSession(capture::CaptureSession& session, std::string* error) {
    g_session = &session;
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal; // no SA_RESTART: a waiting poll returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    const bool tty = isatty(STDERR_FILENO) != 0;
    auto lastShown = std::chrono::steady_clock::now();
    capture::CaptureSession::Step step;
    while ((step = session.RunStep()) == capture::CaptureSession::Step::Continue) {
        session.TakeAppended(); // nobody shows them here
        const auto now = std::chrono::steady_clock::now();
        if (tty) {
            std::fprintf(stderr, "\r\033[K%s", StatusText(session.Status()).c_str());
        } else if (now - lastShown >= std::chrono::seconds(10)) {
            std::fprintf(stderr, "%s\n", StatusText(session.Status()).c_str());
            lastShown = now;
        }
    }
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    g_session = nullptr;
    if (tty) std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "%s\n", StatusText(session.Status()).c_str());
    if (step == capture::CaptureSession::Step::Failed) *error = session.Error();
    return step != capture::CaptureSession::Step::Failed;
}

} // namespace

int RunCapture(const std::vector<std::string>& args) {
    CaptureArgs a;
    if (const std::string usage = ParseArgs(args, a); !usage.empty()) return UsageError(usage);
    CliPrompts prompts;
    std::string error;
    auto scans = OpenScans(a, &error);
    if (!scans) {
        prompts.message(error, "Capture", PromptIcon::Stop);
        return kExitFailed;
    }
    capture::CaptureOptions options;
    std::unique_ptr<capture::PositionSource> positions;
    if (!a.clicks.empty()) {
        auto clicks = ReadClicks(a, &error);
        if (!clicks) {
            prompts.message(error, "Capture", PromptIcon::Stop);
            return kExitFailed;
        }
        options.clickMode = a.mode.value_or(capture::ClickMode::Continuous);
        options.plannedClicks = std::move(*clicks);
    } else if (!(positions = capture::OpenPositionSource(a.sources, &error))) {
        prompts.message(error, "Capture", PromptIcon::Stop);
        return kExitFailed;
    }
    options.rules = a.rules;
    options.realtime = a.realtime;
    options.durationS = a.durationS;
    capture::CaptureSession session(std::move(scans), std::move(positions), options);
    if (!session.Start(a.out, &error)) {
        prompts.message(error, "Capture", PromptIcon::Stop);
        return kExitFailed;
    }
    const bool ran = RunSession(session, &error);
    std::string closeError;
    const bool closed = session.Stop(&closeError);
    const capture::CaptureStatus s = session.Status();
    std::printf("%s: %ld points, %ld readings, %ld APs heard, %ld scans, %ld without a fix\n", a.out.c_str(),
                s.pointsWritten, s.readingsWritten, s.apsHeard, s.scans, s.noFix);
    if (!ran || !closed) {
        prompts.message(ran ? closeError : error, "Capture", PromptIcon::Stop);
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plotra::cli
