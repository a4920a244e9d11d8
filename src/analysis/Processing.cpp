#include "analysis/Processing.h"

#include "analysis/Log10Batch.h"
#include "analysis/Numeric.h"
#include "analysis/SpatialIndex.h"
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/Geometry.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
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

/// \brief Document-level results of one AP.
struct ApOutcome {
    bool processed = false;
    double meanRssi = 0.0, meanSnr = 0.0, slope = 0.0, intercept = 0.0, shadowStd = 0.0;
};

/// \brief A position of the path and its index.
struct PathEntry {
    double y, x;
    std::size_t j;
};

/// \brief What every AP reads; nothing here changes while processing runs.
struct SharedInput {
    bool metric = false;
    const std::vector<CData>* path = nullptr;
    /// The path's positions in order of latitude (Y), those without a number left out: an AP's area
    /// is a narrow band of them, so a survey of a million positions is not scanned once per AP.
    std::vector<PathEntry> pathByY;
    bool pathIndexed = false;
    /// The path's positions that the pseudo-points refer to (when the path is indexed).
    std::shared_ptr<const PathPositions> positions;
    int cols = 50, rows = 50;
    int powerLow = -100, powerHigh = -30; ///< range of the AP pictures
};

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
    /// The same for positions taken in order of rising latitude: \p cursor carries the start of the
    /// window from one to the next, as it only moves on while the latitude rises (the same start the
    /// search above finds, without a search per position).
    bool AnyNearRising(double yj, double xj, std::size_t& cursor) const {
        if (!m_sorted || !std::isfinite(yj)) return AnyNear(yj, xj);
        while (cursor < m_order.size() && !(yj - m_y[m_order[cursor]] < kPseudoDistance))
            ++cursor;
        for (std::size_t k = cursor; k < m_order.size() && yj - m_y[m_order[k]] > -kPseudoDistance; ++k)
            if (Near(yj, xj, m_order[k])) return true;
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

/// \brief An AP's working points as parallel arrays (measured points first, pseudo-points behind
/// them), the extent of the measured points and the strongest of them.
struct WorkingPoints {
    std::vector<double> y, x, rssi, snr;
    std::size_t n = 0; ///< measured points; y.size() grows when pseudo-points are added
    double minY = 0, maxY = 0, minX = 0, maxX = 0;
    std::size_t strongest = 0; ///< first index of the largest RSSI
};

/// Merges the samples (without a map; with one they were merged and projected while placing the
/// points) and copies the working points; records the AP's area.
WorkingPoints CollectWorkingPoints(CAPInfo& ap, bool metric) {
    if (!metric) ap.MergeCoincidentSamples(1e-9);
    WorkingPoints w;
    w.n = ap.m_aApPoints.size();
    if (w.n == 0) return w;
    w.y.reserve(w.n);
    w.x.reserve(w.n);
    w.rssi.reserve(w.n);
    w.snr.reserve(w.n);
    for (const CData& p : ap.m_aApPoints) {
        w.y.push_back(p.m_dY);
        w.x.push_back(p.m_dX);
        w.rssi.push_back(p.m_dRssi);
        w.snr.push_back(p.m_dRssi - p.m_nNoise);
    }
    w.minY = w.maxY = w.y[0];
    w.minX = w.maxX = w.x[0];
    for (std::size_t i = 1; i < w.n; ++i) {
        w.minY = std::min(w.minY, w.y[i]);
        w.maxY = std::max(w.maxY, w.y[i]);
        w.minX = std::min(w.minX, w.x[i]);
        w.maxX = std::max(w.maxX, w.x[i]);
        if (w.rssi[i] > w.rssi[w.strongest]) w.strongest = i;
    }
    ap.m_areaOrigin = CDataGeo(w.minY, w.minX);
    ap.m_areaSize = CDataGeo(w.maxY - w.minY, w.maxX - w.minX);
    return w;
}

/// \brief The position search's frame: the points in local metres and the half ranges around the
/// strongest point, with the factors by which a strong AP's cap shrank them.
struct SearchFrame {
    std::vector<double> yl, xl;
    double hy = 0, hx = 0, qy = 1.0, qx = 1.0;
};

SearchFrame MakeSearchFrame(const WorkingPoints& w, bool metric) {
    SearchFrame f;
    double ey, ex;
    if (!metric) {
        // Degrees become distances from the lower corner.
        f.yl.resize(w.n);
        f.xl.resize(w.n);
        for (std::size_t i = 0; i < w.n; ++i) {
            f.yl[i] = GeoDistance(w.minY, w.minX, w.y[i], w.minX);
            f.xl[i] = GeoDistance(w.minY, w.minX, w.minY, w.x[i]);
        }
        ey = GeoDistance(w.minY, w.minX, w.maxY, w.minX);
        ex = GeoDistance(w.minY, w.minX, w.minY, w.maxX);
    } else {
        f.yl.assign(w.y.begin(), w.y.begin() + static_cast<std::ptrdiff_t>(w.n));
        f.xl.assign(w.x.begin(), w.x.begin() + static_cast<std::ptrdiff_t>(w.n));
        ey = w.maxY - w.minY;
        ex = w.maxX - w.minX;
    }
    f.hy = 0.25 * ey;
    f.hx = 0.25 * ex;
    // A strong AP must be near its strongest sample.
    if (const auto cap = SearchCap(w.rssi[w.strongest])) {
        if (*cap < f.hy) {
            f.qy = *cap / f.hy;
            f.hy = *cap;
        }
        if (*cap < f.hx) {
            f.qx = *cap / f.hx;
            f.hx = *cap;
        }
    }
    return f;
}

/// \brief The candidates of the position search (a * 31 + b is (yGrid[a], xGrid[b])), their
/// criteria and the best one.
struct Candidates {
    double yGrid[kSearchSteps] = {}, xGrid[kSearchSteps] = {};
    std::vector<double> criteria;
    std::size_t best = 0;
    CDataGeo At(std::size_t k) const { return CDataGeo(yGrid[k / kSearchSteps], xGrid[k % kSearchSteps]); }
};

/// The 31 x 31 grid search around the strongest point; without a map the grid is then rebuilt in
/// degrees so that the candidates are positions of the survey.
Candidates LocateAp(const WorkingPoints& w, const SearchFrame& f, double meanRssi, bool metric) {
    Candidates c;
    const std::size_t s = w.strongest;
    Linspace(c.yGrid, f.yl[s] - f.hy, f.yl[s] + f.hy, kSearchSteps);
    Linspace(c.xGrid, f.xl[s] - f.hx, f.xl[s] + f.hx, kSearchSteps);
    c.criteria.resize(kCandidates);
    {
        const std::vector<std::size_t> set = SearchPointSet(w.rssi.data(), w.n);
        std::vector<double> sy(set.size()), sx(set.size()), sr(set.size());
        for (std::size_t k = 0; k < set.size(); ++k) {
            sy[k] = f.yl[set[k]];
            sx[k] = f.xl[set[k]];
            sr[k] = w.rssi[set[k]];
        }
        SearchCriteria(sy, sx, sr, meanRssi, c.yGrid, c.xGrid, c.criteria);
    }
    c.best = ArgMin(c.criteria.data(), kCandidates);
    if (!metric) {
        const double spanY = f.qy * 0.25 * (w.maxY - w.minY), spanX = f.qx * 0.25 * (w.maxX - w.minX);
        Linspace(c.yGrid, w.y[s] - spanY, w.y[s] + spanY, kSearchSteps);
        Linspace(c.xGrid, w.x[s] - spanX, w.x[s] + spanX, kSearchSteps);
    }
    return c;
}

/// Pseudo-points of kPseudoRssi where the survey passed through the AP's area without hearing it:
/// only when the area holds more survey positions than the AP has points, and only at positions
/// away from every measured point. The positions of the path in the area, in order of latitude when
/// the path is indexed (\p byLatitude set), else in path order.
std::vector<PathEntry> PathInArea(const CAPInfo& ap, const SharedInput& in, bool& byLatitude) {
    const std::vector<CData>& path = *in.path;
    const CDataGeo origin = ap.m_areaOrigin, size = ap.m_areaSize;
    auto inArea = [&](double y, double x) {
        const double dy = y - origin.m_dY, dx = x - origin.m_dX;
        return 0.0 <= dy && dy <= size.m_dY && 0.0 <= dx && dx <= size.m_dX;
    };
    std::vector<PathEntry> listed;
    byLatitude = false;
    if (!in.pathIndexed || !std::isfinite(origin.m_dY)) {
        for (std::size_t j = 0; j < path.size(); ++j)
            if (inArea(path[j].m_dY, path[j].m_dX)) listed.push_back(PathEntry{path[j].m_dY, path[j].m_dX, j});
        return listed;
    }
    // A rounded difference never decreases as the minuend grows, so the positions whose dy passes
    // the test are one run of the latitude order (a latitude without a number never passes it). The
    // run is read in place, without a visit to the path itself per position.
    const auto& order = in.pathByY;
    const auto lo = std::partition_point(order.begin(), order.end(),
                                         [&](const PathEntry& e) { return e.y - origin.m_dY < 0.0; });
    const auto hi =
        std::partition_point(lo, order.end(), [&](const PathEntry& e) { return e.y - origin.m_dY <= size.m_dY; });
    for (auto it = lo; it != hi; ++it)
        if (inArea(it->y, it->x)) listed.push_back(*it);
    byLatitude = true;
    return listed;
}

void AddPseudoPoints(CAPInfo& ap, WorkingPoints& w, const SharedInput& in) {
    const std::vector<CData>& path = *in.path;
    bool byLatitude = false;
    const std::vector<PathEntry> listed = PathInArea(ap, in, byLatitude);
    if (listed.size() <= w.n) return;
    const NearPointTest near(w.y, w.x, w.n);
    std::vector<std::size_t> added;
    std::size_t cursor = 0;
    for (const PathEntry& e : listed)
        if (!(byLatitude ? near.AnyNearRising(e.y, e.x, cursor) : near.AnyNear(e.y, e.x))) added.push_back(e.j);
    // The pseudo-points follow the path's order.
    if (byLatitude) std::sort(added.begin(), added.end());
    w.y.reserve(w.y.size() + added.size()), w.x.reserve(w.x.size() + added.size());
    w.rssi.reserve(w.rssi.size() + added.size()), w.snr.reserve(w.snr.size() + added.size());
    for (std::size_t j : added) {
        w.y.push_back(path[j].m_dY);
        w.x.push_back(path[j].m_dX);
        w.rssi.push_back(kPseudoRssi);
        w.snr.push_back(kPseudoRssi);
    }
    if (in.positions) {
        ap.m_aApPoints.AppendPseudoPoints(in.positions, std::vector<std::uint32_t>(added.begin(), added.end()));
    } else {
        for (std::size_t j : added) {
            CData p;
            p.m_dY = path[j].m_dY;
            p.m_dX = path[j].m_dX;
            p.m_dRssi = kPseudoRssi;
            p.m_nNoise = 0;
            ap.m_aApPoints.push_back(p);
        }
    }
}

/// \brief A fitted log-distance model and the position it was fitted for.
struct FittedModel {
    double slope = 0, intercept = 0, shadowStd = 0;
    CDataGeo position;
};

/// The slope over all points at the best candidate, retried at the next candidates while it rises
/// gently (0 < slope < 5); the intercept from the measured points' means and the shadowing deviation
/// of their residuals.
FittedModel FitModel(const WorkingPoints& w, Candidates& c, double meanRssi, bool metric,
                     const std::vector<GeoPrepared>& geo) {
    const std::size_t m = w.y.size(), n = w.n;
    std::vector<double> d(m), logs(m);
    auto fitAt = [&](const CDataGeo& P) {
        if (metric) {
            for (std::size_t i = 0; i < m; ++i) {
                const double dy = w.y[i] - P.m_dY, dx = w.x[i] - P.m_dX;
                d[i] = std::sqrt(dy * dy + dx * dx);
            }
        } else {
            const GeoPrepared pg = PrepareGeo(P.m_dY, P.m_dX);
            for (std::size_t i = 0; i < m; ++i)
                d[i] = GeoDistancePrepared(geo[i], pg);
        }
        for (std::size_t i = 0; i < m; ++i)
            logs[i] = d[i] > kMinLogDistance ? d[i] : kMinLogDistance;
        Log10Batch(logs.data(), logs.data(), m);
        return RegressionSlope(w.rssi.data(), logs.data(), m);
    };
    const double firstSlope = fitAt(c.At(c.best));
    const SignRetry retry =
        RetryPositiveSlope(c.criteria, c.best, firstSlope, [&](std::size_t k) { return fitAt(c.At(k)); });

    FittedModel f;
    f.slope = retry.slope;
    f.position = c.At(retry.candidate);
    f.intercept = meanRssi - Mean(logs.data(), n) * f.slope;
    std::vector<double> residuals(n);
    for (std::size_t i = 0; i < n; ++i) {
        double l = logs[i];
        if (metric) {
            const double dy = w.y[i] - f.position.m_dY, dx = w.x[i] - f.position.m_dX;
            l = HalfLog10OfSquare(dy * dy + dx * dx);
        }
        residuals[i] = w.rssi[i] - f.slope * l - f.intercept;
    }
    f.shadowStd = SampleStd(residuals.data(), n);
    return f;
}

/// One AP: working points and area, and for an AP with enough points the position search,
/// pseudo-points, model fit and predicted grid.
ApOutcome ProcessOneAp(CAPInfo& ap, const SharedInput& in) {
    ApOutcome out;
    WorkingPoints w = CollectWorkingPoints(ap, in.metric);
    if (w.n < kMinPoints) return out; // too few points: no model, the defaults remain
    out.meanRssi = Mean(w.rssi.data(), w.n);
    out.meanSnr = Mean(w.snr.data(), w.n);

    const SearchFrame frame = MakeSearchFrame(w, in.metric);
    Candidates candidates = LocateAp(w, frame, out.meanRssi, in.metric);
    // The stored position is the search's best candidate even when the fit moves on to another.
    ap.m_posAP = candidates.At(candidates.best);
    AddPseudoPoints(ap, w, in);
    // The fit and the grid measure great-circle distances from the same points.
    std::vector<GeoPrepared> geo;
    if (!in.metric) {
        geo.resize(w.y.size());
        for (std::size_t i = 0; i < w.y.size(); ++i)
            geo[i] = PrepareGeo(w.y[i], w.x[i]);
    }
    const FittedModel model = FitModel(w, candidates, out.meanRssi, in.metric, geo);

    const PointArrays pts{w.y.data(), w.x.data(), w.rssi.data(), w.y.size()};
    ApGrid grid = PredictApGrid(pts, in.metric, AreaBounds{w.minY, w.minX, w.maxY, w.maxX}, in.cols, in.rows,
                                model.position, model.slope, model.intercept, out.meanRssi, &geo);
    ap.m_aGrid = std::move(grid.values);
    ap.m_dGridMax = grid.maximum;
    ap.m_dGridMin = grid.minimum;
    ap.m_dSlope = model.slope;
    ap.m_dIntercept = model.intercept;
    ap.m_dShadowStd = model.shadowStd;
    ap.m_nApGridRows = in.rows;
    ap.m_nApGridCols = in.cols;
    ap.m_aCoverageBitmap = GridToColours(ap.m_aGrid, in.cols, in.rows, ap.m_crColour, in.powerLow, in.powerHigh);

    out.processed = true;
    out.slope = model.slope;
    out.intercept = model.intercept;
    out.shadowStd = model.shadowStd;
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
    ApPool(std::vector<CAPInfo>& aps, const SharedInput& in, unsigned threads)
        : m_aps(aps), m_in(in), m_outcomes(aps.size()), m_done(aps.size(), 0) {
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
                m_outcomes[i] = ProcessOneAp(m_aps[i], m_in);
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

    std::vector<CAPInfo>& m_aps;
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

ProcessingSnapshot TakeProcessingSnapshot(CPlotraDoc& doc) {
    ProcessingSnapshot s;
    s.aps = std::move(Edit::Aps(doc).m_aAPs);
    Edit::Aps(doc).m_aAPs.clear();
    s.path = doc.Path().m_aPoints;
    s.metric = doc.Map().m_bMetricXY != 0;
    s.cols = doc.Frame().m_nGridCols;
    s.rows = doc.Frame().m_nGridRows;
    s.powerLow = doc.Display().m_nPowerRangeLow;
    s.powerHigh = doc.Display().m_nPowerRangeHigh;
    return s;
}

namespace {

/// The processing of a snapshot that the caller keeps (the path is drawn with afterwards).
ProcessingResult RunProcessingOf(ProcessingSnapshot& snapshot, Progress& progress, const ProcessingOptions& options) {
    using namespace processing;
    progress.show();
    progress.setPosition(0);
    progress.setText("Beginning Data Processing...");

    ProcessingResult r;
    r.aps = std::move(snapshot.aps);
    const std::size_t count = r.aps.size();
    SharedInput in;
    in.metric = snapshot.metric;
    in.path = &snapshot.path;
    if (snapshot.path.size() <= std::numeric_limits<std::uint32_t>::max()) {
        for (std::size_t j = 0; j < snapshot.path.size(); ++j)
            if (!std::isnan(snapshot.path[j].m_dY))
                in.pathByY.push_back(PathEntry{snapshot.path[j].m_dY, snapshot.path[j].m_dX, j});
        std::sort(in.pathByY.begin(), in.pathByY.end(), [](const PathEntry& a, const PathEntry& b) { return a.y < b.y; });
        in.pathIndexed = true;
        auto positions = std::make_shared<PathPositions>();
        positions->y.reserve(snapshot.path.size());
        positions->x.reserve(snapshot.path.size());
        for (const CData& p : snapshot.path) {
            positions->y.push_back(p.m_dY);
            positions->x.push_back(p.m_dX);
        }
        in.positions = std::move(positions);
    }
    in.cols = snapshot.cols;
    in.rows = snapshot.rows;
    in.powerLow = snapshot.powerLow;
    in.powerHigh = snapshot.powerHigh;

    // The document's working values are those of the last AP that got a model.
    auto finish = [&](std::size_t i, const ApOutcome& o) {
        if (!o.processed) return;
        r.anyProcessed = true;
        r.meanRssi = o.meanRssi;
        r.meanSnr = o.meanSnr;
        r.slope = o.slope;
        r.intercept = o.intercept;
        r.shadowStd = o.shadowStd;
        const long long N = static_cast<long long>(count), k = static_cast<long long>(i);
        progress.setPosition(static_cast<int>(k * 90 / N + 90 / N));
    };

    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    std::optional<ApPool> pool;
    if (threads > 1) pool.emplace(r.aps, in, threads);
    for (std::size_t i = 0; i < count; ++i) {
        if (progress.cancelRequested()) {
            r.cancelled = true;
            break;
        }
        progress.setText(ProgressText(i, count));
        finish(i, pool ? pool->Wait(i) : ProcessOneAp(r.aps[i], in));
    }
    pool.reset(); // a cancelled run stops its workers before the APs are handed back
    progress.setPosition(100);
    progress.hide();
    return r;
}

/// The graph window's size and map toggle as the extent computation asks for them.
class FixedHost final : public DocumentHost {
  public:
    FixedHost(std::pair<int, int> size, bool mapShown) : m_size(size) { setMapShown(mapShown); }
    std::pair<int, int> graphClientSize() const override { return m_size; }

  private:
    std::pair<int, int> m_size;
};

/// \brief A copy of what the views draw a project from, taken when its processing starts, that gets
/// the processing's result on the job's thread for the preview to draw.
class PreviewDocument {
  public:
    PreviewDocument(const CPlotraDoc& doc, ProcessedPreview preview)
        : m_host(doc.Host().graphClientSize(), doc.Host().mapShown()), m_preview(std::move(preview)) {
        CPlotraDoc& d = m_doc;
        d.SetOutside(nullptr, nullptr, &m_host);
        Edit::Display(d) = doc.Display();
        Edit::Frame(d) = doc.Frame();
        Edit::Map(d) = doc.Map();
        SurveyInput& survey = Edit::Survey(d);
        survey.m_aFiles = doc.Survey().m_aFiles;
        survey.m_bMerge = doc.Survey().m_bMerge;
        survey.m_aFilePointCount = doc.Survey().m_aFilePointCount;
        survey.m_aFileColor = doc.Survey().m_aFileColor;
        survey.m_aApMarkers = doc.Survey().m_aApMarkers;
        survey.m_bNoData = doc.Survey().m_bNoData;
        // The path's points come with the job's snapshot.
        SurveyPath& path = Edit::Path(d);
        path.m_aFilePathCount = doc.Path().m_aFilePathCount;
        path.m_aGpsState = doc.Path().m_aGpsState;
        ApSet& aps = Edit::Aps(d);
        aps.m_nHue = doc.Aps().m_nHue;
        aps.m_posMovedFrom = doc.Aps().m_posMovedFrom;
        // A processing leaves no combined coverage shown: of the grids only the ranges are read.
        const CoverageGrids& from = doc.Coverage();
        CoverageGrids& to = Edit::Coverage(d);
        to.m_bCoverageReady = from.m_bCoverageReady;
        to.m_dPowerMax = from.m_dPowerMax, to.m_dPowerMin = from.m_dPowerMin;
        to.m_dSnrMax = from.m_dSnrMax, to.m_dSnrMin = from.m_dSnrMin;
    }

    /// Applies \p r to the copy, as ApplyProcessing applies it to the document, and draws the preview;
    /// the APs go back to \p r whatever happens.
    void Draw(std::vector<CData>&& path, ProcessingResult& r) noexcept {
        CPlotraDoc& d = m_doc;
        try {
            Edit::Path(d).m_aPoints = std::move(path);
            // Only the APs are taken from r; its working values stay.
            ApplyProcessing(d, std::move(r));
            m_preview(d, m_host.mapShown());
        } catch (...) {
            // Without a preview the window draws the project itself.
        }
        r.aps = std::move(Edit::Aps(d).m_aAPs);
    }

  private:
    FixedHost m_host;
    CPlotraDoc m_doc;
    ProcessedPreview m_preview;
};

} // namespace

ProcessingResult RunProcessing(ProcessingSnapshot snapshot, Progress& progress, const ProcessingOptions& options) {
    return RunProcessingOf(snapshot, progress, options);
}

void FinishProcessing(CPlotraDoc& doc) {
    doc.ComputeExtent(0, 0, 0);
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_bShowContour = 0;
    Edit::Display(doc).m_bMultiContours = 0;
    Edit::Display(doc).m_bCombined = 0;
    Edit::Coverage(doc).m_bCoverageReady = 0;
    Edit::Display(doc).m_bXGrid = 0;
    Edit::Display(doc).m_bYGrid = 0;
    CApFile blank;
    blank.m_strTxPower = blank.m_strAntennaGain = blank.m_strDirection = blank.m_strHeight = blank.m_strNotes = " ";
    Edit::Aps(doc).m_aApNotes.assign(doc.Aps().m_aAPs.size(), blank);

    const auto [widthX, widthY] = doc.GridRectangleMetres();
    Edit::Frame(doc).m_dResolutionX = widthX / doc.Display().m_dUnitFactor / 50.0;
    Edit::Frame(doc).m_dResolutionY = widthY / doc.Display().m_dUnitFactor / 50.0;
    doc.ResetResolutionSliders(true);
    Edit::Display(doc).m_nAlpha = 192;
    doc.RebuildGroups();
    Edit::Display(doc).m_panel.m_nSelectedAP = -1;
    // Complete: the views may now read every result.
    Edit::Display(doc).m_bDataLoaded = 1;
}

void ApplyProcessing(CPlotraDoc& doc, ProcessingResult&& r) {
    Edit::Aps(doc).m_aAPs = std::move(r.aps);
    if (r.anyProcessed) {
        Edit::Coverage(doc).m_dMeanRssi = r.meanRssi;
        Edit::Coverage(doc).m_dMeanSnr = r.meanSnr;
        Edit::Coverage(doc).m_dSlope = r.slope;
        Edit::Coverage(doc).m_dIntercept = r.intercept;
        Edit::Coverage(doc).m_dShadowStd = r.shadowStd;
    }
    if (!r.cancelled) FinishProcessing(doc);
    doc.RefreshTableSwitch();
    doc.Notify(DocChange::Everything);
}

std::unique_ptr<ProcessingJob> StartProcessingJob(CPlotraDoc& doc, Progress& progress, std::function<void()> finished,
                                                  const ProcessingOptions& options, ProcessedPreview preview) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    Edit::Coverage(doc).m_workContours.Clear();
    Edit::Frame(doc).m_nGridCols = 50;
    Edit::Frame(doc).m_nGridRows = 50;
    Edit::Display(doc).m_bDataLoaded = 0;
    doc.SetJobRunning(true);
    std::shared_ptr<PreviewDocument> previewDoc;
    if (preview) previewDoc = std::make_shared<PreviewDocument>(doc, std::move(preview));
    auto job = std::make_unique<ProcessingJob>(
        [snapshot = TakeProcessingSnapshot(doc), &progress, options, previewDoc]() mutable {
            ProcessingResult r = RunProcessingOf(snapshot, progress, options);
            if (previewDoc && !r.cancelled) previewDoc->Draw(std::move(snapshot.path), r);
            previewDoc.reset(); // its copy of the path is freed here, not where the job is
            return r;
        },
        std::move(finished));
    doc.Notify(DocChange::Everything); // the APs are with the job until it is applied
    return job;
}

bool ApplyProcessingJob(CPlotraDoc& doc, ProcessingJob& job) {
    std::string failure;
    std::optional<ProcessingResult> result = job.Take(&failure);
    doc.SetJobRunning(false);
    if (!result) {
        // The APs went down with the failed job: the project holds its files and path only.
        Edit::Aps(doc).m_aAPs.clear();
        doc.Notify(DocChange::Everything);
        doc.Prompts().message(failure, "Data Processing", PromptIcon::Stop);
        return false;
    }
    const bool complete = !result->cancelled;
    ApplyProcessing(doc, std::move(*result));
    return complete;
}

void ProcessData(CPlotraDoc& doc, const ProcessingOptions& options) {
    Progress& progress = doc.ProgressSink();
    progress.clearCancel();
    Edit::Coverage(doc).m_workContours.Clear();
    Edit::Frame(doc).m_nGridCols = 50;
    Edit::Frame(doc).m_nGridRows = 50;
    ApplyProcessing(doc, RunProcessing(TakeProcessingSnapshot(doc), progress, options));
}

bool CPlotraDoc::RunProcessing() {
    auto job = StartProcessingJob(*this, ProgressSink());
    return job && ApplyProcessingJob(*this, *job);
}

} // namespace plotra
