#include "analysis/Coverage.h"

#include "analysis/Contour.h"
#include "analysis/Numeric.h"
#include "analysis/Processing.h"
#include "analysis/SpatialIndex.h"
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

namespace plotra {

int CoverageNodeCount(double length, double& resolution) {
    const double raw = length / resolution;
    const int n = std::isfinite(raw) && raw < 1e9 && raw > -1e9 ? static_cast<int>(raw) : (raw > 0 ? 1000000000 : 0);
    if (n < 50) {
        resolution = length / 50.0;
        return 50;
    }
    if (n > 400) {
        resolution = length / 400.0;
        return 400;
    }
    return n;
}

namespace {

/// The selected APs with too few points cannot be covered: the user may drop them from the
/// selection. False when no selected AP has enough.
bool CheckCoveredAps(CPlotraDoc& doc, Progress& progress) {
    std::string listed;
    int invalid = 0, valid = 0;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        if (!ap.m_bSelected) continue;
        if (ap.m_aApPoints.size() <= kMinCoveragePoints) {
            listed += ap.MacText() + ", " + ap.SsidText() + " \n";
            ++invalid;
        } else {
            ++valid;
        }
    }
    if (valid == 0) {
        doc.Prompts().message("Please Select Valid AP!", "No Valid AP", PromptIcon::Information);
        Edit::Display(doc).m_bCombined = 0;
        Edit::Coverage(doc).m_bCoverageReady = 0;
        progress.hide();
        return false;
    }
    if (invalid > 0) {
        const std::string text = invalid == 1
                                     ? "No enough points for the following AP: \n " + listed + " \n Remove it in the processing?"
                                     : "No enough points for the following APs: \n " + listed + " \n Remove them in the processing?";
        if (doc.Prompts().askYesNo(text, "Invalid AP")) {
            std::vector<int> dropped;
            for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
                CAPInfo& ap = Edit::Aps(doc).m_aAPs[i];
                if (ap.m_bSelected && ap.m_aApPoints.size() <= kMinCoveragePoints) {
                    ap.m_bSelected = 0;
                    dropped.push_back(static_cast<int>(i));
                }
            }
            doc.Notify(DocChange::Selection, ApField::All, dropped);
        }
    }
    return true;
}

void SetCoverageGrid(CPlotraDoc& doc) {
    const auto [w, h] = doc.GridRectangleDisplay();
    const double oldX = doc.Frame().m_dResolutionX, oldY = doc.Frame().m_dResolutionY;
    Edit::Frame(doc).m_nGridCols = CoverageNodeCount(w, Edit::Frame(doc).m_dResolutionX);
    Edit::Frame(doc).m_nGridRows = CoverageNodeCount(h, Edit::Frame(doc).m_dResolutionY);
    // The sliders get the ranges W/400 .. W/50; a clamped resolution moves its slider too.
    doc.ResetResolutionSliders(false);
    if (doc.Frame().m_dResolutionX != oldX)
        Edit::Display(doc).m_panel.m_resolutionX.value = doc.Frame().m_dResolutionX;
    if (doc.Frame().m_dResolutionY != oldY)
        Edit::Display(doc).m_panel.m_resolutionY.value = doc.Frame().m_dResolutionY;
}

CoverageSnapshot TakeSnapshot(const CPlotraDoc& doc) {
    CoverageSnapshot s;
    s.metric = doc.Map().m_bMetricXY != 0;
    s.cols = doc.Frame().m_nGridCols;
    s.rows = doc.Frame().m_nGridRows;
    s.originY = doc.Frame().m_dGridOriginY;
    s.originX = doc.Frame().m_dGridOriginX;
    s.spanY = doc.Frame().m_dGridSpanY;
    s.spanX = doc.Frame().m_dGridSpanX;
    s.meanRssi = doc.Coverage().m_dMeanRssi;
    s.meanSnr = doc.Coverage().m_dMeanSnr;
    s.palette = doc.Display().m_crPalette;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        if (!ap.m_bSelected || ap.m_aApPoints.size() <= kMinCoveragePoints) continue;
        CoverageAp c;
        c.colour = ap.m_crColour;
        c.posY = ap.m_posAP.m_dY;
        c.posX = ap.m_posAP.m_dX;
        c.slope = ap.m_dSlope;
        c.intercept = ap.m_dIntercept;
        c.originY = ap.m_areaOrigin.m_dY;
        c.originX = ap.m_areaOrigin.m_dX;
        c.sizeY = ap.m_areaSize.m_dY;
        c.sizeX = ap.m_areaSize.m_dX;
        c.points = ap.m_aApPoints; // shared, not copied
        s.aps.push_back(std::move(c));
    }
    return s;
}

} // namespace

