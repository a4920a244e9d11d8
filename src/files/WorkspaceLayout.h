#pragma once
/// \brief What the workspace writer and reader share: the stored record sizes, small conversions and
/// the progress of a walk through a workspace. Internal to the two files.

#include "model/Interfaces.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plotra::workspace_layout {

// Stored record sizes. The area and contour records start with 8 bytes and the level records with
// 4 bytes that carry nothing; they are written as zeros and skipped when read.
constexpr std::size_t kAreaSize = CData_Area::kStoredSize;       // 8 + 4 corners x (x, y) + int32 + 4
constexpr std::size_t kContourSize = CData_Contour::kStoredSize; // 8 + x1, y1, x2, y2
constexpr std::size_t kPosSize = CData_Pos::kStoredSize;         // 4 + count, red, green, blue
constexpr std::size_t kSampleSize = 4 + 3 * 8;                   // int32 noise + three doubles
constexpr std::size_t kPathExtraSize = 4 + 4;                    // altitude, velocity
// Smallest possible stored sizes of the variable records, to bound their counts before reading.
constexpr std::size_t kMinStringSize = 4 + 1;
constexpr std::size_t kMinFileSize = 4 * kMinStringSize + 4;
constexpr std::size_t kMinApNoteSize = 5 * kMinStringSize;
constexpr std::size_t kMinPointSize = CPointRecord::kSize + 4;
constexpr std::size_t kMinApSize = 1 + 4 + 4 + 6 + 32 + 4 + 1 + 4 + 1 + 9 * 8 + 4 + 4 + 4 + 2 * 8 + 4 + 4;
constexpr std::size_t kGridNodeSize = 4 + 4 + 8 + 8 + 4; // both colours, power, SNR, count

/// Nodes of a grid whose axes may hold anything: a non-positive axis means no nodes.
inline std::uint64_t NodeCount(std::int32_t cols, std::int32_t rows) {
    if (cols <= 0 || rows <= 0) return 0;
    return static_cast<std::uint64_t>(cols) * static_cast<std::uint64_t>(rows);
}

inline std::uint32_t Bool32(int v) {
    return v != 0 ? 1u : 0u;
}

template <class T> T ValueOr(const std::vector<T>& v, std::size_t i) {
    return i < v.size() ? v[i] : T{};
}

/// Thrown out of the encoder and the decoder when the user cancelled; caught where they are run.
struct StoppedByUser {};

/// \brief The progress of a walk through a workspace: the position between \p from and \p to
/// percent as the walk's own share advances, and the cancel flag, looked at every few thousand
/// steps so that a large project answers a Cancel at once without the walk paying for it.
class WalkProgress {
  public:
    explicit WalkProgress(Progress* progress) : m_progress(progress) {}
    /// One step of a stage that spans \p from..\p to percent, at \p done of \p total.
    void Step(int from, int to, std::size_t done, std::size_t total) {
        if (!m_progress || (++m_steps & 4095u) != 0) return;
        Check();
        const double share = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
        const int percent = from + static_cast<int>((to - from) * std::min(1.0, share));
        if (percent != m_percent) {
            m_percent = percent;
            m_progress->setPosition(percent);
        }
    }
    void Check() const {
        if (m_progress && m_progress->cancelRequested()) throw StoppedByUser{};
    }

  private:
    Progress* m_progress;
    unsigned m_steps = 0;
    int m_percent = -1;
};

} // namespace plotra::workspace_layout
