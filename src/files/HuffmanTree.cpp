#include "files/HuffmanTree.h"

#include "model/Bytes.h"

#include <algorithm>
#include <utility>

namespace plotra {

CHuffmanTree::CHuffmanTree() {
    // A tree is always complete, so that decoding never meets a missing child.
    BuildTree({});
}

CHuffmanTree::CHuffmanTree(const std::array<std::uint32_t, 256>& counts) {
    BuildTree(counts);
}

void CHuffmanTree::BuildTree(const std::array<std::uint32_t, 256>& counts) {
    m_anCount = counts;
    for (int i = 0; i < kNodeCount; ++i) {
        CNode& node = m_aNodes[static_cast<std::size_t>(i)];
        node = CNode{};
        node.m_nValue = static_cast<std::uint32_t>(i);
        if (i < kLeafCount) {
            node.m_nWeight = counts[static_cast<std::size_t>(i)];
            node.m_bActive = 1;
        }
    }
    // The active nodes in index order: scanning this list visits exactly the nodes a scan over all
    // 511 would take part, in the same order. A new node has the highest index and goes at the end.
    std::int16_t active[kLeafCount];
    std::uint32_t weight[kNodeCount];
    int activeCount = kLeafCount;
    for (int i = 0; i < kLeafCount; ++i) {
        active[i] = static_cast<std::int16_t>(i);
        weight[i] = counts[static_cast<std::size_t>(i)];
    }
    for (int next = kLeafCount; next < kNodeCount; ++next) {
        // The first two active nodes start the scan: the second replaces the first only when
        // strictly lighter, else it becomes the second choice.
        int first = active[0], second = active[1];
        if (weight[second] < weight[first]) std::swap(first, second);
        for (int k = 2; k < activeCount; ++k) {
            const int i = active[k];
            if (weight[i] < weight[first]) {
                second = first;
                first = i;
            } else if (weight[i] < weight[second]) {
                second = i;
            }
        }
        int kept = 0;
        for (int k = 0; k < activeCount; ++k)
            if (active[k] != first && active[k] != second) active[kept++] = active[k];
        active[kept++] = static_cast<std::int16_t>(next);
        activeCount = kept;
        weight[next] = weight[first] + weight[second]; // wraps like the 32-bit sum it is
        const int left = std::min(first, second), right = std::max(first, second);
        CNode& parent = m_aNodes[static_cast<std::size_t>(next)];
        CNode& l = m_aNodes[static_cast<std::size_t>(left)];
        CNode& r = m_aNodes[static_cast<std::size_t>(right)];
        parent.m_nWeight = weight[next];
        parent.m_nLeft = static_cast<std::int16_t>(left);
        parent.m_nRight = static_cast<std::int16_t>(right);
        parent.m_bActive = 1;
        l.m_nParent = r.m_nParent = static_cast<std::int16_t>(next);
        l.m_bActive = r.m_bActive = 0;
    }
    BuildTable();
}

int CHuffmanTree::CodeLength(int symbol) const {
    int length = 0;
    for (int n = symbol; m_aNodes[static_cast<std::size_t>(n)].m_nParent != kNone;
         n = m_aNodes[static_cast<std::size_t>(n)].m_nParent)
        ++length;
    return length;
}

void CHuffmanTree::BuildTable() {
    m_nMinCodeLength = kNodeCount;
    m_nMaxCodeLength = 0;
    for (int s = 0; s < kLeafCount; ++s) {
        const int len = CodeLength(s);
        m_nMinCodeLength = std::min(m_nMinCodeLength, len);
        m_nMaxCodeLength = std::max(m_nMaxCodeLength, len);
    }
    m_aTable.assign(std::size_t{1} << kTableBits, TableEntry{});
    for (std::uint32_t window = 0; window < m_aTable.size(); ++window) {
        TableEntry& e = m_aTable[window];
        int used = 0;
        while (e.count < 4) {
            // Follow one code from the root for as long as the window has bits.
            int node = kRoot;
            int length = 0;
            do {
                const CNode& n = m_aNodes[static_cast<std::size_t>(node)];
                node = ((window >> (used + length)) & 1u) ? n.m_nRight : n.m_nLeft;
                ++length;
            } while (!m_aNodes[static_cast<std::size_t>(node)].IsLeaf() && used + length < kTableBits);
            if (!m_aNodes[static_cast<std::size_t>(node)].IsLeaf()) {
                if (e.count == 0) { // the first code is longer than the table
                    e.symbols = static_cast<std::uint32_t>(node);
                    e.length = static_cast<std::uint8_t>(kTableBits);
                }
                break;
            }
            e.symbols |= m_aNodes[static_cast<std::size_t>(node)].m_nValue << (8 * e.count);
            if (e.count == 0) e.firstLength = static_cast<std::uint8_t>(length);
            ++e.count;
            used += length;
            e.length = static_cast<std::uint8_t>(used);
            if (used >= kTableBits) break;
        }
    }
}

std::size_t CHuffmanTree::DecodeTreeWalk(std::span<const std::uint8_t> in,
                                         std::span<std::uint8_t> out) const {
    std::size_t byteIndex = 0;
    int bit = 0;
    for (std::size_t o = 0; o < out.size(); ++o) {
        int node = kRoot;
        do {
            if (byteIndex >= in.size()) return o;
            const bool one = (in[byteIndex] >> bit) & 1u;
            if (++bit == 8) {
                bit = 0;
                ++byteIndex;
            }
            const CNode& n = m_aNodes[static_cast<std::size_t>(node)];
            node = one ? n.m_nRight : n.m_nLeft;
        } while (!m_aNodes[static_cast<std::size_t>(node)].IsLeaf());
        out[o] = static_cast<std::uint8_t>(m_aNodes[static_cast<std::size_t>(node)].m_nValue);
    }
    return out.size();
}

namespace {

/// Stream bits, first bit in bit 0 of `bits`. Bits at and above `count` are either not loaded yet
/// (zero) or the same stream bits loaded early by an 8-byte read, so OR-ing a byte in again is safe.
struct BitSource {
    const std::uint8_t* p;
    std::size_t remaining;
    std::uint64_t bits = 0;
    int count = 0;

