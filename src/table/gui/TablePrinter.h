#pragma once
/// \brief The table printout: a cover page naming the ticked survey files, then the rows under
/// their headings and a rule, page after page, each page with a footer of three framed boxes (a
/// blank one, "Data collected by:" and the project's creation date and time). The rows are
/// formatted page by page, never all at once.

#include "gui/AppSettings.h"

#include <functional>

class QPrinter;

namespace plotra {
class CPlotraDoc;
class CTableRowIndex;
} // namespace plotra

namespace plotra::gui {

/// \brief What a printout measured and printed.
struct TablePrintout {
    int linesPerPage = 0;
    int pageCount = 0;    ///< the pages of the whole printout
    int pagesPrinted = 0; ///< the pages of the printer's page range
    bool refused = false; ///< the printer did not start the job (a file that cannot be written)
    bool stopped = false; ///< the page runner stopped before the last page (Cancel)
};

/// Runs \p page for the pages 0..count-1 of a printout in order, until one returns false; returns
/// how many ran. The window's runner paints them from the event loop behind a progress window.
using PageRunner = std::function<int(int count, const std::function<bool(int)>& page)>;

/// Prints the table of \p doc (rows through \p index) on \p printer with the printout font of
/// \p fonts; prints the printer's page range (all pages when it has none). Nothing is printed (and
/// nothing is begun on the printer) when the project has no data; a job the printer refuses is
/// marked refused for the caller to report. The pages go through \p run when it is set (a runner
/// that stops early ends the printout there), otherwise all at once.
TablePrintout PrintTable(QPrinter& printer, const CPlotraDoc& doc, const CTableRowIndex& index,
                         const FontSettings& fonts, const PageRunner& run = {});

} // namespace plotra::gui
