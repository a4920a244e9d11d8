// Screenshots of the graph window on the simulated demo, for the documentation: written as PNG files
// when PLOTRA_GRAPHVIEW_PNG_DIR names a folder (skipped otherwise).
#include "mapview/gui/GraphViewFixture.h"

#include "mapview/gui/DialogApicon.h"
#include "mapview/gui/InfoWnd.h"
#include "mapview/gui/RulerDlg.h"
#include "model/EditAccess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPrinter>

#include <cstdlib>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

QString Folder() {
    const char* dir = std::getenv("PLOTRA_GRAPHVIEW_PNG_DIR");
    return dir ? QString::fromLocal8Bit(dir) : QString();
}

void Save(QWidget& widget, const char* name) {
    const QString path = QDir(Folder()).filePath(QString::fromLatin1(name) + ".png");
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

} // namespace

TEST(GraphViewPictures, ScreenshotsOfTheDemo) {
    if (Folder().isEmpty()) GTEST_SKIP() << "set PLOTRA_GRAPHVIEW_PNG_DIR to write the screenshots";
    QDir().mkpath(Folder());
    GraphWindow w(900, 560);
    BuildDemo(w.doc(), true, true);
    w.Changed();
    CPlotraDoc& doc = w.doc();
    w.view->runCommand(kCmdShowMap);
    w.view->runCommand(kCmdShowDirections);
    w.view->runCommand(kCmdShowLegend);
    doc.SetMultipleContours(true);
    Save(*w.view, "graph-window-power-contours");

    doc.SetGraphType(GraphKind::Snr);
    Save(*w.view, "graph-window-snr");
    doc.SetGraphType(GraphKind::ApCount);
    Save(*w.view, "graph-window-count");
    doc.SetGraphType(GraphKind::SignalPower);
    doc.SetMultipleContours(false);
    Edit::Display(doc).m_bCombined = 0;
    w.Changed();
    Save(*w.view, "graph-window-per-ap");
    Edit::Display(doc).m_bCombined = 1;
    w.Changed();

    // Zoomed in twice with the scroll bars, the info bubble open over an AP's area.
    w.view->runCommand(kCmdZoomIn);
    w.Click(QPoint(450, 280));
    w.Click(QPoint(450, 280));
    w.view->runCommand(kCmdZoomIn);
    w.view->runCommand(kCmdInfoWindow);
    w.Move(QPoint(520, 160));
    ASSERT_TRUE(WaitUntil([&] { return w.view->infoWindow()->isVisible(); }, 5000));
    Save(*w.view, "graph-window-info");

    // The ruler dialog of a measurement across the window.
    w.view->execDialog = [&](QDialog& dialog) {
        if (qobject_cast<CRulerDlg*>(&dialog)) {
            dialog.adjustSize();
            Save(dialog, "ruler-dialog");
        }
        return true;
    };
    w.view->runCommand(kCmdRuler);
    w.Press(QPoint(120, 400));
    w.Release(QPoint(700, 120));

    // The printed page, as a PDF file.
    w.view->choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(Folder()).filePath("graph-window-print.pdf"));
        return true;
    };
    w.view->runCommand(kCmdPrint);
    ASSERT_TRUE(WaitUntil([&] { return !w.session.jobRunning(); }));

    CDialogApicon icons;
    icons.m_nIconOption = 3;
    icons.m_nIconId = 238;
    Save(icons, "ap-icon-dialog");
}
