#include "mapview/gui/PlotraView.h"

#include "gui/GuiSession.h"
#include "gui/SessionPrinter.h"
#include "mapview/Axes.h"
#include "mapview/GraphExport.h"
#include "mapview/GraphRenderer.h"
#include "mapview/KmlExport.h"
#include "mapview/Legend.h"
#include "mapview/gui/DialogApicon.h"
#include "mapview/gui/InfoWnd.h"
#include "mapview/gui/LegendWnd.h"
#include "mapview/gui/MouseTools.h"
#include "model/PlotraDoc.h"
#include "model/PointQuery.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace plotra::gui {

namespace {

// Windows' default time a mouse must rest to count as hovering.
constexpr int kHoverMs = 400;
constexpr int kWheelNotch = 120;

} // namespace

CPlotraView::CPlotraView(GuiSession& session, QWidget* parent)
    : QAbstractScrollArea(parent), m_session(session), m_liveSession(&session) {
    setObjectName(QStringLiteral("CPlotraView"));
    viewport()->setObjectName(QStringLiteral("GraphViewport"));
    viewport()->setMouseTracking(true);
    // The picture covers the whole client area: no background to erase first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);

    m_zoomIn = std::make_unique<ZoomTool>(*this, true);
    m_zoomOut = std::make_unique<ZoomTool>(*this, false);
    m_ruler = std::make_unique<RulerTool>(*this);
    m_moveAp = std::make_unique<MoveApTool>(*this);
    m_legend = new CLegendWnd(viewport());
    m_info = new CInfoWnd(viewport());

    execDialog = [](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        return execDialog(dialog);
    };

    horizontalScrollBar()->setObjectName(QStringLiteral("HorizontalScrollBar"));
    verticalScrollBar()->setObjectName(QStringLiteral("VerticalScrollBar"));
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setRange(0, 1000);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(ScrollAxis::Horizontal, action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(ScrollAxis::Vertical, action); });

    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CPlotraView::showInfo);

    m_session.setPicturePreparer([this](GuiSession::PictureFor purpose) { return prepareFirstPicture(purpose); },
                                 this);
    connect(&m_session.notices(), &DocumentSignals::changed, this, &CPlotraView::onDocumentChanged);
    connect(&m_session, &GuiSession::viewChanged, this, &CPlotraView::onViewChanged);
    connect(&m_session, &GuiSession::overlayChanged, viewport(), [this] { viewport()->update(); });
    syncScrollBars();
    updateCursor();
}

CPlotraView::~CPlotraView() {
    // The view state outlives the window: no AP may stay hidden in the next graph window.
    if (m_liveSession) {
        cancelApDrag();
        m_session.releasePicturePreparer(this);
    }
}

CPlotraDoc& CPlotraView::doc() const {
    return m_session.doc();
}

ViewState& CPlotraView::view() const {
    return m_session.view();
}

QSize CPlotraView::clientSize() const {
    const QSize s = viewport()->size();
    return QSize(std::max(1, s.width()), std::max(1, s.height()));
}

PixelMapping CPlotraView::mapping() const {
    const QSize s = clientSize();
    return view().Mapping(doc(), s.width(), s.height());
}

MouseTool* CPlotraView::activeTool() const {
    const ViewState& v = view();
    if (v.m_bZoomIn) return m_zoomIn.get();
    if (v.m_bZoomOut) return m_zoomOut.get();
    if (v.m_bRuler) return m_ruler.get();
    if (v.m_bMoveAP) return m_moveAp.get();
    return nullptr;
}

// ---- the picture --------------------------------------------------------------------------------------

