#pragma once
/// \brief CImageTextButton: a push button that shows a picture with a text over it (the section
/// headers, "Plot Coverage", "Input AP Position", the walk-path width button). Pictures: 0 normal,
/// 1 pressed, 2 disabled; a missing one falls back to the normal picture. The button takes the size
/// of its picture. The drawn text is separate from the button's caption (text()), so a button can
/// carry a caption that its picture replaces.

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <vector>

namespace plotra::gui {

class CImageTextButton : public QAbstractButton {
    Q_OBJECT
  public:
    /// \p caption is the button's text() (its name for the user and for assistive tools).
    explicit CImageTextButton(const QString& caption, QWidget* parent = nullptr);

    /// Normal picture, and optionally the pressed and the disabled one (null pictures are left out).
    void SetImages(const QPixmap& normal, const QPixmap& pressed = {}, const QPixmap& disabled = {});
    /// The text drawn over the picture (empty: none).
    void SetText(const QString& text);
    QString DrawnText() const { return m_text; }
    void SetTextColours(QColor normal, QColor disabled);
    /// Where the text starts; (-1, -1) centres it.
    void SetTextPos(int x, int y);
    /// The text's font: \p face at \p pixelHeight pixels, normal weight.
    void SetFont(const QString& face, int pixelHeight);
    int ImageCount() const { return static_cast<int>(m_images.size()); }
    /// The picture index the current state shows: 2 disabled (with three pictures), 1 pressed (with
    /// two or more), otherwise 0.
    int ShownImage() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QPixmap> m_images;
    QString m_text;
    QColor m_normal = Qt::white, m_disabled = Qt::white;
    QPoint m_textPos{-1, -1};
    QFont m_font;
    bool m_fontSet = false;
};

} // namespace plotra::gui
