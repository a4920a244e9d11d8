#include "report/gui/PagedNotesDialog.h"

#include <algorithm>

namespace plotra::gui {

void PagedNotesDialog::ResetEntries(int count) {
    m_count = std::max(0, count);
    m_index = 0;
    if (m_count > 0) ShowEntry(0);
}

void PagedNotesDialog::Page(int step) {
    if (m_count <= 1) return;
    StoreEntry(m_index);
    m_index = (m_index + step + m_count) % m_count;
    ShowEntry(m_index);
}

void PagedNotesDialog::accept() {
    if (m_index >= 0 && m_index < m_count) StoreEntry(m_index);
    QDialog::accept();
}

} // namespace plotra::gui
