#include "table/TableModel.h"

#include "files/FileIo.h"
#include "model/PlotraDoc.h"

#include <cstdio>

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
    for (auto& row : m_aRows) row.m_aCells.push_back(empty);
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

void CTableModel::ResetColumns() {
    m_aColumns.clear();
    for (auto& r : m_aRows) r.m_aCells.clear();
    AddColumn("#", 5, kCentre, false);
    AddColumn("Lon", 8, kCentre, false);
    AddColumn("Lat", 8, kCentre, false);
    AddColumn("GPS", 6, kCentre, true);
    AddColumn("RSSI", 6, kCentre, false);
    AddColumn("CH", 4, kCentre, false);
    AddColumn("MAC", 20, kCentre, true);
    AddColumn("SSID", 32, kLeft, true);
}

namespace {

std::string FormatDouble(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string FormatInt(long long v) { return std::to_string(v); }

void SetCell(CTableModel::CRowInfo& row, std::size_t col, std::string text, int format, bool isText) {
    auto& cell = row.m_aCells.at(col);
    cell.m_strText = std::move(text);
    cell.m_nFormat = format;
    cell.m_bString = isText ? 1 : 0;
}

} // namespace

void CTableModel::FillRows(const CPlotraDoc& doc) {
    if (m_aColumns.size() != 8) ResetColumns();
    m_aRows.clear();
    for (std::size_t n = 0; n < doc.m_aDataPoints.size(); ++n) {
        const CDataPoint& p = doc.m_aDataPoints[n];
        // The readings that were actually read decide the rows: a damaged file's count may promise more.
        const std::size_t readings = p.m_aReadings.size();
        const std::size_t rows = readings == 0 ? 1 : readings;
        const char* gps = p.m_rec.m_byFix == 0 ? "No" : p.m_rec.m_byFix == 1 ? "2D" : p.m_rec.m_byFix == 2 ? "3D" : "";
        for (std::size_t k = 0; k < rows; ++k) {
            CRowInfo& row = m_aRows[static_cast<std::size_t>(AddRow())];
            SetCell(row, 0, FormatInt(static_cast<long long>(n)), kCentre, false);
            SetCell(row, 1, FormatDouble("%3.5f", p.m_rec.m_nLonMas / 3600000.0), kCentre, false);
            SetCell(row, 2, FormatDouble("%3.5f", p.m_rec.m_nLatMas / 3600000.0), kCentre, false);
            SetCell(row, 3, gps, kCentre, true);
            SetCell(row, 4, "", kCentre, false);
            SetCell(row, 5, "", kCentre, false);
            SetCell(row, 6, "", kLeft, true);
            SetCell(row, 7, "", kLeft, true);
            if (readings == 0) continue;
            const CHssData& r = p.m_aReadings[k];
            SetCell(row, 4, FormatDouble("%6.1f", r.m_nRssi256 * 0.00390625), kCentre, false);
            SetCell(row, 5, FormatInt(r.m_byChannel), kCentre, false);
            SetCell(row, 6, MacText(r.m_abyMAC), kLeft, true);
            SetCell(row, 7, SsidText(r.m_szSSID), kLeft, true);
        }
    }
}

namespace {

void AppendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string CTableModel::TableText(bool headings, bool quotes, char delimiter) const {
    std::string out;
    if (headings) {
        for (const auto& c : m_aColumns) {
            if (quotes) AppendQuoted(out, c.m_strText);
            else out += c.m_strText;
            out += delimiter;
        }
        out += "\r\n";
    }
    for (const auto& row : m_aRows) {
        for (const auto& cell : row.m_aCells) {
            if (quotes && cell.m_bString) AppendQuoted(out, cell.m_strText);
            else out += cell.m_strText;
            out += delimiter;
        }
        out += "\r\n";
    }
    return out;
}

bool CTableModel::WriteTable(const std::string& path, bool headings, bool quotes, char delimiter,
                             UserPrompts& prompts) const {
    const std::string text = TableText(headings, quotes, delimiter);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!WriteFileAtomically(path, bytes)) {
        prompts.message("Error opening file " + path + ".", "File open error", PromptIcon::Stop);
        return false;
    }
    return true;
}

char GetDelimiter(int choice, const std::string& other) {
    switch (choice) {
    case 0: return '\t';
    case 1: return ',';
    case 3: return other.empty() ? ' ' : other[0];
    default: return ' ';
    }
}

std::string DefaultTableFileName(const std::string& title) {
    const auto dot = title.find('.');
    return (dot == std::string::npos ? title : title.substr(0, dot)) + ".txt";
}

} // namespace plotra
