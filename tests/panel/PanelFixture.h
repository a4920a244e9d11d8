#pragma once
/// \brief What the control panel's tests share: a session with a prompt recorder and the panel in a
/// window, controls found by their numeric names, mouse gestures on the custom controls, and small
/// planar projects whose numbers are known.

#include "gui/GuiSession.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "panel/ApTreeModel.h"
#include "panel/ApTreeView.h"
#include "panel/BitCheckButton.h"
#include "panel/ControlView.h"
#include "panel/ImageTextButton.h"
#include "panel/RangeControl.h"
#include "panel/ResolutionControl.h"
#include "support/PromptRecorder.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace plotra::test {

/// A planar AP at (y, x) in a 100 x 100 m area from (areaY, areaX), with \p points working points,
/// the model P = intercept + slope log10 d and shadowing 6 dB, and a 2 x 2 grid.
inline CAPInfo PanelAp(const std::string& ssid, int channel, std::uint8_t macTail, std::size_t points,
                       double slope = -30.0, double intercept = -35.0) {
    CAPInfo ap;
    ap.m_szSSID = MakeSsid(ssid);
    ap.m_byChannel = static_cast<std::uint8_t>(channel);
    ap.m_abyMAC = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, macTail};
    ap.m_crColour = HsvToRgb(37 * macTail % 252, 200, 220);
    ap.m_areaOrigin = CDataGeo(10.0 * macTail, 5.0 * macTail);
    ap.m_areaSize = CDataGeo(100, 100);
    ap.m_posAP = CDataGeo(10.0 * macTail + 50, 5.0 * macTail + 50);
    // Points on a lattice around the AP whose readings follow the model with a small alternating
    // error, so that a refit at a nearby position finds a falling model again.
    ap.m_aApPoints.clear();
    for (std::size_t k = 0; k < points; ++k) {
        CData p;
        p.m_dY = ap.m_areaOrigin.m_dY + 5 + static_cast<double>(k % 10) * 10;
        p.m_dX =
            ap.m_areaOrigin.m_dX + 5 + static_cast<double>(k / 10 % 10) * 10 + static_cast<double>(k / 100);
        const double d = std::hypot(p.m_dY - ap.m_posAP.m_dY, p.m_dX - ap.m_posAP.m_dX);
        p.m_dRssi = intercept + slope * std::log10(std::max(d, 1.0)) + (k % 2 ? 3.0 : -3.0);
        p.m_nNoise = -95;
        ap.m_aApPoints.push_back(p);
    }
    ap.m_dSlope = slope;
    ap.m_dIntercept = intercept;
    ap.m_dShadowStd = 6.0;
    ap.m_nApGridCols = ap.m_nApGridRows = 2;
    ap.m_aGrid = {-50, -60, -70, -80};
    return ap;
}

/// The panel in a window over a session whose prompts are recorded.
struct PanelFixture {
    gui::GuiSession session;
    PromptRecorder prompts;
    QWidget window;
    CPlotraDoc& doc;
    gui::CControlView* panel;

    PanelFixture() : doc(session.doc()) {
        session.setPrompts(&prompts);
        window.resize(260, 900);
        panel = new gui::CControlView(session, &window);
        panel->setGeometry(0, 0, 260, 900);
        window.show();
    }

    /// Three SSIDs on two channels, planar in metres: a/1 (120 points), b/6 (20 points), a/6 (100
    /// points, slope -25), c/1 (79 points). Nothing ticked; data loaded; groups by SSID.
    void LoadProject() {
        Edit::Map(doc).m_bMetricXY = 1;
        Edit::Display(doc).m_dUnitFactor = 1.0;
        Edit::Aps(doc).m_aAPs = {PanelAp("a", 1, 1, 120), PanelAp("b", 6, 2, 20),
                                 PanelAp("a", 6, 3, 100, -25.0, -40.0), PanelAp("c", 1, 4, 79)};
        Edit::Path(doc).m_aPoints.resize(3);
        Edit::Path(doc).m_aGpsState = {2, 2, 2};
        Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 2.0;
        Edit::Display(doc).m_bDataLoaded = 1;
        doc.RebuildGroups();
        doc.Notify(DocChange::Everything);
    }

