#include "analysis/SpatialIndex.h"

#include "analysis/Numeric.h"

#include <algorithm>
#include <cmath>

namespace plotra {

double IdwOfNearest(const Nearest3& best, const double* values) {
    double sumWv = 0.0, sumW = 0.0;
    for (int t = 0; t < best.count; ++t) {
        const double w = IdwWeight(best.dist[t], 2);
        sumWv += w * values[best.index[t]];
        sumW += w;
    }
    return sumWv / sumW;
}

void PlanarBuckets::Build(const double* u, const double* v, std::size_t n, double uMax, double vMax) {
    // About two points per cell on average; a degenerate range gets a strip of cells.
    const double target = std::max(1.0, static_cast<double>(n) / 2.0);
    uMax = std::isfinite(uMax) && uMax > 0.0 ? uMax : 0.0;
    vMax = std::isfinite(vMax) && vMax > 0.0 ? vMax : 0.0;
    double side;
    if (uMax > 0.0 && vMax > 0.0)
        side = std::sqrt(uMax * vMax / target);
    else if (uMax > 0.0 || vMax > 0.0)
        side = std::max(uMax, vMax) / target;
    else
        side = 1.0;
    if (!(side > 0.0) || !std::isfinite(side)) side = 1.0;
    const double maxCells = 4.0 * target + 16.0;
    auto cellsFor = [&](double extent) { return std::floor(extent / side) + 1.0; };
    while (cellsFor(uMax) * cellsFor(vMax) > maxCells)
        side *= 1.5;
    m_side = side;
    m_nu = static_cast<int>(cellsFor(uMax));
    m_nv = static_cast<int>(cellsFor(vMax));

    const std::size_t cells = static_cast<std::size_t>(m_nu) * static_cast<std::size_t>(m_nv);
    std::vector<std::uint32_t> cellOf(n);
    m_start.assign(cells + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t c = static_cast<std::size_t>(CellOf(u[i], m_nu)) * static_cast<std::size_t>(m_nv) +
                              static_cast<std::size_t>(CellOf(v[i], m_nv));
        cellOf[i] = static_cast<std::uint32_t>(c);
        ++m_start[c + 1];
    }
    for (std::size_t c = 0; c < cells; ++c)
        m_start[c + 1] += m_start[c];
    m_items.assign(n, 0);
    std::vector<std::uint32_t> fill(m_start.begin(), m_start.end() - 1);
    m_u.assign(n, 0.0);
    m_v.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t k = fill[cellOf[i]]++;
        m_items[k] = static_cast<std::uint32_t>(i);
        m_u[k] = u[i];
        m_v[k] = v[i];
    }
}

} // namespace plotra
