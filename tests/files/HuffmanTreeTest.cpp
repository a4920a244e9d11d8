// The picture code of projection files: tree shape from the counts, the reference tree walk, and
// the table-driven decoder against it.
#include "files/HuffmanTree.h"
#include "files/ProjectionWriter.h"

#include <gtest/gtest.h>

#include <queue>
#include <random>

using plotra::CHuffmanTree;

namespace {

using Counts = std::array<std::uint32_t, 256>;

/// Independent tree construction: the two active nodes of smallest (weight, index) merge, smaller
/// index on the left. Returns (left, right) of every inner node 256..510.
std::vector<std::pair<int, int>> OracleTree(const Counts& counts) {
    using Key = std::pair<std::uint32_t, int>;
    std::priority_queue<Key, std::vector<Key>, std::greater<Key>> heap;
    for (int i = 0; i < 256; ++i)
        heap.push({counts[static_cast<std::size_t>(i)], i});
    std::vector<std::pair<int, int>> children;
    for (int next = 256; next < 511; ++next) {
        const Key a = heap.top();
        heap.pop();
        const Key b = heap.top();
        heap.pop();
        children.push_back({std::min(a.second, b.second), std::max(a.second, b.second)});
        heap.push({a.first + b.first, next});
    }
    return children;
}

Counts FibonacciCounts() {
    Counts c{};
    std::uint32_t a = 1, b = 1;
    for (auto& v : c) {
        v = a;
        const std::uint32_t n = a + b; // wraps: the weights are 32-bit sums
        a = b;
        b = n;
    }
    return c;
}

/// Count tables of several shapes: flat, skewed, sparse, wrapping sums.
std::vector<Counts> CountTables(std::mt19937& rng) {
    std::vector<Counts> tables;
    tables.push_back(Counts{});
    tables.push_back(FibonacciCounts());
    for (int t = 0; t < 50; ++t) {
        Counts c{};
        const int kind = t % 5;
        const std::size_t dominant = rng() % 256;
        for (std::size_t i = 0; i < 256; ++i) {
            switch (kind) {
            case 0:
                c[i] = rng() % 1000;
                break;
            case 1:
                c[i] = (rng() % 8 == 0) ? rng() % 100000 : 0;
                break;
            case 2:
                c[i] = static_cast<std::uint32_t>(1u << (rng() % 31));
                break;
            case 3: // one dominant byte: four one-bit codes per table step
                c[i] = i == dominant ? 1000000 : rng() % 3;
                break;
            default:
                c[i] = static_cast<std::uint32_t>(rng());
                break; // sums wrap
            }
        }
        tables.push_back(c);
    }
    return tables;
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

} // namespace

TEST(HuffmanTree, ShapeFollowsCountsWithIndexOrderTies) {
    std::mt19937 rng(7);
    for (const Counts& counts : CountTables(rng)) {
        CHuffmanTree tree;
        tree.BuildTree(counts);
        const auto expected = OracleTree(counts);
        const auto& nodes = tree.Nodes();
        for (int n = 256; n < 511; ++n) {
            const auto& node = nodes[static_cast<std::size_t>(n)];
            ASSERT_EQ(node.m_nLeft, expected[static_cast<std::size_t>(n - 256)].first) << n;
            ASSERT_EQ(node.m_nRight, expected[static_cast<std::size_t>(n - 256)].second) << n;
            ASSERT_EQ(node.m_nValue, static_cast<std::uint32_t>(n));
            ASSERT_EQ(node.m_nWeight, nodes[static_cast<std::size_t>(node.m_nLeft)].m_nWeight +
                                          nodes[static_cast<std::size_t>(node.m_nRight)].m_nWeight);
        }
        // Only the root stays active and without parent; every leaf has a code.
        for (int i = 0; i < 511; ++i) {
            EXPECT_EQ(nodes[static_cast<std::size_t>(i)].m_bActive, i == 510 ? 1 : 0);
            EXPECT_EQ(nodes[static_cast<std::size_t>(i)].m_nParent == CHuffmanTree::kNone, i == 510);
        }
        for (int s = 0; s < 256; ++s)
            EXPECT_GE(tree.CodeLength(s), 1);
    }
}

TEST(HuffmanTree, SmallExampleByHand) {
    // Leaves 2..255 weigh 0 and merge among themselves first (in index order) into one zero-weight
    // subtree; it then joins leaf 1 (weight 1), and that pair joins leaf 0 (weight 5) at the root.
    Counts c{};
    c[0] = 5;
    c[1] = 1;
    CHuffmanTree tree;
    tree.BuildTree(c);
    const auto& root = tree.Nodes()[510];
    EXPECT_EQ(root.m_nLeft, 0);
    EXPECT_EQ(root.m_nWeight, 6u);
    const auto& right = tree.Nodes()[static_cast<std::size_t>(root.m_nRight)];
    EXPECT_EQ(right.m_nLeft, 1);
    EXPECT_EQ(right.m_nRight, 508);
    EXPECT_EQ(tree.CodeLength(0), 1);
    EXPECT_EQ(tree.CodeLength(1), 2);
    EXPECT_EQ(tree.MinCodeLength(), 1);
    // 0 -> "0", 1 -> "10" (first bit in the lowest position): 0b01 then 0 gives bytes 1, 0.
    std::vector<std::uint8_t> out(3);
    const std::uint8_t in[] = {0b00010};
    EXPECT_EQ(tree.Decode(in, out), 3u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 1, 0}));
}

