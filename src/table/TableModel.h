#pragma once
/// \brief The measurement table: one row per AP reading (one per point without readings) under eight
/// columns. CTableModel holds a whole table formatted at once (small tables, tests); the table window,
/// its printout and the text export format rows one at a time through CTableRowIndex and
/// FormatTableRow, so that a survey of millions of readings never has all its texts in memory.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

class CPlotraDoc;
class CDataPoint;
class UserPrompts;

class CTableModel {
  public:
    /// \brief A column description, or one cell of a row.
    struct CColumnInfo {
        std::uint8_t m_bString = 0; ///< text value: quoted on export when quoting is on
        std::string m_strText;      ///< heading, or cell text
        int m_nFormat = 0;          ///< 0 left, 1 right, 2 centred
        int m_nWidth = 0;           ///< width in characters
    };
    /// \brief One row: one cell per column.
    struct CRowInfo {
        std::vector<CColumnInfo> m_aCells;
    };

    enum Format { kLeft = 0, kRight = 1, kCentre = 2 };

    /// Appends a column and an empty cell of it to every row; returns its index.
    int AddColumn(const std::string& heading, int widthChars, int format, bool text);
    /// Appends a row with one empty cell per column; returns its index.
    int AddRow();
    /// Removes all columns and adds the eight columns of the measurement table.
    void ResetColumns();
    /// Rebuilds the rows from the document's measurement points.
    void FillRows(const CPlotraDoc& doc);

    /// Writes the table as delimited text; every line ends with the delimiter before "\r\n".
    /// With quotes on, text cells (and all headings) are enclosed in double quotes and a double quote
    /// inside them is doubled, so spreadsheet and CSV readers get the original text back. On failure
    /// shows "Error opening file %s." (caption "File open error") and returns false.
    bool WriteTable(const std::string& path, bool headings, bool quotes, char delimiter,
                    UserPrompts& prompts) const;
    /// The file's bytes as WriteTable writes them.
    std::string TableText(bool headings, bool quotes, char delimiter) const;

    std::vector<CRowInfo> m_aRows;
    std::vector<CColumnInfo> m_aColumns;

    /// The eight columns of the measurement table: "#", "Lon", "Lat", "GPS", "RSSI", "CH", "MAC",
    /// "SSID" with their widths in characters, alignments and text flags.
    static const std::vector<CColumnInfo>& MeasurementColumns();
};

/// \brief Where the rows of the measurement table come from. Rows are numbered point by point: one
/// per reading, one for a point without readings. The index keeps the first row of every point, so
/// a row's point is found by binary search and only the rows wanted are ever formatted.
class CTableRowIndex {
  public:
    /// \brief The origin of one row: the point's index and the reading's index within the point
    /// (0 also for the one row of a point without readings).
    struct RowSource {
        std::size_t point = 0;
        std::size_t reading = 0;
    };

    CTableRowIndex() = default;
    explicit CTableRowIndex(const CPlotraDoc& doc) { Build(doc); }
    /// Counts the rows of the document's measurement points.
    void Build(const CPlotraDoc& doc);
    std::uint64_t RowCount() const { return m_nRows; }
    std::size_t PointCount() const { return m_aFirstRow.size(); }
    /// The origin of \p row; nothing for a row outside the table.
    std::optional<RowSource> Locate(std::uint64_t row) const;
    bool operator==(const CTableRowIndex&) const = default;

  private:
    std::vector<std::uint64_t> m_aFirstRow; ///< first row of every point, ascending
    std::uint64_t m_nRows = 0;
};

/// Fills \p row (resized to the eight measurement columns) with the cells of point \p pointIndex and
/// its reading \p reading: "#", position and GPS fix on every row of the point; RSSI, channel, MAC
/// and SSID from the reading, empty for a point without readings. The one formatting of a table row,
/// shared by FillRows, the table window, the printout and the text export.
void FormatTableRow(const CDataPoint& point, std::size_t pointIndex, const CTableRowIndex::RowSource& source,
                    CTableModel::CRowInfo& row);
/// The same for a row of the document's table; \p row is left empty for a row outside it.
void FormatTableRow(const CPlotraDoc& doc, const CTableRowIndex& index, std::uint64_t tableRow,
                    CTableModel::CRowInfo& row);

/// Appends one line of the text export: every cell followed by the delimiter, then "\r\n". With
/// quotes on, the cells of text columns (every cell of a heading line) are enclosed in double quotes
/// with a double quote inside them doubled.
void AppendTableLine(std::string& out, const std::vector<CTableModel::CColumnInfo>& cells, bool headingLine,
                     bool quotes, char delimiter);

/// Writes the table of the document's measurement points as WriteTable would write the filled table,
/// formatting and writing one row at a time. On failure shows "Error opening file %s." (caption "File
/// open error"), leaves any previous file untouched and returns false.
bool WriteDocumentTable(const CPlotraDoc& doc, const std::string& path, bool headings, bool quotes,
                        char delimiter, UserPrompts& prompts);

/// Delimiter of the save options: 0 tab, 1 comma, 3 the first character of \p other (a blank when it
/// is empty), anything else (Space) a blank.
char GetDelimiter(int choice, const std::string& other);

/// Default export name: the document title up to its first "." followed by ".txt".
std::string DefaultTableFileName(const std::string& title);

} // namespace plotra
