#include "capture/gui/LiveSurvey.h"

#include "gui/GuiSession.h"
#include "files/NewProject.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#ifdef PLOTRA_HAVE_NM_DBUS
#include "capture/dbus/NmScanTrigger.h"
#endif

#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QSettings>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace plotra::gui {

// ---- the track ------------------------------------------------------------------------------------

void LiveTrack::Append(const std::vector<CDataPoint>& written) {
    for (const CDataPoint& p : written) {
        points.push_back({p.m_rec.m_nLatMas / 3600000.0, p.m_rec.m_nLonMas / 3600000.0, p.m_rec.m_byFix});
        for (const CHssData& r : p.m_aReadings) {
            HeardAp& ap = heard[r.m_abyMAC];
            if (ap.readings == 0) {
                const auto end = std::find(r.m_szSSID.begin(), r.m_szSSID.end(), '\0');
                ap.ssid.assign(r.m_szSSID.begin(), end);
            }
            ap.channel = r.m_byChannel;
            ap.bestDbm = std::max(ap.bestDbm, r.RssiDbm());
            ++ap.readings;
        }
    }
}

namespace {

constexpr double kMetresPerDegree = 111320.0;
const QColor kPathColour(0, 90, 220);

} // namespace

LiveTrackPainter::Placement LiveTrackPainter::PlacementFor(const CPlotraDoc& doc, const PixelMapping& mapping,
                                                           const QSize& size, const LiveTrack& track) const {
    Placement p;
    p.width = size.width(), p.height = size.height();
    if (doc.Map().m_bMapLoaded) {
        p.map = true;
        p.frame = {mapping.frame.x0, mapping.frame.y0, mapping.frame.xs, mapping.frame.ys};
        return p;
    }
    // The fitted area: kept while every point lies in it, else the points' extent and as much again.
    const auto inside = [](const std::array<double, 4>& f, const LiveTrack::Point& q) {
        return q.lon >= f[0] && q.lon <= f[0] + f[2] && q.lat >= f[1] && q.lat <= f[1] + f[3];
    };
    const bool sameSize = m_placement.width == p.width && m_placement.height == p.height && !m_placement.map;
    bool fits = sameSize && m_placement.frame[2] > 0;
    for (std::size_t i = m_drawn; fits && i < track.points.size(); ++i)
        fits = inside(m_placement.frame, track.points[i]);
    if (fits && m_drawn <= track.points.size()) return m_placement;
    double latMin = 90, latMax = -90, lonMin = 180, lonMax = -180;
    for (const LiveTrack::Point& q : track.points) {
        latMin = std::min(latMin, q.lat), latMax = std::max(latMax, q.lat);
        lonMin = std::min(lonMin, q.lon), lonMax = std::max(lonMax, q.lon);
    }
    const double padLat = std::max((latMax - latMin) / 2, 1e-5),
                 padLon = std::max((lonMax - lonMin) / 2, 1e-5);
    p.frame = {lonMin - padLon, latMin - padLat, lonMax - lonMin + 2 * padLon, latMax - latMin + 2 * padLat};
    return p;
}

QPointF LiveTrackPainter::PixelOf(const CPlotraDoc& doc, const PixelMapping& mapping,
                                  const LiveTrack::Point& q) const {
    if (m_placement.map) {
        const CDataGeo m = doc.GeoToMap(q.lat, q.lon);
        return {mapping.PxExact(m.m_dX), mapping.PyExact(m.m_dY)};
    }
    // Local metres around the middle of the fitted area, one scale for both axes.
    const auto& f = m_placement.frame;
    const double midLat = f[1] + f[3] / 2, midLon = f[0] + f[2] / 2;
    const double east = std::cos(midLat * M_PI / 180) * kMetresPerDegree;
    const double margin = 20;
    const double scale =
        std::min((m_placement.width - 2 * margin) / std::max(f[2] * east, 1e-9),
                 (m_placement.height - 2 * margin) / std::max(f[3] * kMetresPerDegree, 1e-9));
    return {m_placement.width / 2.0 + (q.lon - midLon) * east * scale,
            m_placement.height / 2.0 - (q.lat - midLat) * kMetresPerDegree * scale};
}

