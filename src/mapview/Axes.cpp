#include "mapview/Axes.h"
#include "model/TextFormat.h"

#include "model/Geometry.h"
#include "model/PlotraDoc.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace plotra {

namespace {

QFont AxisFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(8);
    return font;
}

// Text with its top-left corner at (x, y), as labels are placed.
void TextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

QString Format(const char* format, double v) {
    return QString::fromLatin1(FormatText<64>(format, v).c_str());
}

// Latitude/longitude of a map position, or nothing when the document cannot convert. The
// transformation is probed once per drawing so that a bad projection reports itself only once.
struct GeoConverter {
    const CPlotraDoc& doc;
    bool usable = true;
    std::optional<CDataGeo> operator()(double x, double y) {
        if (!usable) return std::nullopt;
        auto g = doc.MapToGeoQuiet(x, y);
        if (!g) usable = false;
        return g;
    }
};

bool SegmentMayCross(const QPointF& a, const QPointF& b, int width, int height) {
    const double minX = std::min(a.x(), b.x()), maxX = std::max(a.x(), b.x());
    const double minY = std::min(a.y(), b.y()), maxY = std::max(a.y(), b.y());
    return maxX >= 0 && minX <= width - 1 && maxY >= 0 && minY <= height - 1;
}

/// The coordinates at the N divisions of both axes.
void DrawLabels(QPainter& painter, const CPlotraDoc& doc, const VisibleFrame& frame, int W, int H, int N,
                GeoConverter& toGeo) {
    const bool lonLat = doc.Display().m_bShowLonLat != 0;
    const bool metric = doc.Map().m_bMetricXY != 0;
    const double x0 = frame.x0, y0 = frame.y0, xs = frame.xs, ys = frame.ys;
    for (int i = 1; i <= N; ++i) {
        double X = x0 + xs * i / N, Y = y0 + ys * i / N;
        const int px = i * W / N, py = H - i * H / N;
        if (!metric && !lonLat) {
            // Distances in metres from the frame origin, along its parallel and its meridian.
            X = GeoDistance(frame.originY, frame.originX, frame.originY, X);
            Y = GeoDistance(frame.originY, frame.originX, Y, frame.originX);
        } else if (metric && lonLat) {
            if (auto g = toGeo(X, Y)) {
                X = g->m_dX;
                Y = g->m_dY;
            }
        }
        const QString xText = lonLat ? Format("%3.5f", X) : Format("%5.2f", X / doc.Display().m_dUnitFactor);
        const QString yText = lonLat ? Format("%3.5f", Y) : Format("%5.2f", Y / doc.Display().m_dUnitFactor);
        // The label of the right edge (and any other that would run over it) ends at the edge:
        // cut there it would read as another number.
        const int xWidth = painter.fontMetrics().horizontalAdvance(xText);
        TextAt(painter, std::max(0, std::min(px - (lonLat ? 35 : 15), W - 1 - xWidth)), H - 15, xText);
        TextAt(painter, 0, py, yText);
    }
}

void DrawAxisTitles(QPainter& painter, int H, bool lonLat) {
    painter.setPen(QPen(Qt::black, 0));
    if (!lonLat) {
        TextAt(painter, 3, H - 22, QStringLiteral("Y"));
        TextAt(painter, 10, H - 15, QStringLiteral("X"));
        painter.drawLine(5, H - 5, 15, H - 20);
    } else {
        TextAt(painter, 3, H - 30, QStringLiteral("Lat"));
        TextAt(painter, 5, H - 15, QStringLiteral("Lon"));
        painter.drawLine(3, H - 15, 25, H - 20);
    }
}

/// \brief The geographic bounds of the visible area.
struct GeoBounds {
    double lonMin = 0, lonMax = 0, latMin = 0, latMax = 0;
};

