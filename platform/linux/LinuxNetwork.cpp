#include "LinuxNetwork.h"

#include "Log.h"
#include "ObserverList.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QHash>
#include <QObject>
#include <optional>

namespace zelk {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kIp4Config = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// "/" is NetworkManager's "none".
QString configPath(const QVariant& value)
{
    const QString path = value.value<QDBusObjectPath>().path();
    return path == "/" ? QString() : path;
}

} // namespace

// Receives NetworkManager's signals on the main thread; the context tells
// which object sent them.
class NetworkListener : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    std::function<void(const QString& path, const QString& interface, const QVariantMap& changed)> onProperties;
    std::function<void(const QString& path)> onState, onRemoved;

public slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        onProperties(message().path(), interface, changed);
    }
    void stateChanged(uint, uint, uint) { onState(message().path()); }
    void deviceRemoved(const QDBusObjectPath& device) { onRemoved(device.path()); }
};

struct LinuxNetwork::Private {
    std::unique_ptr<NetworkListener> listener = std::make_unique<NetworkListener>();
    ObserverList<const QString&, bool> observers{[this] { observersChanged(); }};

    // Main thread:
    struct Device {
        QString interface;
        QString config; // empty: no IPv4 configuration
    };
    bool subscribed = false, loggedAbsent = false;
    QHash<QString, Device> devices; // by object path

    void observersChanged();
    void update();
    bool connectSignals(QDBusConnection& bus, bool on);
    void readDevice(const QString& path, const std::function<void(const QVariantMap&)>& then);
    void apply(const QString& path, const QVariantMap& properties, bool announce);
    void tell(const Device& device, bool present);
};

LinuxNetwork::LinuxNetwork() : d(std::make_unique<Private>())
{
    if (QCoreApplication* app = QCoreApplication::instance())
        d->listener->moveToThread(app->thread());
    d->listener->onProperties = [p = d.get()](const QString& path, const QString& interface, const QVariantMap& changed) {
        if (interface == kDevice && changed.contains("Ip4Config")) {
            if (p->devices.contains(path))
                p->apply(path, changed, true);
            else // a device we have not met: its name first
                p->readDevice(path, [p, path](const QVariantMap& all) { p->apply(path, all, true); });
        } else if (interface == kIp4Config) {
            // New addresses in a configuration: a change of its device's.
            for (const Private::Device& device : std::as_const(p->devices)) {
                if (device.config == path)
                    p->tell(device, true);
            }
        }
    };
    d->listener->onState = [p = d.get()](const QString& path) {
        p->readDevice(path, [p, path](const QVariantMap& all) { p->apply(path, all, true); });
    };
    d->listener->onRemoved = [p = d.get()](const QString& path) {
        const auto it = p->devices.constFind(path);
        if (it == p->devices.cend())
            return;
        const Private::Device gone = *it;
        p->devices.erase(it);
        if (!gone.config.isEmpty())
            p->tell(gone, false);
    };
}

LinuxNetwork::~LinuxNetwork()
{
    if (d->subscribed) {
        QDBusConnection bus = QDBusConnection::systemBus();
        d->connectSignals(bus, false);
    }
}

ObserverHandle LinuxNetwork::observe(std::function<void(const QString&, bool)> observer)
{
    ObserverHandle handle = d->observers.add(std::move(observer));
    // Listening from now on, not from the next turn of the event loop.
    QMetaObject::invokeMethod(d->listener.get(), [p = d.get()] { p->update(); }, Qt::AutoConnection);
    return handle;
}

void LinuxNetwork::Private::observersChanged()
{
    QMetaObject::invokeMethod(listener.get(), [this] { update(); }, Qt::QueuedConnection);
}

bool LinuxNetwork::Private::connectSignals(QDBusConnection& bus, bool on)
{
    // An empty path: from every object of the service.
    const auto hook = [&](const QString& path, const QString& interface, const QString& name, const char* slot) {
        return on ? bus.connect(kService, path, interface, name, listener.get(), slot)
                  : bus.disconnect(kService, path, interface, name, listener.get(), slot);
    };
    const bool a = hook(QString(), kProperties, "PropertiesChanged", SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    const bool b = hook(QString(), kDevice, "StateChanged", SLOT(stateChanged(uint, uint, uint)));
    const bool c = hook(kPath, kService, "DeviceRemoved", SLOT(deviceRemoved(QDBusObjectPath)));
    return a && b && c;
}

void LinuxNetwork::Private::update()
{
    const bool wanted = observers.any();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (wanted && !subscribed) {
        subscribed = bus.isConnected() && connectSignals(bus, true);
        // (A round trip on the bus: the subscriptions above are in place after it.)
        if (!subscribed || !bus.interface()->isServiceRegistered(kService)) {
            if (!loggedAbsent)
                zlog("LinuxNetwork", "observe") << "NetworkManager is not running: network changes are not seen";
            loggedAbsent = true;
        }
        if (!subscribed)
            return;
        // What is configured now is no change. A device that a signal
        // told of meanwhile is already known and keeps its news.
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kProperties, "Get");
        call << kService << QStringLiteral("Devices");
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), listener.get());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, listener.get(), [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *w;
            if (reply.isError())
                return;
            const auto paths = qdbus_cast<QList<QDBusObjectPath>>(reply.value().variant());
            for (const QDBusObjectPath& device : paths) {
                const QString path = device.path();
                readDevice(path, [this, path](const QVariantMap& all) {
                    if (!devices.contains(path))
                        apply(path, all, false);
                });
            }
        });
    } else if (!wanted && subscribed) {
        connectSignals(bus, false);
        subscribed = false;
        devices.clear();
    }
}

