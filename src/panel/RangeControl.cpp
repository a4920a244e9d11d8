#include "panel/RangeControl.h"

#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace plotra::gui {

namespace {

/// a * (1 - t) + b * t per channel, truncated.
QColor Blend(QColor a, QColor b, double t) {
    auto mix = [t](int x, int y) { return static_cast<int>(x * (1.0 - t) + y * t); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

/// True where the thumb picture is opaque at column \p column, row \p row.
bool Opaque(const QImage& image, int column, int row) {
    return column >= 0 && row >= 0 && column < image.width() && row < image.height() &&
           qAlpha(image.pixel(column, row)) > 0;
}

} // namespace

CRangeControl::CRangeControl(artwork::RangeArt art, int minimum, int maximum, const QString& unit,
                             QWidget* parent)
    : QWidget(parent), m_body(artwork::RangeBody(art)), m_lowThumb(artwork::RangeThumb(false)),
      m_highThumb(artwork::RangeThumb(true)), m_min(minimum), m_max(maximum), m_unit(unit) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CRangeControl::SetBackColour(QColor colour) {
    m_back = colour;
    update();
}

void CRangeControl::SetBandColour(QColor colour) {
    m_band = colour;
    update();
}

void CRangeControl::SetValues(int low, int high) {
    m_low = low;
    m_high = high;
    update();
}

void CRangeControl::SetRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = maximum;
    update();
}

void CRangeControl::SetUnit(const QString& unit) {
    m_unit = unit;
    update();
}

double CRangeControl::Scale() const {
    // An empty range (a flat coverage) still needs a finite scale; it then shows both thumbs at its one
    // value.
    return 140.0 / std::max(1, m_max - m_min);
}

int CRangeControl::LowThumbX() const {
    return static_cast<int>((m_low - m_min) * Scale() + 30);
}

int CRangeControl::HighThumbX() const {
    return static_cast<int>((m_high - m_min) * Scale() + 28);
}

int CRangeControl::ValueAt(int x, int grabX) const {
    return static_cast<int>((x - grabX - 25) / Scale() + m_min);
}

int CRangeControl::HitTest(QPoint point) const {
    const int x = point.x(), y = point.y();
    const int lowX = LowThumbX(), highX = HighThumbX();
    // The thumb pictures stand in for the mask columns of the slider's picture strip.
    if (std::abs(x - lowX) <= 5 && Opaque(m_lowThumb, x - lowX + 6, y)) return kLowThumb;
    if (std::abs(x - highX) <= 5 && Opaque(m_highThumb, x - highX + 5, y)) return kHighThumb;
    return kNone;
}

void CRangeControl::paintEvent(QPaintEvent*) {
    // Drawn off-screen first: the band, the body over it and the thumbs never flicker.
    QImage canvas(size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(m_back);
    QPainter p(&canvas);
    const int lowX = LowThumbX(), highX = HighThumbX();
    const int span = std::max(1, highX - lowX);
    for (int x = lowX; x <= highX; ++x) {
        const double t = 1.0 - 0.9 * (x - lowX) / span;
        p.fillRect(QRect(x, 9, 1, 14), Blend(m_band, Qt::white, t));
    }
    p.drawImage(0, 0, m_body);
    p.drawImage(lowX - 5, 0, m_lowThumb);
    p.drawImage(highX - 7, 0, m_highThumb);

    QFont values = font();
    values.setPixelSize(11);
    values.setBold(true);
    p.setFont(values);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRect(0, 0, 30, 32), Qt::AlignCenter, QString::asprintf("%d", m_low));
    p.drawText(QRect(170, 0, 30, 32), Qt::AlignCenter, QString::asprintf("%d", m_high));
    if (!m_unit.isEmpty()) {
        QFont unit = values;
        unit.setPixelSize(8);
        p.setFont(unit);
        p.setPen(QColor(70, 70, 90));
        p.drawText(QRect(3, 0, 30, 10), Qt::AlignLeft | Qt::AlignTop, m_unit);
    }
    if (hasFocus()) {
        // The keyboard's thumb.
        const int x = m_active == kHighThumb ? highX - 7 : lowX - 5;
        p.setPen(QPen(QColor(20, 20, 200), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(x - 1, 3, 12, 24));
    }
    p.end();
    QPainter(this).drawImage(0, 0, canvas);
}

void CRangeControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    const int hit = HitTest(point);
    if (hit == kNone) return;
    m_drag = hit;
    m_mouseDown = true;
    m_active = hit;
    const int thumbX = hit == kLowThumb ? LowThumbX() : HighThumbX();
    // The press keeps the mouse for this control until the release (Qt's implicit grab).
    m_grab = QPoint(point.x() - thumbX + 5, point.y());
    update();
}

void CRangeControl::DragTo(int x) {
    const int v = ValueAt(x, m_grab.x());
    if (m_drag == kLowThumb)
        m_low = std::clamp(v, m_min, std::max(m_min, m_high));
    else if (m_drag == kHighThumb)
        m_high = std::clamp(v, std::min(m_low, m_max), m_max);
    update();
}

void CRangeControl::mouseMoveEvent(QMouseEvent* event) {
    if (m_mouseDown) DragTo(event->position().toPoint().x());
}

void CRangeControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag == kNone) return;
    m_mouseDown = false;
    DragTo(event->position().toPoint().x());
    Notify();
}

void CRangeControl::Notify() {
    // The owner reads DragState() while it handles the notification.
    emit notified(m_low, m_high);
    m_drag = kNone;
}

void CRangeControl::keyPressEvent(QKeyEvent* event) {
    const int page = std::max(1, (m_max - m_min) / 10);
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        m_active = kHighThumb;
        update();
        return;
    case Qt::Key_Down:
        m_active = kLowThumb;
        update();
        return;
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_PageDown:
        step = -page;
        break;
    case Qt::Key_PageUp:
        step = page;
        break;
    case Qt::Key_Home:
        step = m_min - m_max;
        break;
    case Qt::Key_End:
        step = m_max - m_min;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // The key's own step, once: a thumb held at its end (or by the other thumb) changes nothing and
    // tells the owner nothing.
    const int before = m_active == kLowThumb ? m_low : m_high;
    if (m_active == kLowThumb)
        m_low = std::clamp(m_low + step, m_min, std::max(m_min, m_high));
    else
        m_high = std::clamp(m_high + step, std::min(m_low, m_max), m_max);
    if ((m_active == kLowThumb ? m_low : m_high) == before) return;
    m_drag = m_active;
    update();
    Notify();
}

} // namespace plotra::gui
