#pragma once
/// \brief "Input File Notes": free notes for each survey file the report lists, entry by entry.

#include "report/gui/PagedNotesDialog.h"

#include <vector>

class QLineEdit;
class QPlainTextEdit;

namespace plotra::gui {

class CReportFileNotes : public PagedNotesDialog {
    Q_OBJECT
  public:
    /// \brief One file: three lines shown as they are given, and the notes to edit.
    struct Entry {
        QString fileName; ///< "File Name: ..."
        QString created;  ///< "Created: ..."
        QString position; ///< "1 out of 3 files"
        QString notes;
    };

    explicit CReportFileNotes(QWidget* parent = nullptr);
    /// The entries, in the report's listing order; the first is shown.
    void setEntries(std::vector<Entry> entries);
    /// The entries with their notes as typed (read them after OK).
    const std::vector<Entry>& entries() const { return m_entries; }

  protected:
    void StoreEntry(int index) override;
    void ShowEntry(int index) override;

  private:
    std::vector<Entry> m_entries;
    QLineEdit* m_fileName;
    QLineEdit* m_created;
    QLineEdit* m_position;
    QPlainTextEdit* m_notes;
};

} // namespace plotra::gui
