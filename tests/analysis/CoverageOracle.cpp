#include "analysis/CoverageOracle.h"

#include "analysis/Numeric.h"

#include <algorithm>
#include <cmath>

namespace plotra::test {

CoverageOracleGrids CoverageOracle(const CoverageSnapshot& s, std::size_t first, std::size_t step,
                                   std::size_t rowStep) {
    CoverageOracleGrids g;
    const std::size_t cols = static_cast<std::size_t>(s.cols), rows = static_cast<std::size_t>(s.rows);
    g.power.assign(cols * rows, -101.0);
    g.snr.assign(cols * rows, -101.0);
    g.countValue.assign(cols * rows, 0.01);
    g.dominant.assign(cols * rows, Rgb(255, 255, 255));
    g.mixed.assign(cols * rows, Rgb(255, 255, 255));
    g.powerMax = g.powerMin = s.meanRssi;
    g.snrMax = g.snrMin = s.meanSnr;
    auto dist = [&](double y1, double x1, double y2, double x2) {
        if (!s.metric) return GeoDistance(y1, x1, y2, x2);
        const double dy = y1 - y2, dx = x1 - x2;
        return std::sqrt(dx * dx + dy * dy);
    };
    // The APs' working points as plain arrays.
    struct Columns {
        std::vector<double> y, x, rssi, noise;
    };
    std::vector<Columns> columns;
    for (const CoverageAp& ap : s.aps) {
        Columns c;
        for (const CData p : ap.points) {
            c.y.push_back(p.m_dY);
            c.x.push_back(p.m_dX);
            c.rssi.push_back(p.m_dRssi);
            c.noise.push_back(static_cast<double>(p.m_nNoise));
        }
        columns.push_back(std::move(c));
    }
    std::vector<double> d;
    for (std::size_t ix = first; ix < cols; ix += step) {
        const double x = s.originX + static_cast<double>(ix) * s.spanX / static_cast<double>(s.cols - 1);
        for (std::size_t iy = rowStep == 1 ? 0 : first; iy < rows; iy += rowStep) {
            const double y = s.originY + static_cast<double>(iy) * s.spanY / static_cast<double>(s.rows - 1);
            double bestPower = -101.0, bestSnr = -101.0;
            COLORREF dominant = Rgb(255, 255, 255);
            std::vector<COLORREF> colours;
            for (std::size_t a = 0; a < s.aps.size(); ++a) {
                const CoverageAp& ap = s.aps[a];
                const Columns& c = columns[a];
                if (!(ap.originY <= y && y <= ap.originY + ap.sizeY && ap.originX <= x && x <= ap.originX + ap.sizeX))
                    continue;
                const double model = ap.slope * Log10Distance(dist(y, x, ap.posY, ap.posX)) + ap.intercept;
                d.resize(c.y.size());
                for (std::size_t i = 0; i < c.y.size(); ++i) d[i] = dist(y, x, c.y[i], c.x[i]);
                double power = IdwNearest(d.data(), c.rssi.data(), d.size(), 3, 2);
                if (ap.slope < 0) power = 0.6 * model + 0.4 * power;
                const double snr = power - IdwNearest(d.data(), c.noise.data(), d.size(), 3, 2);
                colours.push_back(ap.colour);
                if (power > bestPower) bestPower = power, dominant = ap.colour;
                if (snr > bestSnr) bestSnr = snr;
            }
            if (colours.empty()) continue;
            const std::size_t idx = ix * rows + iy;
            g.power[idx] = bestPower;
            g.snr[idx] = bestSnr;
            g.countValue[idx] = static_cast<double>(colours.size()) + 0.01;
            g.dominant[idx] = dominant;
            g.mixed[idx] = MixedColour(colours);
            g.powerMax = std::max(g.powerMax, bestPower), g.powerMin = std::min(g.powerMin, bestPower);
            g.snrMax = std::max(g.snrMax, bestSnr), g.snrMin = std::min(g.snrMin, bestSnr);
        }
    }
    return g;
}

} // namespace plotra::test
