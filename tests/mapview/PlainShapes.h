#pragma once
/// \brief The straightforward way to draw the graph's small shapes: one QPainter call per shape. It
/// is the oracle of the batched drawing in mapview/Shapes.h (tests) and its yardstick (benchmark).

#include "model/Records.h"
#include "model/ViewState.h"

#include <QPainter>

#include <vector>

namespace plotra::test {

inline void PlainContourPieces(QPainter& p, const PixelMapping& m, const CData_Area* pieces, std::size_t n,
                               const QColor& colour) {
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    for (std::size_t i = 0; i < n; ++i) {
        const CData_Area& a = pieces[i];
        QPoint pts[4];
        const int corners = std::clamp(a.m_nCorners, 0, 4);
        for (int k = 0; k < corners; ++k)
            pts[k] = QPoint(m.Px(a.m_adX[k]), m.Py(a.m_adY[k]));
        if (corners >= 2) p.drawPolygon(pts, corners);
    }
}

inline void PlainDiscs(QPainter& p, const std::vector<QPoint>& centres, int radius) {
    for (const QPoint& c : centres)
        p.drawEllipse(c, radius, radius);
}

inline void PlainSegments(QPainter& p, const PixelMapping& m, const CData_Contour* segments, std::size_t n,
                          const QColor& colour) {
    p.setPen(QPen(colour, 1));
    for (std::size_t i = 0; i < n; ++i) {
        const CData_Contour& s = segments[i];
        p.drawLine(QPoint(m.Px(s.m_dX1), m.Py(s.m_dY1)), QPoint(m.Px(s.m_dX2), m.Py(s.m_dY2)));
    }
}

} // namespace plotra::test
