#include "model/SampleList.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plotra;
using plotra::test::MakeSample;

namespace {

bool Same(const CData& a, const CData& b) {
    return a.m_dY == b.m_dY && a.m_dX == b.m_dX && a.m_dRssi == b.m_dRssi && a.m_nNoise == b.m_nNoise;
}

} // namespace

// Pseudo-points held as path indices read as whole entries would, and every change that needs them
// as ordinary entries (a later reading, a change of one of them, a resize) keeps every value and the
// order; a copy taken before a change keeps the references and the values it had.
TEST(SampleList, PseudoPointsHeldAsPathIndicesReadAndChangeAsWholeEntries) {
    auto path = std::make_shared<PathPositions>();
    path->y = {46.1, 46.2, 46.3, 46.4};
    path->x = {7.1, 7.2, 7.3, 7.4};
    SampleList list;
    list.AppendReading(166000000, 25560000, -60 * 256, -90); // 46.111.. / 7.1
    list.push_back(MakeSample(46.5, 7.5, -70.25, -92));
    list.AppendPseudoPoints(path, {3, 1});
    list.AppendPseudoPoints(path, {2});
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list.PseudoPointCount(), 3u);
    EXPECT_TRUE(Same(list[2], path->PseudoPoint(3)));
    EXPECT_TRUE(Same(list[3], path->PseudoPoint(1)));
    EXPECT_TRUE(Same(list.back(), MakeSample(46.3, 7.3, kPseudoRssi, 0)));
    EXPECT_LT(list.MemoryBytes(), 2 * 12 + 3 * 12u);

    const SampleList before = list;
    // Indices into another path are held as ordinary entries; those before them keep their places.
    auto other = std::make_shared<PathPositions>(*path);
    list.AppendPseudoPoints(other, {0});
    EXPECT_EQ(list.PseudoPointCount(), 0u);
    ASSERT_EQ(list.size(), 6u);
    EXPECT_TRUE(Same(list[2], path->PseudoPoint(3)));
    EXPECT_TRUE(Same(list[5], path->PseudoPoint(0)));
    EXPECT_EQ(before.size(), 5u);
    EXPECT_EQ(before.PseudoPointCount(), 3u);
    EXPECT_TRUE(Same(before[4], path->PseudoPoint(2)));

    SampleList changed = before;
    changed.Set(3, MakeSample(1, 2, 3, 4));
    EXPECT_TRUE(Same(changed[3], MakeSample(1, 2, 3, 4)));
    EXPECT_TRUE(Same(changed[4], path->PseudoPoint(2)));
    EXPECT_TRUE(Same(before[3], path->PseudoPoint(1)));
    changed = before;
    changed.push_back(MakeSample(46.0, 7.0, -50, -95));
    EXPECT_TRUE(before.SameEntries(changed) == false);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(Same(changed[i], before[i])) << i;
    changed = before;
    changed.resize(3);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_TRUE(Same(changed[2], path->PseudoPoint(3)));
}
