#pragma once
/// \brief Nearest-point queries with the ranking of the inverse-distance interpolation: smaller
/// distance first, and of two equal distances the point with the larger index first (the order in
/// which repeated bubble passes hand the points out). Points are bucketed on a planar square grid;
/// the exact distance of a candidate is computed by the caller, so the index only has to know a
/// lower bound of that distance from the planar one.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plotra {

/// \brief The three best points seen so far, best first.
struct Nearest3 {
    double dist[3] = {0.0, 0.0, 0.0};
    std::size_t index[3] = {0, 0, 0};
    int count = 0;

    /// True when (da, ia) ranks before (db, ib).
    static bool Before(double da, std::size_t ia, double db, std::size_t ib) {
        return da < db || (da == db && ia > ib);
    }
    void Offer(double d, std::size_t i) {
        if (count == 3 && !Before(d, i, dist[2], index[2])) return;
        int pos = count < 3 ? count++ : 2;
        while (pos > 0 && Before(d, i, dist[pos - 1], index[pos - 1])) {
            dist[pos] = dist[pos - 1];
            index[pos] = index[pos - 1];
            --pos;
        }
        dist[pos] = d;
        index[pos] = i;
    }
};

/// The inverse-distance weighted mean (power 2) of \p values over the points of \p best, summed in
/// their order: the same sums IdwNearest forms over the same three points.
double IdwOfNearest(const Nearest3& best, const double* values);

/// \brief Points bucketed on a square grid over [0, uMax] x [0, vMax] (planar units).
class PlanarBuckets {
  public:
    /// Buckets \p n points; coordinates outside the range go to the border cells.
    void Build(const double* u, const double* v, std::size_t n, double uMax, double vMax);

    /// Offers every point that may rank among the three nearest of (u, v) to \p best, ring of cells
    /// after ring of cells. \p exact(i) returns the exact distance of point i; the exact distance of
    /// any point is assumed to be at least planar * (1 - relSlack) - absSlack.
    template <class Exact>
    void Query(double u, double v, Nearest3& best, Exact&& exact, double relSlack, double absSlack) const {
        const int cu = CellOf(u, m_nu), cv = CellOf(v, m_nv);
        const int maxRing = std::max(std::max(cu, m_nu - 1 - cu), std::max(cv, m_nv - 1 - cv));
        const Probe probe{u, v, 1.0 - relSlack, absSlack};
        for (int r = 0; r <= maxRing; ++r) {
            const int u0 = cu - r, u1 = cu + r, v0 = cv - r, v1 = cv + r;
            for (int a = std::max(u0, 0); a <= std::min(u1, m_nu - 1); ++a) {
                const bool edgeRow = a == u0 || a == u1;
                if (edgeRow) {
                    for (int b = std::max(v0, 0); b <= std::min(v1, m_nv - 1); ++b)
                        VisitCell(a, b, probe, best, exact);
                } else {
                    if (v0 >= 0) VisitCell(a, v0, probe, best, exact);
                    if (v1 < m_nv && v1 != v0) VisitCell(a, v1, probe, best, exact);
                }
            }
            // Every cell of the next ring lies at least r cell sides away from (u, v).
            if (best.count == 3 && probe.LowerBound(static_cast<double>(r) * m_side) > best.dist[2]) return;
        }
    }

  private:
    int CellOf(double c, int cells) const {
        const double q = c / m_side;
        if (!(q > 0.0)) return 0;
        if (q >= static_cast<double>(cells - 1)) return cells - 1;
        return static_cast<int>(q);
    }
    struct Probe {
        double u, v, keep, absSlack;
        double LowerBound(double planar) const { return planar * keep - absSlack; }
    };
    /// The squared planar distance beyond which a point loses to the third best: (d3 + absSlack) / keep
    /// squared, and a millionth more (far beyond the roundings of these few operations, far below
    /// the slack), so that no root is taken per point. Only skipping depends on it, never a result.
    struct Cutoff {
        double forThird = -1.0;
        double squared = 0.0;
        double For(const Probe& probe, double third) {
            if (third != forThird) {
                forThird = third;
                const double planar = (third + probe.absSlack) / probe.keep;
                squared = planar * planar * (1.0 + 1e-6);
            }
            return squared;
        }
    };
    template <class Exact>
    void VisitCell(int a, int b, const Probe& probe, Nearest3& best, Exact& exact) const {
        const std::size_t cell =
            static_cast<std::size_t>(a) * static_cast<std::size_t>(m_nv) + static_cast<std::size_t>(b);
        Cutoff cutoff;
        for (std::uint32_t k = m_start[cell]; k < m_start[cell + 1]; ++k) {
            // The exact distance is dear; a point whose planar bound already loses is skipped.
            if (best.count == 3) {
                const double du = m_u[k] - probe.u, dv = m_v[k] - probe.v;
                if (du * du + dv * dv > cutoff.For(probe, best.dist[2])) continue;
            }
            const std::size_t i = m_items[k];
            best.Offer(exact(i), i);
        }
    }

    double m_side = 1.0;
    int m_nu = 1, m_nv = 1;
    std::vector<std::uint32_t> m_start; ///< first item of each cell; one more entry than cells
    std::vector<std::uint32_t> m_items; ///< point indices, cell after cell
    std::vector<double> m_u, m_v;       ///< planar coordinates of m_items
};

} // namespace plotra
