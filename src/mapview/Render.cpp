// The render layer: drawing and picture files on QImage/QPainter.
#include <QImage>

namespace plotra {
/// Confirms that the render layer links against Qt Gui.
bool RenderLayerAvailable() { return !QImage(1, 1, QImage::Format_RGB32).isNull(); }
} // namespace plotra
