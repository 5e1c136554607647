#pragma once
// Input devices through the kernel's event interface: devices found and
// watched with libudev (subsystem "input", nodes /dev/input/event*), read
// with libevdev. A device whose node cannot be opened (no permission) is
// still listed, not readable.
#include "InputDevices.h"
#include "ObserverList.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

struct libevdev;

namespace zelk {

// Splits a device's event stream into reports. A SYN_DROPPED marker means
// the kernel's buffer overflowed: everything up to the next report's end is
// incomplete and is thrown away, as the kernel's documentation asks.
class EvdevReports {
public:
    // The reports that the event completes (none, or one).
    QList<QList<InputEvent>> add(const InputEvent& event);
    bool dropping() const { return m_dropping; }

private:
    QList<InputEvent> m_pending;
    bool m_dropping = false;
};

// What a libevdev device says about itself, in the service's terms.
InputDeviceInfo inputDeviceInfoFromEvdev(const libevdev* device);
// The kernel's bus type as a transport name ("USB", "Bluetooth", ...).
QString transportForBus(int busType);

class LinuxInputDevices : public InputDeviceService {
public:
    LinuxInputDevices();
    ~LinuxInputDevices() override;

    QList<InputDeviceInfo> devices() override;
    [[nodiscard]] ObserverHandle observeDevices(std::function<void(const InputDeviceInfo&, bool added)> observer) override;
    [[nodiscard]] ObserverHandle readEvents(const QString& id, std::function<void(const QList<InputEvent>&)> observer) override;

private:
    struct Monitor;
    struct Reader;
    void monitorChanged();
    std::unique_ptr<Monitor> m_monitor; // udev's netlink socket while someone observes
    ObserverList<InputDeviceInfo, bool> m_observers;
    QHash<QString, std::shared_ptr<Reader>> m_readers;
};

} // namespace zelk
