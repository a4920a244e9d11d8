#include "gui/GuiPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace plotra::gui {

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (description.isEmpty()) continue;
        // Qt reads the patterns from the last parentheses of a filter.
        if (pattern.isEmpty() || description.endsWith("(" + pattern + ")"))
            filters << description;
        else
            filters << description + " (" + QString(pattern).replace(';', ' ') + ")";
    }
    return filters.join(";;");
}

void SetFittingText(QMessageBox& box, const QString& text, int maxLines) {
    maxLines = std::max(maxLines, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= maxLines) {
        box.setText(text);
        return;
    }
    // A list of a thousand APs would make a box taller than any screen, its buttons out of reach:
    // the box shows the head of the list and keeps all of it under "Show Details".
    const qsizetype left = lines.size() - maxLines;
    box.setText(lines.mid(0, maxLines).join(QLatin1Char('\n')) + QLatin1Char('\n') +
                QString::fromUtf8("\u2026 and %1 more").arg(left));
    box.setDetailedText(text);
}

namespace {

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    return icon == PromptIcon::Stop      ? QMessageBox::Critical
           : icon == PromptIcon::Warning ? QMessageBox::Warning
                                         : QMessageBox::Information;
}

} // namespace

void GuiPrompts::message(const std::string& text, const std::string& caption, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString(), QMessageBox::Ok, m_parent);
    SetFittingText(box, QString::fromStdString(text));
    box.exec();
}

bool GuiPrompts::askOkCancel(const std::string& text, const std::string& caption, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    SetFittingText(box, QString::fromStdString(text));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

bool GuiPrompts::askYesNo(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(caption), QString(),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    SetFittingText(box, QString::fromStdString(text));
    return box.exec() == QMessageBox::Yes;
}

std::optional<bool> GuiPrompts::askYesNoCancel(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    SetFittingText(box, QString::fromStdString(text));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return true;
    if (answer == QMessageBox::No) return false;
    return std::nullopt;
}

namespace {

std::optional<std::string> RunFileDialog(QWidget* parent, const FileChooserRequest& r, bool save) {
    QFileDialog dialog(parent, QString::fromStdString(r.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFileFilter(r.filter));
    if (!r.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromStdString(r.defaultExtension));
    if (!r.defaultName.empty()) dialog.selectFile(QString::fromStdString(r.defaultName));
    if (!r.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

std::optional<std::string> GuiPrompts::chooseOpenFile(const FileChooserRequest& request) {
    return RunFileDialog(m_parent, request, false);
}

std::optional<std::string> GuiPrompts::chooseSaveFile(const FileChooserRequest& request) {
    return RunFileDialog(m_parent, request, true);
}

std::optional<SurveySelection> GuiPrompts::chooseSurveyFiles(const std::vector<CDataFile>& current,
                                                             bool merge) {
    if (!surveyChooser) return std::nullopt;
    return surveyChooser(m_parent, current, merge);
}

} // namespace plotra::gui
