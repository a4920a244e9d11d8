// The report's dialogs: the section options with the two contour boxes tied to a combined coverage,
// and the paging rules of the two notes dialogs (typed text kept while paging, wrapping around at
// both ends, one entry, OK keeping the shown entry, the height label that stays).
#include "report/gui/DialogHtmlRpt.h"
#include "report/gui/HtmlrptApnotes.h"
#include "report/gui/ReportFileNotes.h"
#include "support/gui/AppTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

std::vector<CReportFileNotes::Entry> Files(int n) {
    std::vector<CReportFileNotes::Entry> out;
    for (int i = 0; i < n; ++i)
        out.push_back(
            {QStringLiteral("File Name: walk%1.hsd").arg(i), QStringLiteral("Created: day %1").arg(i),
             QStringLiteral("%1 out of %2 files").arg(i + 1).arg(n), QStringLiteral("notes %1").arg(i)});
    return out;
}

void Click(const QDialog& d, const char* id) {
    Named<QPushButton>(d, id)->click();
}
QString Shown(const QDialog& d, const char* id) {
    if (auto* edit = d.findChild<QPlainTextEdit*>(id)) return edit->toPlainText();
    if (auto* label = d.findChild<QLabel*>(id)) return label->text();
    return Named<QLineEdit>(d, id)->text();
}
void Type(const QDialog& d, const char* id, const QString& text) {
    if (auto* edit = d.findChild<QPlainTextEdit*>(id))
        edit->setPlainText(text);
    else
        Named<QLineEdit>(d, id)->setText(text);
}

} // namespace

TEST(DialogHtmlRpt, ContourOptionsNeedACombinedCoverage) {
    CDialogHtmlRpt d;
    EXPECT_EQ(d.windowTitle(), "Html Report Options");
    const std::vector<std::pair<int, const char*>> boxes = {{1099, "Show Selected Files"},
                                                            {1100, "Show AP's Information"},
                                                            {1101, "Show Walk/Drive Path"},
                                                            {1102, "Show AP's Coverage"},
                                                            {1103, "Show Contour of Signal Strength"},
                                                            {1104, "Show Contour of # of APs"}};
    for (const auto& [id, text] : boxes) {
        QCheckBox* box = Named<QCheckBox>(d, QString::number(id));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), text);
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(box->isEnabled(), id < 1103) << id; // no coverage yet
    }
    d.setCoverageReady(true);
    EXPECT_TRUE(d.box(1103)->isEnabled());
    EXPECT_TRUE(d.box(1104)->isEnabled());
    d.box(1101)->setChecked(false);
    d.box(1104)->setChecked(false);
    const ReportOptions o = d.options();
    EXPECT_TRUE(o.files && o.apInfo && !o.walkPath && o.apCoverage && o.signalContours && !o.countContours);
    // Without a coverage the boxes keep their ticks; only changing them is refused.
    d.setCoverageReady(false);
    EXPECT_TRUE(d.box(1103)->isChecked());
    EXPECT_FALSE(d.box(1103)->isEnabled());
}

