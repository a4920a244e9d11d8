// Commands on a saved project: re-export its outputs, and move an AP.
#include "cli/CliOutputs.h"
#include "cli/CliSupport.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <cstdio>
#include <cstdlib>

namespace plotra::cli {

namespace {

bool OpenWorkspace(CPlotraDoc& doc, const std::string& path) {
    doc.OnNewDocument(); // the start-up call the desktop program makes too
    return doc.OnOpenDocument(path);
}

} // namespace

int RunExport(const std::vector<std::string>& args) {
    OutputOptions outputs;
    std::string workspace;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (args[i] == "--json") {
            json = true;
        } else if (ParseOutputOption(args, i, outputs, error)) {
            if (!error.empty()) return UsageError(error);
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError("unknown option " + args[i]);
        } else if (workspace.empty()) {
            workspace = args[i];
        } else {
            return UsageError("export takes one workspace");
        }
    }
    if (workspace.empty() || !outputs.Any()) return UsageError("export needs WORKSPACE.hws and at least one output");
    CliPrompts prompts(true);
    CliProgress progress;
    DocumentHost host;
    CPlotraDoc doc;
    doc.SetOutside(&prompts, &progress, &host);
    if (!OpenWorkspace(doc, workspace)) return kExitFailed;
    host.setMapShown(doc.Map().m_bMapLoaded != 0);
    std::vector<std::string> written;
    const bool ok = WriteOutputs(doc, outputs, prompts, written);
    if (json) {
        JsonWriter w;
        w.BeginObject().BeginArray("outputs");
        for (const auto& p : written) w.String(p);
        w.EndArray().EndObject();
        std::fputs(w.Text().c_str(), stdout);
    } else {
        for (const auto& p : written) std::printf("wrote %s\n", p.c_str());
    }
    return ok ? kExitOk : kExitFailed;
}

int RunRelocate(const std::vector<std::string>& args) {
    std::string workspace, mac, to, out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        if (args[i] == "--ap") {
            if (!value(mac)) return UsageError("--ap needs a MAC address");
        } else if (args[i] == "--to") {
            if (!value(to)) return UsageError("--to needs Y,X");
        } else if (args[i] == "--workspace") {
            if (!value(out)) return UsageError("--workspace needs a file");
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError("unknown option " + args[i]);
        } else if (workspace.empty()) {
            workspace = args[i];
        } else {
            return UsageError("relocate takes one workspace");
        }
    }
    const auto comma = to.find(',');
    char* endY = nullptr;
    char* endX = nullptr;
    const std::string ys = to.substr(0, comma), xs = comma == std::string::npos ? "" : to.substr(comma + 1);
    const double y = std::strtod(ys.c_str(), &endY), x = std::strtod(xs.c_str(), &endX);
    if (workspace.empty() || mac.empty() || comma == std::string::npos || ys.empty() || xs.empty() ||
        *endY != '\0' || *endX != '\0')
        return UsageError("relocate needs WORKSPACE.hws --ap MAC --to Y,X [--workspace OUT.hws]");

    CliPrompts prompts;
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    if (!OpenWorkspace(doc, workspace)) return kExitFailed;
    const int index = FindApByMac(doc, mac);
    if (index < 0) {
        prompts.message("No AP with the MAC address " + mac + " in " + workspace + ".", "Invalid AP", PromptIcon::Stop);
        return kExitFailed;
    }
    const MoveOutcome outcome = doc.MoveAp(index, CDataGeo(y, x));
    const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(index)];
    std::printf("%s %s: %s at %.7f, %.7f  slope %.2f  intercept %.2f  std %.2f\n", ap.MacText().c_str(),
                ap.SsidText().c_str(), outcome.accepted ? "moved" : "refused, kept", ap.m_posAP.m_dY,
                ap.m_posAP.m_dX, ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd);
    // A refused move changes nothing, so there is nothing to save either.
    if (!outcome.accepted) return kExitFailed;
    if (!out.empty()) {
        if (!doc.WriteWorkspace(out)) return kExitFailed;
        std::printf("wrote %s\n", out.c_str());
    }
    return kExitOk;
}

} // namespace plotra::cli
