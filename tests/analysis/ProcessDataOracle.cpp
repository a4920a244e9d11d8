#include "analysis/ProcessDataOracle.h"

#include "analysis/Numeric.h"
#include "analysis/Processing.h"
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace plotra::test {

namespace {

double Euclid(double y1, double x1, double y2, double x2) {
    const double dy = y1 - y2, dx = x1 - x2;
    return std::sqrt(dy * dy + dx * dx);
}

} // namespace

void ProcessDataOracle(CPlotraDoc& doc) {
    Progress& progress = doc.ProgressSink();
    progress.clearCancel();
    progress.show();
    progress.setPosition(0);
    progress.setText("Beginning Data Processing...");
    Edit::Coverage(doc).m_workContours.Clear();
    Edit::Frame(doc).m_nGridCols = 50;
    Edit::Frame(doc).m_nGridRows = 50;

    const int N = static_cast<int>(doc.Aps().m_aAPs.size());
    const bool metric = doc.Map().m_bMetricXY != 0;
    for (int i = 0; i < N; ++i) {
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[static_cast<std::size_t>(i)];
        char text[64];
        std::snprintf(text, sizeof text, "Process %d out of %d APs....", i + 1, N);

        // 1. Working points.
        if (!metric) ap.MergeCoincidentSamples(1e-9);
        const std::size_t n = ap.m_aApPoints.size();
        if (n == 0) {
            progress.setText(text);
            continue;
        }

        // 2. Working arrays with room for the pseudo-points; extent and strongest point.
        const std::size_t room = n + doc.Path().m_aPoints.size();
        std::vector<double> y(room), x(room), rssi(room), snr(room);
        for (std::size_t k = 0; k < n; ++k) {
            y[k] = ap.m_aApPoints[k].m_dY;
            x[k] = ap.m_aApPoints[k].m_dX;
            rssi[k] = ap.m_aApPoints[k].m_dRssi;
            snr[k] = ap.m_aApPoints[k].m_dRssi - ap.m_aApPoints[k].m_nNoise;
        }
        double minY = y[0], maxY = y[0], minX = x[0], maxX = x[0];
        std::size_t s = 0;
        for (std::size_t k = 1; k < n; ++k) {
            if (y[k] < minY) minY = y[k];
            if (y[k] > maxY) maxY = y[k];
            if (x[k] < minX) minX = x[k];
            if (x[k] > maxX) maxX = x[k];
            if (rssi[k] > rssi[s]) s = k;
        }
        ap.m_areaOrigin = CDataGeo(minY, minX);
        ap.m_areaSize = CDataGeo(maxY - minY, maxX - minX);

        // 3., 4.
        progress.setText(text);
        if (n < 20) continue;

        // 5.
        Edit::Coverage(doc).m_dMeanRssi = Mean(rssi.data(), n);
        Edit::Coverage(doc).m_dMeanSnr = Mean(snr.data(), n);

        // 6. Search frame.
        std::vector<double> Yl(n), Xl(n);
        double Ey, Ex;
        if (!metric) {
            for (std::size_t k = 0; k < n; ++k) {
                Yl[k] = GeoDistance(minY, minX, y[k], minX);
                Xl[k] = GeoDistance(minY, minX, minY, x[k]);
            }
            Ey = GeoDistance(minY, minX, maxY, minX);
            Ex = GeoDistance(minY, minX, minY, maxX);
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                Yl[k] = y[k];
                Xl[k] = x[k];
            }
            Ey = maxY - minY;
            Ex = maxX - minX;
        }
        double hy = 0.25 * Ey, hx = 0.25 * Ex;
        double qy = 1.0, qx = 1.0;
        const double R = rssi[s];
        double r = 0.0;
        bool cap = true;
        if (R > -30)
            r = 3;
        else if (R > -40)
            r = 6;
        else if (R > -50)
            r = 9;
        else if (R > -60)
            r = 12;
        else
            cap = false;
        if (cap) {
            if (r < hy) {
                qy = r / hy;
                hy = r;
            }
            if (r < hx) {
                qx = r / hx;
                hx = r;
            }
        }

        // 7. LocateAP.
        double Ygrid[31], Xgrid[31];
        Linspace(Ygrid, Yl[s] - hy, Yl[s] + hy, 31);
        Linspace(Xgrid, Xl[s] - hx, Xl[s] + hx, 31);
        std::size_t strong = 0;
        for (std::size_t k = 0; k < n; ++k)
            if (rssi[k] > -65.0) ++strong;
        std::vector<double> setY, setX, setR;
        for (std::size_t k = 0; k < n; ++k) {
            if (strong >= 200 && !(rssi[k] > -65.0)) continue;
            setY.push_back(Yl[k]);
            setX.push_back(Xl[k]);
            setR.push_back(rssi[k]);
        }
        const std::size_t ns = setR.size();
        std::vector<double> criteria(961), d(ns), L(ns), e(ns);
        for (std::size_t a = 0; a < 31; ++a) {
            for (std::size_t b = 0; b < 31; ++b) {
                const double cy = Ygrid[a], cx = Xgrid[b];
                for (std::size_t k = 0; k < ns; ++k) {
                    d[k] = Euclid(setY[k], setX[k], cy, cx);
                    L[k] = Log10Distance(d[k]);
                }
                const double slope = RegressionSlope(setR.data(), L.data(), ns);
                const double intercept = doc.Coverage().m_dMeanRssi - Mean(L.data(), ns) * slope;
                double gy = 0.0, gx = 0.0;
                for (std::size_t k = 0; k < ns; ++k) {
                    e[k] = setR[k] - slope * L[k] - intercept;
                    const double dk = d[k] > kMinLogDistance ? d[k] : kMinLogDistance;
                    gy += (setY[k] - cy) * e[k] / dk;
                    gx += (setX[k] - cx) * e[k] / dk;
                }
                criteria[a * 31 + b] = std::sqrt(gx * gx + gy * gy);
            }
        }
        const std::size_t best = ArgMin(criteria.data(), 961);
        const std::size_t a = best / 31, b = best % 31;
        if (!metric) {
            Linspace(Ygrid, y[s] - qy * 0.25 * (maxY - minY), y[s] + qy * 0.25 * (maxY - minY), 31);
            Linspace(Xgrid, x[s] - qx * 0.25 * (maxX - minX), x[s] + qx * 0.25 * (maxX - minX), 31);
        }
        ap.m_posAP = CDataGeo(Ygrid[a], Xgrid[b]);

        // 8. Pseudo-points.
        std::vector<std::size_t> listed;
        for (std::size_t j = 0; j < doc.Path().m_aPoints.size(); ++j) {
            const CData& p = doc.Path().m_aPoints[j];
            if (0 <= p.m_dY - ap.m_areaOrigin.m_dY && p.m_dY - ap.m_areaOrigin.m_dY <= ap.m_areaSize.m_dY &&
                0 <= p.m_dX - ap.m_areaOrigin.m_dX && p.m_dX - ap.m_areaOrigin.m_dX <= ap.m_areaSize.m_dX)
                listed.push_back(j);
        }
        std::size_t m = n;
        if (listed.size() > n) {
            for (std::size_t j : listed) {
                const CData& p = doc.Path().m_aPoints[j];
                bool near = false;
                for (std::size_t k = 0; k < n; ++k)
                    if (std::fabs(p.m_dY - y[k]) + std::fabs(p.m_dX - x[k]) < 1e-7) near = true;
                if (near) continue;
                CData q;
                q.m_dY = p.m_dY;
                q.m_dX = p.m_dX;
                q.m_dRssi = -101.0;
                q.m_nNoise = 0;
                ap.m_aApPoints.push_back(q);
                y[m] = p.m_dY;
                x[m] = p.m_dX;
                rssi[m] = -101.0;
                snr[m] = -101.0;
                ++m;
            }
        }

        // 9. Fit at the chosen position.
        std::vector<double> dm(m), Lm(m);
        CDataGeo P = ap.m_posAP;
        auto fit = [&] {
            for (std::size_t k = 0; k < m; ++k) {
                dm[k] = metric ? Euclid(y[k], x[k], P.m_dY, P.m_dX) : GeoDistance(y[k], x[k], P.m_dY, P.m_dX);
                Lm[k] = Log10Distance(dm[k]);
            }
            Edit::Coverage(doc).m_dSlope = RegressionSlope(rssi.data(), Lm.data(), m);
        };
        fit();

        // 10. Sign retry.
        const double largest = MaxOf(criteria.data(), 961);
        std::size_t current = best;
        int retries = 0;
        while (doc.Coverage().m_dSlope > 0 && doc.Coverage().m_dSlope < 5 && retries < 961) {
            criteria[current] = largest;
            current = ArgMin(criteria.data(), 961);
            P = CDataGeo(Ygrid[current / 31], Xgrid[current % 31]);
            fit();
            ++retries;
        }

        // 11. Intercept and shadowing.
        Edit::Coverage(doc).m_dIntercept =
            doc.Coverage().m_dMeanRssi - Mean(Lm.data(), n) * doc.Coverage().m_dSlope;
        std::vector<double> res(m);
        for (std::size_t k = 0; k < m; ++k) {
            double logd;
            if (metric) {
                const double dy = y[k] - P.m_dY, dx = x[k] - P.m_dX;
                logd = processing::HalfLog10OfSquare(dy * dy + dx * dx);
            } else {
                logd = Log10Distance(dm[k]);
            }
            res[k] = rssi[k] - doc.Coverage().m_dSlope * logd - doc.Coverage().m_dIntercept;
        }
        Edit::Coverage(doc).m_dShadowStd = SampleStd(res.data(), n);

        // 12. The AP's grid.
        const int cols = doc.Frame().m_nGridCols, rows = doc.Frame().m_nGridRows;
        const double sx = (maxX - minX) / (cols - 1), sy = (maxY - minY) / (rows - 1);
        ap.m_aGrid.assign(static_cast<std::size_t>(cols * rows), 0.0);
        double gmax = doc.Coverage().m_dMeanRssi, gmin = doc.Coverage().m_dMeanRssi;
        std::vector<double> dist(m);
        for (int ix = 0; ix < cols; ++ix) {
            for (int iy = 0; iy < rows; ++iy) {
                const double ny = minY + iy * sy, nx = minX + ix * sx;
                const double toP =
                    metric ? Euclid(ny, nx, P.m_dY, P.m_dX) : GeoDistance(ny, nx, P.m_dY, P.m_dX);
                const double model =
                    doc.Coverage().m_dSlope * Log10Distance(toP) + doc.Coverage().m_dIntercept;
                for (std::size_t k = 0; k < m; ++k)
                    dist[k] = metric ? Euclid(ny, nx, y[k], x[k]) : GeoDistance(ny, nx, y[k], x[k]);
                const double idw = IdwNearest(dist.data(), rssi.data(), m, 3, 2);
                const double v = doc.Coverage().m_dSlope >= 0 ? idw : 0.6 * model + 0.4 * idw;
                ap.m_aGrid[static_cast<std::size_t>(ix * rows + iy)] = v;
                if (v > gmax) gmax = v;
                if (v < gmin) gmin = v;
            }
        }

        // 13.
        ap.m_dSlope = doc.Coverage().m_dSlope;
        ap.m_dIntercept = doc.Coverage().m_dIntercept;
        ap.m_dShadowStd = doc.Coverage().m_dShadowStd;
        ap.m_dGridMax = gmax;
        ap.m_dGridMin = gmin;
        ap.m_nApGridRows = 50;
        ap.m_nApGridCols = 50;
        RegenerateApCoverageBitmap(doc, static_cast<std::size_t>(i));
        progress.setPosition(i * 90 / N + 90 / N);
    }

    progress.setPosition(100);
    progress.hide();
    // The steps after the last AP are not numerics; the production's own are shared.
    FinishProcessing(doc);
    doc.Notify(DocChange::Everything);
}

} // namespace plotra::test