std::optional<CoverageSnapshot> PrepareCoverage(CPlotraDoc& doc, Progress& progress) {
    doc.Host().resetZoom();
    progress.setPosition(0);
    progress.clearCancel();
    progress.show();
    progress.setText("Beginning Data Processing...");
    Edit::Display(doc).m_bShowLegend = 0;

    if (!CheckCoveredAps(doc, progress)) return std::nullopt;

    doc.ComputeExtent(0, 0, 0);
    progress.setText("Calculating Coverage...");
    SetCoverageGrid(doc);
    return TakeSnapshot(doc);
}

namespace {

double NodeDistance(bool metric, double y1, double x1, double y2, double x2) {
    if (metric) {
        const double dy = y1 - y2, dx = x1 - x2;
        return std::sqrt(dx * dx + dy * dy);
    }
    return GeoDistance(y1, x1, y2, x2);
}


} // namespace

namespace {
int Trunc(double v) { return static_cast<int>(std::clamp(v, -1e6, 1e6)); }
} // namespace

double ContourInput(GraphLevels levels, double value) {
    return levels == GraphLevels::ApCounts ? value + 0.01 : value;
}

int ContourRangeHigh(double maximum) { return Trunc(maximum) / 10 * 10; }
int ContourRangeLow(double minimum) { return Trunc(minimum) / 10 * 10 - 10; }

COLORREF MixedColour(const std::vector<COLORREF>& colours) {
    if (colours.empty()) return Rgb(255, 255, 255);
    COLORREF mixed = colours[0];
    if (colours.size() >= 2) {
        mixed = BlendColour(colours[0], colours[1], 0.5);
        for (std::size_t k = 2; k < colours.size(); ++k)
            mixed = BlendColour(mixed, colours[k], 1.0 / static_cast<double>(k + 1));
    }
    return mixed;
}

namespace {

/// Contour lines, below-level pieces and level records for the first ten levels, then the two
/// threshold areas.
void ContourGraph(const NodeGrid& g, const double* levels, const std::array<COLORREF, 10>& palette, double lowLevel,
                  double highLevel, ContourLayerSet& out) {
    for (int k = 0; k < 10; ++k) {
        const std::size_t lines = ContourLines(g, levels[k], out.m_aLines);
        const std::size_t areas = ContourAbove(g, levels[k], out.m_aLevelAreas);
        const COLORREF c = palette[static_cast<std::size_t>(k)];
        CData_Pos lp;
        lp.m_nRed = RedOf(c), lp.m_nGreen = GreenOf(c), lp.m_nBlue = BlueOf(c);
        lp.m_nCount = static_cast<std::int32_t>(lines);
        out.m_aLineLevels.push_back(lp);
        lp.m_nCount = static_cast<std::int32_t>(areas);
        out.m_aAreaLevels.push_back(lp);
    }
    ContourAbove(g, lowLevel, out.m_aAreaLow);
    ContourAbove(g, highLevel, out.m_aAreaHigh);
}

} // namespace

namespace {

/// \brief The node accumulators of the whole grid, combined AP by AP.
struct NodeAccumulators {
    std::vector<double>& power;
    std::vector<double>& snr;
    std::vector<int>& count;
    std::vector<COLORREF>& dominant;
    std::vector<COLORREF>& mixed;

