#pragma once
/// \brief "Create a Html report" in the desktop program: the report path, the option and notes
/// dialogs, the writer as a job with progress, and the page opened in the browser.

class QWidget;

namespace plotra::gui {

class GuiSession;

/// The command (only with at least one AP).
void CreateReport(GuiSession& session, QWidget* parent);
/// Whether the command can be given now.
bool CanCreateReport(const GuiSession& session);

} // namespace plotra::gui
