// The graph window as the main window's right pane.
#include "gui/Panes.h"
#include "mapview/gui/PlotraView.h"

namespace plotra::gui {

QWidget* CreateGraphView(GuiSession& session, QWidget* parent) {
    return new CPlotraView(session, parent);
}

} // namespace plotra::gui