TEST(HuffmanTree, AllZeroCountsGiveFullBalancedTree) {
    // Equal weights pair up in index order: a complete tree of depth 8 whose left half holds 0..127,
    // so each byte's code is its own bits from the highest down. Read lowest bit first, an input
    // byte decodes to its bit reversal.
    CHuffmanTree tree;
    tree.BuildTree(Counts{});
    for (int s = 0; s < 256; ++s)
        ASSERT_EQ(tree.CodeLength(s), 8);
    std::vector<std::uint8_t> in(256);
    for (int i = 0; i < 256; ++i)
        in[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::vector<std::uint8_t> out(256), ref(256);
    ASSERT_EQ(tree.Decode(in, out), 256u);
    ASSERT_EQ(tree.DecodeTreeWalk(in, ref), 256u);
    for (int i = 0; i < 256; ++i) {
        int rev = 0;
        for (int b = 0; b < 8; ++b)
            if (i & (1 << b)) rev |= 0x80 >> b;
        EXPECT_EQ(out[static_cast<std::size_t>(i)], rev) << i;
    }
    EXPECT_EQ(out, ref);
}

TEST(HuffmanTree, NothingRequestedReadsNothing) {
    CHuffmanTree tree;
    tree.BuildTree(FibonacciCounts());
    std::vector<std::uint8_t> none;
    // An empty input span carries no data pointer: any read would fault.
    EXPECT_EQ(tree.Decode(std::span<const std::uint8_t>(), none), 0u);
    EXPECT_EQ(tree.DecodeTreeWalk(std::span<const std::uint8_t>(), none), 0u);
    std::vector<std::uint8_t> out(10, 0xAB);
    EXPECT_EQ(tree.Decode(std::span<const std::uint8_t>(), out), 0u);
    EXPECT_EQ(tree.DecodeTreeWalk(std::span<const std::uint8_t>(), out), 0u);
    EXPECT_EQ(out, std::vector<std::uint8_t>(10, 0xAB));
}

TEST(HuffmanTree, TableDecoderMatchesTreeWalkOnRandomStreams) {
    std::mt19937 rng(20240611);
    int longCodes = 0;
    for (const Counts& counts : CountTables(rng)) {
        CHuffmanTree tree;
        tree.BuildTree(counts);
        if (tree.MaxCodeLength() > CHuffmanTree::kTableBits) ++longCodes;
        for (int trial = 0; trial < 6; ++trial) {
            const std::size_t inBytes = rng() % 300;
            const auto in = RandomBytes(rng, inBytes);
            // Ask for more than the stream may hold, so that running out is exercised too.
            const std::size_t want = rng() % (inBytes * 8 + 20);
            std::vector<std::uint8_t> fast(want, 0xEE), ref(want, 0xEE);
            const std::size_t nFast = tree.Decode(in, fast);
            const std::size_t nRef = tree.DecodeTreeWalk(in, ref);
            ASSERT_EQ(nFast, nRef);
            // Beyond the bytes it reports, the table decoder may have left scratch bytes.
            fast.resize(nFast);
            ref.resize(nRef);
            ASSERT_EQ(fast, ref);
        }
    }
    EXPECT_GT(longCodes, 5); // the slow path beyond the table was taken
}

TEST(HuffmanTree, EncodedDataRoundTripsIncludingCodesLongerThan64Bits) {
    std::mt19937 rng(99);
    CHuffmanTree tree;
    tree.BuildTree(FibonacciCounts());
    ASSERT_GT(tree.MaxCodeLength(), 64);
    // Mostly bytes with short codes, some with the longest ones.
    std::vector<std::uint8_t> data(5000);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 256 : 200 + rng() % 56);
    const auto coded = plotra::HuffmanEncode(tree, data);
    std::vector<std::uint8_t> fast(data.size()), ref(data.size());
    EXPECT_EQ(tree.Decode(coded, fast), data.size());
    EXPECT_EQ(tree.DecodeTreeWalk(coded, ref), data.size());
    EXPECT_EQ(fast, data);
    EXPECT_EQ(ref, data);
}

