#include "analysis/Numeric.h"
#include "analysis/Processing.h"
#include "model/CoverageColours.h"
#include "model/PlotraDoc.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

namespace {

/// A move changes the AP's position and model (its grid and picture with a refit); a drop on the map
/// also switches the combined coverage off.
EditSubject MoveSubject(const CAPInfo& ap, int index, bool dropped) {
    EditSubject subject{"Move AP " + ap.MacText(), {index}};
    subject.apModels = true;
    subject.staleCoverage = dropped;
    return subject;
}

/// \brief The path-loss model fitted to an AP's points for its current position, with the points'
/// coordinates, readings and log distances it was fitted on.
struct MoveFit {
    std::vector<double> y, x, rssi, logs;
    double slope = 0.0, meanRssi = 0.0, intercept = 0.0;
};

MoveFit FitMovedAp(const CAPInfo& ap, bool metric) {
    const std::size_t n = ap.m_aApPoints.size();
    MoveFit f;
    f.y.resize(n), f.x.resize(n), f.rssi.resize(n), f.logs.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        f.y[i] = ap.m_aApPoints[i].m_dY;
        f.x[i] = ap.m_aApPoints[i].m_dX;
        f.rssi[i] = ap.m_aApPoints[i].m_dRssi;
        double d;
        if (metric) {
            const double dy = f.y[i] - ap.m_posAP.m_dY, dx = f.x[i] - ap.m_posAP.m_dX;
            d = std::sqrt(dy * dy + dx * dx);
        } else {
            d = GeoDistance(f.y[i], f.x[i], ap.m_posAP.m_dY, ap.m_posAP.m_dX);
        }
        f.logs[i] = Log10Distance(d);
    }
    f.slope = RegressionSlope(f.rssi.data(), f.logs.data(), n);
    f.meanRssi = Mean(f.rssi.data(), n);
    f.intercept = f.meanRssi - Mean(f.logs.data(), n) * f.slope;
    return f;
}

/// Spread of the readings about the fitted model; in metres the distances are taken from the
/// squares, as the processing takes them.
double ShadowStd(const MoveFit& f, const CDataGeo& pos, bool metric) {
    const std::size_t n = f.rssi.size();
    std::vector<double> residuals(n);
    for (std::size_t i = 0; i < n; ++i) {
        double l = f.logs[i];
        if (metric) {
            const double dy = f.y[i] - pos.m_dY, dx = f.x[i] - pos.m_dX;
            l = processing::HalfLog10OfSquare(dy * dy + dx * dx);
        }
        residuals[i] = f.rssi[i] - f.slope * l - f.intercept;
    }
    return SampleStd(residuals.data(), n);
}

/// Gives \p ap the fitted model and its predicted grid over the AP's area.
void StoreMovedApModel(CAPInfo& ap, const MoveFit& f, double shadowStd, bool metric, Progress& progress) {
    const processing::PointArrays points{f.y.data(), f.x.data(), f.rssi.data(), f.rssi.size()};
    const processing::AreaBounds area{ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dX,
                                      ap.m_areaOrigin.m_dY + ap.m_areaSize.m_dY,
                                      ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX};
    const int cols = ap.m_nApGridCols > 0 ? ap.m_nApGridCols : 50;
    const int rows = ap.m_nApGridRows > 0 ? ap.m_nApGridRows : 50;
    processing::ApGrid grid = processing::PredictApGrid(points, metric, area, cols, rows, ap.m_posAP, f.slope,
                                                        f.intercept, f.meanRssi);
    progress.setPosition(80);

    ap.m_dSlope = f.slope;
    ap.m_dIntercept = f.intercept;
    ap.m_dShadowStd = shadowStd;
    ap.m_aGrid = std::move(grid.values);
    ap.m_dGridMax = grid.maximum;
    ap.m_dGridMin = grid.minimum;
    ap.m_nApGridCols = cols;
    ap.m_nApGridRows = rows;
}

} // namespace

// An AP moved by the user gets its model refitted for the position now stored in m_posAP; a position
// whose model would not fall with distance by at least 10 dB per decade is refused and undone.
MoveOutcome CPlotraDoc::RecalculateAP(int index) {
    MoveOutcome outcome;
    if (index < 0 || static_cast<std::size_t>(index) >= m_aAPs.size()) return outcome;
    CAPInfo& ap = m_aAPs[static_cast<std::size_t>(index)];
    Progress& progress = ProgressSink();
    progress.setPosition(0);
    progress.clearCancel();
    progress.show();
    progress.setText("Re-Calculating...");

    auto finish = [&] {
        progress.hide();
        ComputeExtent(0, 0, 0);
        m_bCoveragePlotted = 1;
        Notify(DocChange::Aps, outcome.refitted ? ApField::Model : ApField::Position, {index});
        return outcome;
    };
    if (ap.m_aApPoints.size() <= kMinCoveragePoints) {
        // Too few points for a model: the AP simply stays where it was put.
        outcome.accepted = true;
        return finish();
    }

    const bool metric = m_bMetricXY != 0;
    const MoveFit fit = FitMovedAp(ap, metric);
    if (!(fit.slope <= -10.0)) {
        outcome.message = "This AP position results in wrong progation parameters.";
        Prompts().message(outcome.message, "Invalid Position", PromptIcon::Stop);
        ap.m_posAP = m_posMovedFrom;
        return finish();
    }
    outcome.accepted = outcome.refitted = true;
    m_dSlope = fit.slope;
    m_dMeanRssi = fit.meanRssi;
    m_dIntercept = fit.intercept;
    ap.m_bFixed = 1;

    m_dShadowStd = ShadowStd(fit, ap.m_posAP, metric);
    progress.setPosition(10);
    StoreMovedApModel(ap, fit, m_dShadowStd, metric, progress);
    RegenerateApCoverageBitmap(*this, static_cast<std::size_t>(index));
    progress.setPosition(100);
    return finish();
}

