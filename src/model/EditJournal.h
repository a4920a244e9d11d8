#pragma once
/// \brief How an entry point tells an undo journal about a user edit: before it changes anything it
/// names the edit and the parts of the document it may change, so that the journal keeps their values
/// from before; when it is done, the journal compares and keeps what changed. The journal itself
/// (src/edits/UndoStack.h) lives above the document.

#include "model/Notices.h"

#include <string>
#include <utility>
#include <vector>

namespace plotra {

class CPlotraDoc;

/// \brief What an undoable edit may change besides the document's plain settings (display settings,
/// modes, the frame, the panel's values and the analysis numbers, which every edit's memento covers).
struct EditSubject {
    explicit EditSubject(std::string name, std::vector<int> named = {})
        : text(std::move(name)), aps(std::move(named)) {}

    std::string text;      ///< names the edit: "Move AP 02-1A-67-10-00-03", "Display Settings"
    std::vector<int> aps;  ///< APs whose own values, picture (and with apModels their grid) may change
    bool everyAp = false;  ///< every AP's own values (ticks, group indices), without grids and pictures
    bool apModels = false; ///< the grids of \c aps: a refit
    bool tickedPictures =
        false;             ///< the pictures of every ticked AP (a colour, a colour mode, the power range)
    bool grouping = false; ///< the grouping shown is replaced (the sort mode)
    bool notes = false;    ///< the report notes of files and APs
    /// The edit drops a combined coverage from the display (ticks, colours, moves). Undone or redone
    /// after a new coverage, it does the same instead of bringing back the flags of an older one.
    bool staleCoverage = false;
};

/// \brief Receives the document's undoable edits and what happens around them (attached with
/// CPlotraDoc::SetEditJournal). Called on the user-interface thread only.
class EditJournal {
  public:
    virtual ~EditJournal() = default;
    /// An edit starts (outermost entry point only): \p doc still holds the values from before.
    virtual void editStarting(const CPlotraDoc& doc, const EditSubject& subject) = 0;
    /// The edit started last is done.
    virtual void editFinished(const CPlotraDoc& doc) = 0;
    /// A notice was sent; \p marksModified is false inside a KeepModifiedFlag scope.
    virtual void noticeSent(const ChangeNotice& notice, bool marksModified) = 0;
    /// The document was marked unmodified: written to its workspace, or just read from one.
    virtual void markedClean() = 0;
};

} // namespace plotra
