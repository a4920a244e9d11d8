// The table window on the demo survey: the core's columns, headings and cells, rows formatted only
// as they come into view, whole-line wheel scrolling, its commands, "Save Table As..." with the
// options dialog, and the printout as a PDF with the cover page and the page count of its rows.
#include "table/gui/TableView.h"
#include "files/FileIo.h"
#include "files/ResourceDir.h"
#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"
#include "support/Fixtures.h"
#include "support/HeldWriter.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"
#include "table/TableExportJob.h"
#include "table/TableModel.h"
#include "table/TablePrintLayout.h"
#include "table/gui/TablePrinter.h"
#include "table/gui/TableSaveOptionsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <filesystem>
#include <regex>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// A session holding the demo survey (two files of the generated campus walk) as read from disk,
/// with the prompts recorded, and a table window over it.
class TableViewTest : public ::testing::Test {
  protected:
    TableViewTest() {
        session.setPrompts(&prompts);
        QObject::connect(&session, &GuiSession::statusText, [this](const QString& t) { status = t; });
        PlaceGenerated(session.doc(), sim::Generate(*sim::BuiltInScenario("demo"), 1));
        session.setPathName("/surveys/campus.walk.hws", false);
        session.doc().EnterTableWindow();
        whole.ResetColumns();
        whole.FillRows(session.doc());
    }
    CTableView& View() {
        if (!view) {
            view = std::make_unique<CTableView>(session);
            view->resize(800, 600);
        }
        return *view;
    }
    /// Waits for the job a command started (the export) to be applied.
    bool WaitForJob() {
        return WaitUntil([&] { return !session.jobRunning(); });
    }
    /// The rows a viewport of the view's height shows (a part row counts).
    int VisibleRows() { return View().viewport()->height() / View().rowHeight() + 1; }
    std::string Cell(int row, int column) {
        return View().model()->index(row, column).data().toString().toStdString();
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(View().viewport(), &e);
    }

    PromptRecorder prompts;
    GuiSession session;
    QString status;
    CTableModel whole; ///< the core's table, formatted at once
    std::unique_ptr<CTableView> view;
    TempDir dir;
};

/// Pages of a PDF file: its page objects.
int PdfPages(const std::string& path) {
    const std::string pdf = Slurp(path);
    const std::regex page(R"(/Type\s*/Page[^s])");
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

} // namespace

