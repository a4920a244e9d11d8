// plotra: the desktop program.
#include "app/PlotraApp.h"

#include <QApplication>

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
    return QApplication::exec();
}
