#include "analysis/Contour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace plotra;

namespace {

struct Grid {
    int cols, rows;
    std::vector<double> v, x, y;
    Grid(int c, int r) : cols(c), rows(r), v(static_cast<std::size_t>(c * r)), x(static_cast<std::size_t>(c)), y(static_cast<std::size_t>(r)) {
        for (int i = 0; i < c; ++i) x[static_cast<std::size_t>(i)] = 10.0 + 2.0 * i;
        for (int j = 0; j < r; ++j) y[static_cast<std::size_t>(j)] = -5.0 + 3.0 * j;
    }
    double& at(int i, int j) { return v[static_cast<std::size_t>(i * rows + j)]; }
    NodeGrid View() const { return {v.data(), cols, rows, x.data(), y.data()}; }
};

/// Bilinear value of the CONREC surface at a point of a cell is not what CONREC interpolates; but on
/// every triangle edge it interpolates linearly, so every segment end lies on an edge where the linear
/// interpolation between the edge's two vertices equals the level.
double LinearOnTriangleEdges(const Grid& g, double px, double py) {
    // Find the cell, then the triangle edge containing the point, and interpolate along it.
    for (int i = 0; i + 1 < g.cols; ++i) {
        for (int j = 0; j + 1 < g.rows; ++j) {
            const double x0 = g.x[i], x1 = g.x[i + 1], y0 = g.y[j], y1 = g.y[j + 1];
            if (px < x0 - 1e-9 || px > x1 + 1e-9 || py < y0 - 1e-9 || py > y1 + 1e-9) continue;
            const double c[4] = {g.v[static_cast<std::size_t>(i * g.rows + j)], g.v[static_cast<std::size_t>((i + 1) * g.rows + j)],
                                 g.v[static_cast<std::size_t>((i + 1) * g.rows + j + 1)], g.v[static_cast<std::size_t>(i * g.rows + j + 1)]};
            const double cx[4] = {x0, x1, x1, x0}, cy[4] = {y0, y0, y1, y1};
            const double mx = 0.5 * (x0 + x1), my = 0.5 * (y0 + y1), mv = 0.25 * (c[0] + c[1] + c[2] + c[3]);
            // Edges: corner k to corner k+1, corner k to centre.
            for (int k = 0; k < 4; ++k) {
                const double ex[2][2] = {{cx[k], cx[(k + 1) % 4]}, {cx[k], mx}};
                const double ey[2][2] = {{cy[k], cy[(k + 1) % 4]}, {cy[k], my}};
                const double ev[2][2] = {{c[k], c[(k + 1) % 4]}, {c[k], mv}};
                for (int e = 0; e < 2; ++e) {
                    const double dx = ex[e][1] - ex[e][0], dy = ey[e][1] - ey[e][0];
                    const double len2 = dx * dx + dy * dy;
                    const double t = ((px - ex[e][0]) * dx + (py - ey[e][0]) * dy) / len2;
                    const double qx = ex[e][0] + t * dx, qy = ey[e][0] + t * dy;
                    if (t >= -1e-9 && t <= 1 + 1e-9 && std::hypot(qx - px, qy - py) < 1e-9)
                        return ev[e][0] + t * (ev[e][1] - ev[e][0]);
                }
            }
        }
    }
    return NAN;
}

} // namespace

TEST(ContourLines, SegmentEndsLieOnTheLevelOnRandomGrids) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> val(-100, -30);
    for (int trial = 0; trial < 20; ++trial) {
        Grid g(7, 6);
        for (auto& v : g.v) v = val(rng);
        std::vector<CData_Contour> segs;
        const double level = -70;
        const auto n = ContourLines(g.View(), level, segs);
        EXPECT_EQ(n, segs.size());
        for (const auto& s : segs) {
            EXPECT_NEAR(LinearOnTriangleEdges(g, s.m_dX1, s.m_dY1), level, 1e-9);
            EXPECT_NEAR(LinearOnTriangleEdges(g, s.m_dX2, s.m_dY2), level, 1e-9);
        }
    }
}

TEST(ContourLines, FlatGridAboveOrBelowGivesNothing) {
    Grid g(4, 4);
    for (auto& v : g.v) v = -50;
    std::vector<CData_Contour> segs;
    EXPECT_EQ(ContourLines(g.View(), -60, segs), 0u);
    EXPECT_EQ(ContourLines(g.View(), -40, segs), 0u);
}

