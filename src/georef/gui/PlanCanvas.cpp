#include "georef/gui/PlanCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plotra::gui {

namespace {

/// Height of the strip under the plan that holds the scale bar and the north arrow, so that they
/// never hide a part of the plan the user may want to click.
constexpr double kLegendStrip = 64.0;
/// Enough to put a click on a single pixel of a plan several thousand pixels across.
constexpr double kMaxZoom = 32.0;

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
    setToolTip(tr("Click two points a known distance apart; the wheel zooms, the right button pans"));
}

void PlanCanvas::setPlan(const QImage& image, int sourceWidth, int sourceHeight) {
    m_image = image;
    m_sourceWidth = sourceWidth;
    m_sourceHeight = sourceHeight;
    m_zoom = 1.0;
    m_focus = QPointF(sourceWidth / 2.0, sourceHeight / 2.0);
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

QRectF PlanCanvas::Area() const {
    return {0.0, 0.0, static_cast<double>(width()), std::max(0.0, height() - kLegendStrip)};
}

// Unzoomed, the plan fills the area above the legend strip as far as its shape allows, centred;
// zoomed, the focus pixel lies at the area's centre.
QRectF PlanCanvas::PlanRect() const {
    const QRectF area = Area();
    if (m_sourceWidth <= 0 || m_sourceHeight <= 0 || area.height() < 1.0) return {};
    const double k = m_zoom * std::min(area.width() / m_sourceWidth, area.height() / m_sourceHeight);
    return {area.center().x() - m_focus.x() * k, area.center().y() - m_focus.y() * k, m_sourceWidth * k,
            m_sourceHeight * k};
}

void PlanCanvas::setZoom(double zoom, QPointF planPixel, QPointF widgetPos) {
    const QRectF area = Area();
    if (area.isEmpty() || m_sourceWidth <= 0) return;
    m_zoom = std::clamp(zoom, 1.0, kMaxZoom);
    // The plan pixel stays under the widget position.
    const double k = m_zoom * std::min(area.width() / m_sourceWidth, area.height() / m_sourceHeight);
    m_focus = planPixel - (widgetPos - area.center()) / k;
    ClampFocus();
    update();
}

// The plan never leaves more of the area empty than it must.
void PlanCanvas::ClampFocus() {
    const QRectF area = Area();
    const double k = m_zoom * std::min(area.width() / m_sourceWidth, area.height() / m_sourceHeight);
    const auto clampAxis = [](double focus, double size, double view) {
        const double half = view / 2.0;
        return size <= view ? size / 2.0 : std::clamp(focus, half, size - half);
    };
    m_focus = {clampAxis(m_focus.x(), m_sourceWidth, area.width() / k),
               clampAxis(m_focus.y(), m_sourceHeight, area.height() / k)};
}

void PlanCanvas::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0 || PlanRect().isEmpty()) return;
    setZoom(m_zoom * std::pow(1.25, steps), toPlan(event->position()), event->position());
    event->accept();
}

void PlanCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::RightButton) || PlanRect().isEmpty()) return;
    const QPointF delta = event->position() - m_panFrom;
    m_panFrom = event->position();
    const double k = PlanRect().width() / m_sourceWidth;
    m_focus -= delta / k;
    ClampFocus();
    update();
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
    if (event->button() == Qt::RightButton) m_panFrom = event->position();
    if (event->button() != Qt::LeftButton || !Area().contains(event->position()) ||
        !PlanRect().contains(event->position()))
        return;
    if (clicked) clicked(toPlan(event->position()));
}

void PlanCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF r = PlanRect();
    if (r.isEmpty() || m_image.isNull()) return;
    p.save();
    p.setClipRect(Area());
    // Only the part of the picture in view is scaled (a zoomed plan is far larger than the widget).
    const QRectF shown = r.intersected(Area());
    const double ix = m_image.width() / r.width(), iy = m_image.height() / r.height();
    const QRectF source((shown.left() - r.left()) * ix, (shown.top() - r.top()) * iy, shown.width() * ix,
                        shown.height() * iy);
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 2.0);
    p.drawImage(shown, m_image, source);
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
    p.restore();
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
    const QPointF a(std::max(r.left(), 0.0) + 8, height() - 16.0);
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
    const QPointF c(std::min(r.right(), static_cast<double>(width())) - 32,
                    height() - kLegendStrip / 2.0 + 4.0);
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
