#pragma once
/// \brief The info window: a speech bubble over the graph that lists what lies under the resting
/// mouse (position, altitude and speed of a path point, every selected AP heard or predicted there).
/// Its pointer comes from the corner nearest the mouse; a soft shadow lies under it.

#include <QFont>
#include <QString>
#include <QWidget>

namespace plotra::gui {

class CInfoWnd : public QWidget {
    Q_OBJECT
  public:
    explicit CInfoWnd(QWidget* parent);

    /// Stores the text (lines separated by "\n") and returns the window size it needs: the "X"
    /// width plus the widest line plus 20, the "X" height plus the line heights plus 25.
    QSize setText(const QString& text);
    const QString& text() const { return m_strText; }
    /// Which side of the mouse the window lies on; the pointer starts at the corner nearest it.
    void setSides(bool left, bool above);
    bool left() const { return m_bLeft; }
    bool above() const { return m_bAbove; }

    /// The bubble (rounded rectangle) and the pointer triangle for a w x h window.
    QRect bubbleRect() const;
    QPolygon pointer() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont m_font;
    QString m_strText;
    bool m_bLeft = false;
    bool m_bAbove = false;
};

/// The face the info and legend windows ask for, 8 points; a serif face where it is missing.
QFont InfoFont();

} // namespace plotra::gui