CPlotraView::PictureKey CPlotraView::currentKey() const {
    const CPlotraDoc& d = doc();
    const ViewState& v = view();
    PictureKey k;
    k.change = d.ChangeCounter();
    // The frame is part of the key as well: the extent computation moves it and asks the host to reset
    // the zoom, which repaints through the view's signal rather than through a notice.
    k.frame = {d.Frame().m_dFrameOriginX, d.Frame().m_dFrameOriginY, d.Frame().m_dFrameSpanX,
               d.Frame().m_dFrameSpanY};
    k.window = {v.m_dViewXMin, v.m_dViewXMax, v.m_dViewYMin, v.m_dViewYMax};
    k.map = v.m_bShowMap;
    k.directions = v.m_bShowDirections;
    k.size = clientSize();
    k.compass = m_compass.cacheKey();
    k.kept = GraphPictureOf(d).cacheKey();
    k.dragged = v.m_nDraggedAP;
    k.palette = v.m_palette;
    return k;
}

const QImage& CPlotraView::picture() {
    const PictureKey key = currentKey();
    if (key == m_key && !m_picture.isNull()) return m_picture;
    CPlotraDoc& d = doc();
    if (view().m_bShowDirections && m_compass.isNull())
        m_compass = BuildCompass(CompassNorthOffset(d, mapping()));
    const QSize s = clientSize();
    // The renderer keeps the picture with the document: the exports and printing use that one.
    m_picture =
        RenderGraph(d, view(), s.width(), s.height(), view().m_bShowDirections ? &m_compass : nullptr);
    ++m_picturesDrawn;
    m_key = currentKey();
    placeLegend();
    return m_picture;
}

/// What the window would draw first for the project being opened or processed, drawn from the
/// project the job made with the window's view state and size as they were when the job started
/// (an opening gives up an AP drag and sets the map toggle; a processing fits the zoom to its frame).
struct CPlotraView::FirstPicture final : GuiSession::PreparedPicture {
    QPointer<CPlotraView> window;
    ViewState view;
    QSize size;
    QImage compass, picture;
    /// What the document keeps of its own through the job, as the picture was drawn with it.
    int lineWidth = 0;
    int showNoGps = 0;
    std::uint8_t showLonLat = 0;
    COLORREF singleColour = 0;
    decltype(DisplaySettings::m_crPalette) palette{};
    std::array<double, 4> frame{};

    static std::array<double, 4> FrameOf(const CPlotraDoc& doc) {
        const FrameGeometry& f = doc.Frame();
        return {f.m_dFrameOriginX, f.m_dFrameOriginY, f.m_dFrameSpanX, f.m_dFrameSpanY};
    }

    void make(const CPlotraDoc& made, bool mapShown) override {
        view.m_bShowMap = mapShown;
        if (view.m_bShowDirections)
            compass = BuildCompass(CompassNorthOffset(made, view.Mapping(made, size.width(), size.height())));
        picture = ComposeGraph(made, view.Visible(made), ScreenLayers(made, view), size.width(),
                               size.height(), view.m_bShowDirections ? &compass : nullptr);
        const DisplaySettings& d = made.Display();
        lineWidth = d.m_nLineWidth;
        showNoGps = d.m_bShowNoGps;
        showLonLat = d.m_bShowLonLat;
        singleColour = d.m_crSingleColour;
        palette = d.m_crPalette;
        frame = FrameOf(made);
    }
    void take() override {
        if (window) window->takeFirstPicture(*this);
    }
};

std::shared_ptr<GuiSession::PreparedPicture>
CPlotraView::prepareFirstPicture(GuiSession::PictureFor purpose) {
    // A window that is not shown draws nothing until it is.
    if (!isVisible()) return nullptr;
    auto prepared = std::make_shared<FirstPicture>();
    prepared->window = this;
    prepared->view = view();
    prepared->view.m_nDraggedAP = -1;
    if (purpose == GuiSession::PictureFor::Processing) prepared->view.ResetWindow();
    prepared->size = clientSize();
    return prepared;
}

