#include "model/PathPositions.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace plotra {

namespace {
bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
} // namespace

PseudoPointFinder::PseudoPointFinder(std::shared_ptr<const PathPositions> path) : m_path(std::move(path)) {
    const std::size_t n = std::min<std::size_t>(m_path->y.size(), std::numeric_limits<std::uint32_t>::max());
    m_sorted.reserve(n);
    for (std::size_t j = 0; j < n; ++j)
        m_sorted.push_back(Entry{std::bit_cast<std::uint64_t>(m_path->y[j]),
                                 std::bit_cast<std::uint64_t>(m_path->x[j]), static_cast<std::uint32_t>(j)});
    std::sort(m_sorted.begin(), m_sorted.end(), [](const Entry& a, const Entry& b) {
        return a.y != b.y ? a.y < b.y : a.x != b.x ? a.x < b.x : a.j < b.j;
    });
}

bool PseudoPointFinder::Matches(const CData& p, std::size_t j) const {
    return j < m_sorted.size() && SameBits(p.m_dY, m_path->y[j]) && SameBits(p.m_dX, m_path->x[j]);
}

std::optional<std::uint32_t> PseudoPointFinder::Find(const CData& p, std::size_t hint) const {
    if (!SameBits(p.m_dRssi, kPseudoRssi) || p.m_nNoise != 0) return std::nullopt;
    if (Matches(p, hint)) return static_cast<std::uint32_t>(hint);
    const std::uint64_t y = std::bit_cast<std::uint64_t>(p.m_dY), x = std::bit_cast<std::uint64_t>(p.m_dX);
    const auto it = std::lower_bound(
        m_sorted.begin(), m_sorted.end(), std::pair{y, x},
        [](const Entry& e, const auto& k) { return e.y != k.first ? e.y < k.first : e.x < k.second; });
    if (it == m_sorted.end() || it->y != y || it->x != x) return std::nullopt;
    return it->j;
}

} // namespace plotra