void LiveTrackPainter::Paint(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping,
                             const QSize& size, const LiveTrack& track) {
    if (track.points.empty() || size.width() < 2 || size.height() < 2) return;
    const Placement placement = PlacementFor(doc, mapping, size, track);
    if (!(placement == m_placement) || m_layer.size() != size || m_drawn > track.points.size()) {
        m_placement = placement;
        m_layer = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_layer.fill(Qt::transparent);
        m_drawn = 0;
    }
    if (m_layer.isNull()) return;
    {
        // Only what came since the last paint: the segment from the last point drawn, and the dots.
        QPainter layer(&m_layer);
        layer.setRenderHint(QPainter::Antialiasing);
        const QPen line(kPathColour, 2);
        QPointF previous = m_drawn > 0 ? PixelOf(doc, mapping, track.points[m_drawn - 1]) : QPointF();
        for (std::size_t i = m_drawn; i < track.points.size(); ++i) {
            const QPointF here = PixelOf(doc, mapping, track.points[i]);
            if (i > 0) {
                layer.setPen(line);
                layer.drawLine(previous, here);
            }
            layer.setPen(Qt::NoPen);
            layer.setBrush(kPathColour);
            layer.drawEllipse(here, 2.5, 2.5);
            previous = here;
        }
        m_drawn = track.points.size();
    }
    painter.drawImage(0, 0, m_layer);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(220, 20, 20), 3));
    painter.drawEllipse(PixelOf(doc, mapping, track.points.back()), 8, 8);
    painter.restore();
}

void PaintClicks(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping,
                 const std::vector<capture::Click>& clicks) {
    if (!doc.Map().m_bMapLoaded) return;
    std::vector<QPointF> px;
    for (const capture::Click& c : clicks) {
        const CDataGeo m = doc.GeoToMap(c.lat, c.lon);
        px.emplace_back(mapping.PxExact(m.m_dX), mapping.PyExact(m.m_dY));
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(230, 120, 0), 1.5, Qt::DashLine));
    painter.drawPolyline(px.data(), static_cast<int>(px.size()));
    painter.setPen(QPen(QColor(230, 120, 0), 2));
    painter.setBrush(QColor(255, 220, 150));
    QFont font = painter.font();
    font.setPointSize(7);
    painter.setFont(font);
    for (std::size_t i = 0; i < px.size(); ++i) {
        const QRectF box(px[i].x() - 8, px[i].y() - 8, 16, 16);
        painter.drawRect(box);
        painter.drawText(box, Qt::AlignCenter, QString::number(i + 1));
    }
    painter.restore();
}

void PaintLiveTrack(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping, const QSize& size,
                    const LiveTrack& track) {
    LiveTrackPainter once;
    once.Paint(painter, doc, mapping, size, track);
}

// ---- the capture's thread -------------------------------------------------------------------------

/// What the capture's thread and the window share.
struct LiveSurvey::Shared {
    std::mutex mutex;
    std::shared_ptr<capture::CaptureSession> session; ///< set once the sources are open
    bool stopRequested = false;
    std::string failure;
};

namespace {

void RunCapture(LiveSurvey::Shared* sharedRaw, std::shared_ptr<void> keep, const SurveySetup& setup,
                const std::function<void()>& ended);

} // namespace

LiveSurvey::LiveSurvey(GuiSession& session, SurveySetup setup, QObject* parent)
    : QObject(parent), m_session(session), m_liveSession(&session), m_setup(std::move(setup)),
      m_shared(std::make_shared<Shared>()) {
    m_poll.setInterval(250);
    connect(&m_poll, &QTimer::timeout, this, &LiveSurvey::poll);
}

LiveSurvey::~LiveSurvey() {
    stop();
    if (m_thread.joinable()) m_thread.join();
    // A survey outlived by its session (a child of it) finds it gone.
    if (m_liveSession) {
        m_liveSession->releaseGraphClick(this);
        m_liveSession->releaseGraphOverlay(this);
    }
}

