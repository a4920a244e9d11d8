#pragma once
/// \brief The geo-coded map as the renderer draws it: decoded from the document's BMP bytes, placed
/// on the target by the visible frame, and drawn in part with the picture's source window given in
/// fractions (horizontally from the left edge, vertically from the bottom edge).

#include "model/ViewState.h"

#include <QImage>
#include <QRect>

class QPainter;

namespace plotra {

class CPlotraDoc;

/// The document's map picture; a null image when no map is loaded or the bytes do not decode.
/// This is the one place that decodes the map for drawing.
QImage MapImageOf(const CPlotraDoc& doc);

/// Draws the part [start, end] x [lower, upper] of \p picture into \p dest. start and end are
/// fractions of the width from the left edge, lower and upper fractions of the height from the
/// bottom edge. Nothing is drawn into a rectangle less than 1 pixel wide.
void RenderPicturePart(QPainter& painter, const QImage& picture, const QRect& dest, double start, double end,
                       double lower, double upper);

/// \brief Where the map lands on a target: the destination rectangle clipped to the target and the
/// part of the picture that fills it.
struct MapPlacement {
    bool visible = false;
    QRect dest;
    double start = 0.0, end = 1.0, lower = 0.0, upper = 1.0;
};

/// The map rectangle [origin, origin + size] converted to pixels and clipped to the target.
MapPlacement PlaceMap(const CPlotraDoc& doc, const PixelMapping& mapping);

} // namespace plotra
