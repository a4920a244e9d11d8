// "Create a Html report" in the desktop program: the page path, the options, both questions
// answered each way, the notes typed into the dialogs stored in the document, the page written by a
// job (the command returns while it runs) and opened at the end; cancelling on the way.
#include "report/gui/ReportCommand.h"
#include "files/FileIo.h"
#include "gui/GuiSession.h"
#include "gui/ProgressDialog.h"
#include "mapview/DemoDocument.h"
#include "model/EditAccess.h"
#include "report/gui/DialogHtmlRpt.h"
#include "report/gui/HtmlrptApnotes.h"
#include "report/gui/ReportFileNotes.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// A session on the demo project (with its combined coverage), the prompts recorded and the page
/// opener caught.
class ReportCommandTest : public ::testing::Test {
  protected:
    ReportCommandTest() {
        session.setPrompts(&prompts);
        BuildDemoDocument(session.doc());
        for (CDataFile& f : Edit::Survey(session.doc()).m_aFiles)
            f.m_strCreated = "Mon Oct 26 09:12:40 2026\n"; // as read from a file
        session.setPathName("/surveys/campus.hws", false);
        SetReportOpener([this](const QString& path) { opened.push_back(path.toStdString()); });
        QObject::connect(&session, &GuiSession::jobFinished,
                         [this](bool written) { finished.push_back(written); });
    }
    ~ReportCommandTest() override { SetReportOpener({}); }

    /// Starts the command and waits for its job. The option dialog is answered by \p options, the
    /// notes dialogs by \p fileNotes and \p apNotes (null: that dialog is not expected).
    void Run(const std::function<void(CDialogHtmlRpt*)>& options,
             const std::function<void(CReportFileNotes*)>& fileNotes,
             const std::function<void(CHtmlrptApnotes*)>& apNotes) {
        OnNextModal<CDialogHtmlRpt>([=](CDialogHtmlRpt* d) {
            if (fileNotes)
                OnNextModal<CReportFileNotes>([=](CReportFileNotes* f) {
                    if (apNotes) OnNextModal<CHtmlrptApnotes>(apNotes);
                    fileNotes(f);
                });
            else if (apNotes)
                OnNextModal<CHtmlrptApnotes>(apNotes);
            options(d);
        });
        const std::size_t before = finished.size();
        CreateReport(session, nullptr);
        // The command has returned; the page is still the job's until the event loop applies it.
        jobWasRunning = session.doc().JobRunning();
        if (jobWasRunning) {
            ASSERT_TRUE(WaitUntil([&] { return finished.size() > before; }, 60000));
        }
    }

    static void Ok(QDialog* d) { Named<QPushButton>(*d, "1")->click(); }

    PromptRecorder prompts;
    GuiSession session;
    TempDir dir;
    std::vector<std::string> opened;
    std::vector<bool> finished;
    bool jobWasRunning = false;
};

/// With PLOTRA_SCREENSHOT_DIR set, the dialog as it shows is saved there as NAME.png.
void Screenshot(QWidget* w, const char* name) {
    if (const char* folder = std::getenv("PLOTRA_SCREENSHOT_DIR"))
        w->grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

std::vector<std::string> Questions(const PromptRecorder& p) {
    std::vector<std::string> out;
    for (const auto& q : p.prompts)
        if (q.kind == "question") out.push_back(q.caption + ": " + q.text);
    return out;
}

} // namespace