void LiveSurvey::start() {
    if (m_thread.joinable()) return;
    m_session.setGraphOverlay(
        [this](QPainter& p, const PixelMapping& m, const QSize& s) {
            m_painter.Paint(p, m_session.doc(), m, s, m_track);
            if (!m_clicks.empty()) PaintClicks(p, m_session.doc(), m, m_clicks);
        },
        this);
    if (placesByClicks())
        m_session.setGraphClick([this](double x, double y) { return addClick(x, y); }, this);
    std::shared_ptr<Shared> shared = m_shared;
    const SurveySetup setup = m_setup;
    m_thread = std::thread([shared, setup, this] {
        RunCapture(shared.get(), shared, setup, [this] {
            QMetaObject::invokeMethod(
                this, [this] { onThreadEnded(); }, Qt::QueuedConnection);
        });
    });
    m_poll.start();
}

void LiveSurvey::stop() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->stopRequested = true;
    if (m_shared->session) m_shared->session->RequestStop();
}

void LiveSurvey::poll() {
    std::shared_ptr<capture::CaptureSession> session;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        session = m_shared->session;
    }
    if (!session) return;
    const std::vector<CDataPoint> appended = session->TakeAppended();
    const capture::CaptureStatus status = session->Status();
    const bool changedStatus = status.scans != m_status.scans || status.fixMode != m_status.fixMode ||
                               status.satellites != m_status.satellites;
    m_status = status;
    if (appended.empty() && !changedStatus) return;
    m_track.Append(appended);
    if (!appended.empty()) m_session.notifyOverlayChanged();
    emit changed();
}

bool LiveSurvey::addClick(double x, double y) {
    const CPlotraDoc& doc = m_session.doc();
    if (!doc.Map().m_bMapLoaded || !running()) return false;
    const auto geo = doc.MapToGeoQuiet(x, y);
    std::shared_ptr<capture::CaptureSession> session;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        session = m_shared->session;
    }
    if (!geo || !session) return false;
    session->AddClick(geo->m_dY, geo->m_dX);
    m_clicks = session->Clicks();
    m_session.notifyOverlayChanged();
    emit changed();
    return true;
}

bool LiveSurvey::undoClick() {
    std::shared_ptr<capture::CaptureSession> session;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        session = m_shared->session;
    }
    if (!session || !session->UndoClick()) return false;
    m_clicks = session->Clicks();
    m_session.notifyOverlayChanged();
    emit changed();
    return true;
}

void LiveSurvey::onThreadEnded() {
    if (m_thread.joinable()) m_thread.join(); // it has returned: this does not wait
    m_session.releaseGraphClick(this);
    m_poll.stop();
    poll(); // the points written after the last tick
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_failure = QString::fromStdString(m_shared->failure);
    }
    m_ended = true;
    emit changed();
    emit finished();
}

QString LiveSurvey::statusText() const {
    const capture::CaptureStatus& s = m_status;
    if (placesByClicks()) {
        QString text =
            QStringLiteral(
                "Survey: %1 clicks, %2 scans/min, %3 points, %4 APs heard, %5 scans without a place")
                .arg(m_clicks.size())
                .arg(s.scansPerMinute, 0, 'f', 1)
                .arg(s.pointsWritten)
                .arg(static_cast<long>(m_track.heard.size()))
                .arg(s.noFix);
        if (running())
            text +=
                QStringLiteral(" (click where you are on the plan; Edit > Undo takes the last click back)");
        return text;
    }
    const QString fix = s.fixMode >= 3   ? QStringLiteral("3D")
                        : s.fixMode == 2 ? QStringLiteral("2D")
                                         : QStringLiteral("none");
    const QString satellites = s.satellites < 0 ? QStringLiteral("?") : QString::number(s.satellites);
    return QStringLiteral(
               "Survey: fix %1, %2 satellites, %3 scans/min, %4 points, %5 APs heard, %6 without a fix")
        .arg(fix, satellites)
        .arg(s.scansPerMinute, 0, 'f', 1)
        .arg(s.pointsWritten)
        .arg(static_cast<long>(m_track.heard.size()))
        .arg(s.noFix);
}

