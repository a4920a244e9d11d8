// The graph window's gestures and exports: the AP hit test, moving an AP (accepted, refused, given
// up), the icon dialog, the ruler with its dialog, and the picture saved, exported as KML and printed.
#include "mapview/gui/GraphViewFixture.h"

#include "mapview/ApIcons.h"
#include "mapview/GraphRenderer.h"
#include "mapview/gui/DialogApicon.h"
#include "mapview/gui/RulerDlg.h"
#include "model/EditAccess.h"
#include "model/PointQuery.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

QPoint ApPixel(const GraphWindow& w, int ap = 0) {
    const PixelMapping m = w.view->mapping();
    const CDataGeo& pos = w.session.doc().Aps().m_aAPs[static_cast<std::size_t>(ap)].m_posAP;
    return QPoint(RoundView(m.PxExact(pos.m_dX)), RoundView(m.PyExact(pos.m_dY)));
}

QImage OnWhite(const QImage& icon) {
    QImage out(32, 32, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter(&out).drawImage(0, 0, icon);
    return out;
}

void Click(QWidget* widget, QPoint pos) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// Pure blue pixels of the ruler's pen inside \p rect, less those the picture has there itself.
int RulerPixels(const QImage& shown, const QImage& picture, const QRect& rect) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += (shown.pixel(x, y) & 0xFFFFFF) == 0x0000FF && (picture.pixel(x, y) & 0xFFFFFF) != 0x0000FF;
    return n;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A PDF of exactly one page.
void ExpectOnePagePdf(const QString& path) {
    const QByteArray pdf = ReadAll(path);
    ASSERT_GT(pdf.size(), 1000) << path.toStdString();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(QRegularExpression(R"(/Count 1\D)").match(QString::fromLatin1(pdf)).hasMatch());
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 1);
}

} // namespace

TEST(GraphViewGestures, ApFiveAwayIsHitSixIsNot) {
    GraphWindow w;
    BuildLineProject(w.doc());
    w.Changed();
    const QPoint ap = ApPixel(w);
    int dialogs = 0;
    w.view->execDialog = [&](QDialog& dialog) {
        dialogs += qobject_cast<CDialogApicon*>(&dialog) != nullptr;
        return false;
    };
    for (QPoint d : {QPoint(5, 0), QPoint(0, -5), QPoint(-5, 5), QPoint(0, 0)}) {
        const int before = dialogs;
        w.Press(ap + d, Qt::RightButton);
        EXPECT_EQ(dialogs, before + 1) << d.x() << "," << d.y();
    }
    for (QPoint d : {QPoint(6, 0), QPoint(0, 6), QPoint(-6, -6), QPoint(6, 5)}) {
        const int before = dialogs;
        w.Press(ap + d, Qt::RightButton);
        EXPECT_EQ(dialogs, before) << d.x() << "," << d.y();
    }
    EXPECT_EQ(w.view_().m_nHitAP, -1);
    // Without the markers the right button opens nothing.
    w.doc().SetDisplayFlag(DisplayFlag::ApMarkers, false);
    w.Press(ap, Qt::RightButton);
    EXPECT_EQ(dialogs, 4);
    w.doc().SetDisplayFlag(DisplayFlag::ApMarkers, true);

    // The move mode: a press 6 pixels away takes nothing and the mode stays for the next try.
    w.view->runCommand(kCmdMoveAp);
    w.Press(ap + QPoint(0, 6));
    EXPECT_EQ(w.view_().m_nHitAP, -1);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_posAP.m_dX, 0.0);
    w.Release(ap + QPoint(40, 6));
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_posAP.m_dX, 0.0);
    EXPECT_TRUE(w.view_().m_bMoveAP);
    w.Press(ap + QPoint(-5, 0));
    EXPECT_EQ(w.view_().m_nHitAP, 0);
    EXPECT_EQ(w.view_().m_nDraggedAP, 0) << "the dragged AP leaves the picture";
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_posAP.m_dX, 0.0) << "and stays in its place in the project";
}

