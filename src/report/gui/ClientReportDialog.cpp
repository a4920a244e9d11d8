#include "report/gui/ClientReportDialog.h"

#include "gui/GuiSession.h"
#include "files/Workspace.h"
#include "report/ClientReport.h"
#include "report/ReportWriter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSettings>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace plotra::gui {

ClientReportDialog::ClientReportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Client Report (PDF)"));
    auto* form = new QFormLayout(this);
    m_title = new QLineEdit(this);
    m_customer = new QLineEdit(this);
    m_surveyor = new QLineEdit(this);
    m_paper = new QComboBox(this);
    m_paper->addItem(QStringLiteral("A4"), QStringLiteral("a4"));
    m_paper->addItem(QStringLiteral("Letter"), QStringLiteral("letter"));
    m_palette = new QComboBox(this);
    for (PaletteKind k : {PaletteKind::Classic, PaletteKind::Viridis, PaletteKind::Cividis})
        m_palette->addItem(QString::fromLatin1(PaletteName(k)), QString::fromLatin1(PaletteName(k)));
    const auto spin = [this](double lo, double hi, double step, const QString& suffix) {
        auto* box = new QDoubleSpinBox(this);
        box->setRange(lo, hi);
        box->setDecimals(1);
        box->setSingleStep(step);
        box->setSuffix(suffix);
        return box;
    };
    m_signal = spin(-150, 30, 1, QStringLiteral(" dBm"));
    m_snr = spin(-50, 120, 1, QStringLiteral(" dB"));
    m_target = spin(0, 100, 1, QStringLiteral(" %"));
    form->addRow(QStringLiteral("Title:"), m_title);
    form->addRow(QStringLiteral("Customer:"), m_customer);
    form->addRow(QStringLiteral("Surveyor:"), m_surveyor);
    form->addRow(QStringLiteral("Paper:"), m_paper);
    form->addRow(QStringLiteral("Colours:"), m_palette);
    form->addRow(QStringLiteral("Signal at least:"), m_signal);
    form->addRow(QStringLiteral("SNR at least:"), m_snr);
    form->addRow(QStringLiteral("Over at least:"), m_target);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setOptions(ClientReportOptions{});
}

void ClientReportDialog::setOptions(const ClientReportOptions& o) {
    m_title->setText(QString::fromStdString(o.title));
    m_customer->setText(QString::fromStdString(o.customer));
    m_surveyor->setText(QString::fromStdString(o.surveyor));
    m_paper->setCurrentIndex(o.paper == PaperSize::Letter ? 1 : 0);
    m_palette->setCurrentIndex(m_palette->findData(QString::fromLatin1(PaletteName(o.palette))));
    m_signal->setValue(o.signalDbm);
    m_snr->setValue(o.snrDb);
    m_target->setValue(o.targetShare * 100.0);
}

ClientReportOptions ClientReportDialog::options() const {
    ClientReportOptions o;
    o.title = m_title->text().trimmed().isEmpty() ? o.title : m_title->text().trimmed().toStdString();
    o.customer = m_customer->text().trimmed().toStdString();
    o.surveyor = m_surveyor->text().trimmed().toStdString();
    o.paper = m_paper->currentIndex() == 1 ? PaperSize::Letter : PaperSize::A4;
    o.palette =
        ParsePalette(m_palette->currentData().toString().toStdString()).value_or(PaletteKind::Classic);
    o.signalDbm = m_signal->value();
    o.snrDb = m_snr->value();
    o.targetShare = m_target->value() / 100.0;
    return o;
}

