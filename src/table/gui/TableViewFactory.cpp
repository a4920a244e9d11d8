// The table window as the main window's right pane.
#include "gui/Panes.h"
#include "table/gui/TableView.h"

namespace plotra::gui {

QWidget* CreateTableView(GuiSession& session, QWidget* parent) {
    return new CTableView(session, parent);
}

} // namespace plotra::gui
