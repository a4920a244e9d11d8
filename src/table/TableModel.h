#pragma once
/// \brief The measurement table: one row per AP reading (one per point without readings) under eight
/// columns, formatted once; the table window shows it, printing and the text export write it.

#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

class CPlotraDoc;
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
    bool WriteTable(const std::string& path, bool headings, bool quotes, char delimiter, UserPrompts& prompts) const;
    /// The file's bytes as WriteTable writes them.
    std::string TableText(bool headings, bool quotes, char delimiter) const;

    std::vector<CRowInfo> m_aRows;
    std::vector<CColumnInfo> m_aColumns;
};

/// Delimiter of the save options: 0 tab, 1 comma, 3 the first character of \p other (a blank when it
/// is empty), anything else (Space) a blank.
char GetDelimiter(int choice, const std::string& other);

/// Default export name: the document title up to its first "." followed by ".txt".
std::string DefaultTableFileName(const std::string& title);

} // namespace plotra
