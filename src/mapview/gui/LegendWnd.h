#pragma once
/// \brief The legend window in the top-right corner of the graph window. The renderer draws the
/// legend into the graph picture itself (the exports need it there), so this window shows exactly
/// those pixels of the kept picture: what the user sees and what is saved cannot differ.

#include <QImage>
#include <QWidget>

namespace plotra::gui {

class CLegendWnd : public QWidget {
    Q_OBJECT
  public:
    explicit CLegendWnd(QWidget* parent);

    /// Shows the legend part \p rect of \p picture at the same place.
    void showPart(const QImage& picture, const QRect& rect);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_picture;
};

} // namespace plotra::gui
