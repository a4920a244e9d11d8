#include "capture/gui/SurveyDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

SurveyDialog::SurveyDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Start Survey"));
    auto* layout = new QVBoxLayout(this);

    m_live = new QRadioButton(QStringLiteral("Scan with this computer's &Wi-Fi adapter and gpsd"), this);
    m_live->setObjectName("live");
    m_replay = new QRadioButton(QStringLiteral("&Replay a scan recording and a GPS log"), this);
    m_replay->setObjectName("replay");
    auto* form = new QFormLayout;
    m_interface = new QComboBox(this);
    m_interface->setObjectName("interface");
    m_interface->setEditable(true);
    m_interface->addItem(QString()); // the first Wi-Fi interface
    m_interface->addItems(WirelessInterfaces());
    m_interface->setToolTip(QStringLiteral("Empty: the first Wi-Fi interface"));
    m_gpsd = new QLineEdit(QStringLiteral("localhost:2947"), this);
    m_gpsd->setObjectName("gpsd");
    m_scans = new QLineEdit(this);
    m_scans->setObjectName("scans");
    m_gpsLog = new QLineEdit(this);
    m_gpsLog->setObjectName("gpsLog");
    m_realtime = new QCheckBox(QStringLiteral("At the &pace it was recorded"), this);
    m_realtime->setObjectName("realtime");
    m_realtime->setChecked(true);
    m_file = new QLineEdit(this);
    m_file->setObjectName("surveyFile");
    m_byClicks = new QCheckBox(QStringLiteral("Place scans by &clicking on the floor plan"), this);
    m_byClicks->setObjectName("byClicks");
    m_byClicks->setToolTip(QStringLiteral("Indoors, without GPS: click where you stand"));
    m_clickMode = new QComboBox(this);
    m_clickMode->setObjectName("clickMode");
    m_clickMode->addItem(QStringLiteral("Stop and go: the next scan is placed where I click"),
                         QStringLiteral("stop-and-go"));
    m_clickMode->addItem(QStringLiteral("Continuous: I click at every turn of my walk"),
                         QStringLiteral("continuous"));

    const auto withBrowse = [this](QLineEdit* edit, const QString& filter, bool save) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        auto* button = new QPushButton(QStringLiteral("Browse..."), this);
        button->setObjectName(edit->objectName() + "Browse");
        connect(button, &QPushButton::clicked, this, [=, this] { browse(edit, filter, save); });
        row->addWidget(button);
        return row;
    };
    form->addRow(m_live);
    form->addRow(QStringLiteral("&Adapter:"), m_interface);
    form->addRow(QStringLiteral("&GPS (gpsd host:port):"), m_gpsd);
    form->addRow(m_replay);
    form->addRow(QStringLiteral("Scan recording:"),
                 withBrowse(m_scans, QStringLiteral("Scan recordings (*.scans);;All files (*)"), false));
    form->addRow(QStringLiteral("GPS log:"),
                 withBrowse(m_gpsLog, QStringLiteral("gpsd logs (*.json *.log);;All files (*)"), false));
    form->addRow(QString(), m_realtime);
    form->addRow(m_byClicks);
    form->addRow(QStringLiteral("Clicks:"), m_clickMode);
    form->addRow(QStringLiteral("Survey file:"),
                 withBrowse(m_file, QStringLiteral("Survey data files (*.hsd);;All files (*)"), true));
    layout->addLayout(form);
    auto* note = new QLabel(QStringLiteral("Every completed scan is written to the survey file at once; "
                                           "Stop closes it and offers to process it into the project."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Start"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SurveyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_liveWidgets = {m_interface, m_gpsd};
    m_replayWidgets = {m_scans, m_gpsLog, m_realtime};
    connect(m_live, &QRadioButton::toggled, this, &SurveyDialog::updateEnabled);
    connect(m_byClicks, &QCheckBox::toggled, this, &SurveyDialog::updateEnabled);
    setPlanLoaded(false);
    m_live->setChecked(true);
    updateEnabled();
}

void SurveyDialog::updateEnabled() {
    const bool live = m_live->isChecked(), clicks = m_byClicks->isEnabled() && m_byClicks->isChecked();
    for (QWidget* w : m_liveWidgets)
        w->setEnabled(live);
    for (QWidget* w : m_replayWidgets)
        w->setEnabled(!live);
    // Clicks take the place of the GPS.
    m_gpsd->setEnabled(live && !clicks);
    m_gpsLog->setEnabled(!live && !clicks);
    m_clickMode->setEnabled(clicks);
    if (auto* b = findChild<QPushButton*>(m_scans->objectName() + "Browse")) b->setEnabled(!live);
    if (auto* b = findChild<QPushButton*>(m_gpsLog->objectName() + "Browse")) b->setEnabled(!live && !clicks);
}

void SurveyDialog::setPlanLoaded(bool loaded) {
    m_byClicks->setEnabled(loaded);
    if (!loaded) m_byClicks->setChecked(false);
    m_byClicks->setToolTip(loaded ? QStringLiteral("Indoors, without GPS: click where you stand")
                                  : QStringLiteral("Load a floor plan (or a map) first"));
    updateEnabled();
}

void SurveyDialog::browse(QLineEdit* edit, const QString& filter, bool save) {
    const QString start = edit->text().isEmpty() ? QDir::homePath() : edit->text();
    const QString path =
        save ? QFileDialog::getSaveFileName(this, QStringLiteral("Survey File"), start, filter)
             : QFileDialog::getOpenFileName(this, QStringLiteral("Open"), start, filter);
    if (path.isEmpty()) return;
    if (save && QFileInfo(path).suffix().isEmpty())
        edit->setText(path + QStringLiteral(".hsd"));
    else
        edit->setText(path);
}

void SurveyDialog::setSetup(const SurveySetup& s) {
    const bool replay = !s.sources.replayScans.empty();
    (replay ? m_replay : m_live)->setChecked(true);
    m_interface->setCurrentText(Q(s.sources.interfaceName));
    m_gpsd->setText(Q(s.sources.gpsd));
    m_scans->setText(Q(s.sources.replayScans));
    m_gpsLog->setText(Q(s.sources.replayGps));
    m_realtime->setChecked(s.realtime);
    m_file->setText(Q(s.surveyFile));
    if (m_byClicks->isEnabled()) m_byClicks->setChecked(s.clickMode.has_value());
    m_clickMode->setCurrentIndex(s.clickMode == capture::ClickMode::Continuous ? 1 : 0);
    updateEnabled();
}

SurveySetup SurveyDialog::setup() const {
    SurveySetup s;
    s.surveyFile = m_file->text().trimmed().toStdString();
    s.realtime = m_realtime->isChecked();
    if (m_byClicks->isEnabled() && m_byClicks->isChecked())
        s.clickMode = capture::ParseClickMode(m_clickMode->currentData().toString().toStdString());
    if (m_live->isChecked()) {
        s.sources.interfaceName = m_interface->currentText().trimmed().toStdString();
        s.sources.gpsd = m_gpsd->text().trimmed().toStdString();
    } else {
        s.sources.replayScans = m_scans->text().trimmed().toStdString();
        s.sources.replayGps = m_gpsLog->text().trimmed().toStdString();
    }
    return s;
}

void SurveyDialog::accept() {
    const SurveySetup s = setup();
    QString missing;
    if (s.surveyFile.empty())
        missing = QStringLiteral("Choose the survey file the scans are written to.");
    else if (m_replay->isChecked() && s.sources.replayScans.empty())
        missing = QStringLiteral("Choose the scan recording to replay.");
    else if (m_replay->isChecked() && !s.clickMode && s.sources.replayGps.empty())
        missing = QStringLiteral("Choose the GPS log to replay (or place the scans by clicking).");
    else if (m_live->isChecked() && !s.clickMode && s.sources.gpsd.empty())
        missing = QStringLiteral("Give the gpsd host and port (for example localhost:2947).");
    if (!missing.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), missing);
        return;
    }
    QDialog::accept();
}

QStringList SurveyDialog::WirelessInterfaces() {
    QStringList names;
    const QDir net(QStringLiteral("/sys/class/net"));
    for (const QString& name : net.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System))
        if (QFileInfo::exists(net.filePath(name + QStringLiteral("/wireless")))) names << name;
    return names;
}

} // namespace plotra::gui