TEST(GraphViewGestures, DraggedApIsRefittedOrRefusedAndPutBack) {
    GraphWindow w;
    BuildLineProject(w.doc());
    Edit::Display(w.doc()).m_bCoveragePlotted = 1;
    w.Changed();
    CPlotraDoc& doc = w.doc();
    const QPoint ap = ApPixel(w);
    w.view->runCommand(kCmdMoveAp);
    Edit::Aps(doc).m_posMovedFrom = CDataGeo(7, 7);
    w.Press(ap);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dX, 0.0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1) << "the project changes with the drop only";
    // The icon follows the mouse over the picture without the AP.
    const QPoint carried = ap + QPoint(60, 40);
    w.Move(carried, Qt::LeftButton);
    QImage expected = w.view->picture().copy();
    QPainter(&expected).drawImage(carried - QPoint(16, 16), ApIcon(doc.Aps().m_aAPs[0].m_nIconId));
    const QRect icon(carried - QPoint(16, 16), QSize(32, 32));
    EXPECT_EQ(w.Shown().copy(icon), expected.copy(icon));

    // Dropped back near its place: accepted, refitted there.
    const QPoint drop = ap + QPoint(1, 0);
    const PixelMapping m = w.view->mapping();
    w.Move(drop, Qt::LeftButton);
    w.Release(drop);
    EXPECT_TRUE(w.prompts.prompts.empty()) << w.Messages().front();
    const CAPInfo& moved = doc.Aps().m_aAPs[0];
    EXPECT_DOUBLE_EQ(moved.m_posAP.m_dX, m.ModelX(drop.x()));
    EXPECT_DOUBLE_EQ(moved.m_posAP.m_dY, m.ModelY(drop.y()));
    EXPECT_NE(moved.m_dSlope, -20.0);
    EXPECT_LT(moved.m_dSlope, -15.0);
    EXPECT_EQ(moved.m_bFixed, 1);
    EXPECT_EQ(doc.Aps().m_posMovedFrom.m_dX, 0.0);
    EXPECT_EQ(doc.Aps().m_posMovedFrom.m_dY, 0.0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1);
    EXPECT_FALSE(w.view_().m_bMoveAP) << "the mode ends after one drag";
    EXPECT_EQ(w.view_().m_nHitAP, -1);
    EXPECT_FALSE(w.State(kCmdMoveAp).checked);
    EXPECT_EQ(w.Shown().copy(icon), w.view->picture().copy(icon)) << "the carried icon is gone";

    // Dropped on the far points, the weakest: the slope turns positive, refused and put back.
    const CDataGeo before = moved.m_posAP;
    const double slope = moved.m_dSlope, intercept = moved.m_dIntercept;
    w.view->runCommand(kCmdMoveAp);
    w.Press(ApPixel(w));
    const PixelMapping far = w.view->mapping();
    const QPoint end(RoundView(far.PxExact(1000)) - 1, RoundView(far.PyExact(0)));
    w.Move(end, Qt::LeftButton);
    w.Release(end);
    ASSERT_EQ(w.Messages().size(), 1u);
    EXPECT_EQ(w.Messages()[0], "Invalid Position: This AP position results in wrong progation parameters.");
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dX, before.m_dX);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_posAP.m_dY, before.m_dY);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dSlope, slope);
    EXPECT_EQ(doc.Aps().m_aAPs[0].m_dIntercept, intercept);
    EXPECT_FALSE(w.view_().m_bMoveAP);
}

