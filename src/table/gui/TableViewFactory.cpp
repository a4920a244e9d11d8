// Placeholder until the table window exists: an empty pane.
#include "app/Panes.h"

#include <QLabel>

namespace plotra::gui {

QWidget* CreateTableView(GuiSession&, QWidget* parent) {
    auto* pane = new QLabel(parent);
    pane->setObjectName("CreateTableView");
    return pane;
}

} // namespace plotra::gui