/// The bounds of the frame's corners, or nothing when a corner cannot be converted or the area
/// is too narrow for lines of whole geographic divisions.
std::optional<GeoBounds> FrameGeoBounds(const VisibleFrame& frame, GeoConverter& toGeo) {
    const double x0 = frame.x0, y0 = frame.y0, xs = frame.xs, ys = frame.ys;
    GeoBounds b;
    const double cx[4] = {x0, x0 + xs, x0, x0 + xs};
    const double cy[4] = {y0, y0, y0 + ys, y0 + ys};
    bool first = true;
    for (int k = 0; k < 4 && toGeo.usable; ++k) {
        auto g = toGeo(cx[k], cy[k]);
        if (!g) break;
        if (first) {
            b.lonMin = b.lonMax = g->m_dX;
            b.latMin = b.latMax = g->m_dY;
            first = false;
        }
        b.lonMin = std::min(b.lonMin, g->m_dX);
        b.lonMax = std::max(b.lonMax, g->m_dX);
        b.latMin = std::min(b.latMin, g->m_dY);
        b.latMax = std::max(b.latMax, g->m_dY);
    }
    if (!toGeo.usable || std::fabs(b.lonMax - b.lonMin) < 1e-6) return std::nullopt;
    return b;
}

/// Lines of whole geographic divisions: multiples of the larger span / N, each drawn between its end
/// points on the visible area's geographic bounds, converted back to the map.
void DrawGeoGridLines(QPainter& painter, const CPlotraDoc& doc, const VisibleFrame& frame, int W, int H,
                      int N, const GeoBounds& area, bool xGrid, bool yGrid) {
    const PixelMapping m{frame, W, H};
    const double step = std::max(area.lonMax - area.lonMin, area.latMax - area.latMin) / N;
    auto line = [&](double latA, double lonA, double latB, double lonB) {
        const CDataGeo a = doc.GeoToMap(latA, lonA), b = doc.GeoToMap(latB, lonB);
        const QPointF pa(m.PxExact(a.m_dX), m.PyExact(a.m_dY)), pb(m.PxExact(b.m_dX), m.PyExact(b.m_dY));
        if (!std::isfinite(pa.x() + pa.y() + pb.x() + pb.y())) return;
        if (!SegmentMayCross(pa, pb, W, H)) return;
        painter.drawLine(QPoint(TruncPixel(pa.x()), TruncPixel(pa.y())),
                         QPoint(TruncPixel(pb.x()), TruncPixel(pb.y())));
    };
    if (step > 0 && std::isfinite(step)) {
        if (xGrid)
            for (double lon = std::ceil(area.lonMin / step) * step; lon <= area.lonMax; lon += step)
                line(area.latMin, lon, area.latMax, lon);
        if (yGrid)
            for (double lat = std::ceil(area.latMin / step) * step; lat <= area.latMax; lat += step)
                line(lat, area.lonMin, lat, area.lonMax);
    }
}

/// Straight lines at the divisions, unless the map is shown in latitude/longitude: then the lines
/// of whole degrees' divisions, which the projection may tilt.
void DrawGridLines(QPainter& painter, const CPlotraDoc& doc, const VisibleFrame& frame, int W, int H, int N,
                   bool xGrid, bool yGrid, GeoConverter& toGeo) {
    painter.setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
    const bool straight = doc.Map().m_bMetricXY == 0 || doc.Display().m_bShowLonLat == 0;
    const std::optional<GeoBounds> bounds = straight ? std::nullopt : FrameGeoBounds(frame, toGeo);
    if (bounds) {
        DrawGeoGridLines(painter, doc, frame, W, H, N, *bounds, xGrid, yGrid);
        return;
    }
    for (int i = 1; i < N; ++i) {
        if (xGrid) painter.drawLine(i * W / N, 0, i * W / N, H - 1);
        if (yGrid) painter.drawLine(0, H - i * H / N, W - 1, H - i * H / N);
    }
}

} // namespace

