#include "analysis/Processing.h"

#include "analysis/CoverageColours.h"
#include "analysis/GeoPrepared.h"
#include "analysis/Numeric.h"
#include "analysis/SpatialIndex.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>

namespace plotra {
namespace processing {

double HalfLog10OfSquare(double squared) {
    const double floor = kMinLogDistance * kMinLogDistance;
    return 0.5 * std::log10(squared > floor ? squared : floor);
}

std::optional<double> SearchCap(double strongestRssi) {
    if (strongestRssi > -30.0) return 3.0;
    if (strongestRssi > -40.0) return 6.0;
    if (strongestRssi > -50.0) return 9.0;
    if (strongestRssi > -60.0) return 12.0;
    return std::nullopt;
}

std::vector<std::size_t> SearchPointSet(const double* rssi, std::size_t n) {
    std::vector<std::size_t> strong;
    for (std::size_t i = 0; i < n; ++i)
        if (rssi[i] > kSubsetRssi) strong.push_back(i);
    if (strong.size() >= kSubsetMinimum) return strong;
    std::vector<std::size_t> all(n);
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
}

SignRetry RetryPositiveSlope(std::vector<double>& criteria, std::size_t best, double slope,
                             const std::function<double(std::size_t)>& slopeAt) {
    SignRetry r;
    r.candidate = best;
    r.slope = slope;
    if (criteria.empty()) return r;
    // The criteria as the search left them: a candidate that was tried goes to the back of the queue.
    const double largest = MaxOf(criteria.data(), criteria.size());
    while (r.slope > 0.0 && r.slope < 5.0 && r.retries < static_cast<int>(kCandidates)) {
        criteria[r.candidate] = largest;
        r.candidate = ArgMin(criteria.data(), criteria.size());
        r.slope = slopeAt(r.candidate);
        ++r.retries;
    }
    return r;
}

namespace {

/// The distance a gradient term is divided by: the same floor as before the logarithm, so that a
/// point exactly at a candidate contributes nothing instead of 0/0.
inline double GradientDistance(double d) {
    return d > kMinLogDistance ? d : kMinLogDistance;
}

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
        return (area.maxY - area.minY) * pi180 <= kMaxFastSpanRad && (area.maxX - area.minX) * pi180 <= kMaxFastSpanRad &&
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
        const double cMin = std::min(std::cos(area.minY * pi180), std::cos(area.maxY * pi180)) * (1.0 - 1e-12);
        m_kappaY = kGeoRadius * pi180;
        m_kappaX = m_kappaY * cMin;
    }
    const std::size_t m = pts.count;
    std::vector<double> u(m), v(m);
    for (std::size_t i = 0; i < m; ++i) {
        u[i] = (pts.y[i] - area.minY) * m_kappaY;
        v[i] = (pts.x[i] - area.minX) * m_kappaX;
    }
    m_buckets.Build(u.data(), v.data(), m, (area.maxY - area.minY) * m_kappaY, (area.maxX - area.minX) * m_kappaX);
}

ApGrid PredictApGrid(const PointArrays& pts, bool metric, const AreaBounds& area, int cols, int rows,
                     const CDataGeo& position, double slope, double intercept, double meanRssi) {
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
        geo.resize(m);
        for (std::size_t i = 0; i < m; ++i)
            geo[i] = PrepareGeo(pts.y[i], pts.x[i]);
        rowGeo.resize(urows);
        for (std::size_t iy = 0; iy < urows; ++iy)
            rowGeo[iy] = PrepareGeo(area.minY + static_cast<double>(iy) * sy, 0.0);
        colLonRad.resize(ucols);
        for (std::size_t ix = 0; ix < ucols; ++ix)
            colLonRad[ix] = (area.minX + static_cast<double>(ix) * sx) * kGeoPi / 180.0;
        pGeo = PrepareGeo(position.m_dY, position.m_dX);
    }

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
                buckets.Query(nodeY, nodeX, node, pts, geo.data(), best);
                idw = IdwOfNearest(best, pts.rssi);
            } else {
                for (std::size_t i = 0; i < m; ++i) {
                    if (metric) {
                        const double dy = nodeY - pts.y[i], dx = nodeX - pts.x[i];
                        dist[i] = std::sqrt(dy * dy + dx * dx);
                    } else {
                        dist[i] = GeoDistancePrepared(node, geo[i]);
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

namespace {

/// \brief Document-level results of one AP.
struct ApOutcome {
    bool processed = false;
    double meanRssi = 0.0, meanSnr = 0.0, slope = 0.0, intercept = 0.0, shadowStd = 0.0;
};

/// \brief What every AP reads from the document; nothing here changes while processing runs.
struct SharedInput {
    bool metric = false;
    const std::vector<CData>* path = nullptr;
    int cols = 50, rows = 50;
};

/// The position search: one criterion per candidate (a * 31 + b), the length of the gradient of the
/// residuals' pull. Every sum runs in point order, exactly as the definitions of the mean and the
/// regression slope add their terms.
void SearchCriteria(const std::vector<double>& sy, const std::vector<double>& sx,
                    const std::vector<double>& sr, double meanRssi, const double* yGrid, const double* xGrid,
                    std::vector<double>& criteria) {
    const std::size_t ns = sr.size();
    const double meanSet = Mean(sr.data(), ns);
    const double dn = static_cast<double>(ns);
    // Element-wise passes (which the compiler may vectorise without changing a bit) alternate with the
    // sums, which stay sequential in point order.
    std::vector<double> centred(ns), dist(ns), logs(ns), dyv(ns), dy2(ns), t1(ns), t2(ns);
    for (std::size_t i = 0; i < ns; ++i)
        centred[i] = sr[i] - meanSet;
    for (std::size_t a = 0; a < kSearchSteps; ++a) {
        const double cy = yGrid[a];
        for (std::size_t i = 0; i < ns; ++i) {
            dyv[i] = sy[i] - cy;
            dy2[i] = dyv[i] * dyv[i];
        }
        for (std::size_t b = 0; b < kSearchSteps; ++b) {
            const double cx = xGrid[b];
            for (std::size_t i = 0; i < ns; ++i) {
                const double dx = sx[i] - cx;
                dist[i] = std::sqrt(dy2[i] + dx * dx);
            }
            for (std::size_t i = 0; i < ns; ++i)
                logs[i] = Log10Distance(dist[i]);
            for (std::size_t i = 0; i < ns; ++i) {
                t1[i] = logs[i] / dn;
                t2[i] = centred[i] * logs[i];
            }
            double meanL = 0.0, num = 0.0;
            for (std::size_t i = 0; i < ns; ++i) {
                meanL += t1[i];
                num += t2[i];
            }
            double den = 0.0;
            for (std::size_t i = 0; i < ns; ++i)
                den += (logs[i] - meanL) * logs[i];
            const double slope = num / den;
            const double intercept = meanRssi - meanL * slope;
            for (std::size_t i = 0; i < ns; ++i) {
                const double e = sr[i] - slope * logs[i] - intercept;
                const double d = GradientDistance(dist[i]);
                t1[i] = dyv[i] * e / d;
                t2[i] = (sx[i] - cx) * e / d;
            }
            double gy = 0.0, gx = 0.0;
            for (std::size_t i = 0; i < ns; ++i) {
                gy += t1[i];
                gx += t2[i];
            }
            criteria[a * kSearchSteps + b] = std::sqrt(gx * gx + gy * gy);
        }
    }
}

/// \brief Finds survey positions near the AP's measured points (L1 below kPseudoDistance).
class NearPointTest {
  public:
    NearPointTest(const std::vector<double>& y, const std::vector<double>& x, std::size_t n)
        : m_y(y), m_x(x), m_n(n) {
        for (std::size_t i = 0; i < n; ++i)
            if (!std::isfinite(y[i]) || !std::isfinite(x[i])) m_sorted = false;
        if (m_sorted) {
            m_order.resize(n);
            std::iota(m_order.begin(), m_order.end(), std::size_t{0});
            std::sort(m_order.begin(), m_order.end(),
                      [&](std::size_t a, std::size_t b) { return y[a] < y[b]; });
        }
    }
    bool AnyNear(double yj, double xj) const {
        if (!m_sorted || !std::isfinite(yj)) {
            for (std::size_t i = 0; i < m_n; ++i)
                if (Near(yj, xj, i)) return true;
            return false;
        }
        // |yj - yi| + |xj - xi| < t needs |yj - yi| < t, and the rounded difference falls as yi rises.
        auto first = std::partition_point(m_order.begin(), m_order.end(),
                                          [&](std::size_t i) { return !(yj - m_y[i] < kPseudoDistance); });
        for (auto it = first; it != m_order.end() && yj - m_y[*it] > -kPseudoDistance; ++it)
            if (Near(yj, xj, *it)) return true;
        return false;
    }

  private:
    bool Near(double yj, double xj, std::size_t i) const {
        return std::fabs(yj - m_y[i]) + std::fabs(xj - m_x[i]) < kPseudoDistance;
    }
    const std::vector<double>& m_y;
    const std::vector<double>& m_x;
    std::size_t m_n;
    bool m_sorted = true;
    std::vector<std::size_t> m_order;
};

ApOutcome ProcessOneAp(CAPInfo& ap, const SharedInput& in) {
    ApOutcome out;
    if (!in.metric) ap.MergeCoincidentSamples(1e-9);
    const std::size_t n = ap.m_aApPoints.size();
    if (n == 0) return out;

    std::vector<double> y, x, rssi, snr;
    y.reserve(n);
    x.reserve(n);
    rssi.reserve(n);
    snr.reserve(n);
    for (const CData& p : ap.m_aApPoints) {
        y.push_back(p.m_dY);
        x.push_back(p.m_dX);
        rssi.push_back(p.m_dRssi);
        snr.push_back(p.m_dRssi - p.m_nNoise);
    }
    double minY = y[0], maxY = y[0], minX = x[0], maxX = x[0];
    std::size_t s = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (y[i] < minY) minY = y[i];
        if (y[i] > maxY) maxY = y[i];
        if (x[i] < minX) minX = x[i];
        if (x[i] > maxX) maxX = x[i];
        if (rssi[i] > rssi[s]) s = i;
    }
    ap.m_areaOrigin = CDataGeo(minY, minX);
    ap.m_areaSize = CDataGeo(maxY - minY, maxX - minX);
    if (n < kMinPoints) return out;

    out.meanRssi = Mean(rssi.data(), n);
    out.meanSnr = Mean(snr.data(), n);

    // Search frame in local metres (degrees become distances from the lower corner).
    std::vector<double> yl(n), xl(n);
    double ey, ex;
    if (!in.metric) {
        for (std::size_t i = 0; i < n; ++i) {
            yl[i] = GeoDistance(minY, minX, y[i], minX);
            xl[i] = GeoDistance(minY, minX, minY, x[i]);
        }
        ey = GeoDistance(minY, minX, maxY, minX);
        ex = GeoDistance(minY, minX, minY, maxX);
    } else {
        yl = y;
        xl = x;
        ey = maxY - minY;
        ex = maxX - minX;
    }
    double hy = 0.25 * ey, hx = 0.25 * ex, qy = 1.0, qx = 1.0;
    if (const auto cap = SearchCap(rssi[s])) {
        if (*cap < hy) {
            qy = *cap / hy;
            hy = *cap;
        }
        if (*cap < hx) {
            qx = *cap / hx;
            hx = *cap;
        }
    }

    double yGrid[kSearchSteps], xGrid[kSearchSteps];
    Linspace(yGrid, yl[s] - hy, yl[s] + hy, kSearchSteps);
    Linspace(xGrid, xl[s] - hx, xl[s] + hx, kSearchSteps);
    std::vector<double> criteria(kCandidates);
    {
        const std::vector<std::size_t> set = SearchPointSet(rssi.data(), n);
        std::vector<double> sy(set.size()), sx(set.size()), sr(set.size());
        for (std::size_t k = 0; k < set.size(); ++k) {
            sy[k] = yl[set[k]];
            sx[k] = xl[set[k]];
            sr[k] = rssi[set[k]];
        }
        SearchCriteria(sy, sx, sr, out.meanRssi, yGrid, xGrid, criteria);
    }
    const std::size_t best = ArgMin(criteria.data(), kCandidates);
    if (!in.metric) {
        const double spanY = qy * 0.25 * (maxY - minY), spanX = qx * 0.25 * (maxX - minX);
        Linspace(yGrid, y[s] - spanY, y[s] + spanY, kSearchSteps);
        Linspace(xGrid, x[s] - spanX, x[s] + spanX, kSearchSteps);
    }
    auto candidateAt = [&](std::size_t k) {
        return CDataGeo(yGrid[k / kSearchSteps], xGrid[k % kSearchSteps]);
    };
    ap.m_posAP = candidateAt(best);

    // Pseudo-points where the survey passed through the AP's area without hearing it.
    {
        const CDataGeo origin = ap.m_areaOrigin, size = ap.m_areaSize;
        std::vector<std::size_t> listed;
        const std::vector<CData>& path = *in.path;
        for (std::size_t j = 0; j < path.size(); ++j) {
            const double dy = path[j].m_dY - origin.m_dY, dx = path[j].m_dX - origin.m_dX;
            if (0.0 <= dy && dy <= size.m_dY && 0.0 <= dx && dx <= size.m_dX) listed.push_back(j);
        }
        if (listed.size() > n) {
            const NearPointTest near(y, x, n);
            std::vector<std::size_t> added;
            for (std::size_t j : listed)
                if (!near.AnyNear(path[j].m_dY, path[j].m_dX)) added.push_back(j);
            for (std::size_t j : added) {
                CData p;
                p.m_dY = path[j].m_dY;
                p.m_dX = path[j].m_dX;
                p.m_dRssi = kPseudoRssi;
                p.m_nNoise = 0;
                ap.m_aApPoints.push_back(p);
                y.push_back(p.m_dY);
                x.push_back(p.m_dX);
                rssi.push_back(kPseudoRssi);
                snr.push_back(kPseudoRssi);
            }
        }
    }
    const std::size_t m = y.size();

    // Model fit at a candidate position.
    std::vector<GeoPrepared> geo;
    if (!in.metric) {
        geo.resize(m);
        for (std::size_t i = 0; i < m; ++i)
            geo[i] = PrepareGeo(y[i], x[i]);
    }
    std::vector<double> d(m), logs(m);
    auto fitAt = [&](const CDataGeo& P) {
        if (in.metric) {
            for (std::size_t i = 0; i < m; ++i) {
                const double dy = y[i] - P.m_dY, dx = x[i] - P.m_dX;
                d[i] = std::sqrt(dy * dy + dx * dx);
                logs[i] = Log10Distance(d[i]);
            }
        } else {
            const GeoPrepared pg = PrepareGeo(P.m_dY, P.m_dX);
            for (std::size_t i = 0; i < m; ++i) {
                d[i] = GeoDistancePrepared(geo[i], pg);
                logs[i] = Log10Distance(d[i]);
            }
        }
        return RegressionSlope(rssi.data(), logs.data(), m);
    };
    const double firstSlope = fitAt(ap.m_posAP);
    const SignRetry retry =
        RetryPositiveSlope(criteria, best, firstSlope, [&](std::size_t k) { return fitAt(candidateAt(k)); });
    const double slope = retry.slope;
    const CDataGeo P = candidateAt(retry.candidate);

    const double intercept = out.meanRssi - Mean(logs.data(), n) * slope;
    std::vector<double> residuals(n);
    for (std::size_t i = 0; i < n; ++i) {
        double l = logs[i];
        if (in.metric) {
            const double dy = y[i] - P.m_dY, dx = x[i] - P.m_dX;
            l = HalfLog10OfSquare(dy * dy + dx * dx);
        }
        residuals[i] = rssi[i] - slope * l - intercept;
    }
    const double shadowStd = SampleStd(residuals.data(), n);

    const PointArrays pts{y.data(), x.data(), rssi.data(), m};
    ApGrid grid = PredictApGrid(pts, in.metric, AreaBounds{minY, minX, maxY, maxX}, in.cols, in.rows, P,
                                slope, intercept, out.meanRssi);

    ap.m_aGrid = std::move(grid.values);
    ap.m_dGridMax = grid.maximum;
    ap.m_dGridMin = grid.minimum;
    ap.m_dSlope = slope;
    ap.m_dIntercept = intercept;
    ap.m_dShadowStd = shadowStd;
    ap.m_nApGridRows = in.rows;
    ap.m_nApGridCols = in.cols;

    out.processed = true;
    out.slope = slope;
    out.intercept = intercept;
    out.shadowStd = shadowStd;
    return out;
}

std::string ProgressText(std::size_t i, std::size_t count) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Process %d out of %d APs....", static_cast<int>(i + 1),
                  static_cast<int>(count));
    return buf;
}

/// \brief Hands the APs to worker threads and gives their results back in index order.
class ApPool {
  public:
    ApPool(CPlotraDoc& doc, const SharedInput& in, unsigned threads)
        : m_doc(doc), m_in(in), m_outcomes(doc.m_aAPs.size()), m_done(doc.m_aAPs.size(), 0) {
        for (unsigned t = 0; t < threads; ++t)
            m_threads.emplace_back([this] { Work(); });
    }
    ~ApPool() {
        m_next.store(m_done.size());
        for (auto& t : m_threads)
            t.join();
    }
    /// Waits for AP i; rethrows what its worker threw.
    const ApOutcome& Wait(std::size_t i) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_done[i] != 0 || m_error; });
        if (m_error) std::rethrow_exception(m_error);
        return m_outcomes[i];
    }

  private:
    void Work() {
        for (;;) {
            const std::size_t i = m_next.fetch_add(1);
            if (i >= m_done.size()) return;
            try {
                m_outcomes[i] = ProcessOneAp(m_doc.m_aAPs[i], m_in);
            } catch (...) {
                std::lock_guard lock(m_mutex);
                if (!m_error) m_error = std::current_exception();
                m_next.store(m_done.size());
                m_cv.notify_all();
                return;
            }
            std::lock_guard lock(m_mutex);
            m_done[i] = 1;
            m_cv.notify_all();
        }
    }

    CPlotraDoc& m_doc;
    const SharedInput& m_in;
    std::vector<ApOutcome> m_outcomes;
    std::vector<char> m_done;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::exception_ptr m_error;
    std::vector<std::thread> m_threads;
};

} // namespace
} // namespace processing

