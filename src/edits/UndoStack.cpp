#include "edits/UndoStack.h"

#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

namespace plotra {

UndoStack::UndoStack(CPlotraDoc& doc) : m_doc(doc) {
    m_doc.SetEditJournal(this);
    m_changedOutside = m_doc.IsModified();
}

UndoStack::~UndoStack() {
    if (m_doc.Journal() == this) m_doc.SetEditJournal(nullptr);
}

std::string UndoStack::UndoText() const {
    return CanUndo() ? m_commands[m_index - 1].text : std::string();
}

std::string UndoStack::RedoText() const {
    return CanRedo() ? m_commands[m_index].text : std::string();
}

bool UndoStack::Undo() {
    if (!CanUndo() || m_applying) return false;
    Command& command = m_commands[m_index - 1];
    // While a job runs the document takes no edit, and taking one back is an edit too.
    if (m_doc.RefuseEditWhileBusy(command.notices.empty() ? DocChange::Display
                                                          : command.notices.front().what))
        return false;
    --m_index;
    Apply(command, true);
    return true;
}

bool UndoStack::Redo() {
    if (!CanRedo() || m_applying) return false;
    Command& command = m_commands[m_index];
    if (m_doc.RefuseEditWhileBusy(command.notices.empty() ? DocChange::Display
                                                          : command.notices.front().what))
        return false;
    ++m_index;
    Apply(command, false);
    return true;
}

void UndoStack::Apply(Command& command, bool undo) {
    m_applying = true;
    command.memento.Apply(m_doc, undo);
    // A coverage calculated since the edit belongs to another selection, colour or position: the
    // edit taken back or done again leaves it stale, as the edit itself did.
    if (command.staleCoverage && command.coverageCount != m_doc.ChangeCount(DocChange::Coverage) &&
        m_doc.Display().m_bCombined) {
        Edit::Display(m_doc).m_bCoveragePlotted = 1;
        Edit::Display(m_doc).m_bShowCellRadius = 0;
        Edit::Display(m_doc).m_bCombined = 0;
    }
    for (const ChangeNotice& notice : command.notices)
        m_doc.Notify(notice);
    command.coverageCount = m_doc.ChangeCount(DocChange::Coverage);
    m_applying = false;
    m_doc.SetModifiedFlag(!IsClean());
    Changed();
}

void UndoStack::Clear() {
    m_commands.clear();
    m_index = 0;
    m_clean = 0;
    m_changedOutside = m_doc.IsModified();
    m_pending.reset();
    m_pendingNotices.clear();
    Changed();
}

void UndoStack::editStarting(const CPlotraDoc& doc, const EditSubject& subject) {
    // A view that answered an undo's notice with an edit of its own would cut the history apart.
    if (m_applying) return;
    m_pending = std::make_unique<EditCapture>(doc, subject);
    m_pendingNotices.clear();
}

void UndoStack::editFinished(const CPlotraDoc& doc) {
    if (!m_pending) return;
    const EditSubject subject = m_pending->Subject();
    EditMemento memento(std::move(*m_pending), doc);
    m_pending.reset();
    std::vector<ChangeNotice> notices = std::move(m_pendingNotices);
    m_pendingNotices.clear();
    // An edit that changed nothing (a refused drop, a radio clicked again) is no step to take back.
    if (memento.Empty()) {
        Changed();
        return;
    }
    // A new edit replaces whatever could have been redone; a saved state among it is gone for good.
    m_commands.erase(m_commands.begin() + static_cast<std::ptrdiff_t>(m_index), m_commands.end());
    if (m_clean && *m_clean > m_index) m_clean.reset();
    m_commands.push_back({subject.text, std::move(memento), std::move(notices), subject.staleCoverage,
                          doc.ChangeCount(DocChange::Coverage)});
    ++m_index;
    if (m_commands.size() > kLimit) {
        m_commands.erase(m_commands.begin());
        --m_index;
        if (m_clean) {
            if (*m_clean == 0)
                m_clean.reset();
            else
                --*m_clean;
        }
    }
    Changed();
}

void UndoStack::noticeSent(const ChangeNotice& notice, bool marksModified) {
    if (m_applying) return;
    if (m_pending) {
        if (marksModified) m_pendingNotices.push_back(notice);
        return;
    }
    // Outside an edit: a replaced project starts a new history (whoever marks it clean next, an
    // opened workspace, sets the clean point); anything else that marks the project modified changed
    // it in a way no undo brings back to the saved state.
    if (notice.what == DocChange::Everything) {
        m_commands.clear();
        m_index = 0;
        m_clean.reset();
        Changed();
    }
    if (marksModified) m_changedOutside = true;
}

void UndoStack::markedClean() {
    m_clean = m_index;
    m_changedOutside = false;
}

std::size_t UndoStack::Bytes() const {
    std::size_t bytes = 0;
    for (const Command& c : m_commands)
        bytes +=
            sizeof(Command) + c.text.size() + c.memento.Bytes() + c.notices.size() * sizeof(ChangeNotice);
    return bytes;
}

void UndoStack::Changed() const {
    if (changed) changed();
}

} // namespace plotra
