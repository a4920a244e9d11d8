#include "analysis/Reliability.h"

#include "analysis/Numeric.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace plotra {

double Erfc(double x) {
    const double ax = std::fabs(x);
    if (ax == 0.0) return 1.0;
    if (ax >= 2.5) return 1.0 - x / ax;
    std::vector<double> t(5000);
    Linspace(t.data(), 0.0, ax, t.size());
    double s = 0.0;
    for (double v : t) s += std::exp(-v * v);
    // The step is x/5000 although the samples span |x| with 4999 gaps; kept as the system defines it.
    return 1.0 - (x / 5000.0) * 2.0 * s / std::sqrt(3.1415926);
}

double ErfInv(double y) {
    const double sign = y > 0 ? 1.0 : -1.0;
    std::vector<double> t(10000);
    Linspace(t.data(), 0.0, 5.0, t.size());
    const double target = std::sqrt(3.1416) * (sign * y) / 0.001;
    double sum = 0.0;
    std::size_t found = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const double before = sum;
        sum += std::exp(-t[i] * t[i]);
        if (before < target && sum > target) found = i;
    }
    if (found < 1) return 0.0;
    return sign * (t[found - 1] + t[found]) * 0.5;
}

double EdgeReliability(double slope, double intercept, double shadowStd, double threshold, double radius) {
    return 0.5 * Erfc((threshold - intercept - slope * std::log10(radius)) / (shadowStd * std::sqrt(2.0)));
}

double CellReliability(double slope, double intercept, double shadowStd, double threshold, double radius) {
    const double a = (threshold - intercept) / shadowStd;
    const double b = -slope / (shadowStd * std::log(10.0));
    const float lnR = std::log(static_cast<float>(radius));
    const double t = a + b * static_cast<double>(lnR);
    return 0.5 * Erfc(t / std::sqrt(2.0)) +
           std::exp(2.0 / (b * b) - 2.0 * a / b) * (1.0 - 0.5 * Erfc((t - 2.0 / b) / std::sqrt(2.0))) /
               (radius * radius);
}

namespace {

/// "%f" read of a field; text that does not parse keeps the previous value.
void ParseField(const std::string& text, float& value) {
    float v;
    if (std::sscanf(text.c_str(), "%f", &v) == 1) value = v;
}

std::string Format4(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%1.4f", v);
    return buf;
}

/// The APs the analysis looks at: the panel's selected AP when ticked (single mode), or every
/// ticked AP (group mode). In group mode the ticked APs with too few points are named first.
std::vector<std::size_t> ScopeAndPointChecks(CPlotraDoc& doc) {
    std::vector<std::size_t> scope;
    if (doc.Display().m_nAnalysisMode == 2) {
        std::string listed;
        int listedCount = 0;
        bool anyEnough = false;
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
            const CAPInfo& ap = doc.Aps().m_aAPs[i];
            if (!ap.m_bSelected) continue;
            scope.push_back(i);
            if (ap.m_aApPoints.size() < kMinLocatedPoints) {
                listed += ap.MacText() + ", " + ap.SsidText() + " \n";
                ++listedCount;
            } else {
                anyEnough = true;
            }
        }
        if (!anyEnough) doc.Prompts().message("No AP has enough point!", "No Valid AP", PromptIcon::Information);
        if (listedCount > 0) {
            const char* fmt = listedCount == 1 ? "No enough points for the following AP: \n " : "No enough points for the following APs: \n ";
            doc.Prompts().message(fmt + listed + " \n", "Invalid AP", PromptIcon::Information);
        }
    } else {
        const int sel = doc.Display().m_panel.m_nSelectedAP;
        if (sel >= 0 && static_cast<std::size_t>(sel) < doc.Aps().m_aAPs.size() &&
            doc.Aps().m_aAPs[static_cast<std::size_t>(sel)].m_bSelected)
            scope.push_back(static_cast<std::size_t>(sel));
    }
    return scope;
}

/// False (with the single-mode message) when the AP has fewer than 80 working points.
bool EnoughPoints(CPlotraDoc& doc, const CAPInfo& ap) {
    if (ap.m_aApPoints.size() >= kMinLocatedPoints) return true;
    if (doc.Display().m_nAnalysisMode != 2)
        doc.Prompts().message("No Enough Measurement Points (< 80) for this AP: " + ap.SsidText(),
                              "Insufficient Points", PromptIcon::Information);
    return false;
}

void ShowCellRadius(CPlotraDoc& doc) {
    Edit::Display(doc).SetMode(DisplayMode::CellRadius);
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    doc.Notify(DocChange::Aps, ApField::Reliability);
}

} // namespace

void ReliabilityFromRadius(CPlotraDoc& doc, ReliabilityFields& fields) {
    auto& values = Edit::Display(doc).m_panel.m_afReliability;
    ParseField(fields.radius, values[0]);
    ParseField(fields.threshold, values[1]);
    const double radius = values[0] * doc.Display().m_dUnitFactor;
    const double threshold = values[1];
    double sumEdge = 0.0, sumCell = 0.0;
    int computed = 0;
    for (std::size_t i : ScopeAndPointChecks(doc)) {
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[i];
        if (radius < 0) {
            doc.Prompts().message("Radius has to be larger than 0!", "Invalid Radius", PromptIcon::Stop);
            continue;
        }
        if (!EnoughPoints(doc, ap)) continue;
        if (radius > 0 && ap.m_dSlope < -10.0) {
            sumEdge += EdgeReliability(ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd, threshold, radius);
            sumCell += CellReliability(ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd, threshold, radius);
            ap.m_fReliability = static_cast<float>(radius);
            ++computed;
        }
    }
    if (computed == 0) {
        fields.probability = fields.cell = "N/A";
    } else {
        fields.probability = Format4(sumEdge / computed);
        fields.cell = Format4(sumCell / computed);
        values[2] = static_cast<float>(sumEdge / computed);
        values[3] = static_cast<float>(sumCell / computed);
    }
    ShowCellRadius(doc);
}

void RadiusFromReliability(CPlotraDoc& doc, ReliabilityFields& fields) {
    auto& values = Edit::Display(doc).m_panel.m_afReliability;
    ParseField(fields.threshold, values[1]);
    ParseField(fields.probability, values[2]);
    const double threshold = values[1];
    const double p = values[2];
    double sumRadius = 0.0, sumCell = 0.0;
    int computed = 0;
    for (std::size_t i : ScopeAndPointChecks(doc)) {
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[i];
        if (p < 0 || p > 1) {
            doc.Prompts().message("Probability has to be in [0, 1]!", "Invalid Probability", PromptIcon::Stop);
            continue;
        }
        if (!EnoughPoints(doc, ap)) continue;
        if (p > 0 && ap.m_dSlope < -10.0) {
            const double z = std::sqrt(2.0) * ErfInv(1.0 - 2.0 * p);
            const double r = std::pow(10.0, (threshold - ap.m_dShadowStd * z - ap.m_dIntercept) / ap.m_dSlope);
            sumRadius += r;
            sumCell += CellReliability(ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd, threshold, r);
            ap.m_fReliability = static_cast<float>(r);
            ++computed;
        }
    }
    if (computed == 0) {
        fields.radius = fields.cell = "N/A";
    } else {
        fields.radius = Format4(sumRadius / computed / doc.Display().m_dUnitFactor);
        fields.cell = Format4(sumCell / computed);
        values[0] = static_cast<float>(sumRadius / computed / Edit::Display(doc).m_dUnitFactor);
        values[3] = static_cast<float>(sumCell / computed);
    }
    ShowCellRadius(doc);
}

} // namespace plotra
