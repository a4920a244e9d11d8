#pragma once
/// \brief Data processing: for every access point a log-distance propagation model, an estimated
/// position and a predicted signal-power grid over the AP's own area (ProcessData), and the pieces
/// of it that are worth checking on their own.

#include "model/Geometry.h"
#include "analysis/SpatialIndex.h"
#include "model/Job.h"
#include "model/Records.h"

#include <cmath>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace plotra {

class CPlotraDoc;
class Progress;

/// \brief How the processing runs.
struct ProcessingOptions {
    /// Worker threads for the APs; 0 takes the number of hardware threads. The results are the same
    /// whatever the count.
    unsigned threads = 0;
};

/// \brief Everything the processing reads. The APs are moved out of the document for the time of
/// the job (the document shows no APs meanwhile), the walk path is copied.
struct ProcessingSnapshot {
    std::vector<CAPInfo> aps;
    std::vector<CData> path;
    bool metric = false;
    int cols = 50, rows = 50;
    int powerLow = -100, powerHigh = -30; ///< power range of the AP pictures
};

/// \brief What the processing hands back: the APs with their models, positions, grids and pictures,
/// and the working values of the last AP that got a model.
struct ProcessingResult {
    std::vector<CAPInfo> aps;
    bool cancelled = false; ///< the APs after the cancel point have no model
    bool anyProcessed = false;
    double meanRssi = 0, meanSnr = 0, slope = 0, intercept = 0, shadowStd = 0;
};

using ProcessingJob = Job<ProcessingResult>;

/// Moves the APs and copies the path and settings the processing needs out of the document.
ProcessingSnapshot TakeProcessingSnapshot(CPlotraDoc& doc);

/// The processing itself (any thread): every AP in index order with progress texts and positions;
/// stops between APs when the progress' cancel flag is set.
ProcessingResult RunProcessing(ProcessingSnapshot snapshot, Progress& progress, const ProcessingOptions& options = {});

/// The steps after all APs, on the document: extent and display frame, display switches, report
/// notes, resolution defaults, alpha, AP groups; m_bDataLoaded last.
void FinishProcessing(CPlotraDoc& doc);

/// Puts a result into the document (on its thread): the APs back, the working values, and for a run
/// that was not cancelled FinishProcessing; one notice for the whole document.
void ApplyProcessing(CPlotraDoc& doc, ProcessingResult&& result);

/// Draws, on the job's thread, what a window will show of the processed project: \p processed holds
/// the project as ApplyProcessingJob will leave the document (all but the survey's readings), its
/// frame fitted for the graph window's size and map toggle as they were when the job started.
using ProcessedPreview = std::function<void(const CPlotraDoc& processed, bool mapShown)>;

/// Starts the processing of the document's placed survey as a job. Refused (nothing started, the
/// user told) while another job of the document runs. \p finished runs on the job's thread when the
/// work is done; the caller then calls ApplyProcessingJob on the document's thread. \p preview, when
/// given, is called on the job's thread after a run that was not cancelled (a large project's first
/// picture would otherwise be drawn on the document's thread when the result is applied); what it
/// throws is ignored.
std::unique_ptr<ProcessingJob> StartProcessingJob(CPlotraDoc& doc, Progress& progress,
                                                  std::function<void()> finished = {},
                                                  const ProcessingOptions& options = {},
                                                  ProcessedPreview preview = {});

/// Applies a finished job (waiting for it if needed). A job that failed is reported to the user and
/// leaves a project without APs. True when the processing completed.
bool ApplyProcessingJob(CPlotraDoc& doc, ProcessingJob& job);

/// The whole processing at once on the calling thread (tests and benchmarks): snapshot, run, apply.
void ProcessData(CPlotraDoc& doc, const ProcessingOptions& options = {});