namespace {

ClientReportOptions LoadSettings(PaletteKind windowPalette) {
    QSettings s;
    s.beginGroup(QStringLiteral("ClientReport"));
    ClientReportOptions o;
    o.title = s.value(QStringLiteral("title"), QString::fromStdString(o.title)).toString().toStdString();
    o.customer = s.value(QStringLiteral("customer")).toString().toStdString();
    o.surveyor = s.value(QStringLiteral("surveyor")).toString().toStdString();
    ParsePaper(s.value(QStringLiteral("paper"), QStringLiteral("a4")).toString().toStdString(), o.paper);
    o.palette =
        ParsePalette(s.value(QStringLiteral("palette")).toString().toStdString()).value_or(windowPalette);
    // Settings edited by hand are held to what the dialog can show.
    o.signalDbm = std::clamp(s.value(QStringLiteral("signal"), o.signalDbm).toDouble(), -150.0, 30.0);
    o.snrDb = std::clamp(s.value(QStringLiteral("snr"), o.snrDb).toDouble(), -50.0, 120.0);
    o.targetShare = std::clamp(s.value(QStringLiteral("target"), o.targetShare).toDouble(), 0.0, 1.0);
    return o;
}

void SaveSettings(const ClientReportOptions& o) {
    QSettings s;
    s.beginGroup(QStringLiteral("ClientReport"));
    s.setValue(QStringLiteral("title"), QString::fromStdString(o.title));
    s.setValue(QStringLiteral("customer"), QString::fromStdString(o.customer));
    s.setValue(QStringLiteral("surveyor"), QString::fromStdString(o.surveyor));
    s.setValue(QStringLiteral("paper"),
               o.paper == PaperSize::Letter ? QStringLiteral("letter") : QStringLiteral("a4"));
    s.setValue(QStringLiteral("palette"), QString::fromLatin1(PaletteName(o.palette)));
    s.setValue(QStringLiteral("signal"), o.signalDbm);
    s.setValue(QStringLiteral("snr"), o.snrDb);
    s.setValue(QStringLiteral("target"), o.targetShare);
}

} // namespace

void ExportClientReport(GuiSession& session, QWidget* parent) {
    CPlotraDoc& doc = session.doc();
    if (doc.Aps().m_aAPs.empty() || doc.RefuseWhileBusy()) return;
    ClientReportDialog dialog(parent);
    dialog.setOptions(LoadSettings(session.palette()));
    if (dialog.exec() != QDialog::Accepted) return;
    const ClientReportOptions options = dialog.options();
    SaveSettings(options);

    FileChooserRequest request;
    request.title = "Save Client Report";
    request.filter = "PDF File (*.pdf)|*.pdf|All files (*.*)|*.*||";
    request.defaultExtension = "pdf";
    const std::string base =
        session.documentPath().empty() ? session.documentTitle() : session.documentPath();
    request.defaultName = std::filesystem::path(base).replace_extension(".pdf").string();
    const std::optional<std::string> path = doc.Prompts().chooseSaveFile(request);
    if (!path) return;

    // The job writes from its own copy of the project: the window stays free while a large project's
    // pictures and pages are drawn, and no edit can reach the document until the job has ended.
    std::shared_ptr<const CPlotraDoc> project(CopyProjectForJob(doc));
    const std::string pdf = *path;
    auto why = std::make_shared<std::string>(); // written by the job, read once it has ended
    session.runJob<ReportResult>(
        [project, pdf, options, why](Progress& progress) {
            progress.setText("Writing the client report...");
            progress.show();
            if (WriteClientReport(*project, pdf, options, why.get(), &progress)) return ReportResult::Written;
            return *why == kClientReportCancelled ? ReportResult::Cancelled : ReportResult::Failed;
        },
        [&session, pdf, why](std::optional<ReportResult>& result, const std::string& failure) {
            UserPrompts& prompts = session.doc().Prompts();
            if (!result)
                prompts.message(failure, "Client Report", PromptIcon::Stop);
            else if (*result == ReportResult::Written)
                prompts.message("The client report was written to " + pdf + ".", "Client Report",
                                PromptIcon::Information);
            else if (*result == ReportResult::Cancelled)
                prompts.message("The client report was cancelled. Nothing was written.", "Client Report",
                                PromptIcon::Information);
            else
                prompts.message("Could not write the client report " + pdf + ": " + *why + ".",
                                "Client Report", PromptIcon::Stop);
            return result == ReportResult::Written;
        });
}

} // namespace plotra::gui
