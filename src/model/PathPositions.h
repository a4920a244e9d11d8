#pragma once
/// \brief The walk path's positions as pseudo-points refer to them, and the search that finds the
/// position a pseudo-point read from a file stands for.

#include "model/PlanarSample.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace plotra {

/// RSSI of a pseudo-point: the survey passed there and did not hear the AP.
inline constexpr double kPseudoRssi = -101.0;

/// \brief The positions of the merged walk path that pseudo-points refer to.
struct PathPositions {
    std::vector<double> y, x;
    /// The pseudo-point at path position \p j.
    CData PseudoPoint(std::size_t j) const {
        CData d;
        d.m_dY = y[j];
        d.m_dX = x[j];
        d.m_dRssi = kPseudoRssi;
        d.m_nNoise = 0;
        return d;
    }
};

/// \brief Finds the path position whose pseudo-point a working point is, bit for bit: a workspace
/// stores the pseudo-points whole, and reading one back makes them references to the path again.
class PseudoPointFinder {
  public:
    explicit PseudoPointFinder(std::shared_ptr<const PathPositions> path);
    /// The index j with path->PseudoPoint(j) equal to \p p in every bit, if there is one; the
    /// position \p hint is tried first (a run of pseudo-points mostly follows the path).
    std::optional<std::uint32_t> Find(const CData& p, std::size_t hint) const;
    const std::shared_ptr<const PathPositions>& Path() const { return m_path; }

  private:
    struct Entry {
        std::uint64_t y, x;
        std::uint32_t j;
    };
    bool Matches(const CData& p, std::size_t j) const;
    std::shared_ptr<const PathPositions> m_path;
    std::vector<Entry> m_sorted; ///< by the positions' bits
};

} // namespace plotra