namespace processing {

/// Candidates per axis of the position search.
inline constexpr std::size_t kSearchSteps = 31;
inline constexpr std::size_t kCandidates = kSearchSteps * kSearchSteps;
/// APs with fewer working points get no model.
inline constexpr std::size_t kMinPoints = 20;
/// Points above this RSSI (strictly) form the search subset when there are at least kSubsetMinimum.
inline constexpr double kSubsetRssi = -65.0;
inline constexpr std::size_t kSubsetMinimum = 200;
/// A survey position this close (L1) to a point of the AP gets no pseudo-point.
inline constexpr double kPseudoDistance = 1e-7;

/// 0.5 * log10(squared distance), the squared distance floored at the square of kMinLogDistance:
/// log10 of a planar distance taken without its square root.
double HalfLog10OfSquare(double squared);

/// The largest half range of the position search for the strongest RSSI of an AP: a strong AP must
/// be near its strongest sample. nullopt when the AP is too weak for a cap.
std::optional<double> SearchCap(double strongestRssi);

/// Indices of the points the position search uses: the points above kSubsetRssi when there are at
/// least kSubsetMinimum of them, otherwise all n.
std::vector<std::size_t> SearchPointSet(const double* rssi, std::size_t n);

/// The position search's criterion of every candidate (a * 31 + b at yGrid[a], xGrid[b]) over the
/// search points (local metres \p sy, \p sx and RSSI \p sr) into \p criteria (kCandidates values):
/// the length of the gradient of the residuals' pull at the candidate's fitted slope.
void SearchCriteria(const std::vector<double>& sy, const std::vector<double>& sx, const std::vector<double>& sr,
                    double meanRssi, const double* yGrid, const double* xGrid, std::vector<double>& criteria);

/// \brief Outcome of the retry that avoids a rising model.
struct SignRetry {
    std::size_t candidate = 0; ///< candidate of the last fit
    double slope = 0.0;        ///< slope of the last fit
    int retries = 0;
};

/// While 0 < slope < 5 (at most kCandidates times): the current candidate's criterion becomes the
/// largest criterion of the search, the next smallest criterion names the next candidate, and
/// slopeAt(candidate) fits again.
SignRetry RetryPositiveSlope(std::vector<double>& criteria, std::size_t best, double slope,
                             const std::function<double(std::size_t)>& slopeAt);

/// \brief The working points of one AP as parallel arrays.
struct PointArrays {
    const double* y = nullptr;
    const double* x = nullptr;
    const double* rssi = nullptr;
    std::size_t count = 0;
};

/// \brief Extent of an AP's measured points.
struct AreaBounds {
    double minY = 0, minX = 0, maxY = 0, maxX = 0;
};

/// \brief A predicted AP grid and its trackers.
struct ApGrid {
    std::vector<double> values; ///< column after column: index ix * rows + iy
    double maximum = 0.0;
    double minimum = 0.0;
};

/// \brief The three nearest of an AP's points to any node of its area, in the order of IdwNearest's
/// bubble passes, with exactly the distances the straightforward loop computes (Euclidean, or
/// GeoDistance from the node to the point).
class NearestBuckets {
public:
    /// Planar bucketing bounds great-circle distances only over small areas away from the poles, and
    /// needs finite coordinates; elsewhere callers keep the straightforward loop.
    static bool Usable(const PointArrays& points, bool metric, const AreaBounds& area);
    void Build(const PointArrays& points, bool metric, const AreaBounds& area);
    /// \p node is the node prepared with PrepareGeo (degrees mode only), \p geo the points prepared.
    template <class GeoNode, class GeoPoint>
    void Query(double nodeY, double nodeX, const GeoNode& node, const PointArrays& pts, const GeoPoint* geo,
               Nearest3& best) const {
        const double nu = (nodeY - m_minY) * m_kappaY, nv = (nodeX - m_minX) * m_kappaX;
        if (m_metric) {
            m_buckets.Query(
                nu, nv, best,
                [&](std::size_t i) {
                    const double dy = nodeY - pts.y[i], dx = nodeX - pts.x[i];
                    return std::sqrt(dy * dy + dx * dx);
                },
                kRelSlack, kAbsSlack);
        } else {
            m_buckets.Query(nu, nv, best, [&](std::size_t i) { return GeoDistancePrepared(node, geo[i]); },
                            kRelSlack, kAbsSlack);
        }
    }

private:
    // Planar coordinates for bucketing never replace the exact distances; they only have to bound
    // them from below. Over an AP's area (well under 0.05 rad) the great-circle distance is at least
    // the equirectangular distance (latitude scale R, longitude scale R * the smallest cosine of the
    // area's latitudes) times (1 - 1.1e-4); the slack covers that and every rounding.
    static constexpr double kRelSlack = 2e-4;
    static constexpr double kAbsSlack = 1e-6;
    static constexpr double kMaxFastSpanRad = 0.05;
    static constexpr double kMaxFastLatitude = 85.0;
    static constexpr double kMaxFastMetric = 1e12;

    PlanarBuckets m_buckets;
    bool m_metric = true;
    double m_minY = 0, m_minX = 0, m_kappaY = 1, m_kappaX = 1;
};

/// Predicts an AP's power grid of cols x rows nodes over \p area: model slope * log10(distance to P)
/// + intercept, and the inverse-distance mean of the three nearest points; pure IDW when the slope is
/// not negative, else 0.6 * model + 0.4 * IDW. The trackers start at \p meanRssi. Distances are
/// great-circle in degrees mode (\p metric false), Euclidean otherwise. \p prepared, when given in
/// degrees mode, holds PrepareGeo of every point (the fit has made them already).
ApGrid PredictApGrid(const PointArrays& points, bool metric, const AreaBounds& area, int cols, int rows,
                     const CDataGeo& position, double slope, double intercept, double meanRssi,
                     const std::vector<GeoPrepared>* prepared = nullptr);

} // namespace processing
} // namespace plotra