void CPlotraView::takeFirstPicture(const FirstPicture& prepared) {
    const ViewState& v = view();
    const ViewState& p = prepared.view;
    const DisplaySettings& d = doc().Display();
    const bool sameView = v.m_dViewXMin == p.m_dViewXMin && v.m_dViewXMax == p.m_dViewXMax &&
                          v.m_dViewYMin == p.m_dViewYMin && v.m_dViewYMax == p.m_dViewYMax &&
                          v.m_bShowMap == p.m_bShowMap && v.m_bShowDirections == p.m_bShowDirections &&
                          v.m_palette == p.m_palette && v.m_nDraggedAP == p.m_nDraggedAP && !v.m_ownFrame &&
                          !p.m_ownFrame && clientSize() == prepared.size;
    // The job's notice dropped the compass, and the picture's was made for the project it made.
    const bool sameCompass = !v.m_bShowDirections || m_compass.isNull();
    const bool sameDocument =
        d.m_nLineWidth == prepared.lineWidth && d.m_bShowNoGps == prepared.showNoGps &&
        d.m_bShowLonLat == prepared.showLonLat && d.m_crSingleColour == prepared.singleColour &&
        d.m_crPalette == prepared.palette && FirstPicture::FrameOf(doc()) == prepared.frame;
    if (prepared.picture.isNull() || !sameView || !sameCompass || !sameDocument) return;
    if (v.m_bShowDirections) m_compass = prepared.compass;
    m_picture = prepared.picture;
    KeepGraphPicture(doc(), m_picture);
    m_key = currentKey();
    placeLegend();
}

void CPlotraView::placeLegend() {
    const CPlotraDoc& d = doc();
    const VisibleFrame f = view().Visible(d);
    // The renderer draws the legend only over data, and only for a frame with an extent.
    const bool drawn = d.Display().m_bShowLegend && d.Display().m_bDataLoaded && !d.Aps().m_aAPs.empty() &&
                       f.xs != 0.0 && f.ys != 0.0 && std::isfinite(f.xs) && std::isfinite(f.ys) &&
                       !m_picture.isNull();
    QSize size;
    if (drawn) {
        Legend legend;
        legend.Refresh(d, view().m_palette);
        size = legend.GetSize(&m_picture);
    }
    if (size.width() <= 0 || size.height() <= 0) {
        m_legend->hide();
        return;
    }
    m_legend->showPart(m_picture, QRect(m_picture.width() - size.width(), 0, size.width(), size.height()));
}

void CPlotraView::paintEvent(QPaintEvent* event) {
    const QImage& shown = picture();
    QPainter p(viewport());
    const QRect area = event->rect();
    p.drawImage(area.topLeft(), shown, area);
    // The gestures draw over the picture: the ruler's line (also while its dialog is open) and the
    // dragged AP icon.
    m_ruler->paint(p);
    m_moveAp->paint(p);
    if (const auto& overlay = m_session.graphOverlay()) overlay(p, mapping(), clientSize());
}

void CPlotraView::repaintArea(const QRect& rect) {
    if (!rect.isNull()) viewport()->update(rect);
}

void CPlotraView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // The size without the scroll bars: the frames computed for it are shown whole, with the bars
    // hidden.
    m_session.setGraphClientSize(contentsRect().size());
    viewport()->update();
}

void CPlotraView::onDocumentChanged(const ChangeNotice& notice) {
    if (notice.what == DocChange::Everything) {
        // Another project may lie elsewhere on the globe: its north is found again.
        m_compass = QImage();
        m_hoverTimer.stop();
        m_info->hide();
        // A new project (or a finished job's result) may have other APs under the same index.
        cancelApDrag();
    }
    viewport()->update();
}

void CPlotraView::onViewChanged() {
    if (!view().m_bMoveAP) cancelApDrag();
    syncScrollBars();
    updateCursor();
    if (!view().m_bInfoWindow) {
        m_hoverTimer.stop();
        m_info->hide();
    }
    viewport()->update();
}

void CPlotraView::modesChanged() {
    m_session.notifyViewChanged();
}

void CPlotraView::updateCursor() {
    if (MouseTool* tool = activeTool())
        viewport()->setCursor(tool->cursor());
    else
        viewport()->unsetCursor();
}

// ---- scrolling -------------------------------------------------------------------------------------

