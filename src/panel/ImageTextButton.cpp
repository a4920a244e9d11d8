#include "panel/ImageTextButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace plotra::gui {

CImageTextButton::CImageTextButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
}

void CImageTextButton::SetImages(const QPixmap& normal, const QPixmap& pressed, const QPixmap& disabled) {
    m_images.clear();
    m_images.push_back(normal);
    if (!pressed.isNull()) m_images.push_back(pressed);
    if (!disabled.isNull()) m_images.push_back(disabled);
    setFixedSize(normal.size());
    update();
}

void CImageTextButton::SetText(const QString& text) {
    m_text = text;
    update();
}

void CImageTextButton::SetTextColours(QColor normal, QColor disabled) {
    m_normal = normal;
    m_disabled = disabled;
    update();
}

void CImageTextButton::SetTextPos(int x, int y) {
    m_textPos = QPoint(x, y);
    update();
}

void CImageTextButton::SetFont(const QString& face, int pixelHeight) {
    m_font = QFont(face);
    m_font.setPixelSize(pixelHeight);
    m_font.setWeight(QFont::Normal);
    m_fontSet = true;
    update();
}

int CImageTextButton::ShownImage() const {
    if (!isEnabled()) return m_images.size() >= 3 ? 2 : 0;
    if (isDown()) return m_images.size() >= 2 ? 1 : 0;
    return 0;
}

QSize CImageTextButton::sizeHint() const {
    if (!m_images.empty()) return m_images.front().size();
    return {75, 23};
}

void CImageTextButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_images.empty()) {
        // No picture: a plain push-button face.
        QStyleOptionButton option;
        option.initFrom(this);
        option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);
    } else {
        p.drawPixmap(0, 0, m_images[static_cast<std::size_t>(ShownImage())]);
    }
    if (!m_text.isEmpty()) {
        p.setPen(isEnabled() ? m_normal : m_disabled);
        if (m_fontSet) p.setFont(m_font);
        if (m_textPos.x() >= 0 && m_textPos.y() >= 0)
            p.drawText(QRect(m_textPos, size()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
        else
            p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
    }
    if (hasFocus()) {
        p.setPen(QPen(QColor(20, 20, 200), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

} // namespace plotra::gui