TEST(GraphViewGestures, ApDragEndedWithoutADropLeavesTheProjectAsItWas) {
    GraphWindow w;
    BuildDemo(w.doc());
    CPlotraDoc& doc = w.doc();
    Edit::Display(doc).m_bMultiContours = 1;
    w.Changed();
    ASSERT_EQ(doc.Display().m_bCombined, 1);
    ASSERT_EQ(doc.Coverage().m_bCoverageReady, 1);
    // An AP whose marker the press takes.
    int ap = -1;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size() && ap < 0; ++i)
        if (doc.Aps().m_aAPs[i].m_bSelected && w.area()->rect().contains(ApPixel(w, static_cast<int>(i))) &&
            HitTestAp(doc, w.view->mapping(), ApPixel(w, static_cast<int>(i)).x(),
                      ApPixel(w, static_cast<int>(i)).y()) == static_cast<int>(i))
            ap = static_cast<int>(i);
    ASSERT_GE(ap, 0);
    const QPoint at = ApPixel(w, ap);
    const QRect marker(at - QPoint(16, 16), QSize(32, 32));
    const std::vector<std::uint8_t> saved = doc.EncodeWorkspace();
    const CAPInfo before = doc.Aps().m_aAPs[static_cast<std::size_t>(ap)];
    const QImage shown = w.Shown();

    auto startDrag = [&] {
        if (!w.view_().m_bMoveAP) w.view->runCommand(kCmdMoveAp);
        w.Press(at);
        w.Move(at + QPoint(40, 25), Qt::LeftButton);
        ASSERT_EQ(w.view_().m_nDraggedAP, ap);
        EXPECT_NE(w.Shown().copy(marker), shown.copy(marker)) << "the carried AP is off the picture";
    };
    // The AP where it was, bit for bit, the project as it would be saved, and the AP on the picture.
    auto expectUntouched = [&](const char* how) {
        SCOPED_TRACE(how);
        const CAPInfo& now = doc.Aps().m_aAPs[static_cast<std::size_t>(ap)];
        EXPECT_EQ(std::memcmp(&now.m_posAP, &before.m_posAP, sizeof before.m_posAP), 0);
        EXPECT_EQ(std::memcmp(&now.m_dSlope, &before.m_dSlope, sizeof(double)), 0);
        EXPECT_EQ(std::memcmp(&now.m_dIntercept, &before.m_dIntercept, sizeof(double)), 0);
        EXPECT_EQ(std::memcmp(&now.m_dShadowStd, &before.m_dShadowStd, sizeof(double)), 0);
        EXPECT_EQ(now.m_aGrid, before.m_aGrid);
        EXPECT_EQ(now.m_bFixed, before.m_bFixed);
        EXPECT_EQ(doc.Display().m_bCombined, 1);
        EXPECT_EQ(doc.Display().m_bMultiContours, 1);
        EXPECT_EQ(doc.Coverage().m_bCoverageReady, 1);
        EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1);
        EXPECT_TRUE(doc.EncodeWorkspace() == saved);
        EXPECT_EQ(w.view_().m_nDraggedAP, -1);
        EXPECT_EQ(w.view_().m_nHitAP, -1);
        if (w.view) {
            EXPECT_EQ(w.Shown(), shown);
        }
        EXPECT_TRUE(w.prompts.prompts.empty());
    };

    // (a) A right click during the drag gives it up (and opens no icon dialog); the left release
    // that follows drops nothing, and the mode stays for the next try.
    startDrag();
    w.Press(at + QPoint(40, 25), Qt::RightButton);
    w.Release(at + QPoint(40, 25), Qt::RightButton);
    w.Release(at + QPoint(40, 25));
    expectUntouched("right click");
    EXPECT_EQ(w.refusedDialogs, 0);
    EXPECT_TRUE(w.view_().m_bMoveAP);
    startDrag();
    w.Press(at + QPoint(40, 25), Qt::MiddleButton);
    w.Release(at + QPoint(40, 25));
    expectUntouched("middle button");

    // (b) Esc.
    startDrag();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w.view.get(), &esc);
    w.Release(at + QPoint(40, 25));
    expectUntouched("Esc");

    // (c) The focus taken away, as a message box of a finished job does; a release that went
    // elsewhere (the next move comes without the button); the mode switched off.
    startDrag();
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.view.get(), &out);
    expectUntouched("focus lost");
    startDrag();
    w.Move(at + QPoint(50, 30));
    w.Release(at + QPoint(50, 30));
    expectUntouched("release lost");
    startDrag();
    w.view->runCommand(kCmdMoveAp);
    expectUntouched("mode off");
    EXPECT_FALSE(w.view_().m_bMoveAP);

    // (d) Saving during the drag saves the AP where it was.
    startDrag();
    EXPECT_TRUE(doc.EncodeWorkspace() == saved);
    EXPECT_EQ(doc.Aps().m_aAPs[static_cast<std::size_t>(ap)].m_posAP.m_dX, before.m_posAP.m_dX);
    w.view->hide(); // the switch to the table window hides the graph window first
    w.view->show();
    QApplication::processEvents();
    expectUntouched("hidden");

    // A window closed in the middle of a drag (the table window replaces it) leaves no AP hidden for
    // the next one.
    startDrag();
    w.view.reset();
    expectUntouched("window closed");
    w.view = std::make_unique<CPlotraView>(w.session);
    w.view->execDialog = [](QDialog&) { return false; };
    w.Resize(800, 500);
    EXPECT_EQ(w.Shown(), shown);

    // A drop after all that still moves the AP; the overlays computed for the old place go off.
    ASSERT_TRUE(w.view_().m_bMoveAP);
    w.Press(at);
    w.Move(at + QPoint(3, 2), Qt::LeftButton);
    w.Release(at + QPoint(3, 2));
    EXPECT_EQ(ApPixel(w, ap), at + QPoint(3, 2));
    EXPECT_NE(doc.Aps().m_aAPs[static_cast<std::size_t>(ap)].m_dSlope, before.m_dSlope);
    EXPECT_EQ(doc.Aps().m_posMovedFrom.m_dX, before.m_posAP.m_dX);
    EXPECT_EQ(doc.Display().m_bCombined, 0);
    EXPECT_EQ(doc.Display().m_bMultiContours, 0);
    EXPECT_EQ(doc.Coverage().m_bCoverageReady, 0);
    EXPECT_EQ(doc.Display().m_bCoveragePlotted, 1);
    EXPECT_TRUE(w.prompts.prompts.empty());
}

