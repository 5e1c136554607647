#pragma once
// Input devices of the kernel's event interface (keyboards, mice, pedals,
// button boxes) as the HID device layer reads them: what a device is, what
// it can report, and its reports as they come. Event types and codes are the
// kernel's own numbers (the constants below name the few the layer uses).
#include "NotificationCenter.h"

#include <QList>
#include <QString>
#include <functional>

namespace zelk {

struct InputCapability {
    quint16 type = 0;
    quint16 code = 0;
    qint32 min = 0; // logical range (absolute axes); 0..1 for keys
    qint32 max = 1;
    bool operator==(const InputCapability&) const = default;
};

struct InputDeviceInfo {
    QString id;           // stable while plugged in: the event node, or the virtual device's name
    QString transport;    // "USB", "Bluetooth", "Virtual", ...
    qint64 vendorID = 0;
    qint64 productID = 0;
    qint64 version = 0;
    QString manufacturer;
    QString product;
    QString serial;
    qint64 locationID = 0;
    bool readable = false; // its events can be read (permissions)
    QList<InputCapability> capabilities; // in type, code order
    bool operator==(const InputDeviceInfo&) const = default;
};

struct InputEvent {
    quint16 type = 0;
    quint16 code = 0;
    qint32 value = 0;
    qint64 timeUs = 0; // microseconds, the kernel's clock
    bool operator==(const InputEvent&) const = default;
};

class InputDeviceService {
public:
    static constexpr quint16 SyncEvent = 0;     // ends one report
    static constexpr quint16 KeyEvent = 1;      // keys and buttons: 1 down, 0 up, 2 auto-repeat
    static constexpr quint16 RelativeEvent = 2; // motion and wheels
    static constexpr quint16 AbsoluteEvent = 3;
    static constexpr quint16 MiscEvent = 4;

    virtual ~InputDeviceService() = default;
    virtual QList<InputDeviceInfo> devices() = 0;
    // Arrivals (added) and removals, on the main thread.
    [[nodiscard]] virtual ObserverHandle observeDevices(std::function<void(const InputDeviceInfo&, bool added)> observer) = 0;
    // The device's reports while the handle lives, one call per report (the
    // events before a sync marker, markers left out), on the main thread.
    // An empty handle when the device is not there or cannot be read.
    [[nodiscard]] virtual ObserverHandle readEvents(const QString& id, std::function<void(const QList<InputEvent>&)> observer) = 0;
};

} // namespace zelk