    template <class T = QWidget> T* Find(const char* id) const {
        T* w = panel->findChild<T*>(QString::fromLatin1(id));
        EXPECT_NE(w, nullptr) << "no control " << id;
        return w;
    }
    /// Visible to the user: the control and every parent up to the panel are shown.
    bool Shown(const char* id) const { return Find(id)->isVisibleTo(panel); }
    QString Text(const char* id) const { return Find<QLineEdit>(id)->text(); }

    /// A left click on a control: the middle of a button, the circle of a radio button.
    void Click(const char* id) { Click(Find(id)); }
    void Click(QWidget* w) {
        const QPoint p = qobject_cast<QRadioButton*>(w) ? QPoint(7, w->height() / 2) : w->rect().center();
        QTest::mouseClick(w, Qt::LeftButton, {}, p);
    }
    void Type(const char* id, const QString& text) { Find<QLineEdit>(id)->setText(text); }

    gui::ApTreeModel& Tree() { return panel->TreeModel(); }
    gui::ApTreeView& TreeCtrl() { return *Find<gui::ApTreeView>("165"); }

    /// A point on the tick box or the icon of a tree row, scrolled into view.
    QPoint PointOn(const QModelIndex& index, gui::ApTreeView::Hit part) {
        gui::ApTreeView& tree = TreeCtrl();
        tree.scrollTo(index);
        const QRect row = tree.visualRect(index);
        for (int x = row.left(); x < row.right(); ++x) {
            const QPoint p(x, row.center().y());
            if (tree.HitTest(p) == part) return p;
        }
        ADD_FAILURE() << "no such part of the row";
        return {};
    }
    /// Clicks the tick box or the icon of a tree row (\p right: right button).
    void ClickItem(const QModelIndex& index, gui::ApTreeView::Hit part, bool right = false) {
        const QPoint p = PointOn(index, part);
        QTest::mouseClick(TreeCtrl().viewport(), right ? Qt::RightButton : Qt::LeftButton, {}, p);
    }
    /// Double-clicks a part of a tree row with the events a widget gets: press, release, press,
    /// double click, release.
    void DoubleClickItem(const QModelIndex& index, gui::ApTreeView::Hit part) {
        const QPoint p = PointOn(index, part);
        QWidget* viewport = TreeCtrl().viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
        QTest::mousePress(viewport, Qt::LeftButton, {}, p);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
    }
    /// Every tick box of the tree shows the document's tick (of the AP, or the group's byte).
    void ExpectTreeInStep() {
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
            const QModelIndex row = Tree().ApIndex(static_cast<int>(i));
            if (row.isValid()) {
                EXPECT_EQ(Ticked(row), doc.Aps().m_aAPs[i].m_bSelected != 0) << "AP " << i;
            }
        }
        for (std::size_t g = 0; g < doc.Aps().m_groups.m_aGroups.size(); ++g) {
            const QModelIndex row = Tree().GroupIndex(static_cast<int>(g));
            if (row.isValid()) {
                EXPECT_EQ(Ticked(row), doc.Aps().m_groups.m_aGroups[g].m_bSelected != 0) << "group " << g;
            }
        }
    }
    static bool Ticked(const QModelIndex& row) { return row.data(Qt::CheckStateRole).toInt() == Qt::Checked; }

    std::vector<std::string> TakeMessages() {
        auto m = prompts.Messages();
        prompts.prompts.clear();
        return m;
    }
};

/// Drags a thumb of a two-thumb slider from its current x to \p toX (on its track's middle row).
inline void DragThumb(gui::CRangeControl& slider, bool high, int toX) {
    const int fromX = high ? slider.HighThumbX() : slider.LowThumbX();
    const QPoint from(fromX, 15);
    QTest::mousePress(&slider, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(toX, 15), slider.mapToGlobal(QPointF(toX, 15)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&slider, &move);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(toX, 15));
}

/// The colour at the middle of a tree row's icon.
inline QColor IconColour(const QModelIndex& row) {
    return row.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage().pixelColor(8, 8);
}
/// The check state of a tree row.
inline Qt::CheckState CheckOf(const QModelIndex& row) {
    return static_cast<Qt::CheckState>(row.data(Qt::CheckStateRole).toInt());
}

inline QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

} // namespace plotra::test