TEST(GraphViewGestures, ApDragGivenUpWhenAModalBoxTakesTheWindow) {
    GraphWindow w;
    BuildLineProject(w.doc());
    w.Changed();
    const QPoint at = ApPixel(w);
    const QImage shown = w.Shown();
    w.view->activateWindow();
    w.view->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(w.view->isActiveWindow());
    w.view->runCommand(kCmdMoveAp);
    w.Press(at);
    w.Move(at + QPoint(30, 0), Qt::LeftButton);
    ASSERT_EQ(w.view_().m_nDraggedAP, 0);
    // A job finishes and tells so in a message box.
    QMessageBox box(QMessageBox::Information, "Done", "finished", QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    box.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(w.view->isActiveWindow());
    EXPECT_EQ(w.view_().m_nDraggedAP, -1);
    box.close();
    w.Release(at + QPoint(30, 0));
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_posAP.m_dX, 0.0);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_posAP.m_dY, 0.0);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_dSlope, -20.0);
    EXPECT_EQ(w.Shown(), shown);
}

TEST(GraphViewGestures, IconDialogPicksOneOfTheSixMarkers) {
    GraphWindow w;
    BuildLineProject(w.doc());
    w.doc().SetApIcon(0, 1, 236);
    w.Changed();
    const QImage before = w.view->picture();
    bool accept = true;
    w.view->execDialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<CDialogApicon*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return false;
        EXPECT_EQ(dialog->windowTitle(), "AP Icon Options");
        EXPECT_EQ(dialog->m_nIconOption, 1);
        EXPECT_EQ(dialog->m_nIconId, 236);
        EXPECT_EQ(dialog->findChild<QGroupBox*>("PleaseSelect")->title(), "Please select");
        EXPECT_EQ(dialog->findChild<QGroupBox*>("Selected")->title(), "Selected");
        EXPECT_EQ(dialog->findChild<QPushButton*>("1")->text(), "OK");
        EXPECT_EQ(dialog->findChild<QPushButton*>("2")->text(), "Cancel");
        // The renderer's six icons at their places, and the chosen one again under "Selected".
        const QImage shot = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(shot.copy(QRect(CDialogApicon::kPlaces[i], QSize(32, 32))),
                      OnWhite(ApIcon(CDialogApicon::kIconIds[i])))
                << i;
        EXPECT_EQ(shot.copy(QRect(CDialogApicon::kSelectedPlace, QSize(32, 32))), OnWhite(ApIcon(236)));
        // A click between two squares changes nothing; one on the last square picks it.
        Click(dialog, QPoint(78, 50));
        EXPECT_EQ(dialog->m_nIconOption, 1);
        Click(dialog, QPoint(130, 100));
        EXPECT_EQ(dialog->m_nIconOption, 5);
        EXPECT_EQ(dialog->m_nIconId, 240);
        const QImage chosen = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(chosen.copy(QRect(CDialogApicon::kSelectedPlace, QSize(32, 32))), OnWhite(ApIcon(240)));
        return accept;
    };
    w.Press(ApPixel(w), Qt::RightButton);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_nIconOption, 5);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_nIconId, 240);
    EXPECT_NE(w.view->picture(), before) << "the marker is drawn with the new icon";
    // Cancel keeps the icon.
    w.doc().SetApIcon(0, 1, 236);
    accept = false;
    w.Press(ApPixel(w), Qt::RightButton);
    EXPECT_EQ(w.doc().Aps().m_aAPs[0].m_nIconId, 236);

    // An option that names no place (an old project) shows the first icon chosen.
    CDialogApicon odd;
    odd.m_nIconOption = 7;
    odd.m_nIconId = 999;
    odd.grab();
    EXPECT_EQ(odd.m_nIconOption, 0);
    EXPECT_EQ(odd.m_nIconId, 185);
}

