#include "mapview/gui/MouseTools.h"

#include "gui/GuiSession.h"
#include "mapview/ApIcons.h"
#include "mapview/gui/PlotraView.h"
#include "mapview/gui/RulerDlg.h"
#include "mapview/gui/ViewCursors.h"
#include "model/PlotraDoc.h"
#include "model/PointQuery.h"

#include <QPainter>

#include <algorithm>

namespace plotra::gui {

namespace {

bool Inside(const QPoint& p, const QSize& client) {
    return p.x() >= 0 && p.y() >= 0 && p.x() < client.width() && p.y() < client.height();
}

} // namespace

// ---- zoom -------------------------------------------------------------------------------------------

QCursor ZoomTool::cursor() const {
    return m_zoomIn ? ZoomInCursor() : ZoomOutCursor();
}

void ZoomTool::release(const QPoint& pos) {
    const QSize client = m_view.clientSize();
    if (m_view.view().Zoom(m_zoomIn, pos.x(), pos.y(), client.width(), client.height(),
                           m_view.doc().Prompts()))
        m_view.session().notifyViewChanged();
}

// ---- ruler ------------------------------------------------------------------------------------------

QCursor RulerTool::cursor() const {
    return RulerCursor();
}

QRect RulerTool::band() const {
    const int left = std::max(0, std::min(m_ptRulerStart.x(), m_ptRulerEnd.x()) - 1);
    const int top = std::max(0, std::min(m_ptRulerStart.y(), m_ptRulerEnd.y()) - 1);
    const int right = std::max(m_ptRulerStart.x(), m_ptRulerEnd.x()) + 1;
    const int bottom = std::max(m_ptRulerStart.y(), m_ptRulerEnd.y()) + 1;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void RulerTool::press(const QPoint& pos) {
    if (Inside(pos, m_view.clientSize())) {
        m_ptRulerStart = m_ptRulerEnd = pos;
        m_bRulerDown = true;
        m_rcRulerBand = QRect();
    } else {
        m_bRulerDown = false;
        m_view.doc().Prompts().message("The 1st Point Is Out of View!", "Invalid Point", PromptIcon::Stop);
    }
}

void RulerTool::move(const QPoint& pos) {
    if (!m_bRulerDown || m_bMeasured) return;
    // What the old line covered is painted again from the kept picture; the new line over it.
    m_view.repaintArea(m_rcRulerBand);
    m_ptRulerEnd = pos;
    m_rcRulerBand = band();
    m_view.repaintArea(m_rcRulerBand);
}

void RulerTool::paint(QPainter& painter) const {
    if (!m_bRulerDown || m_rcRulerBand.isNull()) return;
    painter.setPen(QPen(QColor(0, 0, 255), 1, m_bMeasured ? Qt::SolidLine : Qt::DotLine));
    painter.drawLine(m_ptRulerStart, m_ptRulerEnd);
}

void RulerTool::release(const QPoint& pos) {
    if (!Inside(pos, m_view.clientSize())) {
        m_view.doc().Prompts().message("The 2nd Point Is Out of View!", "Invalid Point", PromptIcon::Stop);
        end(true);
        return;
    }
    // A release after a refused first point has nothing to measure.
    if (!m_bRulerDown) {
        end(true);
        return;
    }
    m_ptRulerEnd = pos;
    m_bMeasured = true;
    m_view.repaintArea(m_rcRulerBand);
    m_rcRulerBand = band();
    m_view.repaintArea(m_rcRulerBand);

    const PixelMapping m = m_view.mapping();
    const RulerReading reading =
        MeasureRuler(m_view.doc(), m.ModelX(m_ptRulerStart.x()), m.ModelY(m_ptRulerStart.y()),
                     m.ModelX(m_ptRulerEnd.x()), m.ModelY(m_ptRulerEnd.y()));
    // The mode ends before the dialog opens, so that the toolbar shows it off while the dialog is up.
    ViewState& view = m_view.view();
    view.m_bRuler = false;
    m_view.modesChanged();
    CRulerDlg dialog(&m_view);
    dialog.setReading(reading);
    m_view.execDialog(dialog);
    end(true);
}

void RulerTool::cancel() {
    end(true);
}

void RulerTool::end(bool repaint) {
    const QRect old = m_rcRulerBand;
    m_bRulerDown = false;
    m_bMeasured = false;
    m_rcRulerBand = QRect();
    if (m_view.view().m_bRuler) {
        m_view.view().m_bRuler = false;
        m_view.modesChanged();
    }
    if (repaint) m_view.repaintArea(old.isNull() ? QRect(QPoint(0, 0), m_view.clientSize()) : old);
}

// ---- moving an AP -----------------------------------------------------------------------------------

QCursor MoveApTool::cursor() const {
    return QCursor(Qt::ArrowCursor);
}

int MoveApTool::dragged() const {
    const int ap = m_view.view().m_nDraggedAP;
    return ap >= 0 && static_cast<std::size_t>(ap) < m_view.doc().Aps().m_aAPs.size() ? ap : -1;
}

void MoveApTool::press(const QPoint& pos) {
    // A press while an AP is carried means its release never came here: that drag is given up.
    cancel();
    ViewState& view = m_view.view();
    view.m_nHitAP = HitTestAp(m_view.doc(), m_view.mapping(), pos.x(), pos.y());
    if (!m_view.doc().BeginApDrag(view.m_nHitAP)) {
        view.m_nHitAP = -1;
        return;
    }
    m_ptIcon = pos;
    // The picture is drawn anew without the AP; the document keeps it where it is until the drop.
    view.m_nDraggedAP = view.m_nHitAP;
    m_view.repaintArea(QRect(QPoint(0, 0), m_view.clientSize()));
}

void MoveApTool::move(const QPoint& pos) {
    if (!m_view.view().m_bMoveAP || dragged() < 0) return;
    m_view.repaintArea(m_rcApIcon);
    m_ptIcon = pos;
    m_rcApIcon =
        QRect(pos.x() - 16, pos.y() - 16, 32, 32).intersected(QRect(QPoint(0, 0), m_view.clientSize()));
    m_view.repaintArea(m_rcApIcon);
}

void MoveApTool::paint(QPainter& painter) const {
    const int ap = dragged();
    if (ap < 0 || m_rcApIcon.isEmpty()) return;
    painter.save();
    painter.setClipRect(m_rcApIcon);
    painter.drawImage(m_ptIcon - QPoint(16, 16),
                      ApIcon(m_view.doc().Aps().m_aAPs[static_cast<std::size_t>(ap)].m_nIconId));
    painter.restore();
}

void MoveApTool::release(const QPoint& pos) {
    ViewState& view = m_view.view();
    const int ap = dragged();
    if (!view.m_bMoveAP || ap < 0) {
        cancel();
        return;
    }
    m_view.repaintArea(m_rcApIcon);
    m_rcApIcon = QRect();
    const PixelMapping m = m_view.mapping();
    const CDataGeo to(m.ModelY(pos.y()), m.ModelX(pos.x()));
    // The gesture is over before the document acts: the refusal's message box takes the focus, and
    // that must not count as giving the drag up.
    view.m_nDraggedAP = -1;
    view.m_bMoveAP = false;
    view.m_nHitAP = -1;
    m_view.modesChanged();
    // Refits the AP, or shows why the place is refused and puts it back; the notices repaint.
    m_view.doc().FinishApDrag(ap, to);
}

void MoveApTool::cancel() {
    m_view.repaintArea(m_rcApIcon);
    m_rcApIcon = QRect();
    ViewState& view = m_view.view();
    if (view.m_nDraggedAP < 0) return;
    view.m_nDraggedAP = -1;
    view.m_nHitAP = -1;
    // The picture with the AP where it always was.
    m_view.repaintArea(QRect(QPoint(0, 0), m_view.clientSize()));
}

} // namespace plotra::gui
