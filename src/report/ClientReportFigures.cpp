// The client report's figures: the picture of the map or of a grid, drawn from the document, with
// the AP markers, scale bar, north arrow and legend laid over and under it on the page.
#include "report/ClientReportWriter.h"

#include "mapview/GraphRenderer.h"
#include "model/Geometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace plotra::client_report {

namespace {

// Per-AP grids come from the file; one larger than this is not drawn rather than allocated.
constexpr int kMaxGridSide = 4096;

bool MarkerShown(const CAPInfo& ap) {
    return ap.m_bFixed || (ap.m_aApPoints.size() >= kMinLocatedPoints && ap.m_dSlope < -10.0);
}

/// The level 0..1 of a value on a range (0 when the range is empty).
double LevelOf(double v, double lo, double hi) {
    if (!(hi > lo)) return 0.0;
    return std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
}

/// A grid as a picture of one pixel per node (column c, row rows - 1 - r), transparent where \p colour
/// gives nothing.
template <class Fn> QImage GridPicture(int cols, int rows, Fn&& colour) {
    QImage image(cols, rows, QImage::Format_ARGB32);
    if (image.isNull()) return image;
    image.fill(Qt::transparent);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const std::size_t i =
                static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r);
            if (const std::optional<QColor> q = colour(i)) image.setPixelColor(c, rows - 1 - r, *q);
        }
    return image;
}

QRect RectOf(const PixelMapping& m, double originY, double originX, double spanY, double spanX) {
    const int left = m.Px(originX), right = m.Px(originX + spanX);
    const int top = m.Py(originY + spanY), bottom = m.Py(originY);
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

/// Metres across the frame's width (along its middle).
double FrameWidthMetres(const CPlotraDoc& doc, const VisibleFrame& f) {
    if (doc.Map().m_bMetricXY) return std::abs(f.xs);
    const double lat = f.y0 + f.ys / 2.0;
    return GeoDistance(lat, f.x0, lat, f.x0 + f.xs);
}

/// The direction of north on the picture as an angle from straight up, clockwise, in radians.
double NorthAngle(const CPlotraDoc& doc, const FigureFrame& f) {
    if (!doc.Map().m_bMetricXY || !f.valid) return 0.0;
    const double cx = f.frame.x0 + f.frame.xs / 2.0, cy = f.frame.y0 + f.frame.ys / 2.0;
    const std::optional<CDataGeo> centre = doc.MapToGeoQuiet(cx, cy);
    if (!centre) return 0.0;
    const CDataGeo north = doc.GeoToMap(centre->m_dY + 0.001, centre->m_dX);
    const double dx = (north.m_dX - cx) * kFigureWidth / f.frame.xs;
    const double dy = (north.m_dY - cy) * kFigureHeight / f.frame.ys;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return 0.0;
    return std::atan2(dx, dy);
}

} // namespace

FigureFrame FrameFor(const CPlotraDoc& doc) {
    FigureFrame f;
    const ModelRect r = doc.ExtentFor(kFigureWidth, kFigureHeight, 0, doc.Map().m_bMapLoaded != 0).frame;
    f.frame = WholeFrame(r);
    f.valid = std::isfinite(f.frame.xs) && std::isfinite(f.frame.ys) && std::isfinite(f.frame.x0) &&
              std::isfinite(f.frame.y0) && f.frame.xs != 0.0 && f.frame.ys != 0.0;
    f.mapping = PixelMapping{f.frame, kFigureWidth, kFigureHeight};
    return f;
}

