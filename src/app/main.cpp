// plotra: the desktop program.
#include "app/MainWindow.h"
#include "app/PlotraApp.h"
#include "gui/GuiSession.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

/// PLOTRA_QUIT_AFTER_SHOW=1 (for tests of an installed program): once the main window is on the screen
/// and the workspace named on the command line has been opened (its job has ended), print the window's
/// title and its help folder on stdout and leave with status 0. Start-up problems still show as they
/// would.
void QuitOnceShown(plotra::gui::CPlotraApp& plotraApp) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, qApp, [&plotraApp, poll] {
        const plotra::gui::CMainFrame* frame = plotraApp.mainFrame();
        if (!frame || !frame->isVisible() || !frame->windowHandle() || !frame->windowHandle()->isExposed() ||
            plotraApp.session().jobRunning())
            return;
        poll->stop();
        // The title as shown: the modified mark's place holder resolved.
        const QString title =
            QString(frame->windowTitle())
                .replace(QStringLiteral("[*]"), frame->isWindowModified() ? QStringLiteral("*") : QString());
        std::printf("window: %s\nhelp: %s\n", qPrintable(title), qPrintable(frame->helpDirectory));
        std::fflush(stdout);
        QApplication::exit(0);
    });
    poll->start();
}

} // namespace

#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt takes the user's locale for the C library too; the tables, the report and the files format
    // their numbers with printf and must keep the decimal point whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Norlit Systems"));
    QApplication::setApplicationName(QStringLiteral("Plotra"));
    QGuiApplication::setDesktopFileName(QStringLiteral("plotra")); // resources/plotra.desktop
    plotra::gui::CPlotraApp plotraApp;
    if (!plotraApp.InitInstance(QApplication::arguments())) return 1;
    if (qEnvironmentVariableIntValue("PLOTRA_QUIT_AFTER_SHOW") == 1) QuitOnceShown(plotraApp);
    return QApplication::exec();
}
