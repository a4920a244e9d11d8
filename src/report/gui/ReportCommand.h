#pragma once
/// \brief "Create a Html report" in the desktop program. On the user-interface thread: the page's
/// path, the sections ("Html Report Options"), the two questions, the notes of the listed files and
/// of the ticked APs (stored in the document through its entry points, so the workspace keeps
/// them) and the drawing of the pictures, which reads the live document. Then a job writes the page
/// and its picture files from a snapshot behind the progress dialog, and the finished page opens in
/// the browser.

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace plotra::gui {

class GuiSession;

/// The command (only with at least one AP; refused while another calculation runs).
void CreateReport(GuiSession& session, QWidget* parent);
/// Whether the command can be given now.
bool CanCreateReport(const GuiSession& session);

/// The default page path: the document's path name with its extension replaced by ".html"; without
/// a path name the document's title up to its first "." followed by ".html".
std::string DefaultReportPath(const std::string& pathName, const std::string& title);

/// How a finished page is opened: in the browser (QDesktopServices), unless a test puts its own;
/// an empty function puts the browser back.
using ReportOpener = std::function<void(const QString& path)>;
void SetReportOpener(ReportOpener opener);

} // namespace plotra::gui