    /// One more covering AP at node i, in AP index order: the strictly stronger power takes the
    /// dominant colour, the best SNR is kept, and the mixed colour is the running mean of the colours.
    void Add(std::size_t i, double p, double q, COLORREF colour) {
        const int k = count[i]++;
        mixed[i] = k == 0 ? colour : BlendColour(mixed[i], colour, 1.0 / static_cast<double>(k + 1));
        if (p > power[i]) power[i] = p, dominant[i] = colour;
        if (q > snr[i]) snr[i] = q;
    }
};

/// \brief One AP's points made ready for the node queries: decoded, bucketed (when the planar bound
/// holds) and, in degrees, with their per-position trigonometry. Reused from AP to AP by one thread.
class PreparedAp {
public:
    void Prepare(const CoverageAp& ap, bool metric) {
        const std::size_t m = ap.points.size();
        m_y.resize(m), m_x.resize(m), m_rssi.resize(m), m_noise.resize(m);
        std::size_t i = 0;
        for (const CData p : ap.points) {
            m_y[i] = p.m_dY, m_x[i] = p.m_dX, m_rssi[i] = p.m_dRssi, m_noise[i] = static_cast<double>(p.m_nNoise);
            ++i;
        }
        m_pts = {m_y.data(), m_x.data(), m_rssi.data(), m},
        m_metric = metric;
        const processing::AreaBounds area{ap.originY, ap.originX, ap.originY + ap.sizeY, ap.originX + ap.sizeX};
        m_fast = processing::NearestBuckets::Usable(m_pts, metric, area);
        if (m_fast) m_buckets.Build(m_pts, metric, area);
        if (!metric) {
            m_geo.resize(m);
            for (std::size_t k = 0; k < m; ++k)
                m_geo[k] = PrepareGeo(m_y[k], m_x[k]);
            m_pos = PrepareGeo(ap.posY, ap.posX);
        }
    }

