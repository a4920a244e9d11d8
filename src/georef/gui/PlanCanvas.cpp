#include "georef/gui/PlanCanvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace plotra::gui {

namespace {

/// Height of the strip under the plan that holds the scale bar and the north arrow, so that they
/// never hide a part of the plan the user may want to click.
constexpr double kLegendStrip = 64.0;

/// The longest bar of 1, 2 or 5 times a power of ten that is at most \p most units long.
double RoundBarLength(double most) {
    if (!(most > 0.0) || !std::isfinite(most)) return 0.0;
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * decade <= most) return step * decade;
    return decade;
}

QString UnitText(double value, bool feet) {
    return QString::number(value, 'g', 6) + (feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
}

} // namespace

PlanCanvas::PlanCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("planCanvas");
    setMinimumSize(320, 240);
    setCursor(Qt::CrossCursor);
    setToolTip(tr("Click two points a known distance apart"));
}

void PlanCanvas::setPlan(const QImage& image, int sourceWidth, int sourceHeight) {
    m_image = image;
    m_sourceWidth = sourceWidth;
    m_sourceHeight = sourceHeight;
    update();
}

void PlanCanvas::setPoints(const std::array<std::optional<QPointF>, 2>& points) {
    m_points = points;
    update();
}

void PlanCanvas::setScale(double metresPerPixel, double northDegrees, bool feet) {
    m_metresPerPixel = metresPerPixel;
    m_north = northDegrees;
    m_feet = feet;
    update();
}

// The plan fills the widget above the legend strip as far as its shape allows, centred.
QRectF PlanCanvas::PlanRect() const {
    const double areaH = height() - kLegendStrip;
    if (m_sourceWidth <= 0 || m_sourceHeight <= 0 || areaH < 1.0) return {};
    const double k =
        std::min(width() / static_cast<double>(m_sourceWidth), areaH / static_cast<double>(m_sourceHeight));
    const double w = m_sourceWidth * k, h = m_sourceHeight * k;
    return {(width() - w) / 2.0, (areaH - h) / 2.0, w, h};
}

QPointF PlanCanvas::toWidget(QPointF planPixel) const {
    const QRectF r = PlanRect();
    if (r.isEmpty()) return {};
    return {r.left() + planPixel.x() * r.width() / m_sourceWidth,
            r.top() + planPixel.y() * r.height() / m_sourceHeight};
}

QPointF PlanCanvas::toPlan(QPointF widgetPos) const {
    const QRectF r = PlanRect();
    if (r.isEmpty()) return {};
    return {(widgetPos.x() - r.left()) * m_sourceWidth / r.width(),
            (widgetPos.y() - r.top()) * m_sourceHeight / r.height()};
}

void PlanCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !PlanRect().contains(event->position())) return;
    if (clicked) clicked(toPlan(event->position()));
}

void PlanCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF r = PlanRect();
    if (r.isEmpty()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, m_image);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_points[0] && m_points[1]) {
        p.setPen(QPen(QColor(220, 30, 30), 2));
        p.drawLine(toWidget(*m_points[0]), toWidget(*m_points[1]));
    }
    for (int i = 0; i < 2; ++i) {
        if (!m_points[static_cast<std::size_t>(i)]) continue;
        const QPointF c = toWidget(*m_points[static_cast<std::size_t>(i)]);
        p.setPen(QPen(QColor(220, 30, 30), 2));
        p.drawLine(c - QPointF(8, 0), c + QPointF(8, 0));
        p.drawLine(c - QPointF(0, 8), c + QPointF(0, 8));
        p.drawText(c + QPointF(6, -6), QString::number(i + 1));
    }
    DrawScaleBar(p);
    DrawNorthArrow(p);
}

// A bar of a round length in the chosen unit, at most a third of the plan's width, under the plan
// on the left.
void PlanCanvas::DrawScaleBar(QPainter& p) const {
    const QRectF r = PlanRect();
    if (!(m_metresPerPixel > 0.0) || r.isEmpty()) return;
    const double unit = m_feet ? 0.3048 : 1.0;
    const double screenPerUnit = r.width() / m_sourceWidth / m_metresPerPixel * unit;
    const double length = RoundBarLength(r.width() / 3.0 / screenPerUnit);
    if (!(length > 0.0)) return;
    const double w = length * screenPerUnit;
    const QPointF a(r.left() + 8, height() - 16.0);
    p.setPen(QPen(palette().color(QPalette::WindowText), 2));
    p.drawLine(a, a + QPointF(w, 0));
    p.drawLine(a + QPointF(0, -5), a + QPointF(0, 5));
    p.drawLine(a + QPointF(w, -5), a + QPointF(w, 5));
    p.drawText(QRectF(a.x(), a.y() - 22, w, 16), Qt::AlignCenter, UnitText(length, m_feet));
}

// An arrow turned clockwise from the plan's up by the north angle, under the plan on the right.
void PlanCanvas::DrawNorthArrow(QPainter& p) const {
    const QRectF r = PlanRect();
    if (r.isEmpty()) return;
    const QPointF c(r.right() - 32, height() - kLegendStrip / 2.0 + 4.0);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(c, 28, 28);
    p.translate(c);
    p.rotate(m_north);
    // A compass needle: the north half dark, the south half light.
    const QPointF north[] = {{0, -17}, {6, 0}, {-6, 0}};
    const QPointF south[] = {{0, 17}, {6, 0}, {-6, 0}};
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(200, 30, 30));
    p.drawPolygon(north, 3);
    p.setBrush(Qt::white);
    p.drawPolygon(south, 3);
    p.setPen(Qt::black);
    QFont f = p.font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(-10, -30, 20, 14), Qt::AlignCenter, QStringLiteral("N"));
    p.restore();
}

} // namespace plotra::gui
