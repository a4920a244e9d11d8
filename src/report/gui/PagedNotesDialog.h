#pragma once
/// \brief What the two notes dialogs of the report share: they page through a list of entries with
/// "Prev" and "Next", one entry shown at a time. What is typed into an entry is kept when paging
/// away and back; OK keeps the shown entry's edits too; Cancel keeps nothing (the caller then reads
/// nothing back). After the last entry comes the first, before the first the last; with a single
/// entry the paging buttons do nothing.

#include <QDialog>

namespace plotra::gui {

class PagedNotesDialog : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

    int entryCount() const { return m_count; }
    int currentIndex() const { return m_index; }

  public slots:
    void OnNext() { Page(+1); }
    void OnPrev() { Page(-1); }
    void accept() override;

  protected:
    /// Starts over with \p count entries, showing the first.
    void ResetEntries(int count);
    /// Copies the editable fields into the entry at \p index, or shows the entry at \p index.
    virtual void StoreEntry(int index) = 0;
    virtual void ShowEntry(int index) = 0;

  private:
    void Page(int step);

    int m_count = 0;
    int m_index = 0;
};

} // namespace plotra::gui
