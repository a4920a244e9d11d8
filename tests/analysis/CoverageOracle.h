#pragma once
/// \brief The straightforward coverage loop, kept as the reference for the indexed, threaded one:
/// every node, every AP in index order, all of the AP's points through IdwNearest twice.

#include "analysis/Coverage.h"

namespace plotra::test {

struct CoverageOracleGrids {
    std::vector<double> power, snr, countValue;
    std::vector<COLORREF> dominant, mixed;
    double powerMax = 0, powerMin = 0, snrMax = 0, snrMin = 0; ///< trackers over the evaluated nodes
};

/// Evaluates the nodes ix = first, first + step, ... and iy = first, first + rowStep, ... of the
/// snapshot's grid (other nodes keep their uncovered values).
CoverageOracleGrids CoverageOracle(const CoverageSnapshot& s, std::size_t first = 0, std::size_t step = 1,
                                   std::size_t rowStep = 1);

} // namespace plotra::test
