#include "files/FileIo.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "table/TableModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    doc.m_aDataPoints.push_back(MakePoint(40.5, -3.25));
    const auto text = Filled(doc).TableText(true, true, GetDelimiter(0, ""));
    EXPECT_EQ(text, "\"#\"\t\"Lon\"\t\"Lat\"\t\"GPS\"\t\"RSSI\"\t\"CH\"\t\"MAC\"\t\"SSID\"\t\r\n"
                    "0\t-3.25000\t40.50000\t\"3D\"\t\t\t\"\"\t\"\"\t\r\n");
}

TEST(TableModel, OneRowPerReadingWithSharedPointCells) {
    CPlotraDoc doc;
    doc.m_aDataPoints.push_back(MakePoint(1, 2));
    auto p = MakePoint(40.5, 7, {MakeReading(6, -70, 1, "a"), MakeReading(11, -61.25, 2, "b"), MakeReading(1, -90, 3, "c")}, 1);
    doc.m_aDataPoints.push_back(p);
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
    doc.m_aDataPoints.push_back(MakePoint(1, 2, {MakeReading(6, -70, 1, "net")}, 0));
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
    doc.m_aDataPoints.push_back(MakePoint(1, 2, {}, 7));
    EXPECT_EQ(Filled(doc).m_aRows[0].m_aCells[3].m_strText, "");
}

TEST(TableExport, QuotesInsideTextAreDoubledAndReadBackUnchanged) {
    CPlotraDoc doc;
    const std::string hostile = "say \"hi\", ok";
    doc.m_aDataPoints.push_back(MakePoint(1, 2, {MakeReading(6, -70, 1, hostile)}));
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
        EXPECT_EQ(std::system(("python3 " + script + " " + dir.File("t.csv") + " 'say \"hi\", ok'").c_str()), 0);
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
