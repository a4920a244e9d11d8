#include "panel/ResolutionControl.h"

#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plotra::gui {

namespace {

bool Opaque(const QImage& image, int column, int row) {
    return column >= 0 && row >= 0 && column < image.width() && row < image.height() &&
           qAlpha(image.pixel(column, row)) > 0;
}

} // namespace

CResolutionControl::CResolutionControl(artwork::ResolutionArt art, QWidget* parent)
    : QWidget(parent), m_body(artwork::ResolutionBody(art)), m_thumb(artwork::ResolutionThumb()),
      m_resetMask(artwork::ResolutionResetMask()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(GetSize());
    // The grid slider chooses divisions; the user sees the lines the grid draws between the edges.
    if (art == artwork::ResolutionArt::Grid) m_countOffset = -1;
    setToolTip(tr("Drag the thumb; the mark at the left end resets"));
}

int CResolutionControl::PositionOf(double value) const {
    const double span = m_max - m_min;
    // A range of one value (or a value that is not a number) leaves the thumb at the left end.
    if (!(span > 0) || !std::isfinite(value)) return 0;
    return std::clamp(static_cast<int>((value - m_min) / span * kTrack), 0, kTrack);
}

void CResolutionControl::SetParameters(double value, double minimum, double maximum, double defaultValue,
                                       const QString& unit) {
    m_unit = unit;
    m_max = maximum;
    m_min = minimum;
    m_default = defaultValue;
    m_pos = PositionOf(value);
    update();
}

void CResolutionControl::SetWholeNumbers(bool whole) {
    m_whole = whole;
    update();
}

double CResolutionControl::Value() const {
    return (m_max - m_min) * m_pos / kTrack + m_min;
}

void CResolutionControl::SetCountShown(int offset) {
    m_countOffset = offset;
    update();
}

QString CResolutionControl::ValueText() const {
    // A count is what the owner makes of the value (truncated), never the value rounded: between
    // two whole values the thumb would otherwise show one more than the owner uses.
    if (m_countOffset) {
        const double v = Value();
        const int count = std::isfinite(v) && std::fabs(v) < 1e9 ? static_cast<int>(v) : 0;
        return QString::asprintf("%4d ", count + *m_countOffset) + m_unit;
    }
    return QString::asprintf(m_whole ? "%4.0f " : "%4.1f ", Value()) + m_unit;
}

int CResolutionControl::HitTest(QPoint point) const {
    const int x = point.x(), y = point.y();
    if (x >= m_pos && x <= m_pos + 10 && Opaque(m_thumb, x - m_pos, y)) return kThumb;
    if (x >= 3 && x <= 13 && Opaque(m_resetMask, x - 3, y)) return kReset;
    return kNone;
}

void CResolutionControl::paintEvent(QPaintEvent*) {
    QImage canvas(size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    p.drawImage(0, 0, m_body);
    p.drawImage(m_pos, 0, m_thumb);
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRect(0, 1, 93, 13), Qt::AlignRight | Qt::AlignTop, ValueText());
    if (hasFocus()) {
        p.setPen(QPen(QColor(20, 20, 200), 1, Qt::DotLine));
        p.drawRect(QRect(m_pos - 1, 11, 12, 15));
    }
    p.end();
    QPainter(this).drawImage(0, 0, canvas);
}

void CResolutionControl::Reset() {
    m_pos = PositionOf(m_default);
    emit notified(Value());
    update();
}

void CResolutionControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    const int hit = HitTest(point);
    if (hit == kThumb) {
        m_drag = kThumb;
        m_grab = point.x() - m_pos;
    } else if (hit == kReset) {
        Reset();
    }
}

void CResolutionControl::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag != kThumb) return;
    m_pos = std::clamp(event->position().toPoint().x() - m_grab, 0, kTrack);
    update();
}

void CResolutionControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const bool dragged = m_drag == kThumb;
    m_drag = kNone;
    if (dragged) {
        m_pos = std::clamp(event->position().toPoint().x() - m_grab, 0, kTrack);
        emit notified(Value());
    }
    update();
}

int CResolutionControl::StepFrom(int pos, int direction) const {
    if (!m_countOffset) return std::clamp(pos + direction, 0, kTrack);
    // The owner takes a whole count (truncated): one step is the next count, at the first pixel that
    // gives it. A pixel that keeps the count would move the thumb and change nothing.
    const auto countAt = [this](int p) {
        const double v = (m_max - m_min) * p / kTrack + m_min;
        return std::isfinite(v) && std::fabs(v) < 1e9 ? static_cast<int>(v) : 0;
    };
    const int count = countAt(pos);
    int next = -1;
    if (direction > 0) {
        for (int p = pos + 1; p <= kTrack && next < 0; ++p)
            if (countAt(p) > count) next = p;
    } else {
        for (int p = pos - 1; p >= 0 && next < 0; --p)
            if (countAt(p) < count) next = p;
        // Back to where that lower count begins.
        while (next > 0 && countAt(next - 1) == countAt(next))
            --next;
    }
    return next < 0 ? pos : next;
}

void CResolutionControl::keyPressEvent(QKeyEvent* event) {
    int pos = m_pos;
    switch (event->key()) {
    case Qt::Key_Left:
        pos = StepFrom(pos, -1);
        break;
    case Qt::Key_Right:
        pos = StepFrom(pos, 1);
        break;
    case Qt::Key_PageDown:
        pos -= 10;
        break;
    case Qt::Key_PageUp:
        pos += 10;
        break;
    case Qt::Key_Home:
        pos = 0;
        break;
    case Qt::Key_End:
        pos = kTrack;
        break;
    case Qt::Key_Backspace:
        Reset();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    pos = std::clamp(pos, 0, kTrack);
    // A thumb at its end stays, and the owner hears nothing.
    if (pos == m_pos) return;
    m_pos = pos;
    emit notified(Value());
    update();
}

} // namespace plotra::gui
