#pragma once
/// \brief "Save Table As..." as a job: the rows are formatted and written on the job's thread into a
/// temporary file that replaces the chosen one only when complete, so that a cancelled or failed
/// export leaves any previous file untouched. The synchronous WriteDocumentTable goes through the
/// same writing.

#include "model/Job.h"

#include <functional>
#include <memory>
#include <string>

namespace plotra {

class CPlotraDoc;
class Progress;
class UserPrompts;

/// \brief What the export writes, settled (options and file name) before the writing starts.
struct TableExport {
    std::string path;
    bool headings = true;
    bool quotes = false;
    char delimiter = '\t';
};

enum class TableExportResult { Written, Failed, Cancelled };

/// Writes the table of the document's measurement points (any thread; reads only the points).
/// \p progress (may be null) is told the position and asked for a Cancel between rows.
TableExportResult WriteTableFile(const CPlotraDoc& doc, const TableExport& what, Progress* progress);

/// After the writing: a failed one says "Error opening file %s." (caption "File open error"), a
/// cancelled one nothing. True when written.
bool FinishTableExport(const TableExport& what, TableExportResult result, UserPrompts& prompts);

using TableExportJob = Job<TableExportResult>;

/// Starts the export as a job. The job reads the live document's points: until it is applied the
/// document takes no edit and the window switch is refused (as during a save).
std::unique_ptr<TableExportJob> StartTableExportJob(CPlotraDoc& doc, const TableExport& what,
                                                    Progress& progress, std::function<void()> finished = {});

/// Applies a finished export job (FinishTableExport); an exception inside it is reported. True when written.
bool ApplyTableExportJob(CPlotraDoc& doc, TableExportJob& job, const TableExport& what);

} // namespace plotra
