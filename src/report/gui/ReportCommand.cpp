#include "report/gui/ReportCommand.h"

#include "files/ResourceDir.h"

#include "gui/GuiSession.h"
#include "report/ReportPictures.h"
#include "report/ReportWriter.h"
#include "report/gui/DialogHtmlRpt.h"
#include "report/gui/HtmlrptApnotes.h"
#include "report/gui/ReportFileNotes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include <filesystem>
#include <memory>

namespace plotra::gui {

namespace {

ReportOpener& Opener() {
    static ReportOpener opener;
    return opener;
}

void OpenPage(const std::string& path) {
    const QString page = QString::fromStdString(path);
    if (Opener())
        Opener()(page);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

QString Text(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

/// Notes as the edit shows them: a line break is one "\n".
QString EditText(const std::string& notes) {
    QString text = Text(notes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

/// The notes a dialog changed are one step of Edit > Undo, however many files or APs it lists.
EditSubject NotesEdit() {
    EditSubject subject("Notes");
    subject.notes = true;
    return subject;
}

/// The notes of the listed files, edited in "Input File Notes" and stored on OK. The files are
/// listed as the page lists them: the ticked ones, then (when all are listed) the others.
void EditFileNotes(CPlotraDoc& doc, bool selectedOnly, QWidget* parent) {
    std::vector<int> listed;
    for (int pass = 0; pass < (selectedOnly ? 1 : 2); ++pass)
        for (std::size_t i = 0; i < doc.Survey().m_aFiles.size(); ++i)
            if ((doc.Survey().m_aFiles[i].m_bUse != 0) == (pass == 0)) listed.push_back(static_cast<int>(i));
    if (listed.empty()) return;
    std::vector<CReportFileNotes::Entry> entries;
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const CDataFile& f = doc.Survey().m_aFiles[static_cast<std::size_t>(listed[k])];
        entries.push_back({QStringLiteral("File Name: %1").arg(Text(f.m_strName)),
                           QStringLiteral("Created: %1").arg(Text(f.m_strCreated).trimmed()),
                           QStringLiteral("%1 out of %2 files").arg(k + 1).arg(listed.size()),
                           EditText(f.m_strNotes)});
    }
    CReportFileNotes dialog(parent);
    dialog.setEntries(std::move(entries));
    if (dialog.exec() != QDialog::Accepted) return;
    const CPlotraDoc::UndoableEdit edit(doc, NotesEdit());
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const QString& notes = dialog.entries()[k].notes;
        const auto file = static_cast<std::size_t>(listed[k]);
        if (notes != EditText(doc.Survey().m_aFiles[file].m_strNotes))
            doc.SetFileNotes(listed[k], notes.toStdString());
    }
}

/// The antenna information and notes of the ticked APs, edited in "AP Information and Notes".
void EditApNotes(CPlotraDoc& doc, QWidget* parent) {
    std::vector<int> listed;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (doc.Aps().m_aAPs[i].m_bSelected) listed.push_back(static_cast<int>(i));
    if (listed.empty()) return;
    auto notesOf = [&doc](int ap) {
        const auto i = static_cast<std::size_t>(ap);
        return i < doc.Aps().m_aApNotes.size() ? doc.Aps().m_aApNotes[i] : CApFile{};
    };
    std::vector<CHtmlrptApnotes::Entry> entries;
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(listed[k])];
        const CApFile n = notesOf(listed[k]);
        entries.push_back({QStringLiteral("%1 out of %2 APs").arg(k + 1).arg(listed.size()),
                           QString::fromStdString(ap.MacText()), Text(ap.SsidText()), Text(n.m_strTxPower),
                           Text(n.m_strAntennaGain), Text(n.m_strDirection), Text(n.m_strHeight),
                           EditText(n.m_strNotes)});
    }
    CHtmlrptApnotes dialog(parent);
    dialog.setHeightLabel(doc.Display().m_dUnitFactor > 0.5 ? QStringLiteral("Antenna Height(m)")
                                                            : QStringLiteral("Antenna Height(Ft)"));
    dialog.setEntries(std::move(entries));
    if (dialog.exec() != QDialog::Accepted) return;
    const CPlotraDoc::UndoableEdit edit(doc, NotesEdit());
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const CHtmlrptApnotes::Entry& e = dialog.entries()[k];
        const CApFile old = notesOf(listed[k]);
        CApFile n;
        n.m_strTxPower = e.txPower.toStdString();
        n.m_strAntennaGain = e.antennaGain.toStdString();
        n.m_strDirection = e.direction.toStdString();
        n.m_strHeight = e.height.toStdString();
        n.m_strNotes = e.notes.toStdString();
        const bool changed = e.txPower != Text(old.m_strTxPower) ||
                             e.antennaGain != Text(old.m_strAntennaGain) ||
                             e.direction != Text(old.m_strDirection) || e.height != Text(old.m_strHeight) ||
                             e.notes != EditText(old.m_strNotes);
        if (changed) doc.SetApNotes(listed[k], n);
    }
}

} // namespace

