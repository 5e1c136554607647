#include "LinuxInputDevices.h"

#include "Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <unistd.h>

namespace zelk {

// --- reports

QList<QList<InputEvent>> EvdevReports::add(const InputEvent& event)
{
    if (event.type == EV_SYN && event.code == SYN_DROPPED) {
        m_pending.clear();
        m_dropping = true;
        return {};
    }
    if (event.type == EV_SYN && event.code == SYN_REPORT) {
        QList<InputEvent> report;
        report.swap(m_pending);
        if (m_dropping) {
            m_dropping = false;
            return {};
        }
        if (report.isEmpty())
            return {};
        return {report};
    }
    if (!m_dropping && event.type != EV_SYN)
        m_pending.append(event);
    return {};
}

// --- what a device is

QString transportForBus(int busType)
{
    switch (busType) {
    case BUS_USB:
        return "USB";
    case BUS_BLUETOOTH:
        return "Bluetooth";
    case BUS_I8042:
        return "PS/2";
    case BUS_I2C:
        return "I2C";
    case BUS_VIRTUAL:
        return "Virtual";
    case BUS_HOST:
        return "Host";
    default:
        return "Other";
    }
}

InputDeviceInfo inputDeviceInfoFromEvdev(const libevdev* device)
{
    InputDeviceInfo info;
    if (!device)
        return info;
    auto* dev = const_cast<libevdev*>(device); // libevdev's getters are not const-qualified
    info.transport = transportForBus(libevdev_get_id_bustype(dev));
    info.vendorID = libevdev_get_id_vendor(dev);
    info.productID = libevdev_get_id_product(dev);
    info.version = libevdev_get_id_version(dev);
    info.product = QString::fromUtf8(libevdev_get_name(dev));
    if (const char* uniq = libevdev_get_uniq(dev))
        info.serial = QString::fromUtf8(uniq);
    info.readable = true;
    const struct {
        unsigned type;
        unsigned max;
    } kinds[] = {{EV_KEY, KEY_MAX}, {EV_REL, REL_MAX}, {EV_ABS, ABS_MAX}};
    for (const auto& kind : kinds) {
        if (!libevdev_has_event_type(dev, kind.type))
            continue;
        for (unsigned code = 0; code <= kind.max; ++code) {
            if (!libevdev_has_event_code(dev, kind.type, code))
                continue;
            InputCapability cap{quint16(kind.type), quint16(code), 0, 1};
            if (kind.type == EV_REL) {
                cap.max = 0; // relative: no logical range
            } else if (kind.type == EV_ABS) {
                if (const input_absinfo* abs = libevdev_get_abs_info(dev, code)) {
                    cap.min = abs->minimum;
                    cap.max = abs->maximum;
                }
            }
            info.capabilities.append(cap);
        }
    }
    return info;
}

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(libevdev* e) const { libevdev_free(e); }
};
template <class T>
using UPtr = std::unique_ptr<T, UdevDeleter>;

bool isEventNode(const char* node)
{
    return node && QByteArray(node).startsWith("/dev/input/event");
}

QString property(udev_device* device, const char* name)
{
    const char* value = udev_device_get_property_value(device, name);
    return value ? QString::fromUtf8(value).replace('_', ' ').trimmed() : QString();
}

qint64 hexProperty(udev_device* device, const char* name)
{
    const char* value = udev_device_get_property_value(device, name);
    return value ? QByteArray(value).toLongLong(nullptr, 16) : 0;
}

// The device's node opened for reading, or -1.
int openNode(const QByteArray& node)
{
    return ::open(node.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

InputDeviceInfo infoForUdevDevice(udev_device* device)
{
    const char* node = udev_device_get_devnode(device);
    InputDeviceInfo info;
    const int fd = openNode(node);
    if (fd >= 0) {
        libevdev* raw = nullptr;
        if (libevdev_new_from_fd(fd, &raw) == 0) {
            UPtr<libevdev> evdev(raw);
            info = inputDeviceInfoFromEvdev(evdev.get());
        }
        ::close(fd);
    }
    if (!info.readable) {
        // What udev knows without the node: identity, no capabilities.
        udev_device* parent = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
        const char* name = parent ? udev_device_get_sysattr_value(parent, "name") : nullptr;
        info.product = name ? QString::fromUtf8(name) : property(device, "ID_MODEL");
        info.vendorID = hexProperty(device, "ID_VENDOR_ID");
        info.productID = hexProperty(device, "ID_MODEL_ID");
        const QString bus = property(device, "ID_BUS");
        info.transport = bus == "usb" ? "USB" : bus == "bluetooth" ? "Bluetooth" : bus.isEmpty() ? "Other" : bus;
        zlog("LinuxInputDevices", "infoForUdevDevice") << "cannot read" << node << "-" << strerror(errno);
    }
    info.id = QString::fromUtf8(node);
    info.manufacturer = property(device, "ID_VENDOR_FROM_DATABASE");
    if (info.manufacturer.isEmpty())
        info.manufacturer = property(device, "ID_VENDOR");
    if (info.serial.isEmpty())
        info.serial = property(device, "ID_SERIAL_SHORT");
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        const char* busnum = udev_device_get_sysattr_value(usb, "busnum");
        const char* devnum = udev_device_get_sysattr_value(usb, "devnum");
        if (busnum && devnum)
            info.locationID = (QByteArray(busnum).toLongLong() << 24) | QByteArray(devnum).toLongLong();
    }
    return info;
}

} // namespace

