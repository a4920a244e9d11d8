#include "table/TablePrintLayout.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace plotra {

int PrintFontPixelHeight(int sizeTenths, int dpiY) {
    const long long h = static_cast<long long>(sizeTenths) * dpiY / 720;
    return static_cast<int>(std::clamp<long long>(h, 1, 1 << 20));
}

int TableLinesPerPage(int pageHeight, int lineHeight) {
    const int lines = pageHeight / std::max(1, lineHeight);
    const int rows = lines - 6;
    return std::max(1, rows > 0 ? rows : lines);
}

int TablePageCount(std::uint64_t rows, int linesPerPage) {
    const auto perPage = static_cast<std::uint64_t>(std::max(1, linesPerPage));
    const std::uint64_t pages = 1 + (rows + perPage - 1) / perPage;
    return static_cast<int>(std::min<std::uint64_t>(pages, std::numeric_limits<int>::max()));
}

TablePageRows RowsOfTablePage(int page, std::uint64_t rows, int linesPerPage) {
    TablePageRows r;
    if (page < 2) return r;
    const auto perPage = static_cast<std::uint64_t>(std::max(1, linesPerPage));
    r.first = static_cast<std::uint64_t>(page - 2) * perPage;
    if (r.first >= rows) {
        r.first = rows;
        return r;
    }
    r.count = std::min(perPage, rows - r.first);
    return r;
}

namespace {

std::string LocalTimeText(std::int64_t seconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

} // namespace

std::string FooterDateText(std::int64_t secondsSince1970) {
    return LocalTimeText(secondsSince1970, "%m/%d/%Y");
}

std::string FooterTimeText(std::int64_t secondsSince1970) {
    return LocalTimeText(secondsSince1970, "%I:%M %p");
}

} // namespace plotra
