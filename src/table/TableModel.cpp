#include "table/TableModel.h"
#include "table/TableExportJob.h"
#include "model/TextFormat.h"

#include "files/FileIo.h"
#include "model/PlotraDoc.h"

#include <algorithm>

namespace plotra {

int CTableModel::AddColumn(const std::string& heading, int widthChars, int format, bool text) {
    CColumnInfo c;
    c.m_bString = text ? 1 : 0;
    c.m_strText = heading;
    c.m_nFormat = format;
    c.m_nWidth = widthChars;
    m_aColumns.push_back(c);
    CColumnInfo empty = c;
    empty.m_strText.clear();
    for (auto& row : m_aRows)
        row.m_aCells.push_back(empty);
    return static_cast<int>(m_aColumns.size()) - 1;
}

int CTableModel::AddRow() {
    CRowInfo row;
    for (const auto& c : m_aColumns) {
        CColumnInfo cell = c;
        cell.m_strText.clear();
        row.m_aCells.push_back(cell);
    }
    m_aRows.push_back(std::move(row));
    return static_cast<int>(m_aRows.size()) - 1;
}

const std::vector<CTableModel::CColumnInfo>& CTableModel::MeasurementColumns() {
    static const std::vector<CColumnInfo> columns = {
        {0, "#", kCentre, 5},    {0, "Lon", kCentre, 8}, {0, "Lat", kCentre, 8},  {1, "GPS", kCentre, 6},
        {0, "RSSI", kCentre, 6}, {0, "CH", kCentre, 4},  {1, "MAC", kCentre, 20}, {1, "SSID", kLeft, 32},
    };
    return columns;
}

void CTableModel::ResetColumns() {
    m_aColumns.clear();
    for (auto& r : m_aRows)
        r.m_aCells.clear();
    for (const CColumnInfo& c : MeasurementColumns())
        AddColumn(c.m_strText, c.m_nWidth, c.m_nFormat, c.m_bString != 0);
}

// ---- row index ------------------------------------------------------------------------------------

void CTableRowIndex::Build(const CPlotraDoc& doc) {
    m_aFirstRow.clear();
    m_aFirstRow.reserve(doc.Survey().m_aDataPoints.size());
    std::uint64_t row = 0;
    for (const CDataPoint& p : doc.Survey().m_aDataPoints) {
        m_aFirstRow.push_back(row);
        // The readings that were actually read decide the rows: a damaged file's count may promise more.
        row += std::max<std::uint64_t>(1, p.m_aReadings.size());
    }
    m_nRows = row;
}

std::optional<CTableRowIndex::RowSource> CTableRowIndex::Locate(std::uint64_t row) const {
    if (row >= m_nRows || m_aFirstRow.empty()) return std::nullopt;
    // The last point whose first row is not after the row.
    const auto it = std::upper_bound(m_aFirstRow.begin(), m_aFirstRow.end(), row) - 1;
    RowSource s;
    s.point = static_cast<std::size_t>(it - m_aFirstRow.begin());
    s.reading = static_cast<std::size_t>(row - *it);
    return s;
}

// ---- formatting -------------------------------------------------------------------------------------

namespace {

void SetCell(CTableModel::CRowInfo& row, std::size_t col, std::string text, int format) {
    auto& cell = row.m_aCells[col];
    cell.m_strText = std::move(text);
    cell.m_nFormat = format;
}

const char* GpsText(std::uint8_t fix) {
    switch (fix) {
    case 0:
        return "No";
    case 1:
        return "2D";
    case 2:
        return "3D";
    default:
        return "";
    }
}

} // namespace

void FormatTableRow(const CDataPoint& p, std::size_t pointIndex, const CTableRowIndex::RowSource& source,
                    CTableModel::CRowInfo& row) {
    using T = CTableModel;
    const auto& columns = T::MeasurementColumns();
    row.m_aCells.resize(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        row.m_aCells[c].m_bString = columns[c].m_bString;
        row.m_aCells[c].m_nWidth = columns[c].m_nWidth;
    }
    SetCell(row, 0, std::to_string(pointIndex), T::kCentre);
    SetCell(row, 1, FormatText<64>("%3.5f", p.m_rec.m_nLonMas / 3600000.0), T::kCentre);
    SetCell(row, 2, FormatText<64>("%3.5f", p.m_rec.m_nLatMas / 3600000.0), T::kCentre);
    SetCell(row, 3, GpsText(p.m_rec.m_byFix), T::kCentre);
    // The MAC and SSID cells are left-aligned under their headings, the others centred.
    SetCell(row, 4, "", T::kCentre);
    SetCell(row, 5, "", T::kCentre);
    SetCell(row, 6, "", T::kLeft);
    SetCell(row, 7, "", T::kLeft);
    if (source.reading >= p.m_aReadings.size()) return; // a point without readings
    const CHssData& r = p.m_aReadings[source.reading];
    SetCell(row, 4, FormatText<64>("%6.1f", r.m_nRssi256 * 0.00390625), T::kCentre);
    SetCell(row, 5, std::to_string(r.m_byChannel), T::kCentre);
    SetCell(row, 6, MacText(r.m_abyMAC), T::kLeft);
    SetCell(row, 7, SsidText(r.m_szSSID), T::kLeft);
}

void FormatTableRow(const CPlotraDoc& doc, const CTableRowIndex& index, std::uint64_t tableRow,
                    CTableModel::CRowInfo& row) {
    const auto source = index.Locate(tableRow);
    if (!source || source->point >= doc.Survey().m_aDataPoints.size()) {
        row.m_aCells.clear();
        return;
    }
    FormatTableRow(doc.Survey().m_aDataPoints[source->point], source->point, *source, row);
}

void CTableModel::FillRows(const CPlotraDoc& doc) {
    if (m_aColumns.size() != MeasurementColumns().size()) ResetColumns();
    m_aRows.clear();
    const CTableRowIndex index(doc);
    m_aRows.resize(static_cast<std::size_t>(index.RowCount()));
    for (std::uint64_t r = 0; r < index.RowCount(); ++r)
        FormatTableRow(doc, index, r, m_aRows[static_cast<std::size_t>(r)]);
}

// ---- text export ------------------------------------------------------------------------------------

namespace {

void AppendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void ReportOpenError(const std::string& path, UserPrompts& prompts) {
    prompts.message("Error opening file " + path + ".", "File open error", PromptIcon::Stop);
}

} // namespace

void AppendTableLine(std::string& out, const std::vector<CTableModel::CColumnInfo>& cells, bool headingLine,
                     bool quotes, char delimiter) {
    for (const auto& cell : cells) {
        if (quotes && (headingLine || cell.m_bString))
            AppendQuoted(out, cell.m_strText);
        else
            out += cell.m_strText;
        out += delimiter;
    }
    out += "\r\n";
}

std::string CTableModel::TableText(bool headings, bool quotes, char delimiter) const {
    std::string out;
    if (headings) AppendTableLine(out, m_aColumns, true, quotes, delimiter);
    for (const auto& row : m_aRows)
        AppendTableLine(out, row.m_aCells, false, quotes, delimiter);
    return out;
}

bool CTableModel::WriteTable(const std::string& path, bool headings, bool quotes, char delimiter,
                             UserPrompts& prompts) const {
    AtomicFileWriter out(path);
    out.Write(TableText(headings, quotes, delimiter));
    if (!out.Commit()) {
        ReportOpenError(path, prompts);
        return false;
    }
    return true;
}

bool WriteDocumentTable(const CPlotraDoc& doc, const std::string& path, bool headings, bool quotes,
                        char delimiter, UserPrompts& prompts) {
    const TableExport what{path, headings, quotes, delimiter};
    return FinishTableExport(what, WriteTableFile(doc, what, nullptr), prompts);
}

TableExportResult WriteTableFile(const CPlotraDoc& doc, const TableExport& what, Progress* progress) {
    AtomicFileWriter out(what.path);
    // Lines gather in a buffer of about this size between writes.
    constexpr std::size_t kChunk = 1 << 16;
    std::string buffer;
    buffer.reserve(kChunk + 512);
    if (what.headings) AppendTableLine(buffer, CTableModel::MeasurementColumns(), true, what.quotes, what.delimiter);
    const CTableRowIndex index(doc);
    const std::uint64_t rows = index.RowCount();
    CTableModel::CRowInfo row;
    int percent = -1;
    for (std::uint64_t r = 0; r < rows && out.Ok(); ++r) {
        if (progress && (r & 0xFFF) == 0) {
            // Stopped here, the temporary file goes and the previous one stays.
            if (progress->cancelRequested()) return TableExportResult::Cancelled;
            if (const int now = static_cast<int>(100 * r / rows); now != percent) progress->setPosition(percent = now);
        }
        FormatTableRow(doc, index, r, row);
        AppendTableLine(buffer, row.m_aCells, false, what.quotes, what.delimiter);
        if (buffer.size() >= kChunk) {
            out.Write(buffer);
            buffer.clear();
        }
    }
    out.Write(buffer);
    // The last moment a Cancel keeps the previous file: nothing has replaced it yet.
    if (progress && progress->cancelRequested()) return TableExportResult::Cancelled;
    return out.Commit() ? TableExportResult::Written : TableExportResult::Failed;
}

bool FinishTableExport(const TableExport& what, TableExportResult result, UserPrompts& prompts) {
    if (result == TableExportResult::Failed) ReportOpenError(what.path, prompts);
    return result == TableExportResult::Written;
}

std::unique_ptr<TableExportJob> StartTableExportJob(CPlotraDoc& doc, const TableExport& what, Progress& progress,
                                                    std::function<void()> finished) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    // The job reads the live points: nothing may replace them until it has been applied.
    doc.SetJobRunning(true, true);
    const CPlotraDoc& source = doc;
    return std::make_unique<TableExportJob>(
        [&source, what, &progress] {
            progress.setText("Saving the table...");
            progress.setPosition(0);
            progress.show();
            const TableExportResult result = WriteTableFile(source, what, &progress);
            progress.hide();
            return result;
        },
        std::move(finished));
}

bool ApplyTableExportJob(CPlotraDoc& doc, TableExportJob& job, const TableExport& what) {
    std::string failure;
    const std::optional<TableExportResult> result = job.Take(&failure);
    doc.SetJobRunning(false);
    if (!result) {
        doc.Prompts().message(failure, "File open error", PromptIcon::Stop);
        return false;
    }
    return FinishTableExport(what, *result, doc.Prompts());
}

char GetDelimiter(int choice, const std::string& other) {
    switch (choice) {
    case 0:
        return '\t';
    case 1:
        return ',';
    case 3:
        return other.empty() ? ' ' : other[0];
    default:
        return ' ';
    }
}

std::string DefaultTableFileName(const std::string& title) {
    const auto dot = title.find('.');
    return (dot == std::string::npos ? title : title.substr(0, dot)) + ".txt";
}

} // namespace plotra