namespace {

void RunCapture(LiveSurvey::Shared* shared, std::shared_ptr<void> keep, const SurveySetup& setup,
                const std::function<void()>& ended) {
    (void)keep; // the shared state lives as long as this thread
    const auto fail = [&](const std::string& why) {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->failure = why;
    };
    std::string error;
    capture::SystemTriggerMaker trigger;
#ifdef PLOTRA_HAVE_NM_DBUS
    trigger = [] { return capture::MakeNetworkManagerTrigger(); };
#endif
    auto scans = capture::OpenScanSource(setup.sources, trigger, &error);
    if (!scans) return fail(error), ended();
    std::unique_ptr<capture::PositionSource> positions;
    if (!setup.clickMode && !(positions = capture::OpenPositionSource(setup.sources, &error)))
        return fail(error), ended();
    capture::CaptureOptions options;
    options.clickMode = setup.clickMode;
    options.realtime = setup.realtime && !setup.sources.replayScans.empty();
    auto session = std::make_shared<capture::CaptureSession>(std::move(scans), std::move(positions), options);
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->session = session;
        if (shared->stopRequested) session->RequestStop();
    }
    if (!session->Start(setup.surveyFile, &error)) return fail(error), ended();
    capture::CaptureSession::Step step;
    while ((step = session->RunStep()) == capture::CaptureSession::Step::Continue) {
    }
    if (step == capture::CaptureSession::Step::Failed) fail(session->Error());
    std::string closing;
    if (!session->Stop(&closing) && step != capture::CaptureSession::Step::Failed) fail(closing);
    ended();
}

} // namespace

// ---- the window's side ----------------------------------------------------------------------------

namespace {

SurveySetup LoadLastSetup() {
    QSettings s;
    s.beginGroup(QStringLiteral("Survey"));
    SurveySetup setup;
    setup.sources.interfaceName = s.value(QStringLiteral("interface")).toString().toStdString();
    setup.sources.gpsd =
        s.value(QStringLiteral("gpsd"), QStringLiteral("localhost:2947")).toString().toStdString();
    setup.sources.replayScans = s.value(QStringLiteral("replayScans")).toString().toStdString();
    setup.sources.replayGps = s.value(QStringLiteral("replayGps")).toString().toStdString();
    setup.realtime = s.value(QStringLiteral("realtime"), true).toBool();
    setup.surveyFile = s.value(QStringLiteral("file")).toString().toStdString();
    setup.clickMode = capture::ParseClickMode(s.value(QStringLiteral("clicks")).toString().toStdString());
    return setup;
}

void SaveLastSetup(const SurveySetup& setup) {
    QSettings s;
    s.beginGroup(QStringLiteral("Survey"));
    s.setValue(QStringLiteral("interface"), QString::fromStdString(setup.sources.interfaceName));
    s.setValue(QStringLiteral("gpsd"), QString::fromStdString(setup.sources.gpsd));
    s.setValue(QStringLiteral("replayScans"), QString::fromStdString(setup.sources.replayScans));
    s.setValue(QStringLiteral("replayGps"), QString::fromStdString(setup.sources.replayGps));
    s.setValue(QStringLiteral("realtime"), setup.realtime);
    s.setValue(QStringLiteral("file"), QString::fromStdString(setup.surveyFile));
    const char* clicks = !setup.clickMode                                    ? ""
                         : *setup.clickMode == capture::ClickMode::StopAndGo ? "stop-and-go"
                                                                             : "continuous";
    s.setValue(QStringLiteral("clicks"), QString::fromLatin1(clicks));
}

QString MacText(const std::array<std::uint8_t, 6>& mac) {
    QString text;
    for (std::size_t i = 0; i < mac.size(); ++i)
        text += QStringLiteral("%1%2")
                    .arg(i ? QStringLiteral("-") : QString())
                    .arg(mac[i], 2, 16, QLatin1Char('0'));
    return text.toUpper();
}

/// The Survey pane: the status and the APs heard, strongest first.
class SurveyPane : public QDockWidget {
  public:
    SurveyPane(QMainWindow* window, LiveSurvey& survey)
        : QDockWidget(QStringLiteral("Survey"), window), m_survey(survey) {
        setObjectName("surveyPane");
        auto* body = new QWidget(this);
        auto* layout = new QVBoxLayout(body);
        m_status = new QLabel(body);
        m_status->setObjectName("surveyStatus");
        m_status->setWordWrap(true);
        m_heard = new QTreeWidget(body);
        m_heard->setObjectName("heardAps");
        m_heard->setRootIsDecorated(false);
        m_heard->setHeaderLabels({QStringLiteral("MAC"), QStringLiteral("SSID"), QStringLiteral("Ch"),
                                  QStringLiteral("Best dBm"), QStringLiteral("Readings")});
        m_heard->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        layout->addWidget(m_status);
        layout->addWidget(m_heard, 1);
        setWidget(body);
        window->addDockWidget(Qt::BottomDockWidgetArea, this);
        connect(&survey, &LiveSurvey::changed, this, [this] { refresh(); });
        refresh();
    }