MoveOutcome CPlotraDoc::MoveAp(int index, const CDataGeo& to) {
    if (RefuseEditWhileBusy(DocChange::Aps)) return {};
    if (index < 0 || static_cast<std::size_t>(index) >= m_aAPs.size()) return {};
    CAPInfo& ap = m_aAPs[static_cast<std::size_t>(index)];
    UndoableEdit edit(*this, MoveSubject(ap, index, false));
    m_posMovedFrom = ap.m_posAP;
    ap.m_posAP = to;
    return RecalculateAP(index);
}

bool CPlotraDoc::BeginApDrag(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_aAPs.size();
}

MoveOutcome CPlotraDoc::FinishApDrag(int index, const CDataGeo& to) {
    if (!BeginApDrag(index) || RefuseEditWhileBusy(DocChange::Aps)) return {};
    UndoableEdit edit(*this, MoveSubject(m_aAPs[static_cast<std::size_t>(index)], index, true));
    // The combined coverage, its contours and the cell radii were computed with the AP where it was:
    // they stay off until the coverage is calculated again. The refit brings the AP's own picture back.
    m_bCombined = 0;
    m_bMultiContours = 0;
    m_bShowContour = 0;
    m_bShowCellRadius = 0;
    m_bCoverageReady = 0;
    m_bCoveragePlotted = 0;
    Notify(DocChange::Display);
    CAPInfo& ap = m_aAPs[static_cast<std::size_t>(index)];
    m_posMovedFrom = ap.m_posAP;
    ap.m_posAP = to;
    if (m_bDataLoaded) return RecalculateAP(index);
    Notify(DocChange::Aps, ApField::Position, {index});
    MoveOutcome outcome;
    outcome.accepted = true;
    return outcome;
}

namespace {

/// A typed coordinate read as the panel reads it ("%f", single precision); nothing for other text.
std::optional<double> ParseTyped(const std::string& text) {
    float v = 0.0f;
    if (std::sscanf(text.c_str(), "%f", &v) != 1) return std::nullopt;
    return static_cast<double>(v);
}

} // namespace

std::optional<MoveOutcome> CPlotraDoc::TypeApPosition(const std::string& yText, const std::string& xText) {
    if (RefuseEditWhileBusy(DocChange::Aps)) return std::nullopt;
    const int index = m_panel.m_nSelectedAP;
    if (index < 0 || static_cast<std::size_t>(index) >= m_aAPs.size() ||
        !m_aAPs[static_cast<std::size_t>(index)].m_bSelected)
        return std::nullopt;
    const bool metres = m_dUnitFactor >= 0.5;
    auto refuse = [&](const char* what) {
        Prompts().message(std::string("Please input the value for ") + what + ".", "Invalid Location",
                          PromptIcon::Stop);
        return std::nullopt;
    };
    std::optional<double> y, x;
    double limit;
    if (!m_bMetricXY) {
        // An unreadable text would otherwise move the AP to latitude 0, longitude 0.
        if (!(y = ParseTyped(yText))) return refuse("Lat");
        if (!(x = ParseTyped(xText))) return refuse("Lon");
        limit = 180.0;
    } else {
        if (yText == "N/A" || !(y = ParseTyped(yText))) return refuse(metres ? "Y(m)" : "Y(ft)");
        if (xText == "N/A" || !(x = ParseTyped(xText))) return refuse(metres ? "X(m)" : "X(ft)");
        *y *= m_dUnitFactor;
        *x *= m_dUnitFactor;
        limit = 1e10;
    }
    if (!(std::fabs(*y) < limit && std::fabs(*x) < limit)) return std::nullopt;
    const CDataGeo& old = m_aAPs[static_cast<std::size_t>(index)].m_posAP;
    if (!(std::fabs(old.m_dY - *y) + std::fabs(old.m_dX - *x) > 1e-6)) return std::nullopt;
    return MoveAp(index, CDataGeo(*y, *x));
}

} // namespace plotra
