#include "report/gui/HtmlrptApnotes.h"

#include "report/gui/NotesDialogParts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

QLineEdit* Editable(QWidget* parent, const QString& id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    return edit;
}

QLabel* Label(QWidget* parent, const QString& text, const QString& name, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CHtmlrptApnotes::CHtmlrptApnotes(QWidget* parent) : PagedNotesDialog(parent) {
    setObjectName("CHtmlrptApnotes");
    setWindowTitle(tr("AP Information and Notes"));
    m_position = ReadOnlyLine(this, "1110");
    m_mac = ReadOnlyLine(this, "1111");
    m_ssid = ReadOnlyLine(this, "1112");
    m_txPower = Editable(this, "1113");
    m_gain = Editable(this, "1114");
    m_direction = Editable(this, "1115");
    m_height = Editable(this, "1117");
    // The height's label depends on the unit; the caller sets it once.
    m_heightLabel = Label(this, QString(), "1116", m_height);
    m_notes = NotesEdit(this, "1118");

    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(tr("Please input the information for this AP"), this);
    prompt->setObjectName("prompt");
    layout->addWidget(prompt);
    layout->addWidget(m_position);
    auto* form = new QFormLayout;
    form->addRow(Label(this, tr("MAC:"), "macLabel", m_mac), m_mac);
    form->addRow(Label(this, tr("SSID:"), "ssidLabel", m_ssid), m_ssid);
    form->addRow(Label(this, tr("Transmission Power (dBm):"), "txPowerLabel", m_txPower), m_txPower);
    form->addRow(Label(this, tr("Antenna Gain:"), "gainLabel", m_gain), m_gain);
    form->addRow(m_heightLabel, m_height);
    form->addRow(Label(this, tr("Direction (Deg):"), "directionLabel", m_direction), m_direction);
    layout->addLayout(form);
    layout->addWidget(Label(this, tr("Notes for this AP:"), "notesLabel", m_notes));
    layout->addWidget(m_notes, 1);
    layout->addLayout(PagingButtons(this, "1122", "1123"));
    resize(380, 470);
}

void CHtmlrptApnotes::setHeightLabel(const QString& label) {
    m_heightLabel->setText(label);
}

void CHtmlrptApnotes::setEntries(std::vector<Entry> entries) {
    m_entries = std::move(entries);
    ResetEntries(static_cast<int>(m_entries.size()));
}

void CHtmlrptApnotes::StoreEntry(int index) {
    Entry& e = m_entries[static_cast<std::size_t>(index)];
    e.txPower = m_txPower->text();
    e.antennaGain = m_gain->text();
    e.direction = m_direction->text();
    e.height = m_height->text();
    e.notes = m_notes->toPlainText();
}

void CHtmlrptApnotes::ShowEntry(int index) {
    const Entry& e = m_entries[static_cast<std::size_t>(index)];
    m_position->setText(e.position);
    m_mac->setText(e.mac);
    m_ssid->setText(e.ssid);
    m_txPower->setText(e.txPower);
    m_gain->setText(e.antennaGain);
    m_direction->setText(e.direction);
    m_height->setText(e.height);
    m_notes->setPlainText(e.notes);
}

} // namespace plotra::gui
