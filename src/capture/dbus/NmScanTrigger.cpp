#include "capture/dbus/NmScanTrigger.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariantMap>

namespace plotra::capture {

namespace {

constexpr char kService[] = "org.freedesktop.NetworkManager";

class NmScanTrigger : public ScanTrigger {
  public:
    bool Request(const std::string& interfaceName, std::string* why) override {
        QDBusConnection bus = QDBusConnection::systemBus();
        QDBusInterface nm(kService, "/org/freedesktop/NetworkManager", kService, bus);
        const QDBusReply<QDBusObjectPath> device =
            nm.call("GetDeviceByIpIface", QString::fromStdString(interfaceName));
        if (!device.isValid()) {
            if (why) *why = device.error().message().toStdString();
            return false;
        }
        QDBusInterface wireless(kService, device.value().path(),
                                "org.freedesktop.NetworkManager.Device.Wireless", bus);
        const QDBusReply<void> reply = wireless.call("RequestScan", QVariantMap());
        if (!reply.isValid()) {
            if (why) *why = reply.error().message().toStdString(); // e.g. scanning not allowed so soon
            return false;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<ScanTrigger> MakeNetworkManagerTrigger() {
    // Qt's D-Bus wants an application object; the command-line tool has none of its own.
    static int argc = 1;
    static char name[] = "plotra-cli";
    static char* argv[] = {name, nullptr};
    // It is made once and kept to the end: destroying it while the program exits would run into
    // Qt's own objects already gone.
    if (!QCoreApplication::instance()) {
        static QCoreApplication* const app = new QCoreApplication(argc, argv);
        (void)app;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService))
        return nullptr;
    return std::make_unique<NmScanTrigger>();
}

} // namespace plotra::capture