void ProcessData(CPlotraDoc& doc, const ProcessingOptions& options) {
    using namespace processing;
    Progress& progress = doc.ProgressSink();
    progress.clearCancel();
    progress.show();
    progress.setPosition(0);
    progress.setText("Beginning Data Processing...");
    doc.m_workContours.Clear();
    doc.m_nGridCols = 50;
    doc.m_nGridRows = 50;

    const std::size_t count = doc.m_aAPs.size();
    SharedInput in;
    in.metric = doc.m_bMetricXY != 0;
    in.path = &doc.m_aPoints;
    in.cols = doc.m_nGridCols;
    in.rows = doc.m_nGridRows;

    auto finish = [&](std::size_t i, const ApOutcome& o) {
        if (!o.processed) return;
        doc.m_dMeanRssi = o.meanRssi;
        doc.m_dMeanSnr = o.meanSnr;
        doc.m_dSlope = o.slope;
        doc.m_dIntercept = o.intercept;
        doc.m_dShadowStd = o.shadowStd;
        RegenerateApCoverageBitmap(doc, i);
        const long long N = static_cast<long long>(count), k = static_cast<long long>(i);
        progress.setPosition(static_cast<int>(k * 90 / N + 90 / N));
    };

    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            progress.setText(ProgressText(i, count));
            finish(i, ProcessOneAp(doc.m_aAPs[i], in));
        }
    } else {
        ApPool pool(doc, in, threads);
        for (std::size_t i = 0; i < count; ++i) {
            progress.setText(ProgressText(i, count));
            finish(i, pool.Wait(i));
        }
    }

    progress.setPosition(100);
    progress.hide();

    doc.ComputeExtent(0, 0, 0);
    doc.m_bShowPath = 1;
    doc.m_bShowContour = 0;
    doc.m_bMultiContours = 0;
    doc.m_bCombined = 0;
    doc.m_bCoverageReady = 0;
    doc.m_bXGrid = 0;
    doc.m_bYGrid = 0;
    CApFile blank;
    blank.m_strTxPower = blank.m_strAntennaGain = blank.m_strDirection = blank.m_strHeight =
        blank.m_strNotes = " ";
    doc.m_aApNotes.assign(count, blank);

    double widthX, widthY;
    if (!doc.m_bMetricXY) {
        widthX = GeoDistance(doc.m_dGridOriginY, doc.m_dGridOriginX, doc.m_dGridOriginY,
                             doc.m_dGridOriginX + doc.m_dGridSpanX);
        widthY = GeoDistance(doc.m_dGridOriginY, doc.m_dGridOriginX, doc.m_dGridOriginY + doc.m_dGridSpanY,
                             doc.m_dGridOriginX);
    } else {
        widthX = doc.m_dGridSpanX;
        widthY = doc.m_dGridSpanY;
    }
    doc.m_dResolutionX = widthX / doc.m_dUnitFactor / 50.0;
    doc.m_dResolutionY = widthY / doc.m_dUnitFactor / 50.0;
    doc.m_nAlpha = 192;

    // Complete: the views may now read every result.
    doc.m_bDataLoaded = 1;
    ++doc.m_nChangeCounter;
    doc.Host().refreshPanel();
    doc.Host().updateAllViews();
}

} // namespace plotra
