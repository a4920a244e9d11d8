#include "panel/BitCheckButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace plotra::gui {

CBitCheckButton::CBitCheckButton(const QString& caption, QWidget* parent) : QWidget(parent) {
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
}

void CBitCheckButton::LoadBitmaps(const QPixmap& strip) {
    m_strip = strip;
    m_frame = QSize(strip.width() / 3, strip.height());
    setFixedSize(m_frame);
    update();
}

void CBitCheckButton::SetCheck(int state) {
    if (state >= 0 && state <= 2) m_state = state;
    update();
}

void CBitCheckButton::Click() {
    if (m_toggles) {
        if (m_state == 1)
            m_state = 0;
        else if (m_state == 0)
            m_state = 1;
    }
    update();
    emit clicked();
}

void CBitCheckButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    Click();
}

void CBitCheckButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CBitCheckButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

void CBitCheckButton::paintEvent(QPaintEvent*) {
    if (m_strip.isNull()) return;
    QPainter p(this);
    const int w = m_frame.width();
    p.drawPixmap(QPoint(0, 0), m_strip, QRect(ShownFrame() * w, 0, w, m_frame.height()));
    if (hasFocus()) {
        p.setPen(QPen(QColor(20, 20, 200), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

} // namespace plotra::gui
