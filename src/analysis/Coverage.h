#pragma once
/// \brief The combined coverage: strongest power, best SNR and number of covering APs at every node
/// of a grid over the selected APs, the five coverage pictures and the contour data of the three
/// graphs. The calculation works on a snapshot of its inputs and returns a result that the caller
/// applies to the document (on the user-interface thread), so the worker never touches live state.

#include "model/CoveragePictures.h"
#include "model/Job.h"
#include "model/PlotraDoc.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace plotra {

/// \brief An AP as the coverage needs it.
struct CoverageAp {
    COLORREF colour = 0;
    double posY = 0, posX = 0;
    double slope = 0, intercept = 0;
    double originY = 0, originX = 0, sizeY = 0, sizeX = 0;
    /// The working points. Taken from the document's AP without copying them: the list shares its
    /// entries, and an edit of the document's list while the calculation runs makes the document a
    /// copy of its own, so the calculation always sees the points as they were when it started.
    SampleList points;
};

/// \brief Everything the calculation reads, copied from the document.
struct CoverageSnapshot {
    bool metric = false;
    int cols = 50, rows = 50;
    double originY = 0, originX = 0, spanY = 0, spanX = 0;
    double meanRssi = 0, meanSnr = 0;
    std::array<COLORREF, 10> palette{};
    std::vector<CoverageAp> aps; ///< the APs that take part, in index order
};

/// \brief Everything the calculation writes.
struct CoverageResult {
    bool cancelled = false;
    int cols = 0, rows = 0;
    std::vector<double> power, snr;
    std::vector<int> count;
    std::vector<COLORREF> dominant, mixed;
    double powerMax = 0, powerMin = 0, snrMax = 0, snrMin = 0;
    std::array<std::vector<COLORREF>, CPlotraDoc::kPictureCount> pictures;
    std::array<ContourLayerSet, kGraphKinds.size()> contours;
};

/// Nodes along one axis: trunc(length / resolution), raised to 50 or lowered to 400 with the
/// resolution changed to length / 50 or length / 400.
int CoverageNodeCount(double length, double& resolution);

/// Upper end of a graph's contour range: trunc(trunc(maximum) / 10) * 10.
int ContourRangeHigh(double maximum);
/// Lower end: trunc(trunc(minimum) / 10) * 10 - 10 (the power graph then raises it to -100).
int ContourRangeLow(double minimum);
/// A grid value as the contours of a graph with \p levels see it: a number of APs is lifted by 0.01,
/// so that a node with exactly N APs lies inside the area of level N.
double ContourInput(GraphLevels levels, double value);

/// The blend of all covering colours: the first alone, else blend(c0, c1, 0.5) followed by
/// blend(mixed, ck, 1/(k + 1)) for k = 2.. (a running mean); white for none.
COLORREF MixedColour(const std::vector<COLORREF>& colours);

/// The steps before the worker (user-interface thread): validity check with its messages (a Yes
/// answer deselects the invalid APs), ComputeExtent, the grid size with its 50..400 clamp and
/// resolution updates. Returns nothing when no valid AP is selected (m_bCombined and
/// m_bCoverageReady are then cleared).
std::optional<CoverageSnapshot> PrepareCoverage(CPlotraDoc& doc, Progress& progress);

/// The worker: grids, ranges, pictures and contours. Honours progress.cancelRequested().
/// \p threads 0 uses the hardware concurrency; results are identical for any thread count.
///
/// The nodes are filled AP by AP in index order, each AP over the nodes of its area, combining into
/// every node exactly as a node-by-node loop over the APs would (strictly stronger power wins, the
/// first AP on ties; the mixed colour is the running blend in AP order). Each thread owns a band of
/// node columns, so a thread holds the prepared points of one AP at a time and no node is written by
/// two threads.
CoverageResult RunCoverage(const CoverageSnapshot& snapshot, Progress& progress, unsigned threads = 0);

/// Writes a finished result into the document (end state: graph power, alpha 192, flags), or for a
/// cancelled run clears m_bCoverageReady and empties every contour list.
void ApplyCoverage(CPlotraDoc& doc, CoverageResult&& result);

using CoverageJob = Job<CoverageResult>;

/// "Plot Coverage": nothing without APs, while the table window is shown or while another job runs;
/// otherwise plain coverage is selected, the inputs are checked and copied (PrepareCoverage) and the
/// calculation starts as a job. Nothing is started when no valid AP is ticked. \p finished runs on
/// the job's thread; the caller then applies the job on the document's thread.
std::unique_ptr<CoverageJob> StartCoverageJob(CPlotraDoc& doc, Progress& progress, std::function<void()> finished = {},
                                              unsigned threads = 0);

/// Applies a finished job (waiting for it if needed); a failed job is reported and counts as
/// cancelled. True when the coverage completed.
bool ApplyCoverageJob(CPlotraDoc& doc, CoverageJob& job);

/// The whole calculation on the calling thread (command-line tool and tests). Returns false when
/// nothing was computed (no valid AP, refused, or cancelled).
bool CalculateCoverage(CPlotraDoc& doc, unsigned threads = 0);

} // namespace plotra
