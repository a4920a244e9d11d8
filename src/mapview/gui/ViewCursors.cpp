#include "mapview/gui/ViewCursors.h"

#include <QPainter>
#include <QPainterPath>

namespace plotra::gui {

namespace {

constexpr int kSize = 32;
constexpr QPointF kLensCentre(12.5, 12.5);
constexpr QPoint kCrossHairs(6, 6);

QPixmap Blank() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A lens with a handle towards the lower right; every line has a white rim so that the cursor shows
// on dark coverage colours as well as on the white background.
QPixmap Magnifier(bool plus) {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double r = 8.5;
    // Handle.
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(QColor(70, 50, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    // Lens: glass and rim.
    p.setPen(QPen(Qt::white, 5));
    p.setBrush(QColor(200, 230, 255, 170));
    p.drawEllipse(kLensCentre, r, r);
    p.setPen(QPen(QColor(20, 20, 20), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(kLensCentre, r, r);
    // Sign.
    p.setPen(QPen(QColor(20, 20, 20), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(kLensCentre - QPointF(4.5, 0), kLensCentre + QPointF(4.5, 0));
    if (plus) p.drawLine(kLensCentre - QPointF(0, 4.5), kLensCentre + QPointF(0, 4.5));
    return pixmap;
}

} // namespace

QPixmap ZoomInCursorPixmap() {
    return Magnifier(true);
}

QPixmap ZoomOutCursorPixmap() {
    return Magnifier(false);
}

QPixmap RulerCursorPixmap() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    // Cross hairs at the hot spot, black on a white rim.
    const QPoint c = kCrossHairs;
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(c.x(), 0, c.x(), 12);
    p.drawLine(0, c.y(), 12, c.y());
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(c.x(), 0, c.x(), 12);
    p.drawLine(0, c.y(), 12, c.y());
    // A short yellow ruler lying diagonally below and right of the cross hairs, with tick marks.
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(20, 20);
    p.rotate(-45);
    const QRectF body(-12, -4, 24, 8);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(250, 210, 60));
    p.drawRect(body);
    for (int i = 0; i < 7; ++i) {
        const double x = -9 + i * 3;
        p.drawLine(QPointF(x, -4), QPointF(x, i % 2 ? -1.5 : 0));
    }
    return pixmap;
}

QCursor ZoomInCursor() {
    return QCursor(ZoomInCursorPixmap(), static_cast<int>(kLensCentre.x()),
                   static_cast<int>(kLensCentre.y()));
}

QCursor ZoomOutCursor() {
    return QCursor(ZoomOutCursorPixmap(), static_cast<int>(kLensCentre.x()),
                   static_cast<int>(kLensCentre.y()));
}

QCursor RulerCursor() {
    return QCursor(RulerCursorPixmap(), kCrossHairs.x(), kCrossHairs.y());
}

} // namespace plotra::gui
