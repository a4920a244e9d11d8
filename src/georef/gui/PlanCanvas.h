#pragma once
/// \brief The plan of the floor plan scale dialog: drawn to fit, with the scale points over it and,
/// under it, a scale bar and a north arrow. Clicks are reported in the plan's own pixels.

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QPainter;

namespace plotra::gui {

/// \brief The plan drawn to fit, the scale points over it, a scale bar and a north arrow. Clicks
/// are reported in the plan's own pixels (corner convention).
class PlanCanvas : public QWidget {
  public:
    explicit PlanCanvas(QWidget* parent = nullptr);
    /// \p sourceWidth x \p sourceHeight: the plan's own size, which the points are given in.
    void setPlan(const QImage& image, int sourceWidth, int sourceHeight);
    void setPoints(const std::array<std::optional<QPointF>, 2>& points);
    /// Metres per plan pixel (0: no scale yet), the north angle and the unit of the scale bar.
    void setScale(double metresPerPixel, double northDegrees, bool feet);
    /// Widget position of a plan pixel, and back.
    QPointF toWidget(QPointF planPixel) const;
    QPointF toPlan(QPointF widgetPos) const;
    /// Magnifies the plan (1: the whole plan in view) keeping \p planPixel at \p widgetPos.
    void setZoom(double zoom, QPointF planPixel, QPointF widgetPos);
    double zoom() const { return m_zoom; }
    std::function<void(QPointF)> clicked;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QSize sizeHint() const override { return {800, 560}; }

  private:
    /// The part of the widget above the legend strip, where the plan is drawn.
    QRectF Area() const;
    QRectF PlanRect() const;
    void ClampFocus();
    void DrawScaleBar(QPainter& p) const;
    void DrawNorthArrow(QPainter& p) const;

    QImage m_image;
    int m_sourceWidth = 0, m_sourceHeight = 0;
    std::array<std::optional<QPointF>, 2> m_points;
    double m_metresPerPixel = 0.0, m_north = 0.0;
    bool m_feet = false;
    double m_zoom = 1.0;
    QPointF m_focus; ///< the plan pixel at the centre of the area
    QPointF m_panFrom;
};

} // namespace plotra::gui
