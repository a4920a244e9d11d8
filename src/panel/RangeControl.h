#pragma once
/// \brief CRangeControl: a horizontal slider with two thumbs that selects an integer interval
/// ("Transparency" 0..100, "Power Range" and "Contour" in dBm). The thumbs travel a 140-pixel track;
/// the band between them runs from white at the low thumb to the band colour at the high thumb. The
/// owner hears of a change when a thumb is let go (notified, code 100), and can still ask which thumb
/// was dragged while it handles the notification.
///
/// Keyboard (a focused slider): Left/Right move the active thumb by one, Page Up/Page Down by a
/// tenth of the range, Home/End to the ends; Up makes the high thumb active, Down the low thumb. The
/// thumb last taken with the mouse is the active one. Each key that moves a thumb notifies once, like
/// a drag; one held at its end by the range or the other thumb stays and notifies nothing.

#include "panel/PanelArtwork.h"

#include <QImage>
#include <QWidget>

namespace plotra::gui {

class CRangeControl : public QWidget {
    Q_OBJECT
  public:
    /// Drag states: which thumb is being moved.
    enum Drag { kNone = 0, kLowThumb = 1, kHighThumb = 2 };

    CRangeControl(artwork::RangeArt art, int minimum, int maximum, const QString& unit,
                  QWidget* parent = nullptr);

    void SetBackColour(QColor colour);
    void SetBandColour(QColor colour);
    /// Stores both values (not clamped: the owner passes values of the range) and repaints.
    void SetValues(int low, int high);
    /// A new value range (the "Contour" slider follows the graph shown).
    void SetRange(int minimum, int maximum);
    void SetUnit(const QString& unit);
    /// The caption the owner gives the slider; it is not drawn (the panel paints its own label).
    void SetCaption(const QString& caption) { m_caption = caption; }
    QString Caption() const { return m_caption; }

    int LowValue() const { return m_low; }
    int HighValue() const { return m_high; }
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }
    QString Unit() const { return m_unit; }
    /// The thumb being dragged (kNone outside a drag); still set while the owner handles notified().
    int DragState() const { return m_drag; }
    /// True while the mouse holds a thumb (the owner then leaves the values alone).
    bool Dragging() const { return m_mouseDown; }
    /// The thumb the keyboard moves.
    int ActiveThumb() const { return m_active; }

    /// Pixels per value step: 140 / (maximum - minimum).
    double Scale() const;
    /// Where the thumbs stand: (low - minimum) * scale + 30 and (high - minimum) * scale + 28, truncated.
    int LowThumbX() const;
    int HighThumbX() const;
    /// The value under x for a thumb taken at \p grabX pixels from its left: (x - grab - 25) / scale +
    /// minimum, truncated toward zero.
    int ValueAt(int x, int grabX) const;
    /// Which thumb a press at \p point takes (kNone, kLowThumb, kHighThumb).
    int HitTest(QPoint point) const;

    QSize sizeHint() const override { return {200, 27}; }

  signals:
    /// Code 100: a thumb was let go (or moved by a key); the values are the new ones.
    void notified(int low, int high);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    /// Moves the dragged thumb to the value under x, clamped by the range and the other thumb.
    void DragTo(int x);
    void Notify();

    QImage m_body, m_lowThumb, m_highThumb;
    QColor m_back{255, 255, 255};
    QColor m_band{16, 16, 128};
    QPoint m_grab{0, 0};
    int m_drag = kNone;
    bool m_mouseDown = false;
    int m_active = kLowThumb;
    int m_min, m_max;
    int m_low = 0, m_high = 0;
    QString m_unit, m_caption;
};

} // namespace plotra::gui
