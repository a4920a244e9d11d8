// Placeholder until the graph window exists: an empty pane.
#include "app/Panes.h"

#include <QLabel>

namespace plotra::gui {

QWidget* CreateGraphView(GuiSession&, QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setObjectName("CreateGraphView");
    return pane;
}

} // namespace plotra::gui