void LinuxNetwork::Private::readDevice(const QString& path, const std::function<void(const QVariantMap&)>& then)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kProperties, "GetAll");
    call << kDevice;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), listener.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, listener.get(), [this, then](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError()) {
            zlog("LinuxNetwork", "observe") << "cannot read a device:" << reply.error().message();
            return;
        }
        if (subscribed)
            then(reply.value());
    });
}

void LinuxNetwork::Private::apply(const QString& path, const QVariantMap& properties, bool announce)
{
    Device& device = devices[path];
    const QString ipInterface = properties.value("IpInterface").toString();
    if (!ipInterface.isEmpty())
        device.interface = ipInterface;
    else if (device.interface.isEmpty())
        device.interface = properties.value("Interface").toString();
    if (!properties.contains("Ip4Config"))
        return;
    const QString config = configPath(properties.value("Ip4Config"));
    const QString before = std::exchange(device.config, config);
    if (!announce || config == before || device.interface.isEmpty())
        return;
    tell(device, !config.isEmpty());
}

void LinuxNetwork::Private::tell(const Device& device, bool present)
{
    observers.notify("State:/Network/Interface/" + device.interface + "/IPv4", present);
}

namespace {

const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettings = QStringLiteral("org.freedesktop.NetworkManager.Settings");

std::optional<QDBusMessage> askNetworkManager(const QString& path, const QString& interface, const QString& member,
                                              const QVariantList& arguments, const char* method, QString* error = nullptr)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, member);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.isConnected() ? bus.call(call, QDBus::Block, 25000) : QDBusMessage();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const QString why = bus.isConnected() ? reply.errorName() + ": " + reply.errorMessage() : QStringLiteral("no system bus");
        zlog("LinuxNetwork", method) << member << why;
        if (error)
            *error = why;
        return std::nullopt;
    }
    return reply;
}

struct Profile {
    QString path;
    NetworkLocation location;
};

QList<Profile> profiles(const char* method)
{
    QList<Profile> list;
    const std::optional<QDBusMessage> paths = askNetworkManager(kSettingsPath, kSettings, "ListConnections", {}, method);
    if (!paths || paths->arguments().isEmpty())
        return list;
    const QList<QDBusObjectPath> connections = qdbus_cast<QList<QDBusObjectPath>>(paths->arguments().constFirst());
    for (const QDBusObjectPath& connection : connections) {
        const std::optional<QDBusMessage> reply = askNetworkManager(
            connection.path(), kSettings + ".Connection", "GetSettings", {}, method);
        if (!reply || reply->arguments().isEmpty())
            continue;
        QMap<QString, QVariantMap> settings;
        reply->arguments().constFirst().value<QDBusArgument>() >> settings;
        const QVariantMap about = settings.value("connection");
        list.append({connection.path(), {about.value("uuid").toString(), about.value("id").toString()}});
    }
    return list;
}

} // namespace

QList<NetworkLocation> LinuxNetwork::locations()
{
    QList<NetworkLocation> list;
    for (const Profile& profile : profiles("locations"))
        list.append(profile.location);
    return list;
}

QString LinuxNetwork::activeLocation()
{
    const std::optional<QDBusMessage> primary = askNetworkManager(
        kPath, kProperties, "Get", {QStringLiteral("org.freedesktop.NetworkManager"), QStringLiteral("PrimaryConnection")},
        "activeLocation");
    if (!primary)
        return {};
    const QString active = configPath(primary->arguments().value(0).value<QDBusVariant>().variant());
    if (active.isEmpty())
        return {};
    const std::optional<QDBusMessage> uuid = askNetworkManager(
        active, kProperties, "Get", {QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"), QStringLiteral("Uuid")},
        "activeLocation");
    return uuid ? uuid->arguments().value(0).value<QDBusVariant>().variant().toString() : QString();
}

bool LinuxNetwork::activateLocation(const QString& identifier, QString* error)
{
    for (const Profile& profile : profiles("activateLocation")) {
        if (profile.location.identifier != identifier)
            continue;
        const QDBusObjectPath none(QStringLiteral("/"));
        return askNetworkManager(kPath, QStringLiteral("org.freedesktop.NetworkManager"), "ActivateConnection",
                                 {QVariant::fromValue(QDBusObjectPath(profile.path)), QVariant::fromValue(none),
                                  QVariant::fromValue(none)},
                                 "activateLocation", error)
            .has_value();
    }
    if (error)
        *error = QStringLiteral("no connection profile ") + identifier;
    return false;
}

} // namespace zelk

#include "LinuxNetwork.moc"
