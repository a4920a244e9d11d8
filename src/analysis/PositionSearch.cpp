// The position search's criteria, the innermost loop of the processing.
#include "analysis/Processing.h"

#include "analysis/Log10Batch.h"
#include "analysis/Numeric.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace plotra {
namespace processing {

namespace {

/// The distance a gradient term is divided by: the same floor as before the logarithm, so that a
/// point exactly at a candidate contributes nothing instead of 0/0.
inline double GradientDistance(double d) {
    return d > kMinLogDistance ? d : kMinLogDistance;
}

} // namespace

/// Four doubles operated on lane by lane.
using Lanes = double __attribute__((vector_size(4 * sizeof(double))));
// Filled through a reference and always inlined, so no value of it crosses a call whose convention
// would differ between the processor variants (a vector returned by value is refused by clang).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
__attribute__((always_inline)) inline void LoadLanes(Lanes& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}

/// The position search: one criterion per candidate (a * 31 + b), the length of the gradient of the
/// residuals' pull. Every sum runs in point order, exactly as the definitions of the mean and the
/// regression slope add their terms. Four candidates of a row are taken together, a lane each: the
/// sums of one candidate stay in point order while the four chains of additions overlap, and where
/// the processor has AVX2 a lane is a quarter of a vector (each operation still rounds as one double
/// would: no fused multiply-add).
#if defined(__SANITIZE_THREAD__)
// The clones' resolver runs while the dynamic loader relocates the program, before the thread
// sanitizer's runtime has started, and its instrumented entry crashes there: one plain version.
#define PLOTRA_SEARCH_CLONES
#else
#define PLOTRA_SEARCH_CLONES __attribute__((target_clones("avx2", "default")))
#endif
PLOTRA_SEARCH_CLONES void
SearchCriteria(const std::vector<double>& sy, const std::vector<double>& sx, const std::vector<double>& sr,
               double meanRssi, const double* yGrid, const double* xGrid, std::vector<double>& criteria) {
    constexpr std::size_t kLanes = sizeof(Lanes) / sizeof(double);
    const std::size_t ns = sr.size();
    const double meanSet = Mean(sr.data(), ns);
    const double dn = static_cast<double>(ns);
    std::vector<double> centred(ns), dyv(ns), dy2(ns);
    // Distances and their logarithms of the four candidates, point by point: [i * kLanes + lane].
    std::vector<double> dist(ns * kLanes), logs(ns * kLanes);
    for (std::size_t i = 0; i < ns; ++i)
        centred[i] = sr[i] - meanSet;
    for (std::size_t a = 0; a < kSearchSteps; ++a) {
        const double cy = yGrid[a];
        for (std::size_t i = 0; i < ns; ++i) {
            dyv[i] = sy[i] - cy;
            dy2[i] = dyv[i] * dyv[i];
        }
        for (std::size_t b0 = 0; b0 < kSearchSteps; b0 += kLanes) {
            // The last group's spare lanes repeat its last candidate and are not kept.
            double cx[kLanes];
            for (std::size_t l = 0; l < kLanes; ++l)
                cx[l] = xGrid[std::min(b0 + l, kSearchSteps - 1)];
            for (std::size_t i = 0; i < ns; ++i)
                for (std::size_t l = 0; l < kLanes; ++l) {
                    const double dx = sx[i] - cx[l];
                    const double d = std::sqrt(dy2[i] + dx * dx);
                    dist[i * kLanes + l] = d;
                    logs[i * kLanes + l] = d > kMinLogDistance ? d : kMinLogDistance;
                }
            Log10Batch(logs.data(), logs.data(), ns * kLanes);
            Lanes meanL = {}, num = {}, den = {}, gy = {}, gx = {};
            for (std::size_t i = 0; i < ns; ++i) {
                Lanes g;
                LoadLanes(g, &logs[i * kLanes]);
                meanL += g / dn;
                num += centred[i] * g;
            }
            for (std::size_t i = 0; i < ns; ++i) {
                Lanes g;
                LoadLanes(g, &logs[i * kLanes]);
                den += (g - meanL) * g;
            }
            const Lanes slope = num / den;
            const Lanes intercept = meanRssi - meanL * slope;
            Lanes cxs;
            LoadLanes(cxs, cx);
            for (std::size_t i = 0; i < ns; ++i) {
                Lanes g;
                LoadLanes(g, &logs[i * kLanes]);
                const Lanes e = sr[i] - slope * g - intercept;
                Lanes d;
                LoadLanes(d, &dist[i * kLanes]);
                for (std::size_t l = 0; l < kLanes; ++l)
                    d[l] = GradientDistance(d[l]);
                gy += dyv[i] * e / d;
                gx += (sx[i] - cxs) * e / d;
            }
            for (std::size_t l = 0; l < kLanes && b0 + l < kSearchSteps; ++l)
                criteria[a * kSearchSteps + b0 + l] = std::sqrt(gx[l] * gx[l] + gy[l] * gy[l]);
        }
    }
}
#pragma GCC diagnostic pop

} // namespace processing
} // namespace plotra
