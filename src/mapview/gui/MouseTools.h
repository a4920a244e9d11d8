#pragma once
/// \brief The graph window's mouse modes as small tools: zoom in, zoom out, the ruler and moving an
/// AP. The window forwards the left button and the mouse moves to the tool of the mode that is on;
/// the arithmetic lives in the view state and the point queries, the tools only keep the gesture.

#include <QCursor>
#include <QPoint>
#include <QRect>

class QPainter;

namespace plotra::gui {

class CPlotraView;

/// \brief One mouse mode of the graph window.
class MouseTool {
  public:
    explicit MouseTool(CPlotraView& view) : m_view(view) {}
    virtual ~MouseTool() = default;
    MouseTool(const MouseTool&) = delete;
    MouseTool& operator=(const MouseTool&) = delete;

    virtual QCursor cursor() const = 0;
    virtual void press(const QPoint&) {}
    virtual void move(const QPoint&) {}
    virtual void release(const QPoint&) {}
    /// Draws what the gesture shows over the picture (rubber band, dragged icon).
    virtual void paint(QPainter&) const {}
    /// Drops a gesture in progress (the mode was switched off, or the gesture was given up).
    virtual void cancel() {}

  protected:
    CPlotraView& m_view;
};

/// \brief Zoom in or out about the point where the left button is released; the mode stays on.
class ZoomTool : public MouseTool {
  public:
    ZoomTool(CPlotraView& view, bool zoomIn) : MouseTool(view), m_zoomIn(zoomIn) {}
    QCursor cursor() const override;
    void release(const QPoint& pos) override;

  private:
    bool m_zoomIn;
};

/// \brief The ruler: press at the first point, drag a dotted line, release at the second point; the
/// ruler dialog shows the distance. The mode ends after one measurement.
class RulerTool : public MouseTool {
  public:
    using MouseTool::MouseTool;
    QCursor cursor() const override;
    void press(const QPoint& pos) override;
    void move(const QPoint& pos) override;
    void release(const QPoint& pos) override;
    void paint(QPainter& painter) const override;
    void cancel() override;

    bool down() const { return m_bRulerDown; }
    QPoint start() const { return m_ptRulerStart; }
    QPoint end() const { return m_ptRulerEnd; }

  private:
    /// The area under the line from start to end, one pixel around it, not left of or above 0.
    QRect band() const;
    void end(bool repaint);

    bool m_bRulerDown = false;
    bool m_bMeasured = false; ///< the line is final (solid) while the dialog is open
    QPoint m_ptRulerStart, m_ptRulerEnd;
    QRect m_rcRulerBand;
};

/// \brief Moving an AP: press on a marker takes the AP off the picture, its icon follows the mouse,
/// the left release drops it there and the document refits it; the mode ends after one drop. Until
/// the drop the document is not touched: a drag given up in any other way (cancel) only shows the
/// AP again, and the mode stays on for another try.
class MoveApTool : public MouseTool {
  public:
    using MouseTool::MouseTool;
    QCursor cursor() const override;
    void press(const QPoint& pos) override;
    void move(const QPoint& pos) override;
    void release(const QPoint& pos) override;
    void paint(QPainter& painter) const override;
    void cancel() override;

    /// The AP being dragged, -1 when none.
    int dragged() const;
    bool dragging() const { return dragged() >= 0; }

  private:
    QRect m_rcApIcon; ///< where the dragged icon is, clipped to the client area
    QPoint m_ptIcon;  ///< the mouse position the icon is centred on
};

} // namespace plotra::gui