int CPlotraView::charSize(ScrollAxis axis) const {
    const QFontMetrics fm(font());
    return axis == ScrollAxis::Horizontal ? fm.horizontalAdvance(QLatin1Char('X')) : fm.height();
}

void CPlotraView::syncScrollBars() {
    ViewState& v = view();
    const bool shown = v.UpdateScrollBars();
    m_syncing = true;
    const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy) setHorizontalScrollBarPolicy(policy);
    if (verticalScrollBarPolicy() != policy) setVerticalScrollBarPolicy(policy);
    const QSize client = clientSize();
    const ScrollSteps h =
        v.StepsFor(ScrollAxis::Horizontal, client.width(), charSize(ScrollAxis::Horizontal));
    const ScrollSteps vs = v.StepsFor(ScrollAxis::Vertical, client.height(), charSize(ScrollAxis::Vertical));
    QScrollBar* hb = horizontalScrollBar();
    QScrollBar* vb = verticalScrollBar();
    hb->setSingleStep(h.line);
    hb->setPageStep(h.page);
    vb->setSingleStep(vs.line);
    vb->setPageStep(vs.page);
    hb->setValue(v.m_nHScrollPos);
    vb->setValue(v.m_nVScrollPos);
    m_syncing = false;
}

void CPlotraView::onScrollAction(ScrollAxis axis, int action) {
    if (m_syncing) return;
    QScrollBar* bar = axis == ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    ScrollCode code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        code = ScrollCode::LineUp;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        code = ScrollCode::LineDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = ScrollCode::PageUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = ScrollCode::PageDown;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = ScrollCode::Top;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = ScrollCode::Bottom;
        break;
    case QAbstractSlider::SliderMove:
        code = ScrollCode::ThumbTrack;
        break;
    default:
        return;
    }
    scroll(axis, code, bar->sliderPosition());
    // The bar moves to the position the view computed, not to the one of its own step.
    const ViewState& v = view();
    bar->setSliderPosition(axis == ScrollAxis::Horizontal ? v.m_nHScrollPos : v.m_nVScrollPos);
}

void CPlotraView::scroll(ScrollAxis axis, ScrollCode code, int thumbPos) {
    const QSize client = clientSize();
    const int length = axis == ScrollAxis::Horizontal ? client.width() : client.height();
    view().Scroll(axis, code, thumbPos, length, charSize(axis));
    m_session.notifyViewChanged();
}

void CPlotraView::scrollContentsBy(int, int) {
    // The view state decides what is shown; the picture is painted anew, never shifted.
}

void CPlotraView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int notches = (std::abs(delta.y()) >= std::abs(delta.x()) ? delta.y() : delta.x()) / kWheelNotch;
    if (notches == 0) {
        event->accept();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        // Ctrl + wheel zooms about the mouse, as map viewers do; the steps and limits of the zoom
        // commands apply, and at a limit further notches do nothing. Without data there is nothing
        // to zoom.
        if (doc().Display().m_bDataLoaded != 1) return;
        const QPoint pos = event->position().toPoint();
        const QSize client = clientSize();
        const PixelMapping before = mapping();
        bool zoomed = false;
        for (int i = 0; i < std::abs(notches); ++i)
            if (view().ZoomAbout(notches > 0, pos.x(), pos.y(), client.width(), client.height()))
                zoomed = true;
        if (!zoomed) {
            event->accept();
            return;
        }
        m_session.notifyViewChanged();
        // The scroll bars came (or went) with this zoom and took (or gave back) some of the area:
        // move the window so that the model point under the mouse is under it again.
        const PixelMapping after = mapping();
        if (after.width != before.width || after.height != before.height) {
            ViewState& v = view();
            const CPlotraDoc& d = doc();
            const double dx = (before.ModelX(pos.x()) - after.ModelX(pos.x())) / d.Frame().m_dFrameSpanX;
            const double dy = (before.ModelY(pos.y()) - after.ModelY(pos.y())) / d.Frame().m_dFrameSpanY;
            if (std::isfinite(dx) && std::isfinite(dy)) {
                v.m_dViewXMin += dx, v.m_dViewXMax += dx;
                v.m_dViewYMin += dy, v.m_dViewYMax += dy;
                v.FollowZoomWithScrollBars();
                m_session.notifyViewChanged();
            }
        }
    } else if (view().m_bScrollBars) {
        // The wheel scrolls vertically (horizontally with a sideways wheel or Shift), a few lines per
        // notch as the system sets it.
        const bool sideways =
            std::abs(delta.x()) > std::abs(delta.y()) || (event->modifiers() & Qt::ShiftModifier);
        const ScrollAxis axis = sideways ? ScrollAxis::Horizontal : ScrollAxis::Vertical;
        const int lines = std::abs(notches) * std::max(1, QApplication::wheelScrollLines());
        const QSize client = clientSize();
        const int length = axis == ScrollAxis::Horizontal ? client.width() : client.height();
        for (int i = 0; i < lines; ++i)
            view().Scroll(axis, notches > 0 ? ScrollCode::LineUp : ScrollCode::LineDown, 0, length,
                          charSize(axis));
        m_session.notifyViewChanged();
    }
    event->accept();
}

