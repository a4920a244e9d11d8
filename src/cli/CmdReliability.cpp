#include "analysis/Reliability.h"
#include "cli/CliSupport.h"
#include "model/Json.h"
#include "model/PlotraDoc.h"

#include <cstdio>

namespace plotra::cli {


int RunReliability(const std::vector<std::string>& args) {
    std::string workspace, mac, threshold, radius, probability;
    bool group = false, json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        if (a == "--ap") {
            if (!value(mac)) return UsageError("--ap needs a MAC address");
        } else if (a == "--group") {
            group = true;
        } else if (a == "--threshold") {
            if (!value(threshold)) return UsageError("--threshold needs a value in dBm");
        } else if (a == "--radius") {
            if (!value(radius)) return UsageError("--radius needs a value");
        } else if (a == "--probability") {
            if (!value(probability)) return UsageError("--probability needs a value");
        } else if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (workspace.empty()) {
            workspace = a;
        } else {
            return UsageError("reliability takes one workspace");
        }
    }
    if (workspace.empty() || threshold.empty() || (mac.empty() == !group) || (radius.empty() == probability.empty()))
        return UsageError("reliability needs WORKSPACE.hws, --ap MAC or --group, --threshold DBM and "
                          "--radius R or --probability P");

    CliPrompts prompts;
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    doc.OnNewDocument(); // the start-up call the desktop program makes too
    if (!doc.OnOpenDocument(workspace)) return kExitFailed;
    if (group) {
        doc.SetAnalysisMode(2);
    } else {
        const int index = FindApByMac(doc, mac);
        if (index < 0) {
            prompts.message("No AP with the MAC address " + mac + " in " + workspace + ".", "Invalid AP", PromptIcon::Stop);
            return kExitFailed;
        }
        // Naming an AP chooses "Single AP Analysis" and ticks the AP in the tree, which also makes it
        // the panel's selected AP.
        doc.SetAnalysisMode(1);
        doc.SetApTicked(index, true);
    }
    ReliabilityFields fields;
    fields.threshold = threshold;
    fields.radius = radius;
    fields.probability = probability;
    const bool fromRadius = !radius.empty();
    if (fromRadius) ReliabilityFromRadius(doc, fields);
    else RadiusFromReliability(doc, fields);

    if (json) {
        JsonWriter w;
        w.BeginObject();
        if (fromRadius) w.String(fields.probability, "probability");
        else w.String(fields.radius, "radius");
        w.String(fields.cell, "cellReliability");
        w.EndObject();
        std::fputs(w.Text().c_str(), stdout);
    } else {
        if (fromRadius) std::printf("Probability: %s\n", fields.probability.c_str());
        else std::printf("Radius: %s\n", fields.radius.c_str());
        std::printf("Cell Reliability: %s\n", fields.cell.c_str());
    }
    return (fromRadius ? fields.probability : fields.radius) == "N/A" ? kExitFailed : kExitOk;
}

} // namespace plotra::cli
