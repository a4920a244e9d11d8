#include "analysis/Requirement.h"

#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plotra {

namespace {

/// The node count every grid of the document holds (0 without a calculated coverage).
std::size_t UsableNodes(const CPlotraDoc& doc) {
    if (!doc.Coverage().m_bCoverageReady || doc.Frame().m_nGridCols <= 0 || doc.Frame().m_nGridRows <= 0)
        return 0;
    const std::size_t nodes =
        static_cast<std::size_t>(doc.Frame().m_nGridCols) * static_cast<std::size_t>(doc.Frame().m_nGridRows);
    return std::min({nodes, doc.Coverage().m_aGridCount.size(), doc.Coverage().m_aGridPower.size(),
                     doc.Coverage().m_aGridSnr.size()});
}

RequirementFigure Figure(std::size_t nodes, std::size_t covered, double target) {
    RequirementFigure f;
    f.nodes = nodes;
    if (covered == 0) return f;
    f.share = static_cast<double>(nodes) / static_cast<double>(covered);
    // Compared on the counts, so that a share printed as the target is never judged by rounding.
    f.pass = static_cast<double>(nodes) >= target * static_cast<double>(covered);
    return f;
}

} // namespace

RequirementSummary SummariseRequirement(const CPlotraDoc& doc, double signalDbm, double snrDb,
                                        double targetShare) {
    RequirementSummary s;
    s.signalDbm = signalDbm, s.snrDb = snrDb, s.targetShare = targetShare;
    s.coverageReady = doc.Coverage().m_bCoverageReady != 0 && UsableNodes(doc) > 0;
    if (!s.coverageReady) return s;
    const std::size_t n = UsableNodes(doc);
    std::size_t covered = 0, signal = 0, snr = 0, both = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (doc.Coverage().m_aGridCount[i] <= 0) continue;
        ++covered;
        const bool p = doc.Coverage().m_aGridPower[i] >= signalDbm, q = doc.Coverage().m_aGridSnr[i] >= snrDb;
        signal += p;
        snr += q;
        both += p && q;
    }
    s.coveredNodes = covered;
    s.signal = Figure(signal, covered, targetShare);
    s.snr = Figure(snr, covered, targetShare);
    s.both = Figure(both, covered, targetShare);
    return s;
}

std::vector<NodeVerdict> RequirementVerdicts(const CPlotraDoc& doc, double signalDbm, double snrDb) {
    const std::size_t n = UsableNodes(doc);
    std::vector<NodeVerdict> v;
    if (n == 0) return v;
    const std::size_t all =
        static_cast<std::size_t>(doc.Frame().m_nGridCols) * static_cast<std::size_t>(doc.Frame().m_nGridRows);
    v.assign(all, NodeVerdict::Uncovered);
    for (std::size_t i = 0; i < n; ++i) {
        if (doc.Coverage().m_aGridCount[i] <= 0) continue;
        const bool ok = doc.Coverage().m_aGridPower[i] >= signalDbm && doc.Coverage().m_aGridSnr[i] >= snrDb;
        v[i] = ok ? NodeVerdict::Meets : NodeVerdict::Fails;
    }
    return v;
}

std::string ShareText(double share) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %%", std::isfinite(share) ? share * 100.0 : 0.0);
    return buf;
}

namespace {

bool ParseNumber(const std::string& text, double lo, double hi, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

} // namespace

bool ParseRequirement(const std::string& text, RequirementInput& out, std::string& error) {
    RequirementInput r = out;
    std::size_t start = 0;
    bool any = false;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        start = comma + 1;
        if (part.empty()) continue;
        const auto eq = part.find('=');
        const std::string key = part.substr(0, eq),
                          value = eq == std::string::npos ? "" : part.substr(eq + 1);
        if (key == "signal" && ParseNumber(value, -150.0, 30.0, r.signalDbm)) {
            any = true;
        } else if (key == "snr" && ParseNumber(value, -50.0, 120.0, r.snrDb)) {
            any = true;
        } else {
            error = "--requirement needs signal=DBM,snr=DB (signal -150..30, snr -50..120)";
            return false;
        }
    }
    if (!any) {
        error = "--requirement needs signal=DBM,snr=DB (signal -150..30, snr -50..120)";
        return false;
    }
    out = r;
    return true;
}

} // namespace plotra
