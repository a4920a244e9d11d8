#include "mapview/RenderApplication.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>
#include <mutex>

namespace plotra {

void EnsureRenderApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // The application keeps references to argc and argv for its whole life.
        static int argc = 1;
        static char name[] = "plotra";
        static char* argv[] = {name, nullptr};
        static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    });
}

} // namespace plotra
