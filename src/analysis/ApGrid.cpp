// An AP's predicted grid: the model's value blended with the inverse-distance mean of the three
// nearest working points at every node, the nearest found through a planar index.
#include "analysis/Processing.h"

#include "analysis/Numeric.h"
#include "analysis/SpatialIndex.h"
#include "model/Geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plotra {
namespace processing {

namespace {

bool AllFinite(const PointArrays& p) {
    for (std::size_t i = 0; i < p.count; ++i)
        if (!std::isfinite(p.y[i]) || !std::isfinite(p.x[i]) || !std::isfinite(p.rssi[i])) return false;
    return true;
}

} // namespace

bool NearestBuckets::Usable(const PointArrays& pts, bool metric, const AreaBounds& area) {
    if (pts.count < 3 || !AllFinite(pts)) return false;
    const double pi180 = kGeoPi / 180.0;
    if (!metric)
        return (area.maxY - area.minY) * pi180 <= kMaxFastSpanRad &&
               (area.maxX - area.minX) * pi180 <= kMaxFastSpanRad &&
               std::fabs(area.minY) <= kMaxFastLatitude && std::fabs(area.maxY) <= kMaxFastLatitude;
    for (double c : {area.minY, area.maxY, area.minX, area.maxX})
        if (!(std::fabs(c) <= kMaxFastMetric)) return false;
    return true;
}

void NearestBuckets::Build(const PointArrays& pts, bool metric, const AreaBounds& area) {
    const double pi180 = kGeoPi / 180.0;
    m_metric = metric;
    m_minY = area.minY;
    m_minX = area.minX;
    m_kappaY = m_kappaX = 1.0;
    if (!metric) {
        const double cMin =
            std::min(std::cos(area.minY * pi180), std::cos(area.maxY * pi180)) * (1.0 - 1e-12);
        m_kappaY = kGeoRadius * pi180;
        m_kappaX = m_kappaY * cMin;
    }
    const std::size_t m = pts.count;
    std::vector<double> u(m), v(m);
    for (std::size_t i = 0; i < m; ++i) {
        u[i] = (pts.y[i] - area.minY) * m_kappaY;
        v[i] = (pts.x[i] - area.minX) * m_kappaX;
    }
    m_buckets.Build(u.data(), v.data(), m, (area.maxY - area.minY) * m_kappaY,
                    (area.maxX - area.minX) * m_kappaX);
}

ApGrid PredictApGrid(const PointArrays& pts, bool metric, const AreaBounds& area, int cols, int rows,
                     const CDataGeo& position, double slope, double intercept, double meanRssi,
                     const std::vector<GeoPrepared>* prepared) {
    ApGrid g;
    g.maximum = meanRssi;
    g.minimum = meanRssi;
    if (cols <= 0 || rows <= 0) return g;
    const std::size_t ucols = static_cast<std::size_t>(cols), urows = static_cast<std::size_t>(rows);
    g.values.assign(ucols * urows, 0.0);
    const double sx = (area.maxX - area.minX) / (cols - 1);
    const double sy = (area.maxY - area.minY) / (rows - 1);
    const std::size_t m = pts.count;

    const bool fast = NearestBuckets::Usable(pts, metric, area);

    // Per-point and per-node parts of the distances.
    std::vector<GeoPrepared> geo;
    std::vector<GeoPrepared> rowGeo;
    std::vector<double> colLonRad;
    GeoPrepared pGeo;
    if (!metric) {
        if (!prepared || prepared->size() != m) {
            geo.resize(m);
            for (std::size_t i = 0; i < m; ++i)
                geo[i] = PrepareGeo(pts.y[i], pts.x[i]);
        }
        rowGeo.resize(urows);
        for (std::size_t iy = 0; iy < urows; ++iy)
            rowGeo[iy] = PrepareGeo(area.minY + static_cast<double>(iy) * sy, 0.0);
        colLonRad.resize(ucols);
        for (std::size_t ix = 0; ix < ucols; ++ix)
            colLonRad[ix] = (area.minX + static_cast<double>(ix) * sx) * kGeoPi / 180.0;
        pGeo = PrepareGeo(position.m_dY, position.m_dX);
    }

    const GeoPrepared* pointGeo =
        !metric && prepared && prepared->size() == m ? prepared->data() : geo.data();
    NearestBuckets buckets;
    if (fast) buckets.Build(pts, metric, area);

    std::vector<double> dist(fast ? 0 : m);
    for (std::size_t ix = 0; ix < ucols; ++ix) {
        const double nodeX = area.minX + static_cast<double>(ix) * sx;
        for (std::size_t iy = 0; iy < urows; ++iy) {
            const double nodeY = area.minY + static_cast<double>(iy) * sy;
            GeoPrepared node;
            if (!metric) {
                node = rowGeo[iy];
                node.lonRad = colLonRad[ix];
            }
            double toP;
            if (metric) {
                const double dy = nodeY - position.m_dY, dx = nodeX - position.m_dX;
                toP = std::sqrt(dy * dy + dx * dx);
            } else {
                toP = GeoDistancePrepared(node, pGeo);
            }
            const double model = slope * Log10Distance(toP) + intercept;

            double idw;
            if (fast) {
                Nearest3 best;
                buckets.Query(nodeY, nodeX, node, pts, pointGeo, best);
                idw = IdwOfNearest(best, pts.rssi);
            } else {
                for (std::size_t i = 0; i < m; ++i) {
                    if (metric) {
                        const double dy = nodeY - pts.y[i], dx = nodeX - pts.x[i];
                        dist[i] = std::sqrt(dy * dy + dx * dx);
                    } else {
                        dist[i] = GeoDistancePrepared(node, pointGeo[i]);
                    }
                }
                idw = IdwNearest(dist.data(), pts.rssi, m, 3, 2);
            }

            const double value = slope >= 0.0 ? idw : 0.6 * model + 0.4 * idw;
            g.values[ix * urows + iy] = value;
            if (value > g.maximum) g.maximum = value;
            if (value < g.minimum) g.minimum = value;
        }
    }
    return g;
}

} // namespace processing
} // namespace plotra