// ---- the mouse ----------------------------------------------------------------------------------------

void CPlotraView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_ptMouse = pos;
    if (event->button() != Qt::LeftButton && m_moveAp->dragging()) {
        // Another button during an AP drag gives the drag up; it does nothing else.
        cancelApDrag();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (MouseTool* tool = activeTool()) {
            tool->press(pos);
        } else if (const auto& click = m_session.graphClick()) {
            const PixelMapping m = mapping();
            if (click(m.ModelX(pos.x()), m.ModelY(pos.y()))) return;
        }
    } else if (event->button() == Qt::RightButton) {
        rightButtonDown(pos);
    }
}

void CPlotraView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_ptMouse = pos;
    const QSize client = viewport()->size();
    m_session.setStatusText(
        QString::fromStdString(StatusText(doc(), view(), pos.x(), pos.y(), client.width(), client.height())));
    // A drag whose left button is no longer down lost its release somewhere else: given up.
    if (m_moveAp->dragging() && !(event->buttons() & Qt::LeftButton)) cancelApDrag();
    if (MouseTool* tool = activeTool()) tool->move(pos);
    if (view().m_bInfoWindow) {
        if (m_info->isVisible() && pos != m_ptLastHover) m_info->hide();
        m_hoverTimer.start();
    }
}

void CPlotraView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_ptMouse = pos;
    if (event->button() != Qt::LeftButton) return;
    if (MouseTool* tool = activeTool()) tool->release(pos);
}

void CPlotraView::leaveEvent(QEvent* event) {
    m_hoverTimer.stop();
    QAbstractScrollArea::leaveEvent(event);
}

void CPlotraView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_moveAp->dragging()) {
        cancelApDrag();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// Whatever takes the mouse or the keyboard away in the middle of an AP drag (a message box, another
// window, the switch to the table window) ends it without a drop.
void CPlotraView::focusOutEvent(QFocusEvent* event) {
    cancelApDrag();
    QAbstractScrollArea::focusOutEvent(event);
}

void CPlotraView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) cancelApDrag();
    QAbstractScrollArea::changeEvent(event);
}

void CPlotraView::hideEvent(QHideEvent* event) {
    cancelApDrag();
    QAbstractScrollArea::hideEvent(event);
}

void CPlotraView::cancelApDrag() {
    if (m_moveAp) m_moveAp->cancel();
}

void CPlotraView::showInfo() {
    const CPlotraDoc& d = doc();
    if (!d.Display().m_bDataLoaded || !view().m_bInfoWindow) return;
    const QSize client = viewport()->size();
    const QPoint pos = m_ptMouse;
    if (!QRect(QPoint(0, 0), client).contains(pos)) return;
    const QSize size = m_info->setText(
        QString::fromStdString(InfoText(d, view(), pos.x(), pos.y(), client.width(), client.height())));
    const InfoPlacement place =
        PlaceInfo(pos.x(), pos.y(), size.width(), size.height(), client.width(), client.height());
    m_info->setSides(place.left, place.above);
    m_info->setGeometry(place.x, place.y, size.width(), size.height());
    m_info->show();
    m_info->raise();
    m_ptLastHover = pos;
}

