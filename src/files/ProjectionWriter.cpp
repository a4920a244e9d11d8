#include "files/ProjectionWriter.h"

#include "files/FileIo.h"
#include "files/ProjectionFile.h"
#include "model/Bytes.h"

#include <algorithm>

namespace plotra {

std::array<std::uint32_t, 256> CountBytes(std::span<const std::uint8_t> data) {
    std::array<std::uint32_t, 256> counts{};
    for (const std::uint8_t b : data)
        ++counts[b];
    return counts;
}

namespace {

/// A code of up to 255 bits, first bit (the root's step) in bit 0 of word 0.
struct Code {
    std::array<std::uint64_t, 4> words{};
    int length = 0;
};

std::array<Code, 256> CodeTable(const CHuffmanTree& tree) {
    std::array<Code, 256> codes{};
    const auto& nodes = tree.Nodes();
    for (int s = 0; s < CHuffmanTree::kLeafCount; ++s) {
        // Collect the steps from the leaf up, then store them root first.
        std::array<std::uint8_t, CHuffmanTree::kNodeCount> steps{};
        int n = 0;
        for (int node = s; nodes[static_cast<std::size_t>(node)].m_nParent != CHuffmanTree::kNone;) {
            const int parent = nodes[static_cast<std::size_t>(node)].m_nParent;
            steps[static_cast<std::size_t>(n++)] =
                nodes[static_cast<std::size_t>(parent)].m_nRight == node ? 1 : 0;
            node = parent;
        }
        Code& c = codes[static_cast<std::size_t>(s)];
        c.length = n;
        for (int i = 0; i < n; ++i)
            if (steps[static_cast<std::size_t>(n - 1 - i)])
                c.words[static_cast<std::size_t>(i / 64)] |= std::uint64_t{1} << (i % 64);
    }
    return codes;
}

/// Appends bits least significant first.
class BitSink {
  public:
    explicit BitSink(std::vector<std::uint8_t>& out) : m_out(out) {}
    /// Appends the low \p n bits of \p v (n <= 32).
    void Put(std::uint64_t v, int n) {
        m_acc |= (v & ((std::uint64_t{1} << n) - 1)) << m_count;
        m_count += n;
        while (m_count >= 8) {
            m_out.push_back(static_cast<std::uint8_t>(m_acc));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    void Flush() {
        if (m_count > 0) m_out.push_back(static_cast<std::uint8_t>(m_acc));
        m_acc = 0;
        m_count = 0;
    }

  private:
    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_acc = 0;
    int m_count = 0;
};

} // namespace

std::vector<std::uint8_t> HuffmanEncode(const CHuffmanTree& tree, std::span<const std::uint8_t> data) {
    const auto codes = CodeTable(tree);
    std::vector<std::uint8_t> out;
    out.reserve(data.size() / 2);
    BitSink sink(out);
    for (const std::uint8_t b : data) {
        const Code& c = codes[b];
        for (int done = 0; done < c.length;) {
            const int n = std::min(32, c.length - done);
            sink.Put(c.words[static_cast<std::size_t>(done / 64)] >> (done % 64), n);
            done += n;
        }
    }
    sink.Flush();
    return out;
}

std::vector<std::uint8_t> EncodeProjectionFile(const ProjectionImage& image) {
    if (image.picture.size() > kMaxMapImageBytes) return {};
    const auto counts = CountBytes(image.picture);
    const CHuffmanTree tree(counts);
    const std::vector<std::uint8_t> coded = HuffmanEncode(tree, image.picture);
    if (coded.size() > 0xFFFFFFFFull) return {};

    ByteWriter w;
    w.Buffer().reserve(kProjectionDataOffset + coded.size());
    w.U32(0);
    w.U32(kProjectionMagic);
    w.U32(0);
    w.U8(image.type);
    for (const double c : image.coefficients)
        w.F64(c);
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(coded.size()));
    w.U32(static_cast<std::uint32_t>(image.picture.size()));
    for (const std::uint32_t c : counts)
        w.U32(c);
    w.Bytes(coded.data(), coded.size());
    return std::move(w.Buffer());
}

bool WriteProjectionFile(const std::string& path, const ProjectionImage& image) {
    const auto bytes = EncodeProjectionFile(image);
    if (bytes.empty()) return false;
    return WriteFileAtomically(path, bytes);
}

} // namespace plotra
