// The arithmetic of the table printout: font height, rows per page, pages, the rows of a page and
// the footer's date and time.
#include "table/TablePrintLayout.h"

#include <gtest/gtest.h>

using namespace plotra;

TEST(TablePrintLayout, FontLinesPagesAndRowsOfAPage) {
    EXPECT_EQ(PrintFontPixelHeight(120, 600), 100); // 12 pt at 600 dpi
    EXPECT_EQ(PrintFontPixelHeight(120, 96), 16);
    EXPECT_EQ(PrintFontPixelHeight(100, 100), 13); // 13.9 truncated
    EXPECT_EQ(PrintFontPixelHeight(0, 600), 1);

    EXPECT_EQ(TableLinesPerPage(1000, 10), 94); // 100 lines less heading, rule and footer
    EXPECT_EQ(TableLinesPerPage(50, 10), 5);    // too few lines: all of them
    EXPECT_EQ(TableLinesPerPage(60, 10), 6);
    EXPECT_EQ(TableLinesPerPage(70, 10), 1);
    EXPECT_EQ(TableLinesPerPage(5, 10), 1);
    EXPECT_EQ(TableLinesPerPage(100, 0), 94);

    // The cover plus the table pages: exactly one full page, one row more, none.
    EXPECT_EQ(TablePageCount(94, 94), 2);
    EXPECT_EQ(TablePageCount(95, 94), 3);
    EXPECT_EQ(TablePageCount(0, 94), 1);
    EXPECT_EQ(TablePageCount(1, 94), 2);

    EXPECT_EQ(RowsOfTablePage(1, 95, 94).count, 0u);
    EXPECT_EQ(RowsOfTablePage(2, 95, 94).first, 0u);
    EXPECT_EQ(RowsOfTablePage(2, 95, 94).count, 94u);
    EXPECT_EQ(RowsOfTablePage(3, 95, 94).first, 94u);
    EXPECT_EQ(RowsOfTablePage(3, 95, 94).count, 1u);
    EXPECT_EQ(RowsOfTablePage(4, 95, 94).count, 0u);
}

TEST(TablePrintLayout, FooterDateAndTimeInLocalTime) {
    // 2026-12-06 13:05:00 UTC; the tests run with TZ=UTC.
    EXPECT_EQ(FooterDateText(1796562300), "12/06/2026");
    EXPECT_EQ(FooterTimeText(1796562300), "01:05 PM");
    EXPECT_EQ(FooterTimeText(0), "12:00 AM");
}
