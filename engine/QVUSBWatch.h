#pragma once
// What USB launchers ask of the engine's USB manager: start and stop
// delivering the events of one device element (posted back as the local
// notification "USBEventNotification"). Until the USB manager installs
// itself, the calls do nothing.
//
// The element dictionary holds "usbelementvendorid", "usbelementproductid",
// "usbelementcookie" and "usbmodifiers".
#include <QString>
#include <QVariantMap>
#include <atomic>

namespace engine {

class QVUSBWatch {
public:
    virtual ~QVUSBWatch() = default;
    virtual void startWaitEventOfDevice(const QVariantMap& /*elementDict*/, const QString& /*withName*/) {}
    virtual void stopWaitEventOfDevice(const QVariantMap& /*elementDict*/) {}

    // The installed watcher, or a no-op one.
    static QVUSBWatch& current()
    {
        QVUSBWatch* watch = slot().load();
        return watch ? *watch : noOp();
    }
    // Not owned; nullptr goes back to the no-op watcher.
    static void install(QVUSBWatch* watch) { slot().store(watch); }

private:
    static std::atomic<QVUSBWatch*>& slot()
    {
        static std::atomic<QVUSBWatch*> installed{nullptr};
        return installed;
    }
    static QVUSBWatch& noOp()
    {
        static QVUSBWatch none;
        return none;
    }
};

} // namespace engine
