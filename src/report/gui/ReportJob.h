#pragma once
/// \brief Writing a report on its own thread: the HTML page and the client PDF both go this way, so
/// that the window keeps answering and the progress dialog's Cancel works while a large project's
/// report is written.

#include "model/Interfaces.h"
#include "report/ReportWriter.h"

#include <functional>
#include <optional>
#include <string>

namespace plotra::gui {

class GuiSession;

/// The work of a report job. It runs on the job's thread: it may read only what it owns (a snapshot
/// or a copy of the project), and it reports and is cancelled through \p progress.
using ReportWork = std::function<ReportResult(Progress& progress)>;
/// Runs on the user-interface thread once the work has returned (\p result) or thrown (nothing, with
/// the reason in \p failure), after the progress dialog was hidden and the document freed for edits.
using ReportDone = std::function<void(const std::optional<ReportResult>& result, const std::string& failure)>;

/// Starts \p work as the session's job: edits and a second job are refused until it ends, the
/// progress dialog shows it, and its Cancel reaches the work. The session's jobStarted and
/// jobFinished signals bracket it.
void StartReportJob(GuiSession& session, ReportWork work, ReportDone done);

} // namespace plotra::gui