    /// Power and SNR of the AP at node (y, x): the model blended with the inverse-distance mean of
    /// the three nearest points, and the same mean of their noise.
    void Evaluate(const CoverageAp& ap, double y, double x, const GeoPrepared& node, double& power,
                  double& snr) {
        const double dAp = m_metric ? NodeDistance(true, y, x, ap.posY, ap.posX) : GeoDistancePrepared(node, m_pos);
        const double model = ap.slope * Log10Distance(dAp) + ap.intercept;
        double noise;
        if (m_fast) {
            Nearest3 best;
            m_buckets.Query(y, x, node, m_pts, m_geo.data(), best);
            power = IdwOfNearest(best, m_rssi.data());
            noise = IdwOfNearest(best, m_noise.data());
        } else {
            const std::size_t n = m_pts.count;
            m_d.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                m_d[i] = m_metric ? NodeDistance(true, y, x, m_y[i], m_x[i]) : GeoDistancePrepared(node, m_geo[i]);
            power = IdwNearest(m_d.data(), m_rssi.data(), n, 3, 2);
            noise = IdwNearest(m_d.data(), m_noise.data(), n, 3, 2);
        }
        if (ap.slope < 0) power = 0.6 * model + 0.4 * power;
        snr = power - noise;
    }

private:
    std::vector<double> m_y, m_x, m_rssi, m_noise, m_d;
    processing::PointArrays m_pts;
    bool m_metric = true, m_fast = false;
    processing::NearestBuckets m_buckets;
    std::vector<GeoPrepared> m_geo;
    GeoPrepared m_pos;
};

/// Indices of the coordinates inside [lo, hi] (bounds inclusive, the node loop's test).
void IndicesInside(const std::vector<double>& coords, double lo, double hi, std::vector<std::uint32_t>& out) {
    for (std::size_t i = 0; i < coords.size(); ++i)
        if (lo <= coords[i] && coords[i] <= hi) out.push_back(static_cast<std::uint32_t>(i));
}

/// \brief The node coordinates, computed as the node loop computes them, and the nodes of each AP's
/// area: the columns and the rows that pass the node loop's test (origin <= coordinate <= origin +
/// size in both axes), as index lists (runs, unless the coordinates are not finite). AP a's are
/// areaCols[colStart[a] .. colStart[a + 1]) and areaRows[rowStart[a] .. rowStart[a + 1]).
struct AreaNodes {
    std::vector<double> nodeX, nodeY;
    std::vector<std::uint32_t> areaCols, areaRows;
    std::vector<std::size_t> colStart{0}, rowStart{0};
    std::vector<double> columnWork; ///< nodes of all areas in each column
};

AreaNodes FindAreaNodes(const CoverageSnapshot& s) {
    const std::size_t cols = static_cast<std::size_t>(s.cols), rows = static_cast<std::size_t>(s.rows);
    AreaNodes a;
    a.nodeX.assign(cols, 0.0);
    a.nodeY.assign(rows, 0.0);
    for (std::size_t ix = 0; ix < cols; ++ix)
        a.nodeX[ix] = s.originX + static_cast<double>(ix) * s.spanX / static_cast<double>(s.cols - 1);
    for (std::size_t iy = 0; iy < rows; ++iy)
        a.nodeY[iy] = s.originY + static_cast<double>(iy) * s.spanY / static_cast<double>(s.rows - 1);

    a.columnWork.assign(cols, 0.0);
    for (const CoverageAp& ap : s.aps) {
        IndicesInside(a.nodeX, ap.originX, ap.originX + ap.sizeX, a.areaCols);
        IndicesInside(a.nodeY, ap.originY, ap.originY + ap.sizeY, a.areaRows);
        const double rowsIn = static_cast<double>(a.areaRows.size() - a.rowStart.back());
        for (std::size_t k = a.colStart.back(); k < a.areaCols.size(); ++k)
            a.columnWork[a.areaCols[k]] += rowsIn;
        a.colStart.push_back(a.areaCols.size());
        a.rowStart.push_back(a.areaRows.size());
    }
    return a;
}

/// Bands of columns of about equal work, one for each of \p n threads: band t is the columns from
/// bandStart[t] up to bandStart[t + 1].
std::vector<std::size_t> WorkBands(const std::vector<double>& columnWork, unsigned n) {
    const std::size_t cols = columnWork.size();
    std::vector<std::size_t> bandStart{0};
    double total = 0.0;
    for (double w : columnWork)
        total += w;
    double sum = 0.0;
    for (std::size_t ix = 0; ix < cols && bandStart.size() < n; ++ix) {
        sum += columnWork[ix];
        if (sum >= total * static_cast<double>(bandStart.size()) / n) bandStart.push_back(ix + 1);
    }
    while (bandStart.size() <= n)
        bandStart.push_back(cols);
    bandStart.back() = cols;
    return bandStart;
}

/// Evaluates every AP over its area's nodes, one band of columns per thread, and accumulates the
/// nodes; progress runs from 5 to 70. False when cancelled.
bool AccumulateNodes(const CoverageSnapshot& s, const AreaNodes& area,
                     const std::vector<std::size_t>& bandStart, unsigned n, NodeAccumulators& acc,
                     Progress& progress) {
    const std::size_t rows = static_cast<std::size_t>(s.rows);
    double totalWork = 0.0;
    for (double w : area.columnWork)
        totalWork += w;
    std::atomic<bool> cancelled{false};
    std::atomic<long long> workDone{0};
    std::mutex progressMutex;
    int shownPosition = 5;
    auto worker = [&](std::size_t band) {
        const std::size_t b0 = bandStart[band], b1 = bandStart[band + 1];
        const auto& [nodeX, nodeY, areaCols, areaRows, colStart, rowStart, columnWork] = area;
        PreparedAp prepared;
        for (std::size_t a = 0; a < s.aps.size() && !cancelled.load(std::memory_order_relaxed); ++a) {
            // This band's columns of the AP's area.
            const auto cBegin = std::lower_bound(areaCols.begin() + static_cast<std::ptrdiff_t>(colStart[a]),
                                                 areaCols.begin() + static_cast<std::ptrdiff_t>(colStart[a + 1]), b0);
            const auto cEnd = std::lower_bound(cBegin, areaCols.begin() + static_cast<std::ptrdiff_t>(colStart[a + 1]), b1);
            const std::size_t rowCount = rowStart[a + 1] - rowStart[a];
            if (cBegin == cEnd || rowCount == 0) continue;
            const CoverageAp& ap = s.aps[a];
            prepared.Prepare(ap, s.metric);
            for (auto c = cBegin; c != cEnd; ++c) {
                const std::size_t ix = *c;
                const double x = nodeX[ix];
                for (std::size_t k = rowStart[a]; k < rowStart[a + 1]; ++k) {
                    const std::size_t iy = areaRows[k];
                    const double y = nodeY[iy];
                    const GeoPrepared node = s.metric ? GeoPrepared{} : PrepareGeo(y, x);
                    double power, snr;
                    prepared.Evaluate(ap, y, x, node, power, snr);
                    acc.Add(ix * rows + iy, power, snr, ap.colour);
                }
            }
            if (progress.cancelRequested()) cancelled = true;
            const long long work = static_cast<long long>(cEnd - cBegin) * static_cast<long long>(rowCount);
            const long long done = workDone.fetch_add(work) + work;
            const int position = 5 + static_cast<int>(65.0 * static_cast<double>(done) / std::max(1.0, totalWork));
            std::lock_guard lock(progressMutex);
            if (position > shownPosition) progress.setPosition(shownPosition = position);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < n; ++t)
        pool.emplace_back(worker, static_cast<std::size_t>(t));
    worker(0);
    for (auto& t : pool)
        t.join();
    return !cancelled.load();
}

/// \brief The value ranges of the power and SNR pictures.
struct GraphRanges {
    double powerMax, powerMin, snrMax, snrMin;
};

/// The picture ranges over the covered nodes, from the start values; fills \p countValue, the
/// number of APs at each node as the contours see it.
GraphRanges CoveredRanges(const CoverageSnapshot& s, const CoverageResult& r,
                          std::vector<double>& countValue) {
    const std::size_t nodes = countValue.size();
    double powerMax = s.meanRssi, powerMin = s.meanRssi, snrMax = s.meanSnr, snrMin = s.meanSnr;
    for (std::size_t i = 0; i < nodes; ++i) {
        if (r.count[i] == 0) continue;
        countValue[i] = ContourInput(GraphLevels::ApCounts, static_cast<double>(r.count[i]));
        powerMax = std::max(powerMax, r.power[i]), powerMin = std::min(powerMin, r.power[i]);
        snrMax = std::max(snrMax, r.snr[i]), snrMin = std::min(snrMin, r.snr[i]);
    }
    if (powerMax > -30) powerMax = -30;
    if (powerMin < -100) powerMin = -100;
    return {powerMax, powerMin, snrMax, snrMin};
}

void MakePictures(const CoverageSnapshot& s, const GraphRanges& g, CoverageResult& r) {
    CoverageGridsView view;
    view.cols = s.cols, view.rows = s.rows;
    view.power = &r.power, view.snr = &r.snr, view.count = &r.count;
    view.dominant = &r.dominant, view.mixed = &r.mixed;
    view.powerMin = g.powerMin, view.powerMax = g.powerMax, view.snrMin = g.snrMin, view.snrMax = g.snrMax;
    view.palette = &s.palette;
    r.pictures = MakeCoveragePictures(view);
}

/// Contours of the three graphs with the rounded ranges. False when cancelled.
bool ContourGraphs(const CoverageSnapshot& s, const GraphRanges& g, const std::vector<double>& countValue,
                   CoverageResult& r, Progress& progress) {
    const std::size_t cols = static_cast<std::size_t>(s.cols), rows = static_cast<std::size_t>(s.rows);
    std::vector<double> xs(cols), ys(rows);
    Linspace(xs.data(), s.originX, s.originX + s.spanX, cols);
    Linspace(ys.data(), s.originY, s.originY + s.spanY, rows);
    double levels[11];
    {
        const int hi = ContourRangeHigh(g.powerMax);
        const int lo = std::max(-100, ContourRangeLow(g.powerMin));
        r.powerMax = hi, r.powerMin = lo;
        Linspace(levels, lo, hi, 11);
        ContourGraph({r.power.data(), s.cols, s.rows, xs.data(), ys.data()}, levels, s.palette,
                     static_cast<int>(r.powerMin), static_cast<int>(r.powerMax),
                     r.contours[FactsOf(GraphKind::SignalPower).contourSet]);
    }
    if (progress.cancelRequested()) return false;
    {
        const int hi = ContourRangeHigh(g.snrMax), lo = ContourRangeLow(g.snrMin);
        r.snrMax = hi, r.snrMin = lo;
        Linspace(levels, lo, hi, 11);
        ContourGraph({r.snr.data(), s.cols, s.rows, xs.data(), ys.data()}, levels, s.palette,
                     static_cast<int>(r.snrMin), static_cast<int>(r.snrMax),
                     r.contours[FactsOf(GraphKind::Snr).contourSet]);
    }
    if (progress.cancelRequested()) return false;
    for (int k = 0; k < 11; ++k) levels[k] = k + 1;
    ContourGraph({countValue.data(), s.cols, s.rows, xs.data(), ys.data()}, levels, s.palette, 1.0, 10.0,
                 r.contours[FactsOf(GraphKind::ApCount).contourSet]);
    return !progress.cancelRequested();
}

} // namespace

CoverageResult RunCoverage(const CoverageSnapshot& s, Progress& progress, unsigned threads) {
    CoverageResult r;
    r.cols = s.cols;
    r.rows = s.rows;
    const std::size_t cols = static_cast<std::size_t>(s.cols), rows = static_cast<std::size_t>(s.rows);
    const std::size_t nodes = cols * rows;
    r.power.assign(nodes, -101.0);
    r.snr.assign(nodes, -101.0);
    r.count.assign(nodes, 0);
    r.dominant.assign(nodes, Rgb(255, 255, 255));
    r.mixed.assign(nodes, Rgb(255, 255, 255));

    const AreaNodes area = FindAreaNodes(s);
    unsigned n = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
    n = static_cast<unsigned>(std::clamp<std::size_t>(n, 1, std::max<std::size_t>(1, cols)));
    const std::vector<std::size_t> bandStart = WorkBands(area.columnWork, n);

    NodeAccumulators acc{r.power, r.snr, r.count, r.dominant, r.mixed};
    if (!AccumulateNodes(s, area, bandStart, n, acc, progress) || progress.cancelRequested()) {
        r.cancelled = true;
        return r;
    }
    progress.setPosition(70);

    std::vector<double> countValue(nodes, ContourInput(GraphLevels::ApCounts, 0.0));
    const GraphRanges ranges = CoveredRanges(s, r, countValue);
    MakePictures(s, ranges, r);
    progress.setPosition(90);
    if (progress.cancelRequested()) {
        r.cancelled = true;
        return r;
    }

    if (!ContourGraphs(s, ranges, countValue, r, progress)) {
        r.cancelled = true;
        return r;
    }
    progress.setPosition(100);
    return r;
}

void ApplyCoverage(CPlotraDoc& doc, CoverageResult&& r) {
    CoverageGrids& coverage = Edit::Coverage(doc);
    if (r.cancelled) {
        coverage.m_bCoverageReady = 0;
        for (auto& c : coverage.m_aContours)
            c.Clear();
        coverage.m_workContours.Clear();
        doc.Notify(DocChange::Coverage);
        return;
    }
    Edit::Frame(doc).m_nGridCols = r.cols;
    Edit::Frame(doc).m_nGridRows = r.rows;
    coverage.m_aGridPower = std::move(r.power);
    coverage.m_aGridSnr = std::move(r.snr);
    coverage.m_aGridCount = std::move(r.count);
    coverage.m_aDominantColour = std::move(r.dominant);
    coverage.m_aMixedColour = std::move(r.mixed);
    coverage.m_dPowerMax = r.powerMax, coverage.m_dPowerMin = r.powerMin;
    coverage.m_dSnrMax = r.snrMax, coverage.m_dSnrMin = r.snrMin;
    coverage.m_aCoveragePictures = std::move(r.pictures);
    coverage.m_aContours = std::move(r.contours);
    coverage.m_workContours.Clear();
    coverage.m_bCoverageReady = 1;
    // End state: back to the power graph with the contour range over the power range.
    DisplaySettings& display = Edit::Display(doc);
    display.m_nGraphType = StoredValue(GraphKind::SignalPower);
    display.m_panel.m_nContourLow = static_cast<int>(coverage.m_dPowerMin);
    display.m_panel.m_nContourHigh = static_cast<int>(coverage.m_dPowerMax);
    display.m_panel.m_bExpandGraph = 0;
    display.m_nAlpha = 192;
    display.m_bCoveragePlotted = 1;
    display.m_bCombined = 1;
    display.m_bDataLoaded = 1;
    display.m_bShowContour = 0;
    display.m_bMultiContours = 0;
    doc.RefreshTableSwitch();
    doc.Notify(DocChange::Coverage);
}

std::unique_ptr<CoverageJob> StartCoverageJob(CPlotraDoc& doc, Progress& progress, std::function<void()> finished,
                                              unsigned threads) {
    if (doc.Aps().m_aAPs.empty() || doc.Display().m_bTableWindowActive || doc.RefuseWhileBusy())
        return nullptr;
    Edit::Display(doc).SetMode(DisplayMode::Coverage);
    Edit::Display(doc).m_bCombined = 0;
    Edit::Coverage(doc).m_bCoverageReady = 0;
    std::optional<CoverageSnapshot> snapshot = PrepareCoverage(doc, progress);
    doc.Notify(DocChange::Display);
    if (!snapshot) return nullptr;
    doc.SetJobRunning(true);
    return std::make_unique<CoverageJob>(
        [s = std::move(*snapshot), &progress, threads] {
            CoverageResult r = RunCoverage(s, progress, threads);
            progress.hide();
            return r;
        },
        std::move(finished));
}

bool ApplyCoverageJob(CPlotraDoc& doc, CoverageJob& job) {
    std::string failure;
    std::optional<CoverageResult> result = job.Take(&failure);
    doc.SetJobRunning(false);
    if (!result) {
        CoverageResult cancelled;
        cancelled.cancelled = true;
        ApplyCoverage(doc, std::move(cancelled));
        doc.Prompts().message(failure, "Coverage", PromptIcon::Stop);
        return false;
    }
    const bool complete = !result->cancelled;
    ApplyCoverage(doc, std::move(*result));
    return complete;
}

bool CalculateCoverage(CPlotraDoc& doc, unsigned threads) {
    auto job = StartCoverageJob(doc, doc.ProgressSink(), {}, threads);
    return job && ApplyCoverageJob(doc, *job);
}

void CPlotraDoc::SetThreshold(bool highThumb, int level) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    CPlotraDoc& doc = *this;
    (highThumb ? Edit::Display(doc).m_panel.m_nContourHigh : Edit::Display(doc).m_panel.m_nContourLow) =
        level;
    if (!doc.Display().m_bCombined) {
        Notify(DocChange::Display);
        return;
    }
    const std::size_t cols = static_cast<std::size_t>(doc.Frame().m_nGridCols),
                      rows = static_cast<std::size_t>(doc.Frame().m_nGridRows);
    const GraphFacts& graph = FactsOf(doc.Graph());
    std::vector<double> grid(cols * rows, 0.0);
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (const std::optional<double> value = graph.nodeValue(doc, i))
            grid[i] = ContourInput(graph.levels, *value);
    Edit::Display(doc).SetMode(DisplayMode::SingleContour);
    auto& target = highThumb ? Edit::Coverage(doc).m_aContours[graph.contourSet].m_aAreaHigh
                             : Edit::Coverage(doc).m_aContours[graph.contourSet].m_aAreaLow;
    target.clear();
    if (cols >= 2 && rows >= 2) {
        std::vector<double> xs(cols), ys(rows);
        Linspace(xs.data(), doc.Frame().m_dGridOriginX, doc.Frame().m_dGridOriginX + doc.Frame().m_dGridSpanX,
                 cols);
        Linspace(ys.data(), doc.Frame().m_dGridOriginY, doc.Frame().m_dGridOriginY + doc.Frame().m_dGridSpanY,
                 rows);
        auto& scratch = Edit::Coverage(doc).m_workContours.m_aAreaLow;
        scratch.clear();
        ContourAbove({grid.data(), doc.Frame().m_nGridCols, doc.Frame().m_nGridRows, xs.data(), ys.data()},
                     level, scratch);
        target = std::move(scratch);
        scratch.clear();
    }
    Notify(DocChange::Coverage);
}

