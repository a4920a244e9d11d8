#pragma once
/// \brief The arithmetic of the table printout, in printer pixels: the font height from the settings,
/// the rows of a page, the number of pages and the footer's date and time texts. A cover page comes
/// first; every later page holds a heading line, a rule and the rows, above a footer of four lines.

#include <cstdint>
#include <string>

namespace plotra {

/// Pixel height of a font of \p sizeTenths tenths of a point on a device of \p dpiY pixels per inch
/// (integer division, as the printer fonts are made); at least 1.
int PrintFontPixelHeight(int sizeTenths, int dpiY);

/// Rows on one table page: the page's lines less six (heading, rule and the footer's four lines); all
/// of the page's lines when that leaves none; at least 1.
int TableLinesPerPage(int pageHeight, int lineHeight);

/// Pages of a printout of \p rows rows: the cover plus the table pages, 1 + rows / linesPerPage
/// rounded up.
int TablePageCount(std::uint64_t rows, int linesPerPage);

/// \brief The rows one table page prints.
struct TablePageRows {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
};

/// The rows of page \p page (1-based; the cover, page 1, and pages past the end have none).
TablePageRows RowsOfTablePage(int page, std::uint64_t rows, int linesPerPage);

/// The footer's date, "%m/%d/%Y", and time, "%I:%M %p", of \p secondsSince1970 in local time.
std::string FooterDateText(std::int64_t secondsSince1970);
std::string FooterTimeText(std::int64_t secondsSince1970);

} // namespace plotra
