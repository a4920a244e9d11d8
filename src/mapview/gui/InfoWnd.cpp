#include "mapview/gui/InfoWnd.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace plotra::gui {

QFont InfoFont() {
    QFont font(QStringLiteral("Time New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(8);
    return font;
}

CInfoWnd::CInfoWnd(QWidget* parent) : QWidget(parent), m_font(InfoFont()) {
    setObjectName(QStringLiteral("191"));
    setWindowTitle(QStringLiteral("Info Window"));
    // The bubble only shows; the mouse keeps talking to the graph underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Not filled: the graph shows through around the bubble and under its shadow.
    setAutoFillBackground(false);
    hide();
}

QSize CInfoWnd::setText(const QString& text) {
    m_strText = text;
    const QFontMetrics fm(m_font, this);
    const int cx = fm.horizontalAdvance(QLatin1Char('X')), cy = fm.height();
    int widest = 0, heights = 0;
    for (const QString& piece : text.split(QLatin1Char('\n'))) {
        // An empty line is measured as "X", so that it keeps its height.
        const QString measured = piece.isEmpty() ? QStringLiteral("X") : piece;
        widest = std::max(widest, fm.horizontalAdvance(measured));
        heights += fm.height();
    }
    update();
    return QSize(cx + widest + 20, cy + heights + 25);
}

void CInfoWnd::setSides(bool left, bool above) {
    m_bLeft = left;
    m_bAbove = above;
    update();
}

QRect CInfoWnd::bubbleRect() const {
    return QRect(QPoint(10, 20), QPoint(width() - 10, height() - 5));
}

QPolygon CInfoWnd::pointer() const {
    const int w = width(), h = height();
    // The corner nearest the mouse, and two points of the bubble's edge a little way from it.
    const int cornerX = m_bLeft ? w - 1 : 0, cornerY = m_bAbove ? h - 1 : 0;
    const int edgeY = m_bAbove ? h - 5 : 20;
    const int near = m_bLeft ? w - 16 : 16, far = m_bLeft ? w - 28 : 28;
    return QPolygon({QPoint(cornerX, cornerY), QPoint(near, edgeY), QPoint(far, edgeY)});
}

void CInfoWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect bubble = bubbleRect();
    const QPolygon tip = pointer();
    // Shadow: the shapes moved by (5, 5) in grey, mixed half and half with what lies underneath.
    p.save();
    p.setOpacity(0.5);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(QColor(128, 128, 128));
    p.drawPolygon(tip.translated(5, 5));
    p.drawRoundedRect(bubble.translated(5, 5), 5, 5);
    p.restore();

    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    p.drawPolygon(tip);
    p.setBrush(Qt::white);
    p.drawRoundedRect(bubble, 5, 5);

    p.setFont(m_font);
    const QFontMetrics fm(m_font, this);
    const int cx = fm.horizontalAdvance(QLatin1Char('X')), cy = fm.height();
    int y = bubble.top() + cy / 2;
    for (const QString& piece : m_strText.split(QLatin1Char('\n'))) {
        p.drawText(QRect(bubble.left() + cx / 2, y, bubble.width(), fm.height()),
                   Qt::AlignLeft | Qt::AlignTop, piece);
        y += fm.height();
    }
}

} // namespace plotra::gui
