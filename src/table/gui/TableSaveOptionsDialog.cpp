#include "table/gui/TableSaveOptionsDialog.h"

#include "files/ResourceDir.h"
#include "table/TableModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace plotra::gui {

CTableSaveOptionsDialog::CTableSaveOptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CTableSaveOptionsDialog");
    setWindowTitle(tr("Save Table Options"));

    auto* group = new QGroupBox(tr("File Save Options"), this);
    group->setObjectName("fileSaveOptions");
    m_headings = new QCheckBox(tr("Include Column Headings"), group);
    m_headings->setObjectName("1091");
    m_headings->setChecked(true);
    m_quotes = new QCheckBox(tr("Enclose Strings in Quotes"), group);
    m_quotes->setObjectName("1092");
    m_quotes->setChecked(true);
    auto* delimiterLabel = new QLabel(tr("Delimiter:"), group);
    delimiterLabel->setObjectName("1098");

    m_delimiters = new QButtonGroup(this);
    const char* texts[] = {"Tab", "Comma", "Space", "Other:"};
    auto* radios = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(tr(texts[i]), group);
        radio->setObjectName(QString::number(1093 + i));
        m_delimiters->addButton(radio, i);
        radios->addWidget(radio, i / 2, i % 2);
    }
    m_delimiters->button(0)->setChecked(true);
    m_other = new QLineEdit(group);
    m_other->setObjectName("1097");
    m_other->setMaxLength(8);
    m_other->setFixedWidth(m_other->fontMetrics().horizontalAdvance(QStringLiteral("XXXXXX")));
    radios->addWidget(m_other, 1, 2);
    radios->setColumnStretch(3, 1);
    // Only "Other:" takes a character of its own.
    m_other->setEnabled(false);
    connect(m_delimiters, &QButtonGroup::idClicked, this, [this](int id) { m_other->setEnabled(id == 3); });

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_headings);
    groupLayout->addWidget(m_quotes);
    groupLayout->addSpacing(6);
    groupLayout->addWidget(delimiterLabel);
    groupLayout->addLayout(radios);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("2");
    connect(ok, &QPushButton::clicked, this, &CTableSaveOptionsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
}

bool CTableSaveOptionsDialog::headings() const {
    return m_headings->isChecked();
}

bool CTableSaveOptionsDialog::quotes() const {
    return m_quotes->isChecked();
}

int CTableSaveOptionsDialog::delimiterChoice() const {
    return std::max(0, m_delimiters->checkedId());
}

QString CTableSaveOptionsDialog::otherText() const {
    return m_other->text();
}

char CTableSaveOptionsDialog::delimiter() const {
    // Only the first character of the other text counts; accept() lets nothing but ASCII through.
    const QString other = otherText();
    std::string first;
    if (!other.isEmpty() && other.at(0).unicode() < 0x80) first = static_cast<char>(other.at(0).unicode());
    return GetDelimiter(delimiterChoice(), first);
}

void CTableSaveOptionsDialog::accept() {
    // The file is written as bytes, the texts of the survey as the UTF-8 they are: a single byte
    // beyond ASCII could be part of such a character, and a reader splitting on it would cut the
    // text apart. So the other delimiter is a character of plain ASCII.
    const QString other = otherText();
    if (delimiterChoice() == 3 && !other.isEmpty() && other.at(0).unicode() >= 0x80) {
        const QString character = other.at(0).isHighSurrogate() ? other.left(2) : other.left(1);
        QMessageBox::warning(this, windowTitle(),
                             tr("The delimiter \"%1\" cannot be written into the text file: the delimiter "
                                "must be a character of plain ASCII (a letter, a digit or a sign such "
                                "as ; | or :).\nType another character, or choose Tab, Comma or Space.")
                                 .arg(character));
        m_other->setFocus();
        m_other->selectAll();
        return;
    }
    QDialog::accept();
}

QString CTableSaveOptionsDialog::helpDirectory() const {
    // The main window's help folder when the dialog is shown over it, else the same lookup it makes:
    // beside the program in a build tree, in the shared data folder when installed.
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        const QVariant folder = w->property("helpDirectory");
        if (folder.isValid() && !folder.toString().isEmpty()) return folder.toString();
    }
    return QString::fromStdString(ProgramResourceDir()) + QStringLiteral("/help");
}

void CTableSaveOptionsDialog::keyPressEvent(QKeyEvent* event) {
    // F1: the help page on saving the table.
    if (event->key() == Qt::Key_F1) {
        const QString page = QDir(helpDirectory()).filePath(QStringLiteral("export.html"));
        if (!QFileInfo::exists(page))
            QMessageBox::information(this, tr("Help"), tr("The help pages were not found: \"%1\"").arg(page));
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(page));
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace plotra::gui
