#include "report/gui/ReportFileNotes.h"

#include "report/gui/NotesDialogParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace plotra::gui {

CReportFileNotes::CReportFileNotes(QWidget* parent) : PagedNotesDialog(parent) {
    setObjectName("CReportFileNotes");
    setWindowTitle(tr("Input File Notes"));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(tr("Please input the notes for this file:"), this);
    prompt->setObjectName("prompt");
    layout->addWidget(prompt);
    m_fileName = ReadOnlyLine(this, "1105");
    m_created = ReadOnlyLine(this, "1106");
    m_position = ReadOnlyLine(this, "1107");
    layout->addWidget(m_fileName);
    layout->addWidget(m_created);
    layout->addWidget(m_position);
    m_notes = NotesEdit(this, "1108");
    auto* notesLabel = new QLabel(tr("Notes:"), this);
    notesLabel->setObjectName("notesLabel");
    notesLabel->setBuddy(m_notes);
    layout->addWidget(notesLabel);
    layout->addWidget(m_notes, 1);
    layout->addLayout(PagingButtons(this, "1121", "1120"));
    resize(360, 380);
}

void CReportFileNotes::setEntries(std::vector<Entry> entries) {
    m_entries = std::move(entries);
    ResetEntries(static_cast<int>(m_entries.size()));
}

void CReportFileNotes::StoreEntry(int index) {
    m_entries[static_cast<std::size_t>(index)].notes = m_notes->toPlainText();
}

void CReportFileNotes::ShowEntry(int index) {
    const Entry& e = m_entries[static_cast<std::size_t>(index)];
    m_fileName->setText(e.fileName);
    m_created->setText(e.created);
    m_position->setText(e.position);
    m_notes->setPlainText(e.notes);
}

} // namespace plotra::gui
