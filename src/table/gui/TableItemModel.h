#pragma once
/// \brief The measurement table as a Qt item model for the table window: the columns, headings and
/// cell texts of the core's table (CTableModel), formatted only for the rows a view asks for. A
/// prefix count per point (CTableRowIndex) maps a row to its point and reading, and a small cache
/// keeps the rows just formatted, so scrolling a survey of millions of readings formats only what
/// is shown.

#include "table/TableModel.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <unordered_map>

namespace plotra {
class CPlotraDoc;
}

namespace plotra::gui {

class CTableItemModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CTableItemModel(const CPlotraDoc& doc, QObject* parent = nullptr);

    /// Counts the rows of the document's points again (after a notice that may have replaced them):
    /// the same rows are only formatted anew, other rows reset the model.
    void Rebuild();
    const CTableRowIndex& rowIndex() const { return m_index; }

    /// The cells of a row as the core formats them; null for a row outside the table.
    const CTableModel::CRowInfo* Row(int row) const;
    /// Rows formatted since the model was made: the table formats only what a view shows.
    std::uint64_t formattedRows() const { return m_nFormatted; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The alignment of a column or cell format (0 left, 1 right, 2 centred), vertically centred.
    static Qt::Alignment Alignment(int format);

  private:
    const CPlotraDoc& m_doc;
    CTableRowIndex m_index;
    /// Rows formatted lately; emptied when it grows past a few screens.
    mutable std::unordered_map<int, CTableModel::CRowInfo> m_cache;
    mutable std::uint64_t m_nFormatted = 0;
};

} // namespace plotra::gui