TEST(ReportFileNotes, PagingKeepsTypedTextAndWrapsAtBothEnds) {
    CReportFileNotes d;
    EXPECT_EQ(d.windowTitle(), "Input File Notes");
    d.setEntries(Files(3));
    EXPECT_EQ(Shown(d, "1105"), "File Name: walk0.hsd");
    EXPECT_EQ(Shown(d, "1106"), "Created: day 0");
    EXPECT_EQ(Shown(d, "1107"), "1 out of 3 files");
    EXPECT_TRUE(Named<QLineEdit>(d, "1105")->isReadOnly());
    Type(d, "1108", "first\nfloor");
    Click(d, "1120"); // Next
    EXPECT_EQ(Shown(d, "1107"), "2 out of 3 files");
    EXPECT_EQ(Shown(d, "1108"), "notes 1");
    Click(d, "1120");
    Click(d, "1120"); // forward from the last shows the first
    EXPECT_EQ(d.currentIndex(), 0);
    EXPECT_EQ(Shown(d, "1108"), "first\nfloor");
    Click(d, "1121"); // back from the first shows the last
    EXPECT_EQ(Shown(d, "1105"), "File Name: walk2.hsd");
    Type(d, "1108", "last one");
    d.accept(); // OK keeps the entry shown
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.entries()[0].notes, "first\nfloor");
    EXPECT_EQ(d.entries()[1].notes, "notes 1");
    EXPECT_EQ(d.entries()[2].notes, "last one");

    // One entry: Prev and Next do nothing, and OK still stores the edit.
    CReportFileNotes one;
    one.setEntries(Files(1));
    Type(one, "1108", "only");
    Click(one, "1120");
    Click(one, "1121");
    EXPECT_EQ(one.currentIndex(), 0);
    EXPECT_EQ(Shown(one, "1108"), "only");
    Click(one, "1");
    EXPECT_EQ(one.result(), QDialog::Accepted);
    EXPECT_EQ(one.entries()[0].notes, "only");
}

TEST(HtmlrptApnotes, PagingStoresTheFiveTextsAndKeepsTheHeightLabel) {
    CHtmlrptApnotes d;
    EXPECT_EQ(d.windowTitle(), "AP Information and Notes");
    d.setHeightLabel("Antenna Height(Ft)");
    d.setEntries({{"1 out of 2 APs", "AA-00", "Lobby", "20", "", "", "", ""},
                  {"2 out of 2 APs", "AA-01", "Hall", "", "dipole", "90", "3", "old"}});
    EXPECT_EQ(Shown(d, "1110"), "1 out of 2 APs");
    EXPECT_EQ(Shown(d, "1111"), "AA-00");
    EXPECT_EQ(Shown(d, "1112"), "Lobby");
    EXPECT_EQ(Shown(d, "1113"), "20");
    EXPECT_TRUE(Named<QLineEdit>(d, "1111")->isReadOnly());
    EXPECT_FALSE(Named<QLineEdit>(d, "1113")->isReadOnly());
    Type(d, "1113", "23");
    Type(d, "1114", "omni");
    Type(d, "1115", "45");
    Type(d, "1117", "2.5");
    Type(d, "1118", "ceiling\nmounted");
    Click(d, "1123"); // Next
    EXPECT_EQ(Shown(d, "1112"), "Hall");
    EXPECT_EQ(Shown(d, "1114"), "dipole");
    EXPECT_EQ(Shown(d, "1116"), "Antenna Height(Ft)");
    Type(d, "1118", "new");
    Click(d, "1123"); // wraps to the first, with what was typed there
    EXPECT_EQ(Shown(d, "1113"), "23");
    EXPECT_EQ(Shown(d, "1117"), "2.5");
    Click(d, "1122"); // Prev wraps to the last
    EXPECT_EQ(Shown(d, "1118"), "new");
    EXPECT_EQ(Shown(d, "1116"), "Antenna Height(Ft)");
    Click(d, "1");
    ASSERT_EQ(d.result(), QDialog::Accepted);
    const auto& e = d.entries();
    EXPECT_EQ(e[0].txPower, "23");
    EXPECT_EQ(e[0].antennaGain, "omni");
    EXPECT_EQ(e[0].direction, "45");
    EXPECT_EQ(e[0].height, "2.5");
    EXPECT_EQ(e[0].notes, "ceiling\nmounted");
    EXPECT_EQ(e[1].notes, "new");
    EXPECT_EQ(e[1].direction, "90");

    // Cancel ends the dialog without OK: the caller reads nothing back.
    CHtmlrptApnotes cancelled;
    cancelled.setEntries({{"1 out of 1 APs", "AA-00", "Lobby", "", "", "", "", ""}});
    Type(cancelled, "1113", "99");
    Click(cancelled, "2");
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}
