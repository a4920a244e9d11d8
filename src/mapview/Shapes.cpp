#include "mapview/Shapes.h"

#include <QLine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <array>
#include <optional>
#include <unordered_map>

namespace plotra {

namespace {

// Pieces whose corners span at most this many pixels in each direction are drawn from a stored
// pixel pattern.
constexpr int kTinySpan = 7;

// Rectangles reaching at most this far beyond the picture are filled as rectangles; farther ones are
// left to the painter, whose clipping of far coordinates takes other paths.
constexpr int kNearPixels = 4096;

/// \brief What a drawing leaves on a transparent square: the picture, and its painted pixels (alpha
/// above 0) row by row, relative to (margin, margin).
struct Stamp {
    QImage image;
    std::vector<std::pair<QPoint, QRgb>> pixels;
    bool opaque = true; ///< every painted pixel fully opaque (aliased drawing)
};

template <class Draw> Stamp MakeStamp(int side, int margin, const Draw& draw) {
    Stamp s;
    s.image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    s.image.fill(Qt::transparent);
    {
        QPainter p(&s.image);
        draw(p);
    }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const QRgb pixel = s.image.pixel(x, y);
            if (qAlpha(pixel) == 0) continue;
            if (qAlpha(pixel) != 255) s.opaque = false;
            s.pixels.emplace_back(QPoint(x - margin, y - margin), pixel);
        }
    return s;
}

/// \brief A pattern as runs of pixels along rows, with the box they lie in.
struct TinyShape {
    struct Run {
        int dy, dx, length;
    };
    std::vector<Run> runs;
    int left = 0, top = 0, right = -1, bottom = -1;
};

// The pixels a polygon covers when drawn with a 1-pixel pen and a brush, relative to its corners'
// smallest x and y. Aliased rasterisation gives the same pattern wherever the polygon is put on whole
// pixels (away from the target's edges), so one drawing per shape serves every copy of it.
const TinyShape& TinyPattern(std::uint32_t key, const QPoint* relative, int corners) {
    thread_local std::unordered_map<std::uint32_t, TinyShape> cache;
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    constexpr int margin = 4, side = kTinySpan + 2 * margin + 1;
    const Stamp stamp = MakeStamp(side, margin, [&](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::black);
        QPoint pts[4];
        for (int k = 0; k < corners; ++k)
            pts[k] = relative[k] + QPoint(margin, margin);
        p.drawPolygon(pts, corners);
    });
    TinyShape shape;
    for (const auto& [d, pixel] : stamp.pixels) {
        const int dx = d.x(), dy = d.y();
        if (!shape.runs.empty() && shape.runs.back().dy == dy && shape.runs.back().dx + shape.runs.back().length == dx)
            ++shape.runs.back().length;
        else
            shape.runs.push_back({dy, dx, 1});
        if (shape.right < shape.left) shape.left = shape.right = dx, shape.top = shape.bottom = dy;
        shape.left = std::min(shape.left, dx), shape.right = std::max(shape.right, dx);
        shape.top = std::min(shape.top, dy), shape.bottom = std::max(shape.bottom, dy);
    }
    return cache.emplace(key, std::move(shape)).first->second;
}

