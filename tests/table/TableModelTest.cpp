#include "table/TableModel.h"
#include "files/FileIo.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace plotra;
using namespace plotra::test;

namespace {
CTableModel Filled(const CPlotraDoc& doc) {
    CTableModel t;
    t.ResetColumns();
    t.FillRows(doc);
    return t;
}
} // namespace

TEST(TableModel, OnePointWithoutReadingsWithDefaultOptions) {
    CPlotraDoc doc;
    Edit::Survey(doc).m_aDataPoints.push_back(MakePoint(40.5, -3.25));
    const auto text = Filled(doc).TableText(true, true, GetDelimiter(0, ""));
    EXPECT_EQ(text, "\"#\"\t\"Lon\"\t\"Lat\"\t\"GPS\"\t\"RSSI\"\t\"CH\"\t\"MAC\"\t\"SSID\"\t\r\n"
                    "0\t-3.25000\t40.50000\t\"3D\"\t\t\t\"\"\t\"\"\t\r\n");
}

TEST(TableModel, OneRowPerReadingWithSharedPointCells) {
    CPlotraDoc doc;
    Edit::Survey(doc).m_aDataPoints.push_back(MakePoint(1, 2));
    auto p = MakePoint(
        40.5, 7, {MakeReading(6, -70, 1, "a"), MakeReading(11, -61.25, 2, "b"), MakeReading(1, -90, 3, "c")},
        1);
    Edit::Survey(doc).m_aDataPoints.push_back(p);
    const auto t = Filled(doc);
    ASSERT_EQ(t.m_aRows.size(), 4u);
    for (std::size_t r = 1; r < 4; ++r) {
        EXPECT_EQ(t.m_aRows[r].m_aCells[0].m_strText, "1");
        EXPECT_EQ(t.m_aRows[r].m_aCells[2].m_strText, "40.50000");
        EXPECT_EQ(t.m_aRows[r].m_aCells[3].m_strText, "2D");
    }
    EXPECT_EQ(t.m_aRows[1].m_aCells[4].m_strText, " -70.0"); // -17920 / 256, six characters
    EXPECT_EQ(t.m_aRows[2].m_aCells[5].m_strText, "11");
    EXPECT_EQ(t.m_aRows[3].m_aCells[6].m_strText, "00-11-22-33-44-03");
    EXPECT_EQ(t.m_aRows[3].m_aCells[7].m_strText, "c");
    EXPECT_EQ(t.m_aRows[0].m_aCells[7].m_nFormat, CTableModel::kLeft);
    EXPECT_EQ(t.m_aRows[0].m_aCells[4].m_nFormat, CTableModel::kCentre);
}

TEST(TableModel, HeadingsAndQuotesOffWithComma) {
    CPlotraDoc doc;
    Edit::Survey(doc).m_aDataPoints.push_back(MakePoint(1, 2, {MakeReading(6, -70, 1, "net")}, 0));
    EXPECT_EQ(Filled(doc).TableText(false, false, GetDelimiter(1, "")),
              "0,2.00000,1.00000,No, -70.0,6,00-11-22-33-44-01,net,\r\n");
}

TEST(TableModel, DelimiterChoicesAndDefaultName) {
    EXPECT_EQ(GetDelimiter(3, ";x"), ';');
    EXPECT_EQ(GetDelimiter(3, ""), ' ');
    EXPECT_EQ(GetDelimiter(2, "x"), ' ');
    EXPECT_EQ(GetDelimiter(0, ""), '\t');
    EXPECT_EQ(DefaultTableFileName("walk"), "walk.txt");
    EXPECT_EQ(DefaultTableFileName("walk.hws"), "walk.txt");
    EXPECT_EQ(DefaultTableFileName("a.b.c"), "a.txt");
}

TEST(TableModel, UnknownFixLeavesGpsEmpty) {
    CPlotraDoc doc;
    Edit::Survey(doc).m_aDataPoints.push_back(MakePoint(1, 2, {}, 7));
    EXPECT_EQ(Filled(doc).m_aRows[0].m_aCells[3].m_strText, "");
}

TEST(TableExport, QuotesInsideTextAreDoubledAndReadBackUnchanged) {
    CPlotraDoc doc;
    const std::string hostile = "say \"hi\", ok";
    Edit::Survey(doc).m_aDataPoints.push_back(MakePoint(1, 2, {MakeReading(6, -70, 1, hostile)}));
    const auto t = Filled(doc);
    TempDir dir;
    PromptRecorder prompts;
    ASSERT_TRUE(t.WriteTable(dir.File("t.csv"), true, true, ',', prompts));
    const auto bytes = ReadWholeFile(dir.File("t.csv")).bytes;
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\"say \"\"hi\"\", ok\""), std::string::npos);
    // Python's csv module is the reference reader when it is available.
    const std::string script = dir.File("check.py");
    std::ofstream(script) << "import csv,sys\nrows=list(csv.reader(open(sys.argv[1],newline='')))\n"
                             "sys.exit(0 if rows[1][7]==sys.argv[2] else 1)\n";
    if (std::system("python3 -c 'import csv' >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("python3 " + script + " " + dir.File("t.csv") + " 'say \"hi\", ok'").c_str()),
                  0);
    }
}

