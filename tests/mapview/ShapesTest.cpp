// The batched shape drawing must give exactly the pixels of one plain QPainter call per shape;
// the plain calls are the oracle.
#include "mapview/Shapes.h"
#include "mapview/PlainShapes.h"
#include "mapview/RenderApplication.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>

using namespace plotra;

namespace {

QImage White(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A mapping where model coordinates are pixels: x to the right, y upward from the bottom row.
PixelMapping Identity(int w, int h) {
    return PixelMapping{VisibleFrame{0, 0, double(w - 1), double(h - 1)}, w, h};
}

} // namespace

TEST(Shapes, ContourPiecesMatchOnePolygonEach) {
    EnsureRenderApplication();
    const int W = 160, H = 120;
    const PixelMapping m = Identity(W, H);
    for (unsigned seed = 1; seed <= 9; ++seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> coord(-30.0, 190.0),
            size(0.0, seed % 3 == 0 ? 240.0 : seed % 2 ? 25.0 : 3.0);
        std::vector<CData_Area> pieces;
        for (int i = 0; i < 400; ++i) {
            CData_Area a;
            const double x0 = coord(rng), y0 = coord(rng), x1 = x0 + size(rng), y1 = y0 + size(rng);
            if (i % 3 == 0) { // a triangle or a quadrilateral of any shape
                a.m_nCorners = 3 + i % 2;
                for (int k = 0; k < 4; ++k)
                    a.m_adX[k] = coord(rng) / 4 + x0, a.m_adY[k] = coord(rng) / 4 + y0;
            } else { // a whole-cell piece: an axis-aligned rectangle, sometimes flat
                a.m_nCorners = 4;
                const double top = i % 7 == 0 ? y0 : y1;
                a.m_adX = {x0, x1, x1, x0};
                a.m_adY = {y0, y0, top, top};
            }
            pieces.push_back(a);
        }
        const QColor colours[3] = {QColor(10, 200, 30), QColor(200, 10, 30), QColor(0, 0, 255)};
        QImage fast = White(W, H), oracle = White(W, H);
        for (int c = 0; c < 3; ++c)
            FillContourPieces(fast, m, pieces.data() + c * 100, c == 2 ? 200 : 100, colours[c]);
        {
            QPainter p(&oracle);
            for (int c = 0; c < 3; ++c)
                test::PlainContourPieces(p, m, pieces.data() + c * 100, c == 2 ? 200 : 100, colours[c]);
        }
        EXPECT_TRUE(fast == oracle) << "seed " << seed;
    }
}

TEST(Shapes, DiscsMatchOneEllipseEach) {
    EnsureRenderApplication();
    const int W = 120, H = 90;
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> x(-8, W + 8), y(-8, H + 8);
    for (int penWidth : {1, 2, 3, 4}) {
        for (int radius : {2, 3, 5, 6}) {
            std::vector<QPoint> centres;
            for (int i = 0; i < 300; ++i)
                centres.emplace_back(x(rng), y(rng));
            QImage fast = White(W, H), oracle = White(W, H);
            {
                QPainter p(&fast);
                p.setPen(QPen(QColor(200, 30, 100), penWidth));
                p.setBrush(Qt::white);
                DrawDiscs(p, centres, radius);
            }
            {
                QPainter p(&oracle);
                p.setPen(QPen(QColor(200, 30, 100), penWidth));
                p.setBrush(Qt::white);
                test::PlainDiscs(p, centres, radius);
            }
            EXPECT_TRUE(fast == oracle) << "pen " << penWidth << " radius " << radius;
        }
    }
}

TEST(Shapes, SegmentsMatchOneLineEach) {
    EnsureRenderApplication();
    const int W = 100, H = 80;
    const PixelMapping m = Identity(W, H);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> c(-20, 120);
    std::uniform_real_distribution<double> near(-9.5, 9.5);
    std::vector<CData_Contour> segments(3000);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        // Long lines, and short ones of every direction (a contour's pieces inside one cell).
        CData_Contour& s = segments[i];
        s.m_dX1 = c(rng), s.m_dY1 = c(rng);
        s.m_dX2 = i < 500 ? c(rng) : s.m_dX1 + near(rng);
        s.m_dY2 = i < 500 ? c(rng) : s.m_dY1 + near(rng);
    }
    QImage fast = White(W, H), oracle = White(W, H);
    {
        QPainter p(&fast);
        DrawSegments(p, m, segments.data(), segments.size(), QColor(0, 128, 255));
    }
    {
        QPainter p(&oracle);
        test::PlainSegments(p, m, segments.data(), segments.size(), QColor(0, 128, 255));
    }
    EXPECT_TRUE(fast == oracle);
}

TEST(Shapes, TinyPiecesOfEveryShapeMatchTheirPolygons) {
    EnsureRenderApplication();
    const int W = 90, H = 70;
    const PixelMapping m = Identity(W, H);
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> pos(-3, W + 2), off(0, 8), corners(2, 4);
    for (int round = 0; round < 20; ++round) {
        std::vector<CData_Area> pieces(300);
        for (auto& a : pieces) {
            const int x0 = pos(rng), y0 = pos(rng);
            a.m_nCorners = corners(rng);
            for (int k = 0; k < 4; ++k)
                a.m_adX[k] = x0 + off(rng), a.m_adY[k] = y0 + off(rng);
        }
        QImage fast = White(W, H), oracle = White(W, H);
        FillContourPieces(fast, m, pieces.data(), pieces.size(), QColor(90, 20, 200));
        {
            QPainter p(&oracle);
            test::PlainContourPieces(p, m, pieces.data(), pieces.size(), QColor(90, 20, 200));
        }
        ASSERT_TRUE(fast == oracle) << "round " << round;
    }
}