QImage FigureRaster(const CPlotraDoc& doc, const FigureFrame& f, FigureKind kind, PaletteKind palette,
                    const ClientReportOptions& o, int apIndex) {
    GraphLayers layers;
    layers.map = doc.Map().m_bMapLoaded != 0;
    layers.path = kind == FigureKind::Map;
    layers.gpsMarkers = false;
    QImage picture = ComposeGraph(doc, f.frame, layers, kFigureWidth, kFigureHeight);
    if (picture.isNull() || !f.valid || kind == FigureKind::Map) return picture;

    QImage overlay;
    QRect rect;
    const int cols = doc.Frame().m_nGridCols, rows = doc.Frame().m_nGridRows;
    const std::size_t nodes =
        cols > 0 && rows > 0 ? static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows) : 0;
    const auto covered = [&](std::size_t i) {
        return i < doc.Coverage().m_aGridCount.size() && doc.Coverage().m_aGridCount[i] > 0;
    };
    if (kind == FigureKind::Ap) {
        const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(apIndex)];
        const int ac = ap.m_nApGridCols, ar = ap.m_nApGridRows;
        if (ac <= 0 || ar <= 0 || ac > kMaxGridSide || ar > kMaxGridSide ||
            ap.m_aGrid.size() < static_cast<std::size_t>(ac) * static_cast<std::size_t>(ar))
            return picture;
        overlay = GridPicture(ac, ar, [&](std::size_t i) -> std::optional<QColor> {
            const double v = ap.m_aGrid[i];
            if (!(v > -100.0)) return std::nullopt;
            return Colour(PaletteColour(
                palette, LevelOf(v, doc.Display().m_nPowerRangeLow, doc.Display().m_nPowerRangeHigh)));
        });
        rect = RectOf(f.mapping, ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dX, ap.m_areaSize.m_dY,
                      ap.m_areaSize.m_dX);
    } else {
        if (!doc.Coverage().m_bCoverageReady || nodes == 0 || cols > kMaxGridSide || rows > kMaxGridSide)
            return picture;
        if (kind == FigureKind::Verdict) {
            const std::vector<NodeVerdict> v = RequirementVerdicts(doc, o.signalDbm, o.snrDb);
            overlay = GridPicture(cols, rows, [&](std::size_t i) -> std::optional<QColor> {
                if (i >= v.size() || v[i] == NodeVerdict::Uncovered) return std::nullopt;
                return v[i] == NodeVerdict::Meets ? kMeets : kFails;
            });
        } else {
            const GraphFacts& graph = FactsOf(kind.graph);
            const auto [low, high] = graph.range(doc);
            overlay = GridPicture(cols, rows, [&](std::size_t i) -> std::optional<QColor> {
                if (!covered(i)) return std::nullopt;
                double level = 0.0;
                if (const std::optional<double> value = graph.nodeValue(doc, i))
                    level = graph.levels == GraphLevels::ApCounts ? std::clamp(*value - 1.0, 0.0, 9.0) / 9.0
                                                                  : LevelOf(*value, low, high);
                return Colour(PaletteColour(palette, level));
            });
        }
        rect = RectOf(f.mapping, doc.Frame().m_dGridOriginY, doc.Frame().m_dGridOriginX,
                      doc.Frame().m_dGridSpanY, doc.Frame().m_dGridSpanX);
    }
    if (overlay.isNull() || rect.width() <= 0 || rect.height() <= 0) return picture;
    QPainter p(&picture);
    // The map stays readable under the colours.
    p.setOpacity(doc.Map().m_bMapLoaded ? 0.72 : 1.0);
    p.drawImage(rect, overlay);
    p.end();
    return picture;
}

void Writer::Figure(FigureKind kind, const std::string& caption, int apIndex, double scale) {
    const double width = m_content.width() * scale;
    const double height = width * kFigureHeight / kFigureWidth;
    const double legendHeight = kind == FigureKind::Map ? 0 : 34;
    const QFont capFont = Font(10, true);
    Ensure(QFontMetricsF(capFont).lineSpacing() + height + legendHeight + 8);
    Text(QString::fromStdString(caption), capFont, Qt::black);
    y += 2;
    const QRectF rect(m_content.left(), y, width, height);
    const QImage raster = FigureRaster(doc, m_frame, kind, o.palette, o, apIndex);
    if (!raster.isNull()) p.drawImage(rect, raster);
    p.setPen(QPen(QColor(120, 120, 120), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect);
    if (m_frame.valid) {
        Markers(rect, apIndex);
        ScaleBar(rect);
        NorthArrow(rect);
    }
    y += height + 6;
    if (kind != FigureKind::Map) Legend(kind);
    y += 8;
}

QPointF Writer::ToPage(const QRectF& rect, double mx, double my) const {
    return {rect.left() + m_frame.mapping.PxExact(mx) * rect.width() / kFigureWidth,
            rect.top() + m_frame.mapping.PyExact(my) * rect.height() / kFigureHeight};
}

void Writer::Markers(const QRectF& rect, int only) {
    p.save();
    p.setClipRect(rect);
    const QFont f = Font(6.5, true);
    p.setFont(f);
    for (std::size_t k = 0; k < m_ticked.size(); ++k) {
        const int i = m_ticked[k];
        const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(i)];
        if (!MarkerShown(ap) || (only >= 0 && i != only)) continue;
        const QPointF c = ToPage(rect, ap.m_posAP.m_dX, ap.m_posAP.m_dY);
        if (!std::isfinite(c.x()) || !std::isfinite(c.y())) continue;
        p.setPen(QPen(Qt::white, 1.0));
        p.setBrush(QColor(20, 40, 90));
        p.drawEllipse(c, 6.0, 6.0);
        p.setPen(Qt::white);
        p.drawText(QRectF(c.x() - 8, c.y() - 6, 16, 12), Qt::AlignCenter, QString::number(k + 1));
    }
    p.restore();
}