TEST(GraphViewGestures, RulerMeasuresOnceWithItsDialog) {
    GraphWindow w;
    BuildLineProject(w.doc());
    w.Changed();
    w.view->runCommand(kCmdRuler);
    EXPECT_EQ(w.area()->cursor().shape(), Qt::BitmapCursor);
    const QPoint a(100, 100), mid(250, 200), b(400, 300);
    const PixelMapping m = w.view->mapping();
    const QImage picture = w.view->picture();
    w.Press(a);
    w.Move(mid, Qt::LeftButton);
    // A dotted blue line follows the mouse.
    const int dotted = RulerPixels(w.Shown(), picture, QRect(a, mid));
    EXPECT_GT(dotted, 20);
    EXPECT_LT(dotted, 120);

    const RulerReading expected =
        MeasureRuler(w.doc(), m.ModelX(a.x()), m.ModelY(a.y()), m.ModelX(b.x()), m.ModelY(b.y()));
    int opened = 0;
    w.view->execDialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<CRulerDlg*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return false;
        ++opened;
        EXPECT_EQ(dialog->windowTitle(), "Ruler");
        EXPECT_EQ(dialog->field(1082)->text().toStdString(), "Y");
        EXPECT_EQ(dialog->field(1083)->text().toStdString(), "Y");
        EXPECT_EQ(dialog->field(1084)->text().toStdString(), "X");
        EXPECT_EQ(dialog->field(1085)->text().toStdString(), "X");
        EXPECT_EQ(dialog->field(1023)->text().toStdString(), expected.left1);
        EXPECT_EQ(dialog->field(1025)->text().toStdString(), expected.right1);
        EXPECT_EQ(dialog->field(1024)->text().toStdString(), expected.left2);
        EXPECT_EQ(dialog->field(1026)->text().toStdString(), expected.right2);
        EXPECT_EQ(dialog->field(1066)->text().toStdString(), expected.distanceLabel);
        EXPECT_EQ(dialog->field(1022)->text().toStdString(), expected.distance);
        EXPECT_EQ(dialog->findChild<QGroupBox*>("Input")->title(), "Input");
        EXPECT_EQ(dialog->findChild<QGroupBox*>("Output")->title(), "Output");
        EXPECT_EQ(dialog->findChild<QLabel*>("FirstPoint")->text(), "First \nPoint");
        EXPECT_EQ(dialog->findChild<QLabel*>("SecondPoint")->text(), "Second \nPoint");
        EXPECT_EQ(dialog->calculationButton()->objectName(), "1042");
        EXPECT_EQ(dialog->calculationButton()->text(), "Calculation");
        EXPECT_EQ(dialog->findChild<QPushButton*>("1")->text(), "OK");
        EXPECT_EQ(dialog->findChild<QPushButton*>("2")->text(), "Cancel");
        // While the dialog is up the line is drawn solid, and the mode is already off.
        EXPECT_GT(RulerPixels(w.Shown(), picture, QRect(a, b)), 290);
        EXPECT_FALSE(w.State(kCmdRuler).checked);
        // "Calculation" measures the edited points again; the label stays.
        dialog->field(1023)->setText("0");
        dialog->field(1025)->setText("0");
        dialog->field(1024)->setText("300");
        dialog->field(1026)->setText("400");
        dialog->calculationButton()->click();
        EXPECT_EQ(dialog->field(1022)->text(), "500.000");
        EXPECT_EQ(dialog->field(1066)->text().toStdString(), expected.distanceLabel);
        return true;
    };
    w.Move(b, Qt::LeftButton);
    w.Release(b);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(w.view_().m_bRuler);
    EXPECT_EQ(w.Shown(), w.view->picture()) << "the line goes with the dialog";
    EXPECT_TRUE(w.prompts.prompts.empty());

    // Out of view: the second point refused, then the first; the ruler ends either way.
    w.view->runCommand(kCmdRuler);
    w.Press(a);
    w.Release(QPoint(900, 100));
    EXPECT_FALSE(w.view_().m_bRuler);
    w.view->runCommand(kCmdRuler);
    w.Press(QPoint(-4, 100));
    w.Release(b);
    EXPECT_FALSE(w.view_().m_bRuler);
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(w.Messages().size(), 2u);
    EXPECT_EQ(w.Messages()[0], "Invalid Point: The 2nd Point Is Out of View!");
    EXPECT_EQ(w.Messages()[1], "Invalid Point: The 1st Point Is Out of View!");
    EXPECT_EQ(w.prompts.prompts[1].icon, PromptIcon::Stop);

    // On latitude/longitude data the labels and values follow the degrees.
    GraphWindow geo;
    BuildDemo(geo.doc(), false);
    geo.Changed();
    geo.view->runCommand(kCmdRuler);
    const PixelMapping gm = geo.view->mapping();
    const RulerReading degrees =
        MeasureRuler(geo.doc(), gm.ModelX(a.x()), gm.ModelY(a.y()), gm.ModelX(b.x()), gm.ModelY(b.y()));
    geo.view->execDialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<CRulerDlg*>(&d);
        if (!dialog) return false;
        EXPECT_FALSE(dialog->metric());
        EXPECT_EQ(dialog->field(1082)->text(), "Lat");
        EXPECT_EQ(dialog->field(1085)->text(), "Lon");
        EXPECT_EQ(dialog->field(1024)->text().toStdString(), degrees.left2);
        EXPECT_EQ(dialog->field(1022)->text().toStdString(), degrees.distance);
        dialog->calculationButton()->click();
        EXPECT_EQ(
            dialog->field(1022)->text().toStdString(),
            RulerDistance(false, degrees.unit, degrees.left1, degrees.right1, degrees.left2, degrees.right2));
        ++opened;
        return true;
    };
    geo.Press(a);
    geo.Release(b);
    EXPECT_EQ(opened, 2);
}