TEST_F(TableViewTest, ShowsTheCoresTableFormattingOnlyTheRowsInView) {
    CTableView& v = View();
    EXPECT_EQ(v.objectName(), "CTableView");
    const CPlotraDoc& doc = session.doc();
    EXPECT_EQ(status.toStdString(), std::to_string(doc.Survey().m_aDataPoints.size()) + " Points, " +
                                        std::to_string(doc.Aps().m_aAPs.size()) + " APs");

    // Same rows, headings, widths (characters x the width of "X") and cells as the core's table.
    ASSERT_EQ(v.model()->rowCount(), static_cast<int>(whole.m_aRows.size()));
    ASSERT_GT(whole.m_aRows.size(), 5000u);
    QHeaderView* header = v.horizontalHeader();
    EXPECT_EQ(header->objectName(), "214");
    ASSERT_EQ(v.model()->columnCount(), 8);
    for (int c = 0; c < 8; ++c) {
        const auto& column = whole.m_aColumns[static_cast<std::size_t>(c)];
        EXPECT_EQ(v.model()->headerData(c, Qt::Horizontal).toString().toStdString(), column.m_strText);
        EXPECT_EQ(header->sectionSize(c), column.m_nWidth * v.charWidth());
    }
    EXPECT_EQ(v.charWidth(), header->fontMetrics().horizontalAdvance('X'));
    EXPECT_EQ(v.rowHeight(), v.rowViewportPosition(1) - v.rowViewportPosition(0));
    EXPECT_GE(v.rowHeight(), header->sizeHint().height());
    const int last = v.model()->rowCount() - 1;
    for (const int r : {0, 1, 2, 777, last})
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(
                Cell(r, c),
                whole.m_aRows[static_cast<std::size_t>(r)].m_aCells[static_cast<std::size_t>(c)].m_strText)
                << r << "," << c;
    EXPECT_EQ(v.model()->index(0, 6).data(Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(v.model()->index(0, 4).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

    // A fresh window formats the rows it paints, not the table; so does scrolling half way down.
    view.reset();
    CTableView& fresh = View();
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    QCoreApplication::processEvents();
    fresh.viewport()->repaint();
    const auto afterShow = fresh.tableModel().formattedRows();
    EXPECT_GT(afterShow, 0u);
    EXPECT_LE(afterShow, static_cast<std::uint64_t>(VisibleRows()));
    fresh.verticalScrollBar()->setValue(fresh.model()->rowCount() / 2);
    fresh.viewport()->repaint();
    EXPECT_EQ(fresh.topRow(), fresh.model()->rowCount() / 2);
    const auto afterScroll = fresh.tableModel().formattedRows() - afterShow;
    EXPECT_GT(afterScroll, 0u);
    EXPECT_LE(afterScroll, static_cast<std::uint64_t>(VisibleRows()));
    EXPECT_EQ(fresh.indexAt(QPoint(5, 1)).row(), fresh.model()->rowCount() / 2);
}

TEST_F(TableViewTest, WheelScrollsWholeLinesWithinTheBarAndCommandsFollowTheWindow) {
    CTableView& v = View();
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
    Wheel(-240); // two notches down: two lines
    EXPECT_EQ(v.topRow(), 2);
    Wheel(-60); // half a notch does nothing yet, the next half makes a line
    EXPECT_EQ(v.topRow(), 2);
    Wheel(-60);
    EXPECT_EQ(v.topRow(), 3);
    Wheel(120 * 10);
    EXPECT_EQ(v.topRow(), 0);
    v.verticalScrollBar()->setValue(v.verticalScrollBar()->maximum());
    Wheel(-120);
    EXPECT_EQ(v.topRow(), v.verticalScrollBar()->maximum());

    // Save Table As only while the table window is the right pane; printing always.
    for (const int id : {kCmdSaveTableAs, kCmdPrint, kCmdPrintPreview})
        EXPECT_TRUE(v.handlesCommand(id));
    EXPECT_FALSE(v.handlesCommand(kCmdZoomIn));
    EXPECT_TRUE(v.commandState(kCmdSaveTableAs).enabled);
    EXPECT_TRUE(v.commandState(kCmdPrint).enabled);
    session.doc().LeaveTableWindow();
    EXPECT_FALSE(v.commandState(kCmdSaveTableAs).enabled);

    // A project replaced while the table is shown: its points are counted again.
    Edit::Survey(session.doc()).m_aDataPoints.resize(3);
    session.doc().Notify(DocChange::Everything);
    EXPECT_EQ(v.model()->rowCount(), static_cast<int>(CTableRowIndex(session.doc()).RowCount()));
    EXPECT_EQ(status.toStdString(),
              "3 Points, " + std::to_string(session.doc().Aps().m_aAPs.size()) + " APs");
}

TEST_F(TableViewTest, SaveTableAsTakesTheOptionsAndTheirDefaultsEveryTime) {
    CTableView& v = View();
    const std::string path = dir.File("campus.txt");
    prompts.saveFiles = {path, path, path};

    // Headings off, quotes kept, "Other:" with ";x": the semicolon.
    bool otherEnabledBefore = true, otherEnabledAfter = false;
    OnNextModal<CTableSaveOptionsDialog>([&](CTableSaveOptionsDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Save Table Options");
        otherEnabledBefore = Named<QLineEdit>(*d, "1097")->isEnabled();
        Named<QCheckBox>(*d, "1091")->setChecked(false);
        Named<QRadioButton>(*d, "1096")->click();
        otherEnabledAfter = Named<QLineEdit>(*d, "1097")->isEnabled();
        QTest::keyClicks(Named<QLineEdit>(*d, "1097"), ";x");
        if (const char* folder = std::getenv("PLOTRA_SCREENSHOT_DIR"))
            d->grab().save(QString::fromUtf8(folder) + "/table-save-options.png");
        Named<QPushButton>(*d, "1")->click();
    });
    v.runCommand(kCmdSaveTableAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_FALSE(otherEnabledBefore);
    EXPECT_TRUE(otherEnabledAfter);
    ASSERT_EQ(prompts.choosers.size(), 1u);
    EXPECT_EQ(prompts.choosers[0].defaultName, "campus.txt"); // the title up to its first "."
    EXPECT_EQ(prompts.choosers[0].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_EQ(prompts.choosers[0].defaultExtension, "txt");
    EXPECT_EQ(Slurp(path), whole.TableText(false, true, ';'));

    // The next time the dialog starts from its defaults again: headings, quotes, Tab.
    bool defaults = false;
    OnNextModal<CTableSaveOptionsDialog>([&](CTableSaveOptionsDialog* d) {
        defaults = Named<QCheckBox>(*d, "1091")->isChecked() && Named<QCheckBox>(*d, "1092")->isChecked() &&
                   Named<QRadioButton>(*d, "1093")->isChecked() &&
                   !Named<QLineEdit>(*d, "1097")->isEnabled() &&
                   Named<QLineEdit>(*d, "1097")->text().isEmpty();
        Named<QRadioButton>(*d, "1094")->click();
        Named<QCheckBox>(*d, "1092")->setChecked(false);
        Named<QPushButton>(*d, "1")->click();
    });
    v.runCommand(kCmdSaveTableAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(defaults);
    EXPECT_EQ(Slurp(path), whole.TableText(true, false, ','));

    // An "Other:" character beyond plain ASCII is refused with a message and the dialog stays open;
    // the bar typed then is written. Without the main window, F1 looks in the program's help folder.
    QString refusal;
    bool stayedOpen = false;
    QString helpFolder;
    OnNextModal<CTableSaveOptionsDialog>([&](CTableSaveOptionsDialog* d) {
        helpFolder = d->helpDirectory();
        Named<QRadioButton>(*d, "1096")->click();
        Named<QLineEdit>(*d, "1097")->setText(QString::fromUtf8("\u00e9;"));
        OnNextModal<QMessageBox>([&](QMessageBox* box) {
            refusal = box->windowTitle() + ": " + box->text();
            box->accept();
        });
        Named<QPushButton>(*d, "1")->click();
        stayedOpen = d->isVisible();
        Named<QLineEdit>(*d, "1097")->setText("|");
        Named<QPushButton>(*d, "1")->click();
    });
    v.runCommand(kCmdSaveTableAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(refusal.toStdString(),
              "Save Table Options: The delimiter \"\u00e9\" cannot be written into the text file: the "
              "delimiter must be a character of plain ASCII (a letter, a digit or a sign such as ; | or "
              ":).\nType another character, or choose Tab, Comma or Space.");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Slurp(path), whole.TableText(true, true, '|'));
    EXPECT_EQ(helpFolder, QString::fromStdString(ProgramResourceDir()) + "/help");

    // Cancel in the options: no file name is asked for.
    OnNextModal<CTableSaveOptionsDialog>(
        [](CTableSaveOptionsDialog* d) { Named<QPushButton>(*d, "2")->click(); });
    v.runCommand(kCmdSaveTableAs);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(prompts.choosers.size(), 3u);
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(TableViewTest, ExportIsAJobThatReplacesTheOldFileOnlyWhenWritten) {
    const std::string path = dir.File("campus.txt");
    ASSERT_TRUE(WriteFileAtomically(path, std::vector<std::uint8_t>{'o', 'l', 'd'}));
    const TableExport what{path, true, true, '\t'};
    auto expectOld = [&] {
        EXPECT_EQ(Slurp(path), "old");
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp-plotra"));
    };
    {
        // Cancelled while it writes: the old file stays, and the project took no edit meanwhile.
        HeldWriter held;
        session.exportTable(what);
        ASSERT_TRUE(session.jobRunning());
        ASSERT_TRUE(WaitUntil([&] { return held.Entered(); }));
        const int alpha = session.doc().Display().m_nAlpha;
        session.doc().SetAlpha(alpha == 50 ? 60 : 50);
        EXPECT_EQ(session.doc().Display().m_nAlpha, alpha) << "an edit under the export";
        prompts.prompts.clear();
        session.cancelJob();
        held.Release();
        ASSERT_TRUE(WaitForJob());
        expectOld();
        EXPECT_TRUE(prompts.prompts.empty());
    }
    // A disk that fills half way: said once, the old file stays.
    SetWriteFailureAfterBytesForTesting(100);
    session.exportTable(what);
    ASSERT_TRUE(WaitForJob());
    SetWriteFailureAfterBytesForTesting(-1);
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"File open error: Error opening file " + path + "."});
    expectOld();
    // Written: the file is the table.
    bool written = false;
    session.exportTable(what, [&](bool ok) { written = ok; });
    ASSERT_TRUE(WaitUntil([&] { return written; }));
    EXPECT_EQ(Slurp(path), whole.TableText(true, true, '\t'));
}

TEST_F(TableViewTest, PrintsTheCoverAndOnePagePerLinesPerPageToAPdf) {
    CTableView& v = View();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    const std::string pdf = dir.File("table.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    const TablePrintout out = PrintTable(printer, session.doc(), v.tableModel().rowIndex(), FontSettings{});

    // The lines of a page in the 12 pt print font, less six; then the cover plus the table pages.
    QFont font("Arial");
    font.setPixelSize(PrintFontPixelHeight(120, printer.logicalDpiY()));
    const int cy = QFontMetrics(font, &printer).height();
    EXPECT_EQ(out.linesPerPage, printer.height() / cy - 6);
    const auto rows = static_cast<int>(whole.m_aRows.size());
    EXPECT_EQ(out.pageCount, 1 + (rows + out.linesPerPage - 1) / out.linesPerPage);
    EXPECT_EQ(out.pagesPrinted, out.pageCount);
    EXPECT_EQ(PdfPages(pdf), out.pageCount);
    if (const char* keep = std::getenv("PLOTRA_KEEP_TABLE_PDF"))
        std::filesystem::copy_file(pdf, keep, std::filesystem::copy_options::overwrite_existing);

    // A page range prints only its pages; without data nothing is printed, not even an empty file.
    const std::string part = dir.File("part.pdf");
    printer.setOutputFileName(QString::fromStdString(part));
    printer.setFromTo(2, 3);
    EXPECT_EQ(v.PrintOn(printer), 2);
    EXPECT_EQ(PdfPages(part), 2);
    Edit::Survey(session.doc()).m_bNoData = 1;
    const std::string none = dir.File("none.pdf");
    printer.setOutputFileName(QString::fromStdString(none));
    EXPECT_EQ(v.PrintOn(printer), 0);
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(TableViewTest, ACancelledPrintoutKeepsTheOldFile) {
    CTableView& v = View();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // A small page: hundreds of pages, more than the first slice of the event loop paints.
    printer.setPageSize(QPageSize(QPageSize::A8));
    const std::string pdf = dir.File("table.pdf");
    ASSERT_TRUE(WriteFileAtomically(pdf, std::vector<std::uint8_t>{'o', 'l', 'd'}));
    printer.setOutputFileName(QString::fromStdString(pdf));
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] { session.cancelJob(); });
    cancel.start(10); // after the first slice of pages
    const int pages = v.PrintOn(printer);
    cancel.stop();
    EXPECT_GT(pages, 0);
    QFont font("Arial");
    font.setPixelSize(PrintFontPixelHeight(120, printer.logicalDpiY()));
    const int lines = TableLinesPerPage(printer.height(), QFontMetrics(font, &printer).height());
    EXPECT_LT(pages, TablePageCount(v.tableModel().rowIndex().RowCount(), lines)) << "Cancel did not stop it";
    EXPECT_EQ(Slurp(pdf), "old");
    EXPECT_FALSE(std::filesystem::exists(pdf + ".tmp-plotra"));
    EXPECT_EQ(printer.outputFileName().toStdString(), pdf);
    EXPECT_FALSE(session.jobRunning());
}

TEST_F(TableViewTest, PrintPreviewShowsTheSamePages) {
    CTableView& v = View();
    int pages = -1;
    OnNextModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* d) {
        if (auto* widget = d->findChild<QPrintPreviewWidget*>()) pages = widget->pageCount();
        d->reject();
    });
    v.runCommand(kCmdPrintPreview);
    EXPECT_GT(pages, 2);
}