    /// Tops up to at least 56 bits, or takes everything left at the end of the input.
    void Refill() {
        if (remaining >= 8) {
            bits |= LoadU64(p) << count;
            const int take = (63 - count) >> 3;
            p += take;
            remaining -= static_cast<std::size_t>(take);
            count |= 56;
        } else {
            while (count <= 56 && remaining > 0) {
                bits |= static_cast<std::uint64_t>(*p++) << count;
                --remaining;
                count += 8;
            }
        }
    }
};

} // namespace

std::size_t CHuffmanTree::Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) const {
    const std::size_t n = out.size();
    if (n == 0) return 0;
    BitSource src{in.data(), in.size()};
    constexpr std::uint64_t kMask = (std::uint64_t{1} << kTableBits) - 1;
    const TableEntry* table = m_aTable.data();
    std::uint8_t* dst = out.data();
    std::size_t o = 0;
    while (o < n) {
        src.Refill();
        if (src.count < kTableBits) {
            // Fewer bits than one table step are left in the whole input: finish one bit at a time.
            while (o < n) {
                int node = kRoot;
                do {
                    if (src.count == 0) return o;
                    const CNode& nd = m_aNodes[static_cast<std::size_t>(node)];
                    node = (src.bits & 1u) ? nd.m_nRight : nd.m_nLeft;
                    src.bits >>= 1;
                    --src.count;
                } while (!m_aNodes[static_cast<std::size_t>(node)].IsLeaf());
                dst[o++] = static_cast<std::uint8_t>(m_aNodes[static_cast<std::size_t>(node)].m_nValue);
            }
            return o;
        }
        while (src.count >= kTableBits && o < n) {
            const TableEntry e = table[src.bits & kMask];
            if (e.count != 0) {
                if (n - o >= 4) {
                    // All four bytes are stored (one store after the compiler merges them); only
                    // `count` of them are kept.
                    dst[o] = static_cast<std::uint8_t>(e.symbols);
                    dst[o + 1] = static_cast<std::uint8_t>(e.symbols >> 8);
                    dst[o + 2] = static_cast<std::uint8_t>(e.symbols >> 16);
                    dst[o + 3] = static_cast<std::uint8_t>(e.symbols >> 24);
                    o += e.count;
                    src.bits >>= e.length;
                    src.count -= e.length;
                } else {
                    dst[o++] = static_cast<std::uint8_t>(e.symbols);
                    src.bits >>= e.firstLength;
                    src.count -= e.firstLength;
                }
                continue;
            }
            // A code longer than the table: walk on from the node the table reached.
            src.bits >>= kTableBits;
            src.count -= kTableBits;
            int node = static_cast<int>(e.symbols);
            while (!m_aNodes[static_cast<std::size_t>(node)].IsLeaf()) {
                if (src.count == 0) {
                    src.Refill();
                    if (src.count == 0) return o;
                }
                const CNode& nd = m_aNodes[static_cast<std::size_t>(node)];
                node = (src.bits & 1u) ? nd.m_nRight : nd.m_nLeft;
                src.bits >>= 1;
                --src.count;
            }
            dst[o++] = static_cast<std::uint8_t>(m_aNodes[static_cast<std::size_t>(node)].m_nValue);
        }
    }
    return o;
}

} // namespace plotra
