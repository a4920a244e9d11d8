#include "analysis/CoverageColours.h"
#include "analysis/Numeric.h"
#include "analysis/Processing.h"
#include "model/PlotraDoc.h"

#include <cmath>
#include <vector>

namespace plotra {

// An AP moved by the user gets its model refitted for the position now stored in m_posAP; a position
// whose model would not fall with distance by at least 10 dB per decade is refused and undone.
void CPlotraDoc::RecalculateAP(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_aAPs.size()) return;
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
        ++m_nChangeCounter;
        Host().updateAllViews();
    };
    const std::size_t n = ap.m_aApPoints.size();
    if (n <= 20) {
        finish();
        return;
    }

    std::vector<double> y(n), x(n), rssi(n), logs(n);
    for (std::size_t i = 0; i < n; ++i) {
        y[i] = ap.m_aApPoints[i].m_dY;
        x[i] = ap.m_aApPoints[i].m_dX;
        rssi[i] = ap.m_aApPoints[i].m_dRssi;
        double d;
        if (m_bMetricXY) {
            const double dy = y[i] - ap.m_posAP.m_dY, dx = x[i] - ap.m_posAP.m_dX;
            d = std::sqrt(dy * dy + dx * dx);
        } else {
            d = GeoDistance(y[i], x[i], ap.m_posAP.m_dY, ap.m_posAP.m_dX);
        }
        logs[i] = Log10Distance(d);
    }
    const double slope = RegressionSlope(rssi.data(), logs.data(), n);
    const double meanRssi = Mean(rssi.data(), n);
    const double intercept = meanRssi - Mean(logs.data(), n) * slope;

    if (!(slope <= -10.0)) {
        Prompts().message("This AP position results in wrong progation parameters.", "Invalid Position",
                          PromptIcon::Stop);
        ap.m_posAP = m_posMovedFrom;
        finish();
        return;
    }
    m_dSlope = slope;
    m_dMeanRssi = meanRssi;
    m_dIntercept = intercept;
    ap.m_bFixed = 1;

    std::vector<double> residuals(n);
    for (std::size_t i = 0; i < n; ++i) {
        double l = logs[i];
        if (m_bMetricXY) {
            const double dy = y[i] - ap.m_posAP.m_dY, dx = x[i] - ap.m_posAP.m_dX;
            l = processing::HalfLog10OfSquare(dy * dy + dx * dx);
        }
        residuals[i] = rssi[i] - slope * l - intercept;
    }
    m_dShadowStd = SampleStd(residuals.data(), n);
    progress.setPosition(10);

    const processing::PointArrays points{y.data(), x.data(), rssi.data(), n};
    const processing::AreaBounds area{ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dX,
                                      ap.m_areaOrigin.m_dY + ap.m_areaSize.m_dY,
                                      ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX};
    const int cols = ap.m_nApGridCols > 0 ? ap.m_nApGridCols : 50;
    const int rows = ap.m_nApGridRows > 0 ? ap.m_nApGridRows : 50;
    processing::ApGrid grid =
        processing::PredictApGrid(points, m_bMetricXY != 0, area, cols, rows, ap.m_posAP, slope, intercept, meanRssi);
    progress.setPosition(80);

    ap.m_dSlope = slope;
    ap.m_dIntercept = intercept;
    ap.m_dShadowStd = m_dShadowStd;
    ap.m_aGrid = std::move(grid.values);
    ap.m_dGridMax = grid.maximum;
    ap.m_dGridMin = grid.minimum;
    ap.m_nApGridCols = cols;
    ap.m_nApGridRows = rows;
    RegenerateApCoverageBitmap(*this, static_cast<std::size_t>(index));
    progress.setPosition(100);
    finish();
}

} // namespace plotra
