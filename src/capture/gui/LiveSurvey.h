#pragma once
/// \brief A survey being made in the window: the capture runs on its own thread and writes every
/// completed scan to the survey file at once; the window takes the points it wrote a few times a
/// second, draws the path growing over the graph window's picture, lists the APs heard in the
/// Survey pane and shows the capture's status. Stop closes the file (never truncating it) and
/// offers to process it into the project. The project itself is not touched while the survey runs.

#include "capture/CaptureSession.h"
#include "capture/gui/SurveyDialog.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <map>
#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QPainter;
class QTreeWidget;
class QDockWidget;

namespace plotra {
struct PixelMapping;
class CPlotraDoc;
} // namespace plotra

namespace plotra::gui {

class GuiSession;

/// \brief What the window shows of a survey: the path and the APs heard so far.
struct LiveTrack {
    struct Point {
        double lat = 0, lon = 0; ///< degrees
        int fix = 0;             ///< the file's fix byte
    };
    struct HeardAp {
        std::string ssid;
        int channel = 0;
        double bestDbm = -200;
        long readings = 0;
    };
    std::vector<Point> points;
    std::map<std::array<std::uint8_t, 6>, HeardAp> heard;

    /// Adds the points a capture wrote (their readings update the APs heard).
    void Append(const std::vector<CDataPoint>& written);
};

/// \brief Draws a track over a graph picture: through the map's geo-coding when the project has a
/// map, otherwise fitted into the picture at one scale for both axes (with room to grow, so that a
/// walk does not rescale at every step). The path in blue, the latest position as a red ring.
/// The path is kept drawn in a layer of its own, so that a repaint after a new point draws one
/// segment, not the whole walk; the layer is drawn anew when the view or the fit changes.
class LiveTrackPainter {
  public:
    void Paint(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping, const QSize& size,
               const LiveTrack& track);

  private:
    struct Placement {
        bool map = false;
        std::array<double, 4> frame{}; ///< the view's model frame (map) or the fitted area (lat/lon)
        int width = 0, height = 0;
        bool operator==(const Placement&) const = default;
    };
    Placement PlacementFor(const CPlotraDoc& doc, const PixelMapping& mapping, const QSize& size,
                           const LiveTrack& track) const;
    QPointF PixelOf(const CPlotraDoc& doc, const PixelMapping& mapping, const LiveTrack::Point& p) const;

    Placement m_placement;
    QImage m_layer;
    std::size_t m_drawn = 0;
};

/// The clicks of an indoor survey over the plan: numbered boxes joined by a dashed line.
void PaintClicks(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping,
                 const std::vector<capture::Click>& clicks);

/// The same without a kept layer (one picture, a test).
void PaintLiveTrack(QPainter& painter, const CPlotraDoc& doc, const PixelMapping& mapping, const QSize& size,
                    const LiveTrack& track);

class LiveSurvey : public QObject {
    Q_OBJECT
  public:
    LiveSurvey(GuiSession& session, SurveySetup setup, QObject* parent = nullptr);
    /// Asks the capture to stop and waits for its thread (only at the end of the program or of a
    /// test: Stop and the finished signal are the way in the window).
    ~LiveSurvey() override;

    /// Opens the sources and starts writing, on the capture's thread.
    void start();
    /// Asks the capture to finish after the scan it waits for; finished() follows.
    void stop();
    bool running() const { return m_thread.joinable() && !m_ended; }

    const LiveTrack& track() const { return m_track; }
    capture::CaptureStatus status() const { return m_status; }
    const SurveySetup& setup() const { return m_setup; }
    /// "Survey: fix 3D, 7 satellites, 11.8 scans/min, 120 points, 42 APs heard, 3 without a fix".
    QString statusText() const;
    /// Why the capture stopped on its own (a source or the file failed); empty otherwise.
    const QString& failure() const { return m_failure; }

    /// Indoors: the scans are placed by clicks on the plan (the graph window's clicks go here).
    bool placesByClicks() const { return m_setup.clickMode.has_value(); }
    /// A click on the plan at model (map) coordinates; false when it could not be taken (no map,
    /// the capture not yet running).
    bool addClick(double x, double y);
    /// Takes back the last click and the scans it placed; false when there is none.
    bool undoClick();
    /// The clicks so far, in degrees.
    const std::vector<capture::Click>& clicks() const { return m_clicks; }

  signals:
    /// New points or a new status.
    void changed();
    /// The capture has ended and its file is closed.
    void finished();

  public:
    /// What the capture's thread and the window share (defined with the thread's code).
    struct Shared;

  private:
    void poll();
    void onThreadEnded();

    GuiSession& m_session;
    QPointer<GuiSession> m_liveSession;
    const SurveySetup m_setup;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_ended = false;
    QTimer m_poll;
    LiveTrack m_track;
    LiveTrackPainter m_painter;
    std::vector<capture::Click> m_clicks;
    capture::CaptureStatus m_status;
    QString m_failure;
};

/// Survey > Start Survey…: the dialog (remembering the last setup), then the survey with its pane in
/// \p window. Nothing when the dialog is cancelled. The survey belongs to \p session.
LiveSurvey* StartSurvey(GuiSession& session, QWidget* window);

/// Survey > Stop Survey.
void StopSurvey(LiveSurvey* survey);

} // namespace plotra::gui
