#include "panel/PanelArtwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <array>
#include <cmath>

namespace plotra::gui::artwork {

namespace {

constexpr double kPi = 3.14159265358979323846;

const QColor kInk(20, 20, 200);        // the panel's text colour, used for arrows and glyphs
const QColor kFrame(120, 132, 160);    // outlines of bars and buttons
const QColor kDisabled(165, 165, 165); // glyphs of a disabled toggle

QPixmap Transparent(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

QImage TransparentImage(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

/// A rounded bar with a vertical gradient and a frame.
void Bar(QPainter& p, const QRectF& r, QColor top, QColor bottom, double radius) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(kFrame, 1));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

QFont SmallFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

} // namespace

QPixmap HeaderPicture(bool open, bool pressed) {
    QPixmap pix = Transparent(210, 20);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (pressed)
        Bar(p, QRectF(0.5, 0.5, 209, 19), QColor(196, 208, 232), QColor(222, 230, 245), 4);
    else
        Bar(p, QRectF(0.5, 0.5, 209, 19), QColor(246, 249, 255), QColor(206, 218, 240), 4);
    // The arrow says what a click does: up folds an open section, down unfolds a closed one.
    const double cx = pressed ? 10.5 : 10, cy = pressed ? 10.5 : 10;
    QPolygonF arrow;
    if (open)
        arrow << QPointF(cx - 5, cy + 3) << QPointF(cx + 5, cy + 3) << QPointF(cx, cy - 4);
    else
        arrow << QPointF(cx - 5, cy - 3) << QPointF(cx + 5, cy - 3) << QPointF(cx, cy + 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(arrow);
    return pix;
}

QPixmap PlotCoveragePicture(bool pressed) {
    QPixmap pix = Transparent(150, 20);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (pressed)
        Bar(p, QRectF(0.5, 0.5, 149, 19), QColor(236, 200, 110), QColor(252, 232, 180), 4);
    else
        Bar(p, QRectF(0.5, 0.5, 149, 19), QColor(255, 247, 222), QColor(244, 212, 130), 4);
    // Three arcs spreading from a point: coverage.
    const QPointF o(pressed ? 5.5 : 5, pressed ? 15.5 : 15);
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 3; ++k) {
        p.setPen(QPen(QColor(200 - 40 * k, 60 + 30 * k, 40), 1.6));
        const double r = 3.5 * k;
        p.drawArc(QRectF(o.x() - r, o.y() - r, 2 * r, 2 * r), 0, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(160, 40, 40));
    p.drawEllipse(o, 1.8, 1.8);
    return pix;
}

QPixmap InputPositionPicture(bool pressed) {
    QPixmap pix = Transparent(64, 32);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (pressed)
        Bar(p, QRectF(0.5, 0.5, 63, 31), QColor(200, 212, 236), QColor(226, 234, 248), 5);
    else
        Bar(p, QRectF(0.5, 0.5, 63, 31), QColor(250, 252, 255), QColor(212, 224, 244), 5);
    const int d = pressed ? 1 : 0;
    p.setFont(SmallFont(13, true));
    p.setPen(kInk);
    p.drawText(QRect(3 + d, 8 + d, 22, 16), Qt::AlignCenter, QStringLiteral("AP"));
    // The arrow to the mast: the typed position moves the AP.
    p.setPen(QPen(QColor(200, 60, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25 + d, 16 + d), QPointF(38 + d, 16 + d));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 60, 40));
    p.drawPolygon(QPolygonF() << QPointF(42 + d, 16 + d) << QPointF(36 + d, 12 + d)
                              << QPointF(36 + d, 20 + d));
    // A lattice mast with two waves.
    const double mx = 52 + d, top = 6 + d, foot = 27 + d;
    p.setPen(QPen(QColor(60, 60, 90), 1.4));
    p.drawLine(QPointF(mx, top), QPointF(mx - 5, foot));
    p.drawLine(QPointF(mx, top), QPointF(mx + 5, foot));
    p.drawLine(QPointF(mx - 2.5, 17 + d), QPointF(mx + 2.5, 17 + d));
    p.drawLine(QPointF(mx - 3.8, 22 + d), QPointF(mx + 3.8, 22 + d));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    for (int k = 1; k <= 2; ++k) {
        const double r = 3.0 * k;
        p.drawArc(QRectF(mx - r, top - r, 2 * r, 2 * r), 20 * 16, 50 * 16);
        p.drawArc(QRectF(mx - r, top - r, 2 * r, 2 * r), 110 * 16, 50 * 16);
    }
    return pix;
}

QPixmap LineWidthPicture(int width, bool pressed) {
    QPixmap pix = Transparent(32, 32);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (pressed)
        Bar(p, QRectF(0.5, 0.5, 31, 31), QColor(196, 208, 232), QColor(222, 230, 245), 4);
    else
        Bar(p, QRectF(0.5, 0.5, 31, 31), QColor(255, 255, 255), QColor(226, 232, 244), 4);
    // A winding path drawn in the width the button selects.
    QPainterPath path;
    path.moveTo(5, 24);
    path.cubicTo(11, 8, 17, 28, 27, 8);
    p.setPen(QPen(QColor(200, 40, 40), 1.2 + 1.4 * (width - 1), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(kInk);
    p.setFont(SmallFont(9, true));
    p.drawText(QRect(20, 19, 11, 12), Qt::AlignCenter, QString::number(width));
    return pix;
}

namespace {

/// \brief The colours of a toggle's glyph: its own, or grey when the toggle is disabled.
struct GlyphInk {
    bool disabled;
    QColor ink;
    QColor Tinted(QColor c) const { return disabled ? kDisabled : c; }
};

/// Two footprints, one ahead of the other.
void DrawFootprints(QPainter& p, const GlyphInk& g) {
    p.setPen(Qt::NoPen);
    p.setBrush(g.Tinted(QColor(90, 60, 40)));
    for (int k = 0; k < 2; ++k) {
        const double x = k ? 19 : 10, y = k ? 9 : 17;
        p.drawEllipse(QPointF(x, y + 3), 3.2, 5.0);
        for (int t = 0; t < 4; ++t)
            p.drawEllipse(QPointF(x - 2.4 + 1.6 * t, y - 3.2 - (t == 0 || t == 3 ? 0 : 0.6)), 0.9, 0.9);
    }
}

/// A satellite above a red star: path points without a GPS fix.
void DrawSatelliteOverStar(QPainter& p, const GlyphInk& g) {
    p.setPen(QPen(g.ink, 1));
    p.setBrush(g.Tinted(QColor(120, 160, 220)));
    p.drawRect(QRectF(6, 6, 6, 4));
    p.drawRect(QRectF(20, 6, 6, 4));
    p.setBrush(g.Tinted(QColor(210, 210, 220)));
    p.drawRect(QRectF(13, 5, 6, 6));
    p.drawLine(QPointF(12, 8), QPointF(13, 8));
    p.drawLine(QPointF(19, 8), QPointF(20, 8));
    QPolygonF star;
    for (int k = 0; k < 10; ++k) {
        const double r = k % 2 ? 2.6 : 6.5, a = -kPi / 2 + k * kPi / 5;
        star << QPointF(16 + r * std::cos(a), 22 + r * std::sin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g.Tinted(QColor(220, 30, 30)));
    p.drawPolygon(star);
}

void DrawAxisNames(QPainter& p, const GlyphInk& g, bool down) {
    p.setPen(g.ink);
    p.setFont(SmallFont(down ? 10 : 12, true));
    const QString top = down ? QStringLiteral("Lat") : QStringLiteral("Y");
    const QString bottom = down ? QStringLiteral("Lon") : QStringLiteral("X");
    p.drawText(QRect(0, 2, 32, 14), Qt::AlignCenter, top);
    p.setPen(QPen(g.ink, 1));
    p.drawLine(QPointF(8, 16), QPointF(24, 16));
    p.drawText(QRect(0, 16, 32, 14), Qt::AlignCenter, bottom);
}

void DrawApFlag(QPainter& p, const GlyphInk& g) {
    p.setPen(QPen(g.Tinted(QColor(60, 60, 60)), 1.4));
    p.drawLine(QPointF(10, 4), QPointF(10, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(g.Tinted(QColor(220, 40, 40)));
    p.drawPolygon(QPolygonF() << QPointF(10.5, 4) << QPointF(23, 7.5) << QPointF(10.5, 11));
    p.setPen(g.ink);
    p.setFont(SmallFont(10, true));
    p.drawText(QRect(0, 18, 32, 12), Qt::AlignCenter, QStringLiteral("AP"));
}

void DrawContourRings(QPainter& p, const GlyphInk& g) {
    p.setBrush(Qt::NoBrush);
    const std::array<QColor, 4> rings{QColor(40, 160, 40), QColor(150, 200, 0), QColor(240, 170, 0),
                                      QColor(220, 40, 30)};
    for (int k = 0; k < 4; ++k) {
        p.setPen(QPen(g.Tinted(rings[static_cast<std::size_t>(k)]), 1.8));
        const double r = 12.0 - 3.0 * k;
        p.drawEllipse(QPointF(16, 16), r, r * 0.85);
    }
}

void DrawGridLines(QPainter& p, const GlyphInk& g, bool vertical) {
    p.setPen(QPen(g.Tinted(QColor(90, 90, 90)), 1));
    for (int k = 0; k < 4; ++k) {
        if (vertical)
            p.drawLine(QPointF(7.5 + 6 * k, 3), QPointF(7.5 + 6 * k, 18));
        else
            p.drawLine(QPointF(5, 4.5 + 4 * k), QPointF(27, 4.5 + 4 * k));
    }
    p.setPen(g.ink);
    p.setFont(SmallFont(9, true));
    p.drawText(QRect(0, 19, 32, 11), Qt::AlignCenter, QStringLiteral("GRID"));
}

void DrawOverlappingDiscs(QPainter& p, const GlyphInk& g) {
    p.setPen(QPen(g.Tinted(QColor(60, 60, 60)), 0.8));
    const std::array<QColor, 3> fills{QColor(230, 60, 60, 140), QColor(60, 120, 230, 140),
                                      QColor(60, 190, 80, 140)};
    const std::array<QPointF, 3> centres{QPointF(12, 12), QPointF(20, 12), QPointF(16, 19)};
    for (std::size_t k = 0; k < 3; ++k) {
        p.setBrush(g.disabled ? QColor(180, 180, 180, 110) : fills[k]);
        p.drawEllipse(centres[k], 7, 7);
    }
}

/// The glyph of a toggle inside a 32 x 32 frame; \p down chooses the down picture where the two
/// differ (latitude/longitude), the main colour is grey when \p disabled.
void DrawToggleGlyph(QPainter& p, ToggleArt art, bool down, bool disabled) {
    const GlyphInk g{disabled, disabled ? kDisabled : kInk};
    switch (art) {
    case ToggleArt::WalkPath:
        DrawFootprints(p, g);
        break;
    case ToggleArt::PathWithoutGps:
        DrawSatelliteOverStar(p, g);
        break;
    case ToggleArt::LonLat:
        DrawAxisNames(p, g, down);
        break;
    case ToggleArt::ApMarkers:
        DrawApFlag(p, g);
        break;
    case ToggleArt::MultiContours:
        DrawContourRings(p, g);
        break;
    case ToggleArt::XGrid:
    case ToggleArt::YGrid:
        DrawGridLines(p, g, art == ToggleArt::XGrid);
        break;
    case ToggleArt::CoverageOverlay:
        DrawOverlappingDiscs(p, g);
        break;
    }
}

} // namespace

QPixmap ToggleStrip(ToggleArt art) {
    QPixmap pix = Transparent(96, 32);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    for (int frame = 0; frame < 3; ++frame) {
        p.save();
        p.translate(32 * frame, 0);
        const QRectF r(0.5, 0.5, 31, 31);
        if (frame == 0) { // up: raised
            Bar(p, r, QColor(255, 255, 255), QColor(222, 228, 240), 4);
        } else if (frame == 1) { // down: sunk, with a shadow along the top and left edges
            Bar(p, r, QColor(176, 192, 222), QColor(206, 218, 240), 4);
            p.setPen(QPen(QColor(90, 100, 130), 1.2));
            p.drawLine(QPointF(2, 1.8), QPointF(30, 1.8));
            p.drawLine(QPointF(1.8, 2), QPointF(1.8, 30));
        } else { // disabled
            p.setPen(QPen(QColor(200, 200, 200), 1));
            p.setBrush(QColor(240, 240, 240));
            p.drawRoundedRect(r, 4, 4);
        }
        if (frame == 1) p.translate(0.6, 0.6);
        DrawToggleGlyph(p, art, frame == 1, frame == 2);
        p.restore();
    }
    return pix;
}

QImage RangeBody(RangeArt art) {
    QImage image = TransparentImage(200, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QColor top, bottom;
    switch (art) {
    case RangeArt::Transparency:
        top = QColor(250, 250, 238), bottom = QColor(226, 226, 200);
        break;
    case RangeArt::PowerRange:
        top = QColor(246, 248, 255), bottom = QColor(212, 220, 242);
        break;
    case RangeArt::Contour:
        top = QColor(246, 254, 236), bottom = QColor(214, 236, 190);
        break;
    }
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 1.5, 199, 25), 8, 8);
    QPainterPath slot;
    slot.addRect(QRectF(26, 9, 148, 14));
    QLinearGradient g(0, 1, 0, 27);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(kFrame, 1));
    p.setBrush(g);
    p.drawPath(body.subtracted(slot));
    // The ruled track: a tick every tenth of the 140 pixels the thumbs travel.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(110, 110, 130), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(25, 8, 150, 15));
    for (int k = 0; k <= 10; ++k) {
        const int x = 30 + 14 * k;
        p.drawLine(x, 9, x, k % 5 == 0 ? 12 : 10);
    }
    return image;
}

QImage RangeThumb(bool high) {
    QImage image = TransparentImage(11, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 11, 0);
    const QColor base = high ? QColor(70, 90, 150) : QColor(90, 110, 170);
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(1, base);
    p.setPen(QPen(QColor(30, 40, 80), 1));
    p.setBrush(g);
    QPainterPath thumb;
    // A grip with a point towards the track's middle: down for the low thumb, up for the high one.
    if (high) {
        thumb.moveTo(5.5, 4);
        thumb.lineTo(10, 9);
        thumb.lineTo(10, 25);
        thumb.lineTo(1, 25);
        thumb.lineTo(1, 9);
    } else {
        thumb.moveTo(1, 5);
        thumb.lineTo(10, 5);
        thumb.lineTo(10, 21);
        thumb.lineTo(5.5, 26);
        thumb.lineTo(1, 21);
    }
    thumb.closeSubpath();
    p.drawPath(thumb);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1));
    p.drawLine(QPointF(5.5, 10), QPointF(5.5, 20));
    return image;
}

QImage ResolutionBody(ResolutionArt art) {
    QImage image = TransparentImage(96, 34);
    QPainter p(&image);
    const QColor groove = art == ResolutionArt::Grid ? QColor(150, 120, 60) : QColor(60, 110, 170);
    // The groove the thumb runs in (thumb positions 0..84, thumb centre at position + 5).
    p.setPen(QPen(QColor(110, 110, 130), 1));
    p.setBrush(QColor(236, 238, 244));
    p.drawRect(QRect(3, 16, 89, 5));
    p.setPen(QPen(groove, 2));
    p.drawLine(4, 18, 91, 18);
    p.setPen(QPen(QColor(130, 130, 150), 1));
    for (int k = 0; k <= 6; ++k) {
        const int x = 5 + 14 * k;
        p.drawLine(x, 22, x, k % 3 == 0 ? 25 : 24);
    }
    // The reset mark at the left end: a small circular arrow.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(190, 60, 40), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 26.5, 6, 6), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 60, 40));
    p.drawPolygon(QPolygonF() << QPointF(10.6, 25.6) << QPointF(12.6, 28.8) << QPointF(8.6, 28.6));
    return image;
}

QImage ResolutionThumb() {
    QImage image = TransparentImage(11, 34);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 11, 0);
    g.setColorAt(0, QColor(150, 170, 220));
    g.setColorAt(1, QColor(70, 90, 150));
    p.setPen(QPen(QColor(30, 40, 80), 1));
    p.setBrush(g);
    p.drawPath([] {
        QPainterPath t;
        t.moveTo(1, 12);
        t.lineTo(10, 12);
        t.lineTo(10, 21);
        t.lineTo(5.5, 25);
        t.lineTo(1, 21);
        t.closeSubpath();
        return t;
    }());
    return image;
}

QImage ResolutionResetMask() {
    // Columns 0..10 stand for x 3..13 of the body; the mark's rows are 25..33.
    QImage image = TransparentImage(11, 34);
    QPainter p(&image);
    p.fillRect(QRect(0, 25, 11, 9), Qt::black);
    return image;
}

QImage StarburstMask() {
    QImage image = TransparentImage(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF star;
    for (int k = 0; k < 16; ++k) {
        const double r = k % 2 ? 3.6 : 7.8, a = -kPi / 2 + k * kPi / 8;
        star << QPointF(8 + r * std::cos(a), 8 + r * std::sin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(star);
    return image;
}

QImage DotMask() {
    QImage image = TransparentImage(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    return image;
}

QPixmap Swatch(QColor colour, bool dot) {
    static const QImage star = StarburstMask();
    static const QImage round = DotMask();
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, dot ? round : star);
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap WhiteSwatch() {
    QPixmap pix(16, 16);
    pix.fill(Qt::white);
    return pix;
}

} // namespace plotra::gui::artwork
