#pragma once
/// \brief The last layers of the graph: coordinate labels along the bottom and left edges with the
/// axis titles, the optional dotted grid lines, and the small compass picture.

#include "model/ViewState.h"

#include <QImage>

class QPainter;

namespace plotra {

class CPlotraDoc;

/// Draws the labels, titles and grid lines of the visible frame on a W x H target. The grid options
/// are passed in so that the report picture can switch both on without touching the document.
void DrawAxes(QPainter& painter, const CPlotraDoc& doc, const VisibleFrame& frame, int width, int height,
              bool xGrid, bool yGrid);

/// \brief Where the compass letters move so that N points to geographic north: dx shifts the north
/// and south marks sideways, dy the east and west marks up and down (pixels, at most 32).
struct NorthOffset {
    int dx = 0;
    int dy = 0;
};

/// North offset for the visible area: zero for latitude/longitude data; on a planar map the
/// directions of north and east at the centre of the visible area, taken through the projection.
NorthOffset CompassNorthOffset(const CPlotraDoc& doc, const PixelMapping& mapping);

/// The 64 x 64 compass picture (white background, letters, needles and a centre mark).
QImage BuildCompass(const NorthOffset& offset);

} // namespace plotra