TEST(HuffmanTree, StreamEndingMidByteIgnoresTheRemainingBits) {
    std::mt19937 rng(5);
    auto data = RandomBytes(rng, 777);
    CHuffmanTree tree;
    std::uint64_t bits = 0;
    for (;;) { // grow the data until its code ends inside a byte
        tree.BuildTree(plotra::CountBytes(data));
        bits = 0;
        for (const auto b : data)
            bits += static_cast<std::uint64_t>(tree.CodeLength(b));
        if (bits % 8 != 0) break;
        data.push_back(static_cast<std::uint8_t>(rng()));
    }
    auto coded = plotra::HuffmanEncode(tree, data);
    ASSERT_EQ(coded.size(), (bits + 7) / 8);
    // Whatever the unused high bits of the last byte hold, they are not read.
    coded.back() = static_cast<std::uint8_t>(coded.back() | (0xFF << (bits % 8)));
    std::vector<std::uint8_t> fast(data.size()), ref(data.size());
    EXPECT_EQ(tree.Decode(coded, fast), data.size());
    EXPECT_EQ(tree.DecodeTreeWalk(coded, ref), data.size());
    EXPECT_EQ(fast, data);
    EXPECT_EQ(ref, data);
}

TEST(HuffmanTree, ShortStreamIsReportedNotOverread) {
    std::mt19937 rng(11);
    const auto data = RandomBytes(rng, 4000);
    CHuffmanTree tree;
    tree.BuildTree(plotra::CountBytes(data));
    const auto coded = plotra::HuffmanEncode(tree, data);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{9}, coded.size() / 2,
                            coded.size() - 9, coded.size() - 1}) {
        // A heap copy of exactly the shortened length, so that a sanitizer sees any read beyond it.
        const std::vector<std::uint8_t> shortIn(coded.begin(),
                                                coded.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<std::uint8_t> fast(data.size()), ref(data.size());
        const std::size_t nFast = tree.Decode(shortIn, fast);
        EXPECT_LT(nFast, data.size()) << cut;
        EXPECT_EQ(nFast, tree.DecodeTreeWalk(shortIn, ref)) << cut;
        EXPECT_TRUE(
            std::equal(fast.begin(), fast.begin() + static_cast<std::ptrdiff_t>(nFast), data.begin()));
    }
}
