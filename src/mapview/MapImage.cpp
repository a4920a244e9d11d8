#include "mapview/MapImage.h"

#include "mapview/RenderSide.h"
#include "model/PlotraDoc.h"

#include <QPainter>

namespace plotra {

QImage MapImageOf(const CPlotraDoc& doc) {
    if (!doc.Map().m_bMapLoaded || doc.Map().m_aMapImage.empty()) return {};
    RenderSide& side = RenderSideOf(doc);
    const auto& bytes = doc.Map().m_aMapImage;
    // Decoded again only when the map changed: a new map, or a whole new project.
    const std::uint64_t change = doc.ChangeCount(DocChange::Projection) + doc.ChangeCount(DocChange::Everything);
    if (side.mapBytes != bytes.data() || side.mapSize != bytes.size() || side.mapChange != change) {
        side.map.Release();
        side.map.LoadFromBuffer(bytes);
        side.mapBytes = bytes.data();
        side.mapSize = bytes.size();
        side.mapChange = change;
    }
    if (side.map.IsEmpty()) return {};
    const QImage& image = side.map.Image();
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

void RenderPicturePart(QPainter& painter, const QImage& picture, const QRect& dest, double start, double end,
                       double lower, double upper) {
    if (picture.isNull() || dest.width() < 1 || dest.height() < 1) return;
    const double w = picture.width(), h = picture.height();
    // Fractions from the bottom turn into rows counted from the top.
    const QRectF source(start * w, (1.0 - upper) * h, (end - start) * w, (upper - lower) * h);
    if (!(source.width() > 0.0) || !(source.height() > 0.0)) return;
    painter.drawImage(QRectF(dest), picture, source);
}

MapPlacement PlaceMap(const CPlotraDoc& doc, const PixelMapping& mapping) {
    MapPlacement p;
    const int W = mapping.width, H = mapping.height;
    const int left = mapping.Px(doc.Map().m_dMapOriginX);
    const int right = mapping.Px(doc.Map().m_dMapOriginX + doc.Map().m_dMapWidth);
    const int bottom = mapping.Py(doc.Map().m_dMapOriginY);
    const int top = mapping.Py(doc.Map().m_dMapOriginY + doc.Map().m_dMapHeight);
    if (right - left < 1 || bottom - top < 1) return p;
    const double spanX = static_cast<double>(right) - left, spanY = static_cast<double>(bottom) - top;
    int dl = left, dr = right, db = bottom, dt = top;
    if (left <= 0) {
        dl = 0;
        p.start = -left / spanX;
    }
    if (right > W) {
        dr = W;
        p.end = (W - static_cast<double>(left)) / spanX;
    }
    if (bottom > H) {
        db = H;
        p.lower = (bottom - static_cast<double>(H)) / spanY;
    }
    if (top <= 0) {
        dt = 0;
        p.upper = bottom / spanY;
    }
    if (dr - dl < 1 || db - dt < 1) return p;
    p.dest = QRect(QPoint(dl, dt), QSize(dr - dl, db - dt));
    p.visible = true;
    return p;
}

} // namespace plotra