void CPlotraView::rightButtonDown(const QPoint& pos) {
    CPlotraDoc& d = doc();
    ViewState& v = view();
    v.m_nHitAP = HitTestAp(d, mapping(), pos.x(), pos.y());
    const int hit = v.m_nHitAP;
    if (hit >= 0 && static_cast<std::size_t>(hit) < d.Aps().m_aAPs.size() && d.Display().m_bShowApMarkers) {
        const CAPInfo& ap = d.Aps().m_aAPs[static_cast<std::size_t>(hit)];
        CDialogApicon dialog(this);
        dialog.m_nIconOption = ap.m_nIconOption;
        dialog.m_nIconId = ap.m_nIconId;
        if (execDialog(dialog)) d.SetApIcon(hit, dialog.m_nIconOption, dialog.m_nIconId);
    }
    v.m_nHitAP = -1;
}

// ---- commands -----------------------------------------------------------------------------------------

bool CPlotraView::handlesCommand(int id) const {
    switch (id) {
    case kCmdRuler:
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdFitWindow:
    case kCmdFitMapPath:
    case kCmdShowMap:
    case kCmdShowDirections:
    case kCmdInfoWindow:
    case kCmdShowLegend:
    case kCmdMoveAp:
    case kCmdCreateKml:
    case kCmdSaveGraphImage:
    case kCmdPrint:
    case kCmdPrintPreview:
        return true;
    default:
        return false;
    }
}

CommandState CPlotraView::commandState(int id) const {
    const CPlotraDoc& d = doc();
    const ViewState& v = view();
    const bool data = d.Display().m_bDataLoaded != 0;
    switch (id) {
    case kCmdRuler:
        return {data, v.m_bRuler};
    case kCmdZoomIn:
        return {data, v.m_bZoomIn};
    case kCmdZoomOut:
        return {data, v.m_bZoomOut};
    case kCmdFitWindow:
    case kCmdFitMapPath:
        return {data, false};
    case kCmdShowMap:
        return {d.Map().m_bMapLoaded != 0, v.m_bShowMap};
    case kCmdShowDirections:
        return {data, v.m_bShowDirections};
    case kCmdInfoWindow:
        return {data, v.m_bInfoWindow};
    case kCmdShowLegend:
        return {data, d.Display().m_bShowLegend != 0};
    case kCmdMoveAp:
        return {data, v.m_bMoveAP && d.Display().m_bShowApMarkers};
    case kCmdCreateKml:
        return {data && !v.m_bShowMap, false};
    case kCmdSaveGraphImage:
    case kCmdPrint:
    case kCmdPrintPreview:
        // The framework's commands: always offered; they work on the picture last shown.
        return {true, false};
    default:
        return {};
    }
}

void CPlotraView::toggleMode(bool ViewState::*mode) {
    ViewState& v = view();
    const bool on = !(v.*mode);
    m_ruler->cancel();
    m_moveAp->cancel();
    v.m_bZoomIn = v.m_bZoomOut = v.m_bRuler = v.m_bMoveAP = false;
    v.*mode = on;
    modesChanged();
}

