// Placeholder until the report's dialogs exist.
#include "report/gui/ReportCommand.h"

#include "app/GuiSession.h"

namespace plotra::gui {

void CreateReport(GuiSession&, QWidget*) {}

bool CanCreateReport(const GuiSession& session) { return !session.doc().m_aAPs.empty(); }

} // namespace plotra::gui
