#include "analysis/Contour.h"

#include <algorithm>
#include <cmath>

namespace plotra {

namespace {

// CONREC's case table, indexed by the signs (+1 above, 0 on, -1 below, each shifted by one) of the
// triangle's vertices m1, m2 (the cell centre) and m3.
constexpr int kCaseTable[3][3][3] = {{{0, 0, 8}, {0, 2, 5}, {7, 6, 9}},
                                     {{0, 3, 4}, {1, 3, 1}, {4, 3, 0}},
                                     {{9, 6, 7}, {5, 2, 0}, {8, 0, 0}}};
// Corner offsets of vertices 1..4: (ix, iy), (ix+1, iy), (ix+1, iy+1), (ix, iy+1).
constexpr int kIm[4] = {0, 1, 1, 0};
constexpr int kJm[4] = {0, 0, 1, 1};

/// The five vertices of a cell relative to a level: index 0 is the centre, 1..4 the corners.
struct CellVertices {
    double h[5], xh[5], yh[5];
    int sh[5];
};

void LoadCell(const NodeGrid& g, int ix, int iy, double level, CellVertices& c) {
    for (int m = 4; m >= 0; --m) {
        if (m > 0) {
            c.h[m] = g.At(ix + kIm[m - 1], iy + kJm[m - 1]) - level;
            c.xh[m] = g.x[ix + kIm[m - 1]];
            c.yh[m] = g.y[iy + kJm[m - 1]];
        } else {
            c.h[0] = 0.25 * (c.h[1] + c.h[2] + c.h[3] + c.h[4]);
            c.xh[0] = 0.5 * (g.x[ix] + g.x[ix + 1]);
            c.yh[0] = 0.5 * (g.y[iy] + g.y[iy + 1]);
        }
        c.sh[m] = c.h[m] > 0.0 ? 1 : (c.h[m] < 0.0 ? -1 : 0);
    }
}

double XSect(const CellVertices& c, int p1, int p2) {
    return (c.h[p2] * c.xh[p1] - c.h[p1] * c.xh[p2]) / (c.h[p2] - c.h[p1]);
}
double YSect(const CellVertices& c, int p1, int p2) {
    return (c.h[p2] * c.yh[p1] - c.h[p1] * c.yh[p2]) / (c.h[p2] - c.h[p1]);
}

void CellRange(const NodeGrid& g, int ix, int iy, double& dmin, double& dmax) {
    const double a = g.At(ix, iy), b = g.At(ix, iy + 1), c = g.At(ix + 1, iy), d = g.At(ix + 1, iy + 1);
    dmin = std::min(std::min(a, b), std::min(c, d));
    dmax = std::max(std::max(a, b), std::max(c, d));
}

} // namespace

std::size_t ContourLines(const NodeGrid& g, double level, std::vector<CData_Contour>& segments) {
    const std::size_t before = segments.size();
    CellVertices c;
    for (int ix = 0; ix + 1 < g.cols; ++ix) {
        for (int iy = 0; iy + 1 < g.rows; ++iy) {
            double dmin, dmax;
            CellRange(g, ix, iy, dmin, dmax);
            if (level < dmin || level > dmax) continue;
            LoadCell(g, ix, iy, level, c);
            for (int m = 1; m <= 4; ++m) {
                const int m1 = m, m2 = 0, m3 = m != 4 ? m + 1 : 1;
                const int caseValue = kCaseTable[c.sh[m1] + 1][c.sh[m2] + 1][c.sh[m3] + 1];
                if (caseValue == 0) continue;
                CData_Contour s;
                switch (caseValue) {
                case 1: // vertices 1 and 2
                    s.m_dX1 = c.xh[m1], s.m_dY1 = c.yh[m1], s.m_dX2 = c.xh[m2], s.m_dY2 = c.yh[m2];
                    break;
                case 2: // vertices 2 and 3
                    s.m_dX1 = c.xh[m2], s.m_dY1 = c.yh[m2], s.m_dX2 = c.xh[m3], s.m_dY2 = c.yh[m3];
                    break;
                case 3: // vertices 3 and 1
                    s.m_dX1 = c.xh[m3], s.m_dY1 = c.yh[m3], s.m_dX2 = c.xh[m1], s.m_dY2 = c.yh[m1];
                    break;
                case 4: // vertex 1 and side 2-3
                    s.m_dX1 = c.xh[m1], s.m_dY1 = c.yh[m1];
                    s.m_dX2 = XSect(c, m2, m3), s.m_dY2 = YSect(c, m2, m3);
                    break;
                case 5: // vertex 2 and side 3-1
                    s.m_dX1 = c.xh[m2], s.m_dY1 = c.yh[m2];
                    s.m_dX2 = XSect(c, m3, m1), s.m_dY2 = YSect(c, m3, m1);
                    break;
                case 6: // vertex 3 and side 1-2
                    s.m_dX1 = c.xh[m3], s.m_dY1 = c.yh[m3];
                    s.m_dX2 = XSect(c, m1, m2), s.m_dY2 = YSect(c, m1, m2);
                    break;
                case 7: // sides 1-2 and 2-3
                    s.m_dX1 = XSect(c, m1, m2), s.m_dY1 = YSect(c, m1, m2);
                    s.m_dX2 = XSect(c, m2, m3), s.m_dY2 = YSect(c, m2, m3);
                    break;
                case 8: // sides 2-3 and 3-1
                    s.m_dX1 = XSect(c, m2, m3), s.m_dY1 = YSect(c, m2, m3);
                    s.m_dX2 = XSect(c, m3, m1), s.m_dY2 = YSect(c, m3, m1);
                    break;
                default: // 9: sides 3-1 and 1-2
                    s.m_dX1 = XSect(c, m3, m1), s.m_dY1 = YSect(c, m3, m1);
                    s.m_dX2 = XSect(c, m1, m2), s.m_dY2 = YSect(c, m1, m2);
                    break;
                }
                segments.push_back(s);
            }
        }
    }
    return segments.size() - before;
}

std::size_t ContourBelow(const NodeGrid& g, double level, std::vector<CData_Area>& pieces) {
    const std::size_t before = pieces.size();
    CellVertices c;
    for (int ix = 0; ix + 1 < g.cols; ++ix) {
        bool previousWhole = false; // the previous cell of this column became (part of) the last piece
        for (int iy = 0; iy + 1 < g.rows; ++iy) {
            double dmin, dmax;
            CellRange(g, ix, iy, dmin, dmax);
            if (dmax < level) {
                if (previousWhole) {
                    // Lengthen the piece of the cells below: its upper edge moves up one row.
                    CData_Area& last = pieces.back();
                    last.m_adY[2] = g.y[iy + 1];
                    last.m_adY[3] = g.y[iy + 1];
                } else {
                    CData_Area a;
                    a.m_nCorners = 4;
                    a.m_adX = {g.x[ix], g.x[ix + 1], g.x[ix + 1], g.x[ix]};
                    a.m_adY = {g.y[iy], g.y[iy], g.y[iy + 1], g.y[iy + 1]};
                    pieces.push_back(a);
                }
                previousWhole = true;
                continue;
            }
            previousWhole = false;
            if (dmin >= level) continue; // nothing of this cell lies below
            LoadCell(g, ix, iy, level, c);
            for (int m = 1; m <= 4; ++m) {
                // Clip the triangle (corner m, centre, corner m + 1) to its part below the level.
                const int tri[3] = {m, 0, m != 4 ? m + 1 : 1};
                CData_Area a;
                int n = 0;
                auto add = [&](double x, double y) {
                    if (n < 4) { // a triangle cut by a line has at most four corners
                        a.m_adX[static_cast<std::size_t>(n)] = x;
                        a.m_adY[static_cast<std::size_t>(n)] = y;
                        ++n;
                    }
                };
                // Sutherland-Hodgman against "at or below the level"; a vertex on the level is its own
                // crossing point, so crossings are only computed between strictly opposite signs.
                for (int k = 0; k < 3; ++k) {
                    const int p = tri[k], q = tri[(k + 1) % 3];
                    const bool pIn = c.h[p] <= 0.0, qIn = c.h[q] <= 0.0;
                    if (pIn) add(c.xh[p], c.yh[p]);
                    if (pIn != qIn && c.h[p] != 0.0 && c.h[q] != 0.0) add(XSect(c, p, q), YSect(c, p, q));
                }
                if (n >= 3) {
                    a.m_nCorners = n;
                    pieces.push_back(a);
                }
            }
        }
    }
    return pieces.size() - before;
}

std::size_t ContourAbove(const NodeGrid& g, double level, std::vector<CData_Area>& pieces) {
    const std::size_t n = static_cast<std::size_t>(std::max(0, g.cols)) * static_cast<std::size_t>(std::max(0, g.rows));
    std::vector<double> negated(n);
    for (std::size_t i = 0; i < n; ++i) negated[i] = -g.values[i];
    NodeGrid mirror = g;
    mirror.values = negated.data();
    return ContourBelow(mirror, -level, pieces);
}

void HsvDegToRgb(double h, double s, double v, float& r, float& g, float& b) {
    if (s == 0.0) {
        r = g = b = static_cast<float>(v);
        return;
    }
    const double i = std::floor(h / 60.0);
    const double f = h / 60.0 - i;
    const double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
    double rr, gg, bb;
    switch (static_cast<int>(i)) {
    case 0: rr = v, gg = t, bb = p; break;
    case 1: rr = q, gg = v, bb = p; break;
    case 2: rr = p, gg = v, bb = t; break;
    case 3: rr = p, gg = q, bb = v; break;
    case 4: rr = t, gg = p, bb = v; break;
    default: rr = v, gg = p, bb = q; break;
    }
    r = static_cast<float>(rr), g = static_cast<float>(gg), b = static_cast<float>(bb);
}

COLORREF LevelHueColour(double level, double min, double max) {
    const double t = (level - min) / (max - min);
    float r, g, b;
    HsvDegToRgb(240.0 - 180.0 * t, 0.5 + 0.5 * (1.0 - t), 0.5 + 0.5 * t, r, g, b);
    return Rgb(static_cast<int>(r * 255.0f), static_cast<int>(g * 255.0f), static_cast<int>(b * 255.0f));
}

} // namespace plotra