TEST(GraphViewGestures, RulerCalculationGivesTheDistanceInTheUnitOfItsLabel) {
    CPlotraDoc doc;
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 0.3048; // feet: a long line is shown in miles
    CRulerDlg dialog;
    dialog.show();
    const auto text = [&](int id) { return dialog.field(id)->text().toStdString(); };
    const auto calculate = [&] {
        QTest::mouseClick(dialog.calculationButton(), Qt::LeftButton);
        return dialog.field(1022)->text().toDouble();
    };
    dialog.setReading(MeasureRuler(doc, 0, 0, 14994.333, 0));
    EXPECT_EQ(text(1066), "Distance (Miles)");
    EXPECT_EQ(text(1022), "9.319039");
    EXPECT_EQ(calculate(), 9.319);
    EXPECT_EQ(text(1066), "Distance (Miles)");
    dialog.field(1026)->setText("5280"); // edited to one mile of 5280 ft: the label stays
    EXPECT_EQ(calculate(), 1.0);

    Edit::Display(doc).m_dUnitFactor = 1.0; // metres: kilometres
    dialog.setReading(MeasureRuler(doc, 0, 0, 14994.333, 0));
    EXPECT_EQ(text(1066), "Distance (KMs)");
    EXPECT_EQ(calculate(), 14.994);

    Edit::Map(doc).m_bMetricXY = 0; // degrees: kilometres, and miles in feet mode
    for (const double unitFactor : {1.0, 0.3048}) {
        Edit::Display(doc).m_dUnitFactor = unitFactor;
        dialog.setReading(MeasureRuler(doc, 7.0, 46.0, 7.2, 46.0));
        EXPECT_EQ(text(1066), unitFactor > 0.5 ? "Distance (KMs)" : "Distance (Miles)");
        const double measured = dialog.field(1022)->text().toDouble();
        EXPECT_GT(measured, 9.0);
        EXPECT_LT(measured, 16.0);
        EXPECT_NEAR(calculate(), measured, 1e-4);
    }
}