TEST(ContourLines, AStraightRampGivesAStraightLine) {
    Grid g(3, 2);
    // Value rises with x: -90, -70, -50 per column.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) g.at(i, j) = -90 + 20.0 * i;
    std::vector<CData_Contour> segs;
    ContourLines(g.View(), -80, segs);
    ASSERT_FALSE(segs.empty());
    for (const auto& s : segs) {
        EXPECT_NEAR(s.m_dX1, 11.0, 1e-12); // half way between x = 10 and x = 12
        EXPECT_NEAR(s.m_dX2, 11.0, 1e-12);
    }
}

TEST(ContourBelow, WholeCellsMergeDownAColumnAndNeverCoverANodeAbove) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> val(-100, -30);
    for (int trial = 0; trial < 20; ++trial) {
        Grid g(6, 8);
        for (auto& v : g.v) v = val(rng);
        std::vector<CData_Area> pieces;
        const double level = -55;
        ContourBelow(g.View(), level, pieces);
        for (const auto& p : pieces) {
            ASSERT_GE(p.m_nCorners, 3);
            ASSERT_LE(p.m_nCorners, 4);
            // No node above the level lies strictly inside a piece's bounding box of whole cells.
            if (p.m_nCorners != 4) continue;
            const double xmin = std::min({p.m_adX[0], p.m_adX[1], p.m_adX[2], p.m_adX[3]});
            const double xmax = std::max({p.m_adX[0], p.m_adX[1], p.m_adX[2], p.m_adX[3]});
            const double ymin = std::min({p.m_adY[0], p.m_adY[1], p.m_adY[2], p.m_adY[3]});
            const double ymax = std::max({p.m_adY[0], p.m_adY[1], p.m_adY[2], p.m_adY[3]});
            const bool axisAligned = p.m_adX[0] == p.m_adX[3] && p.m_adX[1] == p.m_adX[2] && p.m_adY[0] == p.m_adY[1] &&
                                     p.m_adY[2] == p.m_adY[3];
            if (!axisAligned) continue;
            for (int i = 0; i < g.cols; ++i)
                for (int j = 0; j < g.rows; ++j)
                    if (g.x[i] >= xmin && g.x[i] <= xmax && g.y[j] >= ymin && g.y[j] <= ymax && g.at(i, j) >= level)
                        ADD_FAILURE() << "node (" << i << "," << j << ") above the level is covered";
        }
    }
}

TEST(ContourBelow, AColumnOfBelowCellsIsOnePiece) {
    Grid g(2, 5);
    for (auto& v : g.v) v = -90;
    std::vector<CData_Area> pieces;
    EXPECT_EQ(ContourBelow(g.View(), -60, pieces), 1u);
    EXPECT_DOUBLE_EQ(pieces[0].m_adY[0], g.y[0]);
    EXPECT_DOUBLE_EQ(pieces[0].m_adY[2], g.y[4]);
    // A crossed cell contributes triangle parts; a cell wholly above nothing.
    g.at(1, 4) = -40;
    pieces.clear();
    ContourBelow(g.View(), -60, pieces);
    EXPECT_GT(pieces.size(), 1u);
    for (auto& v : g.v) v = -40;
    pieces.clear();
    EXPECT_EQ(ContourBelow(g.View(), -60, pieces), 0u);
}

TEST(ContourColours, HueScaleEnds) {
    float r, g, b;
    HsvDegToRgb(0, 0, 0.3, r, g, b);
    EXPECT_FLOAT_EQ(r, 0.3f);
    HsvDegToRgb(120, 1, 1, r, g, b);
    EXPECT_FLOAT_EQ(g, 1.0f);
    EXPECT_FLOAT_EQ(r, 0.0f);
    // Bottom of the scale: hue 240 (blue), saturation 1, value 0.5.
    EXPECT_EQ(LevelHueColour(-100, -100, -30), Rgb(0, 0, 127));
}

TEST(ContourAbove, MirrorsBelowAndNeverCoversANodeBelowTheLevel) {
    Grid g(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) g.at(i, j) = -90 + 10.0 * j; // rises with y: -90, -80, -70, -60
    std::vector<CData_Area> above, below;
    ContourAbove(g.View(), -75, above);
    ContourBelow(g.View(), -75, below);
    ASSERT_FALSE(above.empty());
    for (const auto& p : above)
        for (int k = 0; k < p.m_nCorners; ++k) EXPECT_GE(p.m_adY[k], g.y[1] - 1e-9); // nothing under the level line
    for (const auto& p : below)
        for (int k = 0; k < p.m_nCorners; ++k) EXPECT_LE(p.m_adY[k], g.y[2] + 1e-9);
}