void CPlotraDoc::ChangeDisplayUnit(bool metres) {
    if (RefuseEditWhileBusy(DocChange::Display)) return;
    // The antenna heights of the notes are rewritten in the new unit.
    EditSubject subject("Unit");
    subject.notes = true;
    UndoableEdit edit(*this, subject);
    CPlotraDoc& doc = *this;
    const double oldFactor = doc.Display().m_dUnitFactor;
    const double newFactor = metres ? 1.0 : 0.3048;
    Edit::Display(doc).m_dUnitFactor = newFactor;
    Edit::Display(doc).m_bUnitUnchanged = oldFactor == newFactor;
    // The table window hides the data-loaded flag of the graph window, not the data.
    if (!doc.HasProcessedData() || doc.Display().m_bUnitUnchanged) {
        Notify(DocChange::Display);
        return;
    }

    const auto [wm, hm] = doc.GridRectangleMetres();
    Edit::Frame(doc).m_dResolutionX = wm / newFactor / 50.0;
    Edit::Frame(doc).m_dResolutionY = hm / newFactor / 50.0;
    doc.ResetResolutionSliders(true);
    // A shown reliability radius is rewritten in the new unit.
    float& radius = Edit::Display(doc).m_panel.m_afReliability[0];
    if (radius > 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%3.1f", radius * oldFactor / newFactor);
        radius = std::strtof(buf, nullptr);
    }
    for (CApFile& note : Edit::Aps(doc).m_aApNotes) {
        float v = 0;
        if (std::sscanf(note.m_strHeight.c_str(), "%f", &v) == 1 && v > 0) {
            const double converted = metres ? v * 0.3048 : v / 0.3048;
            char buf[64];
            std::snprintf(buf, sizeof buf, "%5.2f", converted);
            note.m_strHeight = buf;
        }
    }
    Notify(DocChange::Display);
}

} // namespace plotra
