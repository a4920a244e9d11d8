#pragma once
/// \brief The graph window under test: a session with a prompt recorder, a window whose client area
/// is exactly W x H, mouse gestures sent to its drawing area, and two documents - the simulated demo
/// (optionally with coverage and a map) and a small planar project with one AP whose refit is known.

#include "gui/GuiSession.h"
#include "mapview/DemoDocument.h"
#include "mapview/gui/PlotraView.h"
#include "model/EditAccess.h"
#include "support/PromptRecorder.h"
#include "support/gui/GuiTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <memory>
#include <string>

namespace plotra::test {

/// A planar project (metres) with one AP at the origin: 10 points at each of x = +-1, +-10, +-100
/// and +-1000 m on the x axis whose signal falls by 20 dB per decade of distance from the origin.
/// Dropped near the origin the AP refits to a slope near -20; dropped at x = 1000 the nearest points
/// are the weakest and the slope turns positive, which the document refuses.
inline void BuildLineProject(CPlotraDoc& doc) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Display(doc).m_bShowLonLat = 0; // no projection to convert with: distances in metres
    CAPInfo ap;
    ap.m_bSelected = 1;
    ap.m_abyMAC = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    ap.m_szSSID = MakeSsid("line");
    ap.m_byChannel = 6;
    const double distances[] = {1, 10, 100, 1000};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 20; ++j) {
            CData p;
            p.m_dX = (j % 2 ? 1 : -1) * distances[k];
            p.m_dY = 0;
            p.m_dRssi = -40 - 20.0 * k;
            p.m_nNoise = -95;
            ap.m_aApPoints.push_back(p);
            ap.m_aSamples.push_back(p);
        }
    ap.m_areaOrigin = CDataGeo(-500, -1000);
    ap.m_areaSize = CDataGeo(1000, 2000);
    ap.m_posAP = CDataGeo(0, 0);
    ap.m_dSlope = -20.0, ap.m_dIntercept = -40.0, ap.m_dShadowStd = 1.0;
    ap.m_nApGridCols = ap.m_nApGridRows = 50;
    ap.m_aGrid.assign(2500, -60.0);
    ap.m_crColour = 0x2080FF;
    Edit::Aps(doc).m_aAPs = {ap};
    Edit::Aps(doc).m_aApNotes.resize(1);
    Edit::Survey(doc).m_aFiles.resize(1);
    Edit::Survey(doc).m_aFiles[0].m_strName = "line.hsd";
    Edit::Survey(doc).m_aFileColor = {0xFF0000};
    for (const CData& p : ap.m_aApPoints) {
        Edit::Path(doc).m_aPoints.push_back(p);
        Edit::Path(doc).m_aGpsState.push_back(2);
        Edit::Path(doc).m_aAltitude.push_back(12000);
        Edit::Path(doc).m_aVelocity.push_back(150);
    }
    Edit::Path(doc).m_aFilePathCount = {static_cast<int>(doc.Path().m_aPoints.size())};
    Edit::Frame(doc).m_dGridOriginX = -1000, Edit::Frame(doc).m_dGridOriginY = -500,
    Edit::Frame(doc).m_dGridSpanX = 2000, Edit::Frame(doc).m_dGridSpanY = 1000;
    Edit::Frame(doc).m_dFrameOriginX = -1100, Edit::Frame(doc).m_dFrameOriginY = -550,
    Edit::Frame(doc).m_dFrameSpanX = 2200, Edit::Frame(doc).m_dFrameSpanY = 1100;
    Edit::Display(doc).m_bCoveragePlotted = 0;
    Edit::Display(doc).m_bDataLoaded = 1;
}

/// \brief A session and its graph window with a W x H client area.
struct GraphWindow {
    gui::GuiSession session;
    PromptRecorder prompts;
    std::unique_ptr<gui::CPlotraView> view;
    QString status;
    int viewChanges = 0;
    int refusedDialogs = 0;

    explicit GraphWindow(int width = 800, int height = 500) {
        session.setPrompts(&prompts);
        view = std::make_unique<gui::CPlotraView>(session);
        view->setHoverTime(1);
        // No test may hang in a modal loop: dialogs are refused unless a test answers them itself.
        view->execDialog = [this](QDialog&) {
            ++refusedDialogs;
            return false;
        };
        view->choosePrinter = [this](QPrinter&) {
            ++refusedDialogs;
            return false;
        };
        QObject::connect(&session, &gui::GuiSession::statusText, [this](const QString& s) { status = s; });
        QObject::connect(&session, &gui::GuiSession::viewChanged, [this] { ++viewChanges; });
        Resize(width, height);
    }

    CPlotraDoc& doc() { return session.doc(); }
    ViewState& view_() { return session.view(); }
    QWidget* area() const { return view->viewport(); }

    /// Resizes the window so that its drawing area (without scroll bars) is W x H. The window is
    /// shown (on the offscreen platform), so that its layout follows every resize at once.
    void Resize(int width, int height) {
        if (!view->isVisible()) {
            view->show();
            QApplication::processEvents();
        }
        view->resize(width, height);
        view->resize(view->size() + (QSize(width, height) - area()->size()));
    }
    /// The document changed behind the window's back (as a finished job or a load would): tell it.
    void Changed() { doc().Notify(DocChange::Everything); }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(pos), QPointF(area()->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(area(), &event);
    }
    void Move(QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
        Send(QEvent::MouseMove, pos, Qt::NoButton, buttons);
    }
    void Press(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        Send(QEvent::MouseButtonPress, pos, button, button);
    }
    void Release(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        Send(QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
    }
    void Click(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        Press(pos, button);
        Release(pos, button);
    }
    void Wheel(QPoint pos, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(QPointF(pos), QPointF(area()->mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area(), &event);
    }

    /// What the drawing area shows, children (legend, info window) included.
    QImage Shown() { return area()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    gui::CommandState State(int id) const { return view->commandState(id); }
    /// Messages recorded so far as "Caption: text".
    std::vector<std::string> Messages() const { return prompts.Messages(); }
};

/// The demo project of the render tests, with its coverage unless told otherwise.
inline void BuildDemo(CPlotraDoc& doc, bool coverage = true, bool withMap = false) {
    DemoOptions o;
    o.coverage = coverage;
    o.withMap = withMap;
    BuildDemoDocument(doc, o);
}

} // namespace plotra::test
