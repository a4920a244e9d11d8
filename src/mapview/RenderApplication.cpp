#include "mapview/RenderApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <unistd.h>

#include <memory>
#include <mutex>

namespace plotra {

void EnsureRenderApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Headless runs (CI, batch jobs) often have no runtime folder; Qt would warn about it on stderr,
        // where the command-line tool's messages go.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/plotra-runtime-" + QByteArray::number(getuid());
            QDir().mkpath(QString::fromLocal8Bit(dir));
            QFile::setPermissions(QString::fromLocal8Bit(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", dir);
        }
        // The application keeps references to argc and argv for its whole life.
        static int argc = 1;
        static char name[] = "plotra";
        static char* argv[] = {name, nullptr};
        static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    });
}

} // namespace plotra