std::string DefaultReportPath(const std::string& pathName, const std::string& title) {
    if (!pathName.empty()) return std::filesystem::path(pathName).replace_extension(".html").string();
    const auto dot = title.find('.');
    return (dot == std::string::npos ? title : title.substr(0, dot)) + ".html";
}

void SetReportOpener(ReportOpener opener) {
    Opener() = std::move(opener);
}

bool CanCreateReport(const GuiSession& session) {
    return !session.doc().Aps().m_aAPs.empty();
}

void CreateReport(GuiSession& session, QWidget* parent) {
    CPlotraDoc& doc = session.doc();
    if (doc.Aps().m_aAPs.empty() || doc.RefuseWhileBusy()) return;

    FileChooserRequest request;
    request.title = "Save As";
    request.filter = "HTML File (*.html)|*.html|All files (*.*)|*.*||";
    request.defaultExtension = "html";
    request.defaultName = DefaultReportPath(session.documentPath(), session.documentTitle());
    const std::optional<std::string> path = doc.Prompts().chooseSaveFile(request);
    if (!path) return;

    CDialogHtmlRpt optionsDialog(parent);
    optionsDialog.setCoverageReady(doc.Coverage().m_bCoverageReady != 0);
    if (optionsDialog.exec() != QDialog::Accepted) return;
    ReportOptions options = optionsDialog.options();
    if (options.files) {
        options.selectedFilesOnly = doc.Prompts().askYesNo("Show Selected Files Only?", "Show Files");
        EditFileNotes(doc, options.selectedFilesOnly, parent);
    }
    if (options.apInfo) {
        options.selectedApsOnly = doc.Prompts().askYesNo("Show Selected APs Only?", "Show APs");
        EditApNotes(doc, parent);
    }
    options.resourceDir = ProgramResourceDir();
    options.palette = session.palette();

    // The pictures are drawn here, from the live document; the job gets them with the snapshot.
    auto pictures = std::make_unique<RenderedReportPictures>();
    ReportSnapshot snapshot = TakeReportSnapshot(doc, options, *pictures);
    // Shared by the work and the runner: a job's work is copied into its thread.
    auto input = std::make_shared<std::pair<ReportSnapshot, std::unique_ptr<RenderedReportPictures>>>(
        std::move(snapshot), std::move(pictures));
    const std::string page = *path;
    session.runJob<ReportResult>(
        [input, page](Progress& progress) {
            return WriteReportPage(input->first, page, *input->second, progress);
        },
        [&session, page](std::optional<ReportResult>& result, const std::string& failure) {
            UserPrompts& prompts = session.doc().Prompts();
            if (!result)
                prompts.message(failure, "Report", PromptIcon::Stop);
            else if (*result == ReportResult::Failed)
                prompts.message("Error opening file " + page + ".", "File open error", PromptIcon::Stop);
            else if (*result == ReportResult::Written)
                OpenPage(page);
            else
                prompts.message("The report was cancelled. Nothing was written.", "Report",
                                PromptIcon::Information);
            return result == ReportResult::Written;
        });
}

} // namespace plotra::gui