void DrawAxes(QPainter& painter, const CPlotraDoc& doc, const VisibleFrame& frame, int W, int H, bool xGrid,
              bool yGrid) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(AxisFont());
    painter.setBrush(Qt::NoBrush);
    // The panel offers 3 to 10 divisions; a damaged project is held to 100 labels per axis.
    const int N = std::min(doc.Display().m_nGridDivisions, 100);
    GeoConverter toGeo{doc};

    painter.setPen(Qt::black);
    if (frame.xs > 0 && frame.ys > 0 && N >= 1) DrawLabels(painter, doc, frame, W, H, N, toGeo);
    DrawAxisTitles(painter, H, doc.Display().m_bShowLonLat != 0);
    if ((xGrid || yGrid) && N >= 1) DrawGridLines(painter, doc, frame, W, H, N, xGrid, yGrid, toGeo);
    painter.restore();
}

NorthOffset CompassNorthOffset(const CPlotraDoc& doc, const PixelMapping& mapping) {
    NorthOffset off;
    if (!doc.Map().m_bMetricXY) return off;
    const VisibleFrame& f = mapping.frame;
    if (!(f.xs > 0) || !(f.ys > 0)) return off;
    const double cx = f.x0 + f.xs / 2, cy = f.y0 + f.ys / 2;
    const auto centre = doc.MapToGeoQuiet(cx, cy);
    if (!centre) return off;
    const double d = 1e-4; // degrees: small enough to stay local, large enough for the doubles
    const CDataGeo north = doc.GeoToMap(centre->m_dY + d, centre->m_dX);
    const CDataGeo east = doc.GeoToMap(centre->m_dY, centre->m_dX + d);
    // Model offsets to pixel offsets (x to the right, y upward).
    const double sx = (mapping.width - 1) / f.xs, sy = (mapping.height - 1) / f.ys;
    const double nx = (north.m_dX - cx) * sx, ny = (north.m_dY - cy) * sy;
    const double ex = (east.m_dX - cx) * sx, ey = (east.m_dY - cy) * sy;
    const double nl = std::hypot(nx, ny), el = std::hypot(ex, ey);
    if (nl > 0 && std::isfinite(nl)) off.dx = TruncPixel(32.0 * nx / nl);
    if (el > 0 && std::isfinite(el)) off.dy = TruncPixel(32.0 * ey / el);
    return off;
}

QImage BuildCompass(const NorthOffset& offset) {
    const int dx = std::clamp(offset.dx, -32, 32), dy = std::clamp(offset.dy, -32, 32);
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(AxisFont());
    p.setPen(Qt::black);
    TextAt(p, 29 + dx, 0, QStringLiteral("N"));
    // Where the substitute face is taller than the one the layout was made for, the bottom letter
    // moves up so that it stays whole.
    TextAt(p, 29 - dx, std::min(53, 64 - p.fontMetrics().height()), QStringLiteral("S"));
    TextAt(p, 56, 25 - dy, QStringLiteral("E"));
    TextAt(p, 0, 25 + dy, QStringLiteral("W"));

    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(31, 31);
    // Needle tips next to the letters; north and south move sideways, east and west up and down.
    const QPointF tips[4] = {QPointF(32 + dx, 12), QPointF(32 - dx, 51), QPointF(54, 31 - dy),
                             QPointF(9, 31 + dy)};
    p.setPen(QPen(QColor(10, 200, 10), 1));
    for (const QPointF& t : tips)
        p.drawLine(t, centre);
    p.setPen(QPen(QColor(200, 200, 10), 1));
    p.setBrush(QColor(200, 200, 10));
    for (const QPointF& t : tips) {
        const QPointF v = t - centre;
        const double len = std::hypot(v.x(), v.y());
        if (len < 1) continue;
        const QPointF u = v / len, n(-u.y(), u.x());
        const QPointF base = t - 8 * u;
        p.drawPolygon(QPolygonF({t, base + 3.5 * n, base - 3.5 * n}));
    }
    p.setPen(QPen(QColor(200, 20, 150), 1));
    p.setBrush(QColor(200, 20, 150));
    p.drawEllipse(QRectF(26, 26, 10, 10));
    p.end();
    return image;
}

} // namespace plotra