void Writer::ScaleBar(const QRectF& rect) {
    const double metres = FrameWidthMetres(doc, m_frame.frame);
    const double unit = doc.Display().m_dUnitFactor > 0 ? doc.Display().m_dUnitFactor : 1.0;
    const double across = metres / unit; // display units across the picture
    if (!(across > 0) || !std::isfinite(across)) return;
    const double target = across * 0.2;
    const double decade = std::pow(10.0, std::floor(std::log10(target)));
    double nice = decade;
    for (double m : {2.0, 5.0})
        if (decade * m <= target) nice = decade * m;
    const double length = nice / across * rect.width();
    const QPointF origin(rect.left() + 10, rect.bottom() - 12);
    const QFont f = Font(7, true);
    p.setFont(f);
    const QString label =
        QStringLiteral("%1 %2").arg(nice, 0, 'g', 6).arg(QString::fromStdString(UnitName(doc)));
    p.fillRect(QRectF(origin.x() - 4, origin.y() - 16,
                      length + 8 + QFontMetricsF(f).horizontalAdvance(label) + 6, 22),
               QColor(255, 255, 255, 210));
    p.fillRect(QRectF(origin.x(), origin.y() - 3, length / 2, 3), Qt::black);
    p.fillRect(QRectF(origin.x() + length / 2, origin.y() - 3, length / 2, 3), QColor(140, 140, 140));
    p.setPen(QPen(Qt::black, 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(origin.x(), origin.y() - 3, length, 3));
    p.drawText(QPointF(origin.x() + length + 4, origin.y()), label);
    p.drawText(QPointF(origin.x(), origin.y() - 6), QStringLiteral("0"));
}

void Writer::NorthArrow(const QRectF& rect) {
    const double angle = NorthAngle(doc, m_frame);
    const QPointF c(rect.right() - 22, rect.top() + 26);
    p.save();
    p.setBrush(QColor(255, 255, 255, 210));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 17.0, 17.0);
    p.translate(c);
    p.rotate(angle * 180.0 / 3.14159265358979);
    QPainterPath arrow;
    arrow.moveTo(0, -13);
    arrow.lineTo(6, 9);
    arrow.lineTo(0, 4);
    arrow.lineTo(-6, 9);
    arrow.closeSubpath();
    p.setBrush(QColor(20, 20, 20));
    p.setPen(QPen(Qt::black, 0.5));
    p.drawPath(arrow);
    p.setFont(Font(7, true));
    p.drawText(QRectF(-6, -16 - 10, 12, 10), Qt::AlignCenter, QStringLiteral("N"));
    p.restore();
}

void Writer::Legend(FigureKind kind) {
    const QFont f = Font(7.5);
    const QFontMetricsF fm(f);
    p.setFont(f);
    const double x0 = m_content.left(), barWidth = m_content.width() * 0.6, barHeight = 10;
    if (kind == FigureKind::Verdict) {
        double x = x0;
        for (const auto& [colour, text] : {std::pair{kMeets, QStringLiteral("Meets the requirement")},
                                           std::pair{kFails, QStringLiteral("Fails the requirement")},
                                           std::pair{QColor(Qt::white), QStringLiteral("Not covered")}}) {
            p.setPen(QPen(QColor(120, 120, 120), 0.5));
            p.setBrush(colour);
            p.drawRect(QRectF(x, y, 14, barHeight));
            p.setPen(Qt::black);
            p.drawText(QPointF(x + 18, y + barHeight - 1.5), text);
            x += 18 + fm.horizontalAdvance(text) + 18;
        }
        y += barHeight + 6;
        return;
    }
    double lo = 0, hi = 0;
    QString unit;
    const bool counts = kind == FigureKind::Graph && FactsOf(kind.graph).levels == GraphLevels::ApCounts;
    if (kind == FigureKind::Graph) {
        std::tie(lo, hi) = FactsOf(kind.graph).range(doc);
        unit = QString::fromStdString(std::string(FactsOf(kind.graph).unit));
    }
    if (kind == FigureKind::Ap)
        lo = doc.Display().m_nPowerRangeLow, hi = doc.Display().m_nPowerRangeHigh,
        unit = QStringLiteral("dBm");
    // Ten bands for the stepped scale, fine steps for the continuous ones.
    const int steps = o.palette == PaletteKind::Classic ? 10 : 60;
    for (int k = 0; k < steps; ++k) {
        const double level = (k + 0.5) / steps;
        const QColor c = Colour(PaletteColour(o.palette, counts && steps == 10 ? k / 9.0 : level));
        p.fillRect(QRectF(x0 + barWidth * k / steps, y, barWidth / steps + 0.3, barHeight), c);
    }
    p.setPen(QPen(QColor(120, 120, 120), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(x0, y, barWidth, barHeight));
    p.setPen(Qt::black);
    const double ty = y + barHeight + fm.ascent() + 1;
    if (counts) {
        for (int n = 1; n <= 10; ++n) {
            const QString t = n == 10 ? QStringLiteral(">=10") : QString::number(n);
            const double cx = x0 + barWidth * (n - 0.5) / 10.0;
            p.drawText(QPointF(cx - fm.horizontalAdvance(t) / 2, ty), t);
        }
        p.drawText(QPointF(x0 + barWidth + 8, y + barHeight - 1.5), QStringLiteral("access points"));
    } else {
        for (int k = 0; k <= 10; k += 2) {
            const QString t = QString::number(lo + (hi - lo) * k / 10.0, 'f', 0);
            const double cx = x0 + barWidth * k / 10.0;
            p.drawText(QPointF(cx - fm.horizontalAdvance(t) / 2, ty), t);
        }
        p.drawText(QPointF(x0 + barWidth + 8, y + barHeight - 1.5), unit);
    }
    y += barHeight + fm.lineSpacing() + 4;
}

} // namespace plotra::client_report
