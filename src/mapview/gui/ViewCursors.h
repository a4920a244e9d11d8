#pragma once
/// \brief The graph window's mouse cursors, drawn in code: a magnifier with a plus (zoom in), a
/// magnifier with a minus (zoom out) and a ruler with cross hairs (measure).

#include <QCursor>
#include <QPixmap>

namespace plotra::gui {

/// The 32 x 32 pictures of the cursors, for the tests and the documentation.
QPixmap ZoomInCursorPixmap();
QPixmap ZoomOutCursorPixmap();
QPixmap RulerCursorPixmap();

/// The cursors with their hot spots: the lens centre for the zoom, the cross hairs for the ruler.
QCursor ZoomInCursor();
QCursor ZoomOutCursor();
QCursor RulerCursor();

} // namespace plotra::gui
