#include "mapview/gui/LegendWnd.h"

#include <QPaintEvent>
#include <QPainter>

namespace plotra::gui {

CLegendWnd::CLegendWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("213"));
    setWindowTitle(QStringLiteral("Legned Window"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void CLegendWnd::showPart(const QImage& picture, const QRect& rect) {
    // QImage shares its pixels: keeping the picture costs no copy.
    m_picture = picture;
    if (geometry() != rect) setGeometry(rect);
    update();
    if (!isVisible()) show();
}

void CLegendWnd::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect part = event->rect();
    p.drawImage(part, m_picture, part.translated(pos()));
}

} // namespace plotra::gui
