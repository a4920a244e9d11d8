// plotra: the desktop program. (The main window comes with the application shell.)
#include "app/GuiSession.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    plotra::gui::GuiSession session;
    return 0;
}
