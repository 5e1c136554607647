#include "VirtualInputDevices.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

namespace zelk {

namespace {
using Batch = QList<InputEvent>;
}

struct VirtualInputDevices::Shared {
    mutable std::mutex mutex;
    QList<InputDeviceInfo> devices;
    QHash<QString, int> readers;
    NotificationCenter changes; // "added" / "removed", the device as userInfo
    NotificationCenter reports; // named by the device id, the batch as sender

    // Later, on the main thread, as the kernel's sockets would deliver it.
    void later(std::function<void()> fn)
    {
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(fn));
    }
};

namespace {

QVariantMap toMap(const InputDeviceInfo& info)
{
    return {{"id", info.id}};
}

} // namespace

VirtualInputDevices::VirtualInputDevices() : d(std::make_shared<Shared>()) {}
VirtualInputDevices::~VirtualInputDevices() = default;

QList<InputDeviceInfo> VirtualInputDevices::devices()
{
    std::lock_guard lock(d->mutex);
    return d->devices;
}

ObserverHandle VirtualInputDevices::observeDevices(std::function<void(const InputDeviceInfo&, bool)> observer)
{
    return d->changes.addObserver({}, nullptr, [observer = std::move(observer)](const Notification& n) {
        observer(*static_cast<const InputDeviceInfo*>(n.sender), n.name == QLatin1String("added"));
    });
}

ObserverHandle VirtualInputDevices::readEvents(const QString& id, std::function<void(const QList<InputEvent>&)> observer)
{
    {
        std::lock_guard lock(d->mutex);
        const auto it = std::find_if(d->devices.cbegin(), d->devices.cend(), [&id](const InputDeviceInfo& i) { return i.id == id; });
        if (it == d->devices.cend() || !it->readable)
            return {};
        d->readers[id] += 1;
    }
    // The count goes down with the handle: the token dies with the observer.
    struct Token {
        Token(std::weak_ptr<Shared> s, QString i) : shared(std::move(s)), id(std::move(i)) {}
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        std::weak_ptr<Shared> shared;
        QString id;
        ~Token()
        {
            if (auto s = shared.lock()) {
                std::lock_guard lock(s->mutex);
                if (--s->readers[id] <= 0)
                    s->readers.remove(id);
            }
        }
    };
    auto token = std::make_shared<Token>(d, id);
    return d->reports.addObserver(id, nullptr, [observer = std::move(observer), token](const Notification& n) {
        observer(*static_cast<const Batch*>(n.sender));
    });
}

InputDeviceInfo VirtualInputDevices::usbDevice(const QString& id, qint64 vendor, qint64 product, const QString& name,
                                               const QList<quint16>& keys, bool wheel)
{
    InputDeviceInfo info;
    info.id = id;
    info.transport = "USB";
    info.vendorID = vendor;
    info.productID = product;
    info.version = 0x100;
    info.manufacturer = "Virtual Devices";
    info.product = name;
    info.serial = id;
    info.locationID = qHash(id) & 0x7FFFFFFF;
    info.readable = true;
    QList<quint16> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    for (quint16 code : sorted)
        info.capabilities.append({InputDeviceService::KeyEvent, code, 0, 1});
    if (wheel)
        info.capabilities.append({InputDeviceService::RelativeEvent, WheelCode, 0, 0});
    return info;
}

void VirtualInputDevices::plug(const InputDeviceInfo& device)
{
    {
        std::lock_guard lock(d->mutex);
        d->devices.append(device);
    }
    d->later([s = d, device] { s->changes.post("added", &device, toMap(device)); });
}

void VirtualInputDevices::unplug(const QString& id)
{
    InputDeviceInfo gone;
    {
        std::lock_guard lock(d->mutex);
        const auto it = std::find_if(d->devices.begin(), d->devices.end(), [&id](const InputDeviceInfo& i) { return i.id == id; });
        if (it == d->devices.end())
            return;
        gone = *it;
        d->devices.erase(it);
    }
    d->later([s = d, gone] { s->changes.post("removed", &gone, toMap(gone)); });
}

void VirtualInputDevices::report(const QString& id, const QList<InputEvent>& events)
{
    d->later([s = d, id, events] {
        {
            std::lock_guard lock(s->mutex);
            // A report of an unplugged device never arrives.
            if (std::none_of(s->devices.cbegin(), s->devices.cend(), [&id](const InputDeviceInfo& i) { return i.id == id; }))
                return;
        }
        s->reports.post(id, &events);
    });
}

void VirtualInputDevices::pressButton(const QString& id, quint16 code)
{
    report(id, {{KeyEvent, code, 1, 0}});
}

void VirtualInputDevices::releaseButton(const QString& id, quint16 code)
{
    report(id, {{KeyEvent, code, 0, 0}});
}

void VirtualInputDevices::turnWheel(const QString& id, qint32 amount)
{
    report(id, {{RelativeEvent, WheelCode, amount, 0}});
}

int VirtualInputDevices::readerCount(const QString& id) const
{
    std::lock_guard lock(d->mutex);
    return d->readers.value(id);
}

} // namespace zelk