TEST(TableExport, UnwritablePathGivesTheMessage) {
    CTableModel t;
    t.ResetColumns();
    PromptRecorder prompts;
    EXPECT_FALSE(t.WriteTable("/nonexistent-folder/t.txt", true, true, '\t', prompts));
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0], "File open error: Error opening file /nonexistent-folder/t.txt.");
}

namespace {

/// Points with 0, 3, 1 and 0 readings: rows 0 | 1 2 3 | 4 | 5.
CPlotraDoc& MixedPoints(CPlotraDoc& doc) {
    Edit::Survey(doc).m_aDataPoints = {
        MakePoint(1, 2),
        MakePoint(3, 4,
                  {MakeReading(1, -50, 1, "a"), MakeReading(6, -60, 2, "b"), MakeReading(11, -70, 3, "c")}),
        MakePoint(5, 6, {MakeReading(6, -80, 4, "d\"q")}, 1), MakePoint(7, 8, {}, 0)};
    return doc;
}

} // namespace

TEST(TableRowIndex, RowsMapToTheirPointAndReading) {
    CPlotraDoc doc;
    EXPECT_EQ(CTableRowIndex(doc).RowCount(), 0u);
    EXPECT_FALSE(CTableRowIndex(doc).Locate(0));

    const CTableRowIndex index(MixedPoints(doc));
    ASSERT_EQ(index.RowCount(), 6u);
    EXPECT_EQ(index.PointCount(), 4u);
    const std::vector<std::pair<std::size_t, std::size_t>> expected = {{0, 0}, {1, 0}, {1, 1},
                                                                       {1, 2}, {2, 0}, {3, 0}};
    for (std::uint64_t r = 0; r < 6; ++r) {
        const auto s = index.Locate(r);
        ASSERT_TRUE(s) << r;
        EXPECT_EQ(std::make_pair(s->point, s->reading), expected[r]) << r;
    }
    EXPECT_FALSE(index.Locate(6));

    // Formatting one row at a time gives the rows of the whole table; a point with one reading shows
    // it, a point without readings leaves the reading's cells empty; a row outside gives no cells.
    const CTableModel whole = Filled(doc);
    CTableModel::CRowInfo row;
    for (std::uint64_t r = 0; r < 6; ++r) {
        FormatTableRow(doc, index, r, row);
        ASSERT_EQ(row.m_aCells.size(), 8u);
        for (std::size_t c = 0; c < 8; ++c) {
            EXPECT_EQ(row.m_aCells[c].m_strText, whole.m_aRows[r].m_aCells[c].m_strText) << r << "," << c;
            EXPECT_EQ(row.m_aCells[c].m_nFormat, whole.m_aRows[r].m_aCells[c].m_nFormat);
            EXPECT_EQ(row.m_aCells[c].m_bString, whole.m_aColumns[c].m_bString);
            EXPECT_EQ(row.m_aCells[c].m_nWidth, whole.m_aColumns[c].m_nWidth);
        }
    }
    EXPECT_EQ(whole.m_aRows[4].m_aCells[7].m_strText, "d\"q");
    EXPECT_EQ(whole.m_aRows[5].m_aCells[4].m_strText, "");
    FormatTableRow(doc, index, 6, row);
    EXPECT_TRUE(row.m_aCells.empty());
    // An index older than the points (fewer points now) gives no cells instead of reading past them.
    Edit::Survey(doc).m_aDataPoints.resize(1);
    FormatTableRow(doc, index, 3, row);
    EXPECT_TRUE(row.m_aCells.empty());
}

TEST(TableExport, StreamedTableEqualsTheFilledTableAndKeepsTheOldFileOnFailure) {
    CPlotraDoc doc;
    MixedPoints(doc);
    const CTableModel whole = Filled(doc);
    TempDir dir;
    PromptRecorder prompts;
    for (const bool headings : {true, false})
        for (const bool quotes : {true, false})
            for (const char delimiter : {'\t', ',', ';'}) {
                ASSERT_TRUE(WriteDocumentTable(doc, dir.File("t.txt"), headings, quotes, delimiter, prompts));
                const auto bytes = ReadWholeFile(dir.File("t.txt")).bytes;
                EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
                          whole.TableText(headings, quotes, delimiter));
            }
    // A generated survey of thousands of rows, across the writer's buffer boundaries.
    CPlotraDoc big;
    ReadGenerated(big, sim::Generate(*sim::BuiltInScenario("demo"), 1));
    ASSERT_GT(CTableRowIndex(big).RowCount(), 5000u);
    ASSERT_TRUE(WriteDocumentTable(big, dir.File("big.txt"), true, true, ',', prompts));
    const auto bigBytes = ReadWholeFile(dir.File("big.txt")).bytes;
    EXPECT_EQ(std::string(bigBytes.begin(), bigBytes.end()), Filled(big).TableText(true, true, ','));
    EXPECT_TRUE(prompts.prompts.empty());

    // A disk that fills up part way: the message, and the previous file stays as it was.
    SetWriteFailureAfterBytesForTesting(70000);
    EXPECT_FALSE(WriteDocumentTable(big, dir.File("t.txt"), true, true, '\t', prompts));
    SetWriteFailureAfterBytesForTesting(-1);
    const auto kept = ReadWholeFile(dir.File("t.txt")).bytes;
    EXPECT_EQ(std::string(kept.begin(), kept.end()), whole.TableText(false, false, ';'));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.txt.tmp-plotra")));
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"File open error: Error opening file " + dir.File("t.txt") + "."});
}