// Pieces lying wholly beyond one edge of the picture, found in model coordinates before any corner
// is converted (most pieces of a zoomed-in view). The bounds lie three pixels outside the picture,
// a pixel beyond the two that the pixel test below allows, so that both tests agree on every piece
// the cull drops whatever the rounding.
struct ModelCull {
    bool usable = false;
    double left = 0, right = 0, bottom = 0, top = 0;
    ModelCull(const PixelMapping& m, int W, int H) {
        const VisibleFrame& f = m.frame;
        if (!(f.xs > 0) || !(f.ys > 0) || !std::isfinite(f.xs) || !std::isfinite(f.ys) || W < 2 || H < 2)
            return;
        const double px = f.xs / (W - 1), py = f.ys / (H - 1);
        left = f.x0 - 3 * px;
        right = f.x0 + (W + 2) * px;
        bottom = f.y0 - 3 * py;
        top = f.y0 + (H + 2) * py;
        usable = std::isfinite(left) && std::isfinite(right) && std::isfinite(bottom) && std::isfinite(top);
    }
    bool Outside(const CData_Area& a, int corners) const {
        if (!usable) return false;
        double minX = a.m_adX[0], maxX = minX, minY = a.m_adY[0], maxY = minY;
        for (int k = 1; k < corners; ++k) {
            const double x = a.m_adX[static_cast<std::size_t>(k)], y = a.m_adY[static_cast<std::size_t>(k)];
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        return maxX < left || minX > right || maxY < bottom || minY > top;
    }
    bool Outside(const CData_Contour& s) const {
        if (!usable) return false;
        return (s.m_dX1 < left && s.m_dX2 < left) || (s.m_dX1 > right && s.m_dX2 > right) ||
               (s.m_dY1 < bottom && s.m_dY2 < bottom) || (s.m_dY1 > top && s.m_dY2 > top);
    }
};

// Four corners that make an axis-aligned rectangle, in either direction round.
bool IsRectangle(const QPoint* pts, int corners) {
    return corners == 4 && ((pts[0].y() == pts[1].y() && pts[1].x() == pts[2].x() &&
                             pts[2].y() == pts[3].y() && pts[3].x() == pts[0].x()) ||
                            (pts[0].x() == pts[1].x() && pts[1].y() == pts[2].y() &&
                             pts[2].x() == pts[3].x() && pts[3].y() == pts[0].y()));
}

bool DirectlyWritable(const QImage& image) {
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
           image.format() == QImage::Format_ARGB32_Premultiplied;
}

// The picture a painter draws on when nothing stands between them (no transform, clip, opacity,
// other composition or smoothing), so that its pixels may be written directly; else null.
QImage* PlainImage(QPainter& painter) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image) return nullptr;
    QImage* image = static_cast<QImage*>(device);
    const bool plain = DirectlyWritable(*image) && painter.worldTransform().isIdentity() && !painter.hasClipping() &&
                       painter.opacity() == 1.0 && painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                       !painter.testRenderHint(QPainter::Antialiasing);
    return plain ? image : nullptr;
}

// Short lines (each end within kShortLine pixels of the other in both directions) are copied from a
// drawing of the same line on a stamp: an aliased line between whole pixels covers the same pixels
// wherever it is put, relative to its first end.
constexpr int kShortLine = 7;

struct LinePattern {
    bool usable = false; ///< drawn with opaque pixels only
    std::vector<QPoint> pixels;
    int left = 0, top = 0, right = 0, bottom = 0; ///< the box of the pixels and the line's ends
};

const LinePattern& ShortLine(int dx, int dy) {
    thread_local std::array<std::optional<LinePattern>, (2 * kShortLine + 1) * (2 * kShortLine + 1)> cache;
    auto& slot = cache[static_cast<std::size_t>((dy + kShortLine) * (2 * kShortLine + 1) + dx + kShortLine)];
    if (slot) return *slot;
    constexpr int margin = kShortLine + 3, side = 2 * margin + 1;
    const Stamp stamp = MakeStamp(side, margin, [&](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPoint(margin, margin), QPoint(margin + dx, margin + dy));
    });
    LinePattern pattern;
    pattern.usable = stamp.opaque;
    for (const auto& [d, pixel] : stamp.pixels)
        pattern.pixels.push_back(d);
    pattern.left = std::min(0, dx), pattern.right = std::max(0, dx);
    pattern.top = std::min(0, dy), pattern.bottom = std::max(0, dy);
    for (const QPoint& d : pattern.pixels) {
        pattern.left = std::min(pattern.left, d.x()), pattern.right = std::max(pattern.right, d.x());
        pattern.top = std::min(pattern.top, d.y()), pattern.bottom = std::max(pattern.bottom, d.y());
    }
    slot = std::move(pattern);
    return *slot;
}

/// \brief A piece's corners in pixels, and their box.
struct PieceCorners {
    QPoint pts[4];
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};

PieceCorners ToPixels(const PixelMapping& m, const CData_Area& a, int corners) {
    PieceCorners c;
    for (int k = 0; k < corners; ++k) {
        c.pts[k] =
            QPoint(m.Px(a.m_adX[static_cast<std::size_t>(k)]), m.Py(a.m_adY[static_cast<std::size_t>(k)]));
        c.minX = k ? std::min(c.minX, c.pts[k].x()) : c.pts[k].x();
        c.maxX = k ? std::max(c.maxX, c.pts[k].x()) : c.pts[k].x();
        c.minY = k ? std::min(c.minY, c.pts[k].y()) : c.pts[k].y();
        c.maxY = k ? std::max(c.maxY, c.pts[k].y()) : c.pts[k].y();
    }
    return c;
}

/// \brief The pixels of a picture written directly, in one opaque colour.
struct DirectPixels {
    QRgb* pixels;
    qsizetype stride;
    int W, H;
    QRgb rgb;
};

