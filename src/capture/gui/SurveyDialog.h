#pragma once
/// \brief Survey > Start Survey…: where the scans and positions come from and the survey file they
/// go to. Live: the Wi-Fi adapter and gpsd; or a recording and a GPS log replayed (demonstrations,
/// bug reports, a survey made elsewhere).

#include "capture/ClickPlacer.h"
#include "capture/SourceSetup.h"

#include <optional>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace plotra::gui {

/// \brief What the dialog was given.
struct SurveySetup {
    capture::SourceSetup sources;
    std::string surveyFile;
    bool realtime = true; ///< a replay at the pace it was recorded
    /// Indoors: the scans placed by clicks on the floor plan instead of by GPS fixes.
    std::optional<capture::ClickMode> clickMode;
};

class SurveyDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SurveyDialog(QWidget* parent = nullptr);
    void setSetup(const SurveySetup& setup);
    /// Placing scans by clicks needs a plan (a map) in the project.
    void setPlanLoaded(bool loaded);
    SurveySetup setup() const;

    /// The Wi-Fi interfaces of this computer (those with a "wireless" folder in sysfs).
    static QStringList WirelessInterfaces();

    /// Checks that the chosen sources and file are complete before closing.
    void accept() override;

  private:
    void updateEnabled();
    void browse(QLineEdit* edit, const QString& filter, bool save);

    QRadioButton* m_live = nullptr;
    QRadioButton* m_replay = nullptr;
    QComboBox* m_interface = nullptr;
    QLineEdit* m_gpsd = nullptr;
    QLineEdit* m_scans = nullptr;
    QLineEdit* m_gpsLog = nullptr;
    QCheckBox* m_realtime = nullptr;
    QCheckBox* m_byClicks = nullptr;
    QComboBox* m_clickMode = nullptr;
    QLineEdit* m_file = nullptr;
    QList<QWidget*> m_liveWidgets, m_replayWidgets;
};

} // namespace plotra::gui