TEST(GraphViewExports, SavePrintPreviewAndKmlUseTheKeptPicture) {
    GraphWindow w;
    BuildDemo(w.doc());
    Edit::Display(w.doc()).m_bMultiContours = 1;
    Edit::Display(w.doc()).m_bShowLegend = 1;
    w.Changed();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage shown = w.view->picture();

    // Save Graph Image: a bitmap named up to the first dot, or a PNG when the name asks for one.
    w.prompts.saveFiles = {dir.filePath("graph.v2.bmp").toStdString(),
                           dir.filePath("graph.png").toStdString(), std::nullopt};
    w.view->runCommand(kCmdSaveGraphImage);
    ASSERT_EQ(w.prompts.choosers.size(), 1u);
    EXPECT_EQ(w.prompts.choosers[0].title, "Save picture as a Bitmap file");
    EXPECT_EQ(w.prompts.choosers[0].filter, "BMP - Bitmap picture (*.bmp)|");
    EXPECT_EQ(QImage(dir.filePath("graph.bmp")).convertToFormat(QImage::Format_RGB32), shown);
    EXPECT_TRUE(ReadAll(dir.filePath("graph.bmp")).startsWith("BM"));
    w.view->runCommand(kCmdSaveGraphImage);
    EXPECT_TRUE(ReadAll(dir.filePath("graph.png")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(dir.filePath("graph.png")).convertToFormat(QImage::Format_RGB32), shown);
    w.view->runCommand(kCmdSaveGraphImage); // cancelled
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // Printing into a PDF: one page with the picture.
    const QString pdf = dir.filePath("graph.pdf");
    w.view->choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    w.view->runCommand(kCmdPrint);
    ASSERT_TRUE(WaitUntil([&] { return !w.session.jobRunning(); })); // painted as a job
    ExpectOnePagePdf(pdf);
    // The preview prints the same way.
    const QString preview = dir.filePath("preview.pdf");
    int previews = 0;
    w.view->execDialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(&d);
        if (!dialog) return false;
        ++previews;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(preview);
        emit dialog->paintRequested(&printer);
        return false;
    };
    w.view->runCommand(kCmdPrintPreview);
    EXPECT_EQ(previews, 1);
    ExpectOnePagePdf(preview);
    // A cancelled printer dialog prints nothing.
    w.view->choosePrinter = [](QPrinter&) { return false; };
    QFile::remove(pdf);
    w.view->runCommand(kCmdPrint);
    EXPECT_FALSE(QFile::exists(pdf));

    // KML: the title without its extension is proposed; the folder holds the kept picture.
    w.session.setTitle("Campus.site.hws");
    const std::string kml = dir.filePath("campus.kml").toStdString();
    w.prompts.saveFiles = {kml};
    w.view->runCommand(kCmdCreateKml);
    ASSERT_EQ(w.prompts.choosers.size(), 4u);
    EXPECT_EQ(w.prompts.choosers[3].defaultName, "Campus");
    EXPECT_EQ(w.prompts.choosers[3].defaultExtension, "kml");
    EXPECT_EQ(w.prompts.choosers[3].filter, "KML (Goolge Earth) File (*.kml)|*.kml|All files (*.*)|*.*||");
    EXPECT_EQ(w.doc().Project().m_strKmlPath, kml);
    EXPECT_TRUE(ReadAll(QString::fromStdString(kml)).contains("<href> campus/overlay.bmp </href>"));
    EXPECT_EQ(QImage(dir.filePath("campus/overlay.bmp")).convertToFormat(QImage::Format_RGB32), shown);
    EXPECT_TRUE(w.prompts.prompts.empty());
}