/// \brief The pattern of a tiny piece by the shape of its corners. Neighbouring pieces are mostly the
/// same shape (whole cells of one size): the last pattern is kept at hand.
class TinyPatterns {
  public:
    const TinyShape& Of(const PieceCorners& c, int corners) {
        std::uint32_t key = static_cast<std::uint32_t>(corners);
        QPoint relative[4];
        for (int k = 0; k < corners; ++k) {
            relative[k] = c.pts[k] - QPoint(c.minX, c.minY);
            key = (key << 6) | static_cast<std::uint32_t>(relative[k].x() << 3 | relative[k].y());
        }
        if (!m_last || key != m_lastKey) {
            m_last = &TinyPattern(key, relative, corners);
            m_lastKey = key;
        }
        return *m_last;
    }

  private:
    std::uint32_t m_lastKey = 0;
    const TinyShape* m_last = nullptr;
};

/// Writes a tiny shape with its box at (minX, minY), leaving out what falls outside the picture.
void WriteTinyShape(const DirectPixels& d, const TinyShape& shape, int minX, int minY) {
    const int W = d.W, H = d.H;
    if (minX + shape.left >= 0 && minY + shape.top >= 0 && minX + shape.right < W &&
        minY + shape.bottom < H) {
        for (const TinyShape::Run& r : shape.runs)
            std::fill_n(d.pixels + (minY + r.dy) * d.stride + minX + r.dx, r.length, d.rgb);
    } else {
        for (const TinyShape::Run& r : shape.runs)
            for (int k = 0; k < r.length; ++k) {
                const int x = minX + r.dx + k, y = minY + r.dy;
                if (x >= 0 && y >= 0 && x < W && y < H) d.pixels[y * d.stride + x] = d.rgb;
            }
    }
}

/// The pieces too large for a pattern, or near the picture's edges, with the painter; \p direct
/// (when the pixels can be written) takes the fills of plain rectangles.
void PaintPieces(QImage& target, const PixelMapping& m, const CData_Area* pieces,
                 const std::vector<std::size_t>& painted, const QColor& colour, const DirectPixels* direct) {
    const int W = target.width(), H = target.height();
    QPainter painter(&target);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(colour);
    for (std::size_t i : painted) {
        const CData_Area& a = pieces[i];
        const int corners = std::clamp(a.m_nCorners, 0, 4);
        const PieceCorners c = ToPixels(m, a, corners);
        const int minX = c.minX, maxX = c.maxX, minY = c.minY, maxY = c.maxY;
        const bool rectangle = IsRectangle(c.pts, corners);
        const bool point = minX == maxX && minY == maxY;
        const bool near = minX >= -kNearPixels && minY >= -kNearPixels && maxX <= W + kNearPixels &&
                          maxY <= H + kNearPixels;
        const bool lastCornerShown = maxX >= 0 && maxY >= 0 && maxX < W && maxY < H;
        if (rectangle && !point && near && ((minX >= 0 && minY >= 0) || !lastCornerShown)) {
            // Fill and 1-pixel outline of an axis-aligned rectangle cover its corners inclusively, cut
            // by the picture. (Where the left or top edge cuts it, the stroker may leave out the
            // bottom-right corner pixel when that lies in the picture, and a rectangle shrunk to one
            // point draws nothing, so those go the plain way.)
            const QRect shown = QRect(QPoint(minX, minY), QPoint(maxX, maxY)).intersected(QRect(0, 0, W, H));
            if (shown.isEmpty()) continue;
            if (direct) { // an opaque fill of whole pixels: the colour itself
                for (int y = shown.top(); y <= shown.bottom(); ++y)
                    std::fill_n(direct->pixels + y * direct->stride + shown.left(), shown.width(),
                                direct->rgb);
            } else {
                painter.fillRect(shown, colour);
            }
        } else {
            painter.drawPolygon(c.pts, corners);
        }
    }
}

} // namespace

void FillContourPieces(QImage& target, const PixelMapping& m, const CData_Area* pieces, std::size_t count,
                       const QColor& colour) {
    if (count == 0 || target.isNull()) return;
    const int W = target.width(), H = target.height();
    const QRgb rgb = colour.rgb() | 0xFF000000u;
    const bool direct = DirectlyWritable(target);
    QRgb* const pixels = direct ? reinterpret_cast<QRgb*>(target.bits()) : nullptr;
    const qsizetype stride = target.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    const DirectPixels out{pixels, stride, W, H, rgb};
    const ModelCull cull(m, W, H);
    // All pieces take the same opaque colour, so the result is the union of their pixels whatever
    // the order: tiny pieces are written first, straight into the pixels, the others painted after.
    std::vector<std::size_t> painted;
    TinyPatterns patterns;
    for (std::size_t i = 0; i < count; ++i) {
        const CData_Area& a = pieces[i];
        const int corners = std::clamp(a.m_nCorners, 0, 4);
        if (corners < 2) continue;
        if (cull.Outside(a, corners)) continue;
        const PieceCorners c = ToPixels(m, a, corners);
        // The outline pen reaches at most one pixel beyond the corners.
        if (c.maxX < -1 || c.maxY < -1 || c.minX > W || c.minY > H) continue;
        const bool awayFromEdges = c.minX >= 1 && c.minY >= 1 && c.maxX < W - 1 && c.maxY < H - 1;
        if (direct && awayFromEdges && c.maxX - c.minX <= kTinySpan && c.maxY - c.minY <= kTinySpan) {
            WriteTinyShape(out, patterns.Of(c, corners), c.minX, c.minY);
            continue;
        }
        painted.push_back(i);
    }
    if (painted.empty()) return;
    PaintPieces(target, m, pieces, painted, colour, direct ? &out : nullptr);
}

