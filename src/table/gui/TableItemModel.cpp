#include "table/gui/TableItemModel.h"

#include "model/PlotraDoc.h"

#include <QBrush>

#include <limits>

namespace plotra::gui {

namespace {
/// A few screens of rows; more are formatted again when they come back into view.
constexpr std::size_t kCachedRows = 1024;
} // namespace

CTableItemModel::CTableItemModel(const CPlotraDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc) {
    m_index.Build(m_doc);
}

void CTableItemModel::Rebuild() {
    CTableRowIndex index(m_doc);
    if (index == m_index) {
        m_cache.clear();
        if (rowCount() > 0)
            emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
        return;
    }
    beginResetModel();
    m_index = std::move(index);
    m_cache.clear();
    endResetModel();
}

const CTableModel::CRowInfo* CTableItemModel::Row(int row) const {
    if (row < 0 || static_cast<std::uint64_t>(row) >= m_index.RowCount()) return nullptr;
    if (const auto it = m_cache.find(row); it != m_cache.end()) return &it->second;
    if (m_cache.size() >= kCachedRows) m_cache.clear();
    CTableModel::CRowInfo& cells = m_cache[row];
    FormatTableRow(m_doc, m_index, static_cast<std::uint64_t>(row), cells);
    ++m_nFormatted;
    return cells.m_aCells.empty() ? nullptr : &cells;
}

int CTableItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    // A view counts rows in int; a larger survey shows its first rows.
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    return static_cast<int>(std::min(m_index.RowCount(), kMax));
}

int CTableItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(CTableModel::MeasurementColumns().size());
}

Qt::Alignment CTableItemModel::Alignment(int format) {
    switch (format) {
    case CTableModel::kRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CTableModel::kCentre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant CTableItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::ForegroundRole) return {};
    const CTableModel::CRowInfo* row = Row(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (!row || column >= row->m_aCells.size()) return {};
    const CTableModel::CColumnInfo& cell = row->m_aCells[column];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(DisplayUtf8(cell.m_strText));
    case Qt::TextAlignmentRole:
        return static_cast<int>(Alignment(cell.m_nFormat));
    default:
        return QBrush(Qt::black);
    }
}

QVariant CTableItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const auto& columns = CTableModel::MeasurementColumns();
    if (orientation != Qt::Horizontal || section < 0 || static_cast<std::size_t>(section) >= columns.size())
        return {};
    const CTableModel::CColumnInfo& c = columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromStdString(c.m_strText);
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Alignment(c.m_nFormat));
    return {};
}

} // namespace plotra::gui
