#include "gui/SessionPrinter.h"

#include "gui/GuiSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QPainter>
#include <QPrinter>

#include <cstdio>
#include <memory>

namespace plotra::gui {

namespace {

/// Keeps the printer as a child of the session: it goes when the session goes, after every window
/// that printed on it.
class PrinterHolder : public QObject {
  public:
    explicit PrinterHolder(QObject* parent)
        : QObject(parent), printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
        setObjectName(QStringLiteral("sessionPrinter"));
    }
    std::unique_ptr<QPrinter> printer;
};

} // namespace

QPrinter& SessionPrinter(GuiSession& session) {
    // Only this file makes a child of that name, so the one found is a holder.
    auto* holder = static_cast<PrinterHolder*>(
        session.findChild<QObject*>(QStringLiteral("sessionPrinter"), Qt::FindDirectChildrenOnly));
    if (!holder) holder = new PrinterHolder(&session);
    return *holder->printer;
}

QPrinter& PrinterForNewJob(GuiSession& session) {
    QPrinter& printer = SessionPrinter(session);
    // A page range belongs to the job it was chosen for, not to the next printout.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    return printer;
}

bool BeginPrintJob(QPainter& painter, QPrinter& printer, UserPrompts& prompts) {
    if (painter.begin(&printer)) return true;
    ReportPrintJobFailure(printer, prompts);
    return false;
}

PrintFileGuard::PrintFileGuard(QPrinter& printer) : m_printer(printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) return;
    m_target = printer.outputFileName();
    printer.setOutputFileName(m_target + QStringLiteral(".tmp-plotra"));
}

PrintFileGuard::~PrintFileGuard() {
    if (!m_finished) Finish(false);
}

bool PrintFileGuard::Finish(bool complete) {
    const bool guarded = !m_finished && !m_target.isEmpty();
    m_finished = true;
    if (!guarded) return false;
    const QString temporary = m_printer.outputFileName();
    m_printer.setOutputFileName(m_target);
    if (!QFileInfo::exists(temporary)) return false;
    if (complete) {
        // A rename within the folder: the old file is replaced in one step.
        if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_target).constData()) == 0)
            return true;
    }
    QFile::remove(temporary);
    return false;
}

void ReportPrintJobFailure(const QPrinter& printer, UserPrompts& prompts) {
    const QString file = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat && file.isEmpty()) {
        prompts.message("No file was chosen for the printout. Choose one in the print dialog.", "Print",
                        PromptIcon::Stop);
        return;
    }
    if (!file.isEmpty()) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
        prompts.message(("The printout could not be written to \"" + QDir::toNativeSeparators(file) +
                         "\".\nCheck that the folder \"" + folder +
                         "\" exists and can be written, or choose another file in the print dialog.")
                            .toStdString(),
                        "Print", PromptIcon::Stop);
        return;
    }
    const QString name = printer.printerName();
    prompts.message((name.isEmpty() ? QStringLiteral("No printer could be started for the printout.")
                                    : "The printer \"" + name + "\" could not be started for the printout.")
                            .toStdString() +
                        "\nCheck the printer, or choose another one in the print dialog.",
                    "Print", PromptIcon::Stop);
}

} // namespace plotra::gui