void DrawDiscs(QPainter& painter, const std::vector<QPoint>& centres, int radius) {
    if (centres.empty()) return;
    // One stamp of the circle, drawn with the painter's pen and brush on a transparent square, is
    // copied to every centre: the rasterised circle is the same at every whole-pixel position.
    const int margin = radius + static_cast<int>(painter.pen().widthF()) + 2;
    const int side = 2 * margin + 1;
    const Stamp stamp = MakeStamp(side, margin, [&](QPainter& sp) {
        sp.setPen(painter.pen());
        sp.setBrush(painter.brush());
        sp.drawEllipse(QPoint(margin, margin), radius, radius);
    });
    // Drawn with an aliased pen and brush, the stamp's pixels are opaque or empty, and drawing it over
    // a picture replaces the picture's pixels under its opaque ones. With nothing between the painter
    // and the picture (no transform, clip, opacity or other composition), those are written directly.
    QImage* image = PlainImage(painter);
    if (!image || !stamp.opaque) {
        for (const QPoint& c : centres)
            painter.drawImage(c.x() - margin, c.y() - margin, stamp.image);
        return;
    }
    const int W = image->width(), H = image->height();
    QRgb* const pixels = reinterpret_cast<QRgb*>(image->bits());
    const qsizetype stride = image->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (const QPoint& c : centres) {
        const bool whole = c.x() - margin >= 0 && c.y() - margin >= 0 && c.x() + margin < W && c.y() + margin < H;
        for (const auto& [d, rgb] : stamp.pixels) {
            const int x = c.x() + d.x(), y = c.y() + d.y();
            if (whole || (x >= 0 && y >= 0 && x < W && y < H)) pixels[y * stride + x] = rgb;
        }
    }
}

void DrawSegments(QPainter& painter, const PixelMapping& m, const CData_Contour* segments, std::size_t count,
                  const QColor& colour) {
    painter.setPen(QPen(colour, 1));
    // A line wholly beyond one edge of the picture draws nothing. Lines are left out only when the
    // painter draws the mapping's pixels as they are, onto a picture of the mapping's size.
    const QPaintDevice* device = painter.device();
    const bool plain = device && device->width() == m.width && device->height() == m.height &&
                       painter.worldTransform().isIdentity();
    const ModelCull cull(m, plain ? m.width : 0, plain ? m.height : 0);
    // Every line takes the same opaque colour, so the pixels are their union whatever the order:
    // short lines away from the edges are written straight into the picture, the others drawn after.
    QImage* image = PlainImage(painter);
    QRgb* const pixels = image ? reinterpret_cast<QRgb*>(image->bits()) : nullptr;
    const qsizetype stride = image ? image->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)) : 0;
    const int W = image ? image->width() : 0, H = image ? image->height() : 0;
    const QRgb rgb = colour.rgb() | 0xFF000000u;
    std::vector<QLine> lines;
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const CData_Contour& s = segments[i];
        if (cull.Outside(s)) continue;
        const QLine line(m.Px(s.m_dX1), m.Py(s.m_dY1), m.Px(s.m_dX2), m.Py(s.m_dY2));
        const int dx = line.dx(), dy = line.dy();
        if (pixels && std::abs(dx) <= kShortLine && std::abs(dy) <= kShortLine) {
            const int x0 = line.x1(), y0 = line.y1();
            const LinePattern& pattern = ShortLine(dx, dy);
            // Two pixels clear of the edges, where the painter's clipping has nothing to cut.
            const bool away = x0 + pattern.left >= 2 && y0 + pattern.top >= 2 && x0 + pattern.right < W - 2 &&
                              y0 + pattern.bottom < H - 2;
            if (away && pattern.usable) {
                for (const QPoint& d : pattern.pixels)
                    pixels[(y0 + d.y()) * stride + x0 + d.x()] = rgb;
                continue;
            }
        }
        lines.push_back(line);
    }
    if (!lines.empty()) painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

} // namespace plotra
