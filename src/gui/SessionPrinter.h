#pragma once
/// \brief The one printer of a session. Print, Print Preview and Print Setup of the graph and the
/// table window all work on it, so the page the user set up (paper, orientation, margins, the printer
/// or the PDF file chosen) is the page the next printout uses; it lives as long as the session.

#include <QString>

class QPainter;
class QPrinter;

namespace plotra {
class UserPrompts;
}

namespace plotra::gui {

class GuiSession;

/// The session's printer (high resolution), made on first use.
QPrinter& SessionPrinter(GuiSession& session);

/// The session's printer ready for a new job: every page, as a print dialog should offer it; the
/// rest of its setup is kept.
QPrinter& PrinterForNewJob(GuiSession& session);

/// Starts painting on \p printer. A job that cannot start (a PDF file in a folder that cannot be
/// written, a printer that refuses) is reported through \p prompts, and false is returned.
bool BeginPrintJob(QPainter& painter, QPrinter& printer, UserPrompts& prompts);

/// \brief While it lives, a printout into a file goes to a temporary file beside it, which replaces
/// the chosen file only when Finish(true) is called: a cancelled or failed printout leaves a previous
/// file of that name as it was. A printout to a printer is left alone.
class PrintFileGuard {
  public:
    explicit PrintFileGuard(QPrinter& printer);
    ~PrintFileGuard();
    PrintFileGuard(const PrintFileGuard&) = delete;
    PrintFileGuard& operator=(const PrintFileGuard&) = delete;
    /// The printer gets its file name back (before a failure is reported with it); \p complete puts
    /// the printout in place, otherwise it is removed. True when the file was put in place.
    bool Finish(bool complete);

  private:
    QPrinter& m_printer;
    QString m_target;
    bool m_finished = false;
};

/// Tells the user that a print job on \p printer could not start, naming the file or the printer.
void ReportPrintJobFailure(const QPrinter& printer, UserPrompts& prompts);

} // namespace plotra::gui
