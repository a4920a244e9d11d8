#pragma once
/// \brief The static Huffman code of projection file pictures: a code tree built from 256 symbol
/// counts with fixed tie rules (so that every byte value's code follows from the counts alone), and
/// a decoder that reads the code bits least-significant bit first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace plotra {

/// \brief Code tree of 256 leaves (the byte values, nodes 0..255) and 255 inner nodes (256..510,
/// the root is 510), with a lookup table for fast decoding.
class CHuffmanTree {
  public:
    static constexpr int kLeafCount = 256;
    static constexpr int kNodeCount = 511;
    static constexpr int kRoot = 510;
    /// Node reference meaning "none".
    static constexpr std::int16_t kNone = -1;
    /// Bits of the stream the lookup table resolves in one step.
    static constexpr int kTableBits = 11;

    /// \brief One node of the tree; children and parent are node indices (kNone when absent).
    class CNode {
      public:
        std::uint32_t m_nValue = 0;  ///< the node's index; for a leaf its byte value
        std::uint32_t m_nWeight = 0; ///< count of a leaf, sum of the children's weights (mod 2^32)
        std::int16_t m_nLeft = kNone;
        std::int16_t m_nRight = kNone;
        std::int16_t m_nParent = kNone;
        std::uint8_t m_bActive = 0; ///< still takes part in building
        /// A node without a left child is a leaf.
        bool IsLeaf() const { return m_nLeft == kNone; }
    };

    /// The tree of all-zero counts (every code 8 bits long).
    CHuffmanTree();
    /// The tree of \p counts.
    explicit CHuffmanTree(const std::array<std::uint32_t, 256>& counts);

    /// Builds the tree from the symbol counts. 255 times the two active nodes of smallest weight
    /// (scan in index order, equal weights keep the node seen first) become the children of the next
    /// inner node, the one with the smaller index on the left. Zero counts take part like any other,
    /// so every byte value gets a code. Also builds the decoding table.
    void BuildTree(const std::array<std::uint32_t, 256>& counts);

    /// Decodes up to out.size() bytes from \p in (code bits least significant first) and returns the
    /// number of bytes written. Fewer than out.size() means the input ended inside or before a code;
    /// no byte beyond \p in is ever read. Table-driven; the same result as DecodeTreeWalk. When the
    /// input runs out, up to three bytes of \p out after the reported ones may have been written.
    std::size_t Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) const;

    /// The plain decoder: one tree step per bit. The reference for Decode.
    std::size_t DecodeTreeWalk(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) const;

    const std::array<std::uint32_t, 256>& Counts() const { return m_anCount; }
    const std::array<CNode, kNodeCount>& Nodes() const { return m_aNodes; }
    /// Code length in bits of byte value \p symbol (its leaf's depth).
    int CodeLength(int symbol) const;
    /// The shortest and the longest code length over all byte values.
    int MinCodeLength() const { return m_nMinCodeLength; }
    int MaxCodeLength() const { return m_nMaxCodeLength; }

  private:
    void BuildTable();

    std::array<std::uint32_t, 256> m_anCount{};
    std::array<CNode, kNodeCount> m_aNodes{};
    /// Indexed by the next kTableBits bits of the stream (first bit in bit 0). An entry holds every
    /// whole code of the window, up to four symbols (first in the lowest byte), with the bits they
    /// use and the bits of the first one. A window that starts with a longer code holds no symbol
    /// but the inner node reached after kTableBits bits.
    struct TableEntry {
        std::uint32_t symbols = 0; ///< up to four symbols, or the node to continue from
        std::uint8_t count = 0;    ///< symbols in the entry; 0 for a code longer than the table
        std::uint8_t length = 0;   ///< bits used by all of them (kTableBits for a longer code)
        std::uint8_t firstLength = 0;
        std::uint8_t unused = 0;
    };
    std::vector<TableEntry> m_aTable;
    int m_nMinCodeLength = 0;
    int m_nMaxCodeLength = 0;
};

} // namespace plotra
