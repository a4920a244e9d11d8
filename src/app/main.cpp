// plotra: the desktop program.
#include "app/PlotraApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Norlit Systems"));
    QApplication::setApplicationName(QStringLiteral("Plotra"));
    QGuiApplication::setDesktopFileName(QStringLiteral("plotra")); // resources/plotra.desktop
    plotra::gui::CPlotraApp plotraApp;
    if (!plotraApp.InitInstance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