TEST(GraphViewExports, SaveGraphImageAsksAboutTheFileItWritesAndReportsAFailedWrite) {
    GraphWindow w;
    BuildDemo(w.doc());
    w.Changed();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString old = dir.filePath("a.bmp");
    const auto oldFile = [&] {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("older picture");
    };
    oldFile();
    const std::string question =
        "The file \"" + old.toStdString() + "\" already exists.\nDo you want to replace it?";

    // "a.v2.bmp" and "a" are both written as "a.bmp": the question names that file, and No keeps it.
    w.prompts.saveFiles = {dir.filePath("a.v2.bmp").toStdString(), dir.filePath("a").toStdString()};
    w.prompts.answers = {false, true};
    w.view->runCommand(kCmdSaveGraphImage);
    ASSERT_EQ(w.prompts.prompts.size(), 1u);
    EXPECT_EQ(w.prompts.prompts[0].kind, "question");
    EXPECT_EQ(w.prompts.prompts[0].caption, "Save Graph Image");
    EXPECT_EQ(w.prompts.prompts[0].text, question);
    EXPECT_EQ(ReadAll(old), "older picture");
    EXPECT_FALSE(QFile::exists(dir.filePath("a.v2.bmp")));
    w.view->runCommand(kCmdSaveGraphImage); // Yes replaces it
    ASSERT_EQ(w.prompts.prompts.size(), 2u);
    EXPECT_EQ(w.prompts.prompts[1].text, question);
    EXPECT_TRUE(ReadAll(old).startsWith("BM"));
    EXPECT_EQ(QImage(old).convertToFormat(QImage::Format_RGB32), w.view->picture());
    EXPECT_EQ(w.prompts.choosers.back().defaultExtension, "bmp");

    // The file dialog never asks itself (it would ask about the name typed, not the file written);
    // the name chosen and written is asked about once, here.
    EXPECT_FALSE(w.prompts.choosers.back().confirmOverwrite);
    w.prompts.saveFiles = {old.toStdString()};
    w.prompts.answers = {true};
    w.view->runCommand(kCmdSaveGraphImage);
    ASSERT_EQ(w.prompts.prompts.size(), 3u);
    EXPECT_EQ(w.prompts.prompts[2].text, question);

    // A file that cannot be written says so.
    const QString folder = dir.filePath("taken.bmp");
    ASSERT_TRUE(QDir().mkdir(folder)); // a folder where the picture should go
    w.prompts.saveFiles = {folder.toStdString(), dir.filePath("missing/graph.png").toStdString()};
    w.prompts.answers = {true}; // the folder in the way exists: replace it, which fails
    w.view->runCommand(kCmdSaveGraphImage);
    w.view->runCommand(kCmdSaveGraphImage);
    ASSERT_EQ(w.Messages().size(), 2u);
    EXPECT_EQ(w.Messages()[0],
              "Save Graph Image: Could not write the file \"" + folder.toStdString() + "\".");
    EXPECT_EQ(w.Messages()[1], "Save Graph Image: Could not write the file \"" +
                                   dir.filePath("missing/graph.png").toStdString() + "\".");
    EXPECT_EQ(w.prompts.prompts.back().icon, PromptIcon::Stop);
}
