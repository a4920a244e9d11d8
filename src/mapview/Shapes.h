#pragma once
/// \brief Batches of small shapes the graph draws by the thousand - contour pieces, path discs and
/// contour segments - drawn with the same pixels as one QPainter call per shape, only faster.

#include "model/Records.h"
#include "model/ViewState.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <vector>

class QPainter;

namespace plotra {

/// Fills contour pieces (up to four corners each) on \p target as polygons with a 1-pixel pen and a
/// brush of \p colour; the pixels equal one drawPolygon with that pen and brush per piece. Pieces
/// of a few pixels are copied from a stored pattern, pixel-aligned rectangles filled as rectangles
/// and pieces wholly outside the target skipped. No painter may be active on \p target.
void FillContourPieces(QImage& target, const PixelMapping& mapping, const CData_Area* pieces,
                       std::size_t count, const QColor& colour);

/// Draws a circle of radius \p radius around every point with the painter's current pen and brush
/// (the pixels equal drawEllipse(point, radius, radius) for each point, in order).
void DrawDiscs(QPainter& painter, const std::vector<QPoint>& centres, int radius);

/// Draws contour segments with a 1-pixel pen of \p colour.
void DrawSegments(QPainter& painter, const PixelMapping& mapping, const CData_Contour* segments,
                  std::size_t count, const QColor& colour);

} // namespace plotra