TEST_F(ReportCommandTest, SelectedOnlyAnswersAndNotesReachThePageAndTheDocument) {
    CPlotraDoc& doc = session.doc();
    ASSERT_TRUE(CanCreateReport(session));
    ASSERT_EQ(doc.Coverage().m_bCoverageReady, 1);
    const std::string page = dir.File("campus report.html");
    prompts.saveFiles = {page};
    prompts.answers = {true, true};
    int firstTicked = -1;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size() && firstTicked < 0; ++i)
        if (doc.Aps().m_aAPs[i].m_bSelected) firstTicked = static_cast<int>(i);
    ASSERT_GE(firstTicked, 0);

    bool contourBoxesEnabled = false;
    QString heightLabel;
    Run(
        [&](CDialogHtmlRpt* d) {
            contourBoxesEnabled = d->box(1103)->isEnabled() && d->box(1104)->isEnabled();
            Screenshot(d, "report-options");
            Ok(d);
        },
        [](CReportFileNotes* f) {
            Named<QPlainTextEdit>(*f, "1108")->setPlainText("north wing\nsecond floor");
            Screenshot(f, "report-file-notes");
            Ok(f);
        },
        [&](CHtmlrptApnotes* a) {
            heightLabel = Named<QLabel>(*a, "1116")->text();
            Named<QLineEdit>(*a, "1113")->setText("20");
            Named<QPlainTextEdit>(*a, "1118")->setPlainText("<ceiling> mount");
            Named<QLineEdit>(*a, "1114")->setText("5 dBi omni");
            Named<QLineEdit>(*a, "1117")->setText("9");
            Named<QLineEdit>(*a, "1115")->setText("0");
            Screenshot(a, "report-ap-notes");
            Ok(a);
        });
    EXPECT_TRUE(jobWasRunning);
    EXPECT_TRUE(contourBoxesEnabled);
    EXPECT_EQ(heightLabel, "Antenna Height(Ft)");

    // The path asked for with the page's filter and the document's name.
    ASSERT_EQ(prompts.choosers.size(), 1u);
    EXPECT_EQ(prompts.choosers[0].defaultName, "/surveys/campus.html");
    EXPECT_EQ(prompts.choosers[0].filter, "HTML File (*.html)|*.html|All files (*.*)|*.*||");
    EXPECT_EQ(prompts.choosers[0].defaultExtension, "html");
    EXPECT_EQ(Questions(prompts), (std::vector<std::string>{"Show Files: Show Selected Files Only?",
                                                            "Show APs: Show Selected APs Only?"}));

    // The notes are the document's now (the workspace keeps them) and the page shows them.
    EXPECT_EQ(doc.Survey().m_aFiles[0].m_strNotes, "north wing\nsecond floor");
    EXPECT_EQ(doc.Aps().m_aApNotes[static_cast<std::size_t>(firstTicked)].m_strTxPower, "20");
    EXPECT_EQ(doc.Aps().m_aApNotes[static_cast<std::size_t>(firstTicked)].m_strNotes, "<ceiling> mount");
    ASSERT_EQ(opened, std::vector<std::string>{page});
    EXPECT_EQ(finished, std::vector<bool>{true});
    EXPECT_FALSE(doc.JobRunning());
    const std::string html = Slurp(page);
    EXPECT_NE(html.find("north wing<br>second floor"), std::string::npos);
    EXPECT_NE(html.find(">20</td>"), std::string::npos);
    EXPECT_NE(html.find("&lt;ceiling&gt; mount"), std::string::npos);
    EXPECT_EQ(html.find("Selected?"), std::string::npos); // both questions answered Yes
    for (const char* section :
         {"Survey's Infomation", "Access Points Information", "AP Antenna Information", "Walk/Drive Path",
          "Coverage of Access Points", "Coverage of Signal Strength", "Overlap of Selected APs"})
        EXPECT_NE(html.find(section), std::string::npos) << section;
    // The pictures were drawn before the job and written by it, as real BMP files.
    const std::string folder = dir.File("campus report");
    EXPECT_EQ(Slurp(folder + "/bmp2.bmp").substr(0, 2), "BM");
    EXPECT_GT(std::filesystem::file_size(folder + "/bmp2.bmp"), 800u * 500u * 3u);
    EXPECT_EQ(session.progressDialog().text(), "Launching Report...");
    EXPECT_FALSE(session.progressDialog().isVisible());
    EXPECT_EQ(prompts.Messages(), std::vector<std::string>{});
}

TEST_F(ReportCommandTest, AllFilesAndApsWithoutThePathAndWithTheNotesCancelled) {
    CPlotraDoc& doc = session.doc();
    const std::string page = dir.File("all.html");
    prompts.saveFiles = {page};
    prompts.answers = {false, false};
    doc.SetFileNotes(0, "kept");
    doc.SetApTicked(static_cast<int>(doc.Aps().m_aAPs.size()) - 1, false);
    Run(
        [](CDialogHtmlRpt* d) {
            d->box(1101)->setChecked(false);
            Ok(d);
        },
        [](CReportFileNotes* f) {
            Named<QPlainTextEdit>(*f, "1108")->setPlainText("thrown away");
            Named<QPushButton>(*f, "2")->click();
        },
        [](CHtmlrptApnotes* a) { Named<QPushButton>(*a, "2")->click(); });
    EXPECT_EQ(doc.Survey().m_aFiles[0].m_strNotes, "kept");
    ASSERT_EQ(opened, std::vector<std::string>{page});
    const std::string html = Slurp(page);
    EXPECT_NE(html.find("<th align =\"Center\">Selected?</th>"), std::string::npos);
    EXPECT_NE(html.find("<td class = \"Selected?\" align =\"Center\"> No </td>"),
              std::string::npos); // unticked APs
    EXPECT_NE(html.find(">kept</td>"), std::string::npos);
    EXPECT_EQ(html.find("Walk/Drive Path"), std::string::npos);
    EXPECT_NE(html.find("Coverage of Access Points"), std::string::npos);
}

TEST_F(ReportCommandTest, NothingHappensWhenCancelledOrWithoutAccessPoints) {
    // No path chosen: no dialog, no question. A project without a name offers the document's name.
    session.setTitle("");
    session.setPathName("", false);
    CreateReport(session, nullptr);
    ASSERT_EQ(prompts.choosers.size(), 1u);
    EXPECT_EQ(prompts.choosers[0].defaultName, "Hovrin.html");
    // Cancel in the options: nothing asked, nothing written, no job.
    prompts.saveFiles = {dir.File("r.html")};
    Run([](CDialogHtmlRpt* d) { Named<QPushButton>(*d, "2")->click(); }, nullptr, nullptr);
    EXPECT_FALSE(jobWasRunning);
    EXPECT_TRUE(Questions(prompts).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.html")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("r")));
    // While another calculation runs the command is refused.
    session.doc().SetJobRunning(true);
    CreateReport(session, nullptr);
    session.doc().SetJobRunning(false);
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.choosers.size(), 2u);
    // Without an AP the command cannot be given and does nothing.
    Edit::Aps(session.doc()).m_aAPs.clear();
    EXPECT_FALSE(CanCreateReport(session));
    CreateReport(session, nullptr);
    EXPECT_EQ(prompts.choosers.size(), 2u);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(DefaultReportPath("", "campus.walk"), "campus.html");
    EXPECT_EQ(DefaultReportPath("/a/b.c/d", "d"), "/a/b.c/d.html");
}