  private:
    void refresh() {
        const QString text =
            m_survey.statusText() + (m_survey.running() ? QString() : QStringLiteral(" (stopped)"));
        m_status->setText(text);
        if (auto* window = qobject_cast<QMainWindow*>(parentWidget())) window->statusBar()->showMessage(text);
        for (const auto& [mac, ap] : m_survey.track().heard) {
            QTreeWidgetItem*& item = m_items[mac];
            if (!item) {
                item = new QTreeWidgetItem(m_heard);
                item->setText(0, MacText(mac));
                item->setText(1, QString::fromUtf8(ap.ssid.data(), static_cast<int>(ap.ssid.size())));
            }
            item->setText(2, QString::number(ap.channel));
            item->setText(3, QString::number(ap.bestDbm, 'f', 1));
            item->setData(4, Qt::DisplayRole, static_cast<qlonglong>(ap.readings));
        }
        m_heard->sortItems(0, Qt::AscendingOrder);
    }

    LiveSurvey& m_survey;
    QLabel* m_status = nullptr;
    QTreeWidget* m_heard = nullptr;
    std::map<std::array<std::uint8_t, 6>, QTreeWidgetItem*> m_items;
};

/// After Stop: what happened, and the offer to make the survey the project.
void OfferToProcess(GuiSession& session, LiveSurvey& survey) {
    CPlotraDoc& doc = session.doc();
    UserPrompts& prompts = doc.Prompts();
    const std::string path = survey.setup().surveyFile;
    if (!survey.failure().isEmpty())
        prompts.message(survey.failure().toStdString() + "\nEvery scan written before is kept in " + path +
                            ".",
                        "Survey", PromptIcon::Stop);
    const long points = survey.status().pointsWritten;
    if (points == 0) {
        if (survey.failure().isEmpty())
            prompts.message(
                "No scan was written (none had a GPS fix within 2 s): there is nothing to process.", "Survey",
                PromptIcon::Information);
        return;
    }
    const std::string question = "The survey was written to " + path + ": " + std::to_string(points) +
                                 " points, " + std::to_string(survey.track().heard.size()) +
                                 " APs heard.\n\nProcess it into the project now?";
    if (!prompts.askYesNo(question, "Survey")) return;
    if (doc.RefuseWhileBusy()) return;
    // A Yes to saving first writes the project as a job; the survey is loaded once it is written.
    const QObject* owner = &survey;
    session.saveModifiedThen([&session, path, owner] {
        std::vector<CDataFile> files;
        if (!AddSurveyFile(files, path, session.doc().Prompts())) return;
        session.releaseGraphOverlay(owner); // the project draws the path itself from now on
        session.replaceSurveyFiles(std::move(files), false);
    });
}

} // namespace

LiveSurvey* StartSurvey(GuiSession& session, QWidget* window) {
    SurveyDialog dialog(window);
    dialog.setPlanLoaded(session.doc().Map().m_bMapLoaded != 0);
    dialog.setSetup(LoadLastSetup());
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    const SurveySetup setup = dialog.setup();
    SaveLastSetup(setup);
    auto* survey = new LiveSurvey(session, setup, &session);
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        // One pane at a time: the previous survey's goes with it.
        for (QDockWidget* old : main->findChildren<QDockWidget*>(QStringLiteral("surveyPane")))
            old->deleteLater();
        new SurveyPane(main, *survey);
    }
    QObject::connect(survey, &LiveSurvey::finished, &session,
                     [&session, survey] { OfferToProcess(session, *survey); });
    survey->start();
    return survey;
}

void StopSurvey(LiveSurvey* survey) {
    if (survey) survey->stop();
}

} // namespace plotra::gui
