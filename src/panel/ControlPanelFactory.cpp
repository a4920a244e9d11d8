// Placeholder until the control panel exists: an empty pane.
#include "app/Panes.h"

#include <QLabel>

namespace plotra::gui {

QWidget* CreateControlPanel(GuiSession&, QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setObjectName("CreateControlPanel");
    return pane;
}

} // namespace plotra::gui
