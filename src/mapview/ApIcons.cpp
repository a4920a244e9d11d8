#include "mapview/ApIcons.h"

#include <QPainter>
#include <QPainterPath>

#include <map>
#include <mutex>

namespace plotra {

namespace {

constexpr int kDefaultIcon = 185;

// Arcs of a radio wave fan centred at (cx, cy), opening upward.
void DrawWaves(QPainter& p, double cx, double cy, const QColor& colour, int count, double first, double gap) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i) {
        const double r = first + i * gap;
        p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
}

// Default: a small access point box with one antenna sending waves.
void DrawAccessPoint(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 110), 1.5));
    p.setBrush(QColor(60, 110, 220));
    p.drawRoundedRect(QRectF(6, 19, 20, 9), 2.5, 2.5);
    p.setBrush(QColor(120, 255, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(11, 23.5), 1.5, 1.5);
    p.drawEllipse(QPointF(16, 23.5), 1.5, 1.5);
    p.setPen(QPen(QColor(20, 40, 110), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 19), QPointF(22, 11));
    DrawWaves(p, 22, 11, QColor(30, 80, 200), 2, 4, 4);
}

// A router: a wide dark green box with two antennas.
void DrawRouter(QPainter& p) {
    p.setPen(QPen(QColor(10, 60, 20), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 18), QPointF(6, 5));
    p.drawLine(QPointF(23, 18), QPointF(26, 5));
    p.setPen(QPen(QColor(10, 60, 20), 1.5));
    p.setBrush(QColor(40, 150, 70));
    p.drawRoundedRect(QRectF(3, 17, 26, 10), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 80));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(9 + 5 * i, 22), 1.4, 1.4);
}

// A ceiling unit seen from below: a light disc with a ring and a status light.
void DrawCeilingUnit(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 100), 1.5));
    p.setBrush(QColor(240, 240, 245));
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(160, 160, 175), 1.5));
    p.drawEllipse(QPointF(16, 16), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 150, 255));
    p.drawEllipse(QPointF(16, 16), 3, 3);
}

// An outdoor mast: a red lattice tower with waves from its top.
void DrawMast(QPainter& p) {
    const QColor red(190, 30, 30);
    p.setPen(QPen(red, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 10), QPointF(9, 30));
    p.drawLine(QPointF(16, 10), QPointF(23, 30));
    p.setPen(QPen(red, 1.0));
    p.drawLine(QPointF(13.2, 18), QPointF(18.8, 18));
    p.drawLine(QPointF(11.4, 24), QPointF(20.6, 24));
    p.drawLine(QPointF(13.2, 18), QPointF(20.6, 24));
    p.drawLine(QPointF(18.8, 18), QPointF(11.4, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QPointF(16, 9), 2.5, 2.5);
    DrawWaves(p, 16, 9, QColor(220, 60, 60), 2, 5, 4);
}

// A round badge with the wireless fan symbol.
void DrawWirelessBadge(QPainter& p) {
    p.setPen(QPen(QColor(150, 80, 0), 1.5));
    p.setBrush(QColor(255, 165, 40));
    p.drawEllipse(QPointF(16, 16), 14, 14);
    DrawWaves(p, 16, 23, Qt::white, 3, 4, 4.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 23), 2, 2);
}

// A map pin: a round head above a tip that points at the centre of the icon.
void DrawPin(QPainter& p) {
    QPainterPath head;
    head.addEllipse(QPointF(16, 9), 7, 7);
    QPainterPath tip;
    tip.moveTo(10.5, 12.5);
    tip.lineTo(16, 17);
    tip.lineTo(21.5, 12.5);
    tip.closeSubpath();
    p.setPen(QPen(QColor(70, 20, 100), 1.5));
    p.setBrush(QColor(150, 60, 200));
    p.drawPath(head.united(tip));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9), 2.8, 2.8);
}

QImage BuildIcon(int id) {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
    case 236:
        DrawRouter(p);
        break;
    case 237:
        DrawCeilingUnit(p);
        break;
    case 238:
        DrawMast(p);
        break;
    case 239:
        DrawWirelessBadge(p);
        break;
    case 240:
        DrawPin(p);
        break;
    default:
        DrawAccessPoint(p);
        break;
    }
    p.end();
    return image;
}

} // namespace

std::vector<int> ApIconIds() {
    return {185, 236, 237, 238, 239, 240};
}

QImage ApIcon(int iconId) {
    const bool known = iconId == kDefaultIcon || (iconId >= 236 && iconId <= 240);
    const int id = known ? iconId : kDefaultIcon;
    static std::mutex mutex;
    static std::map<int, QImage> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(id);
    if (it == cache.end()) it = cache.emplace(id, BuildIcon(id)).first;
    return it->second;
}

} // namespace plotra
