#pragma once
/// \brief The graph window: the right-hand pane that shows the map with the coverage, contours, path,
/// AP markers, axes, compass and legend. It paints the shared renderer's picture, keeps it with the
/// document for the exports, and turns mouse gestures into calls on the view state, the point
/// queries and the document's entry points. The mouse modes are small tool objects (MouseTools.h).

#include "gui/Commands.h"
#include "gui/GuiSession.h"
#include "model/ViewState.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QDialog;
class QPrinter;

namespace plotra {
class CPlotraDoc;
struct ChangeNotice;
} // namespace plotra

namespace plotra::gui {

class GuiSession;
class CInfoWnd;
class CLegendWnd;
class MouseTool;
class ZoomTool;
class RulerTool;
class MoveApTool;

class CPlotraView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    explicit CPlotraView(GuiSession& session, QWidget* parent = nullptr);
    ~CPlotraView() override;

    // CommandTarget
    bool handlesCommand(int id) const override;
    CommandState commandState(int id) const override;
    void runCommand(int id) override;

    GuiSession& session() const { return m_session; }
    CPlotraDoc& doc() const;
    ViewState& view() const;
    /// Width and height of the drawing area (the viewport), at least 1 x 1.
    QSize clientSize() const;
    /// Pixel mapping of the visible frame onto the client area.
    PixelMapping mapping() const;

    /// The picture for the current document, view and size: the kept one while nothing changed,
    /// otherwise a new one from the renderer (which keeps it with the document).
    const QImage& picture();
    /// How many pictures this window has drawn itself (a picture made beside an opening is not one).
    int picturesDrawn() const { return m_picturesDrawn; }

    CInfoWnd* infoWindow() const { return m_info; }
    CLegendWnd* legendWindow() const { return m_legend; }
    /// The tool of the mouse mode that is on (null in the plain pointer mode).
    MouseTool* activeTool() const;

    /// How long the mouse must rest before the info window opens (the system's hover time).
    void setHoverTime(int ms) { m_hoverTimer.setInterval(ms); }

    /// Runs a modal dialog; true when it was accepted. Tests (and the main window) may replace it.
    std::function<bool(QDialog&)> execDialog;
    /// Lets the user choose a printer; true to print. Replaced by tests to print into a PDF file.
    std::function<bool(QPrinter&)> choosePrinter;

    /// Schedules a repaint of a part of the client area (the tools' rubber band and dragged icon).
    void repaintArea(const QRect& rect);
    /// Mouse modes and toggles changed: scroll bars, cursor, toolbar (through the session), repaint.
    void modesChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void onDocumentChanged(const ChangeNotice& notice);
    void onViewChanged();
    void syncScrollBars();
    void onScrollAction(ScrollAxis axis, int action);
    void scroll(ScrollAxis axis, ScrollCode code, int thumbPos);
    int charSize(ScrollAxis axis) const;
    void updateCursor();
    void placeLegend();
    void showInfo();
    void rightButtonDown(const QPoint& pos);
    void toggleMode(bool ViewState::*mode);
    /// Gives up an AP drag in progress: the AP shows where it was, the document is untouched.
    void cancelApDrag();

    void saveGraphImage();
    void print(bool preview);
    void printPicture(QPrinter& printer);
    /// Print: the picture painted on \p printer (the session's) as a job.
    void printInBackground(QPrinter& printer);

    /// What the kept picture was drawn for: a repaint reuses it while all of these are unchanged.
    struct PictureKey {
        std::uint64_t change = ~0ull;
        std::array<double, 4> frame{}, window{};
        bool map = false, directions = false;
        QSize size;
        qint64 compass = 0;
        qint64 kept = 0;  ///< the document's kept picture is still ours
        int dragged = -1; ///< the AP the mouse carries is left out
        PaletteKind palette = PaletteKind::Classic;
        bool operator==(const PictureKey&) const = default;
    };
    PictureKey currentKey() const;
    /// The first picture of a workspace being opened or of a processed project, drawn on the job's
    /// thread.
    struct FirstPicture;
    std::shared_ptr<GuiSession::PreparedPicture> prepareFirstPicture(GuiSession::PictureFor purpose);
    /// Shows \p prepared when it was drawn for what the window shows now.
    void takeFirstPicture(const FirstPicture& prepared);

    GuiSession& m_session;
    /// A window switched out is deleted later, possibly after its session: its last words go to a
    /// session only while there is one.
    QPointer<GuiSession> m_liveSession;
    QImage m_picture;
    PictureKey m_key;
    QImage m_compass; ///< rebuilt when the directions are switched on
    int m_picturesDrawn = 0;
    CInfoWnd* m_info = nullptr;
    CLegendWnd* m_legend = nullptr;
    std::unique_ptr<ZoomTool> m_zoomIn, m_zoomOut;
    std::unique_ptr<RulerTool> m_ruler;
    std::unique_ptr<MoveApTool> m_moveAp;
    QTimer m_hoverTimer;
    QPoint m_ptMouse;       ///< the last mouse position (client pixels)
    QPoint m_ptLastHover;   ///< where the info window was last opened
    bool m_syncing = false; ///< scroll bars being set from the view state
};

} // namespace plotra::gui