void CPlotraView::runCommand(int id) {
    CPlotraDoc& d = doc();
    ViewState& v = view();
    // The ruler answers without data itself; every other command does nothing while it is disabled.
    if (id != kCmdRuler && !commandState(id).enabled) return;
    // A fit shows the whole frame, so the scroll bars go: fit for the area they leave.
    const QSize whole = contentsRect().size().expandedTo(QSize(1, 1));
    switch (id) {
    case kCmdRuler:
        if (!d.Display().m_bDataLoaded) {
            d.Prompts().message("Please Input the Data File!", "No Data", PromptIcon::Information);
            return;
        }
        toggleMode(&ViewState::m_bRuler);
        break;
    case kCmdZoomIn:
        if (d.Display().m_bDataLoaded == 1) toggleMode(&ViewState::m_bZoomIn);
        break;
    case kCmdZoomOut:
        if (d.Display().m_bDataLoaded == 1) toggleMode(&ViewState::m_bZoomOut);
        break;
    case kCmdFitWindow:
        v.FitInWindow(d, whole.width(), whole.height());
        m_session.notifyViewChanged();
        break;
    case kCmdFitMapPath:
        v.FitInMapPath(d, whole.width(), whole.height());
        m_session.notifyViewChanged();
        break;
    case kCmdShowMap:
        m_session.setMapShown(!v.m_bShowMap);
        // The frame follows the map: with it shown the map is part of the area.
        d.ComputeExtent(whole.width(), whole.height(), 0);
        m_session.notifyViewChanged();
        break;
    case kCmdShowDirections: {
        const bool on = !v.m_bShowDirections;
        if (on) m_compass = BuildCompass(CompassNorthOffset(d, mapping()));
        m_session.setShowDirections(on);
        break;
    }
    case kCmdInfoWindow:
        v.m_bInfoWindow = !v.m_bInfoWindow;
        modesChanged();
        break;
    case kCmdShowLegend: {
        const bool on = !d.Display().m_bShowLegend;
        d.SetDisplayFlag(DisplayFlag::Legend, on);
        if (!on) m_legend->hide();
        modesChanged();
        break;
    }
    case kCmdMoveAp:
        if (d.Display().m_bDataLoaded && d.Display().m_bShowApMarkers) toggleMode(&ViewState::m_bMoveAP);
        break;
    case kCmdCreateKml:
        picture();
        CreateKmlFile(d, m_session.documentTitle(), d.Prompts());
        break;
    case kCmdSaveGraphImage:
        picture();
        SaveGraphImage(d, d.Prompts());
        break;
    case kCmdPrint:
        print(false);
        break;
    case kCmdPrintPreview:
        print(true);
        break;
    default:
        break;
    }
}

// ---- printing -----------------------------------------------------------------------------------------

void CPlotraView::print(bool preview) {
    // The session's printer is busy while a printout is painted on a job's thread.
    if (doc().RefuseWhileBusy()) return;
    picture();
    // The session's printer, as Print Setup left it.
    QPrinter& printer = PrinterForNewJob(m_session);
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        dialog.setObjectName(QStringLiteral("PrintPreview"));
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* p) { printPicture(*p); });
        execDialog(dialog);
    } else if (choosePrinter(printer)) {
        printInBackground(printer);
    }
}

void CPlotraView::printInBackground(QPrinter& printer) {
    // The page is painted on a job's thread (Qt paints on a printer from any thread): the file or
    // spool it writes can wait seconds for a disk still busy with a large workspace just saved.
    GuiSession* session = &m_session;
    const QImage shown = GraphPictureOf(doc());
    session->runJob<bool>(
        [&printer, shown](Progress&) {
            QPainter painter;
            if (!painter.begin(&printer)) return false;
            DrawPrintedGraph(painter, QRect(0, 0, printer.width(), printer.height()), shown);
            return painter.end();
        },
        [session, &printer](std::optional<bool>& printed, const std::string& failure) {
            if (!printed) {
                session->doc().Prompts().message(failure, "Print", PromptIcon::Stop);
                return false;
            }
            if (!*printed) ReportPrintJobFailure(printer, session->doc().Prompts());
            return *printed;
        });
}

void CPlotraView::printPicture(QPrinter& printer) {
    QPainter painter;
    if (!BeginPrintJob(painter, printer, doc().Prompts())) return;
    // The page's drawing area, the picture scaled into it with a margin and framed.
    DrawPrintedGraph(painter, QRect(0, 0, printer.width(), printer.height()), GraphPictureOf(doc()));
    painter.end();
}

} // namespace plotra::gui
