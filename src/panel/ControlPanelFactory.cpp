// The control panel is the main window's left pane.
#include "gui/Panes.h"
#include "panel/ControlView.h"

namespace plotra::gui {

QWidget* CreateControlPanel(GuiSession& session, QWidget* parent) {
    return new CControlView(session, parent);
}

} // namespace plotra::gui