// --- the device list and its changes

struct LinuxInputDevices::Monitor {
    UPtr<udev> context;
    UPtr<udev_monitor> monitor;
    std::unique_ptr<QSocketNotifier> notifier;
    QHash<QString, InputDeviceInfo> known; // removal events carry no identity: keep what arrived
};

LinuxInputDevices::LinuxInputDevices() : m_observers([this] { monitorChanged(); }) {}

LinuxInputDevices::~LinuxInputDevices() = default;

QList<InputDeviceInfo> LinuxInputDevices::devices()
{
    QList<InputDeviceInfo> found;
    UPtr<udev> context(udev_new());
    if (!context) {
        zlog("LinuxInputDevices", "devices") << "udev_new failed";
        return found;
    }
    UPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    udev_enumerate_add_match_subsystem(enumerate.get(), "input");
    udev_enumerate_scan_devices(enumerate.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        UPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (device && isEventNode(udev_device_get_devnode(device.get())))
            found.append(infoForUdevDevice(device.get()));
    }
    return found;
}

ObserverHandle LinuxInputDevices::observeDevices(std::function<void(const InputDeviceInfo&, bool)> observer)
{
    return m_observers.add(std::move(observer));
}

void LinuxInputDevices::monitorChanged()
{
    if (!m_observers.any()) {
        m_monitor.reset();
        return;
    }
    if (m_monitor)
        return;
    auto monitor = std::make_unique<Monitor>();
    monitor->context.reset(udev_new());
    if (monitor->context)
        monitor->monitor.reset(udev_monitor_new_from_netlink(monitor->context.get(), "udev"));
    if (!monitor->monitor) {
        zlog("LinuxInputDevices", "monitorChanged") << "no udev monitor: device arrivals go unnoticed";
        return;
    }
    udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor.get(), "input", nullptr);
    udev_monitor_enable_receiving(monitor->monitor.get());
    for (const InputDeviceInfo& info : devices())
        monitor->known.insert(info.id, info);
    monitor->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor->monitor.get()), QSocketNotifier::Read);
    Monitor* m = monitor.get();
    QObject::connect(m->notifier.get(), &QSocketNotifier::activated, [this, m] {
        UPtr<udev_device> device(udev_monitor_receive_device(m->monitor.get()));
        if (!device || !isEventNode(udev_device_get_devnode(device.get())))
            return;
        const QString id = QString::fromUtf8(udev_device_get_devnode(device.get()));
        const QByteArray action = udev_device_get_action(device.get());
        if (action == "add") {
            const InputDeviceInfo info = infoForUdevDevice(device.get());
            m->known.insert(id, info);
            m_observers.notify(info, true);
        } else if (action == "remove") {
            InputDeviceInfo info = m->known.take(id);
            info.id = id;
            m_readers.remove(id);
            m_observers.notify(info, false);
        }
    });
    m_monitor = std::move(monitor);
}

// --- reading a device

struct LinuxInputDevices::Reader {
    explicit Reader(std::function<void()> changed) : observers(std::move(changed)) {}
    ~Reader() { close(); }
    bool open(const QString& id)
    {
        fd = openNode(id.toUtf8());
        libevdev* raw = nullptr;
        if (fd < 0 || libevdev_new_from_fd(fd, &raw) != 0) {
            zlog("LinuxInputDevices", "readEvents") << "cannot read" << id << "-" << strerror(errno);
            close();
            return false;
        }
        evdev.reset(raw);
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
        return true;
    }
    void close()
    {
        if (notifier) {
            // Possibly inside the notifier's own signal.
            notifier->setEnabled(false);
            notifier.release()->deleteLater();
        }
        evdev.reset();
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    void readAvailable()
    {
        QList<QList<InputEvent>> ready;
        unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
        for (;;) {
            input_event ev{};
            const int rc = libevdev_next_event(evdev.get(), flags, &ev);
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                // Replayed state after an overflow: the held buttons as they are now.
                flags = LIBEVDEV_READ_FLAG_SYNC;
            } else if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            } else if (rc != LIBEVDEV_READ_STATUS_SUCCESS) {
                if (rc != -EAGAIN) {
                    // The device went away (ENODEV): udev reports the removal.
                    close();
                }
                break;
            }
            const InputEvent event{quint16(ev.type), quint16(ev.code), ev.value,
                                   qint64(ev.input_event_sec) * 1000000 + ev.input_event_usec};
            ready.append(reports.add(event));
        }
        for (const auto& report : ready)
            observers.notify(report);
    }

    int fd = -1;
    UPtr<libevdev> evdev;
    std::unique_ptr<QSocketNotifier> notifier;
    EvdevReports reports;
    ObserverList<QList<InputEvent>> observers;
};

ObserverHandle LinuxInputDevices::readEvents(const QString& id, std::function<void(const QList<InputEvent>&)> observer)
{
    std::shared_ptr<Reader> reader = m_readers.value(id);
    if (!reader) {
        // The reader closes its node when its last observer goes.
        reader = std::make_shared<Reader>([this, id] {
            // Later: the last handle is still being dropped inside the reader.
            QTimer::singleShot(0, QCoreApplication::instance(), [this, id] {
                if (auto r = m_readers.value(id); r && !r->observers.any())
                    m_readers.remove(id);
            });
        });
        if (!reader->open(id))
            return {};
        m_readers.insert(id, reader);
    }
    return reader->observers.add(std::move(observer));
}

} // namespace zelk
