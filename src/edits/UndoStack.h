#pragma once
/// \brief Undo and Redo of the user's edits. The document's entry points name each undoable edit
/// (CPlotraDoc::UndoableEdit) and this stack, attached to the document as its journal, keeps a
/// memento of what the edit changed and the notices it sent. Undo and Redo write the mementos back and
/// send the same notices, so every view follows as it followed the edit.
///
/// Processing and coverage are recomputations, not edits: they are not on the stack. A project
/// replaced as a whole (new project, workspace opened, processing applied) clears it; a save marks
/// its clean point, and the document's modified flag follows: back at the saved state the project
/// is unmodified again, unless something that is not undoable changed it since.

#include "edits/EditMemento.h"
#include "model/EditJournal.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

class CPlotraDoc;

class UndoStack : public EditJournal {
  public:
    /// Attaches itself to \p doc as its edit journal until destroyed.
    explicit UndoStack(CPlotraDoc& doc);
    ~UndoStack() override;
    UndoStack(const UndoStack&) = delete;
    UndoStack& operator=(const UndoStack&) = delete;

    /// Called after every change of the stack (an edit recorded, undone, redone, the stack cleared).
    std::function<void()> changed;

    bool CanUndo() const { return m_index > 0 && !m_pending; }
    bool CanRedo() const { return m_index < m_commands.size() && !m_pending; }
    /// Names of the edit the next Undo and Redo take back or do again; empty when there is none.
    std::string UndoText() const;
    std::string RedoText() const;
    /// Takes the last edit back (refused, with the document's "Busy" message, while a job runs).
    /// False when nothing was undone.
    bool Undo();
    bool Redo();
    /// Forgets every edit; the document as it is becomes the clean state if it is unmodified.
    void Clear();

    std::size_t Count() const { return m_commands.size(); }
    std::size_t Index() const { return m_index; }
    /// True at the state last saved (or opened).
    bool IsClean() const { return m_clean && *m_clean == m_index && !m_changedOutside; }
    /// Roughly the bytes the kept edits hold.
    std::size_t Bytes() const;
    /// Edits kept at most; the oldest go first.
    static constexpr std::size_t kLimit = 200;

    // EditJournal
    void editStarting(const CPlotraDoc& doc, const EditSubject& subject) override;
    void editFinished(const CPlotraDoc& doc) override;
    void noticeSent(const ChangeNotice& notice, bool marksModified) override;
    void markedClean() override;

  private:
    struct Command {
        std::string text;
        EditMemento memento;
        std::vector<ChangeNotice> notices;
        bool staleCoverage = false;
        std::uint64_t coverageCount = 0; ///< the document's coverage notices when last applied
    };
    /// Writes a command back (undo) or again, sends its notices and sets the modified flag.
    void Apply(Command& command, bool undo);
    void Changed() const;

    CPlotraDoc& m_doc;
    std::vector<Command> m_commands;
    std::size_t m_index = 0;                ///< commands before this one are done
    std::optional<std::size_t> m_clean = 0; ///< index of the saved state; none once it is unreachable
    bool m_changedOutside = false;          ///< changed by something not undoable since the clean state
    std::unique_ptr<EditCapture> m_pending;
    std::vector<ChangeNotice> m_pendingNotices;
    bool m_applying = false;
};

} // namespace plotra
