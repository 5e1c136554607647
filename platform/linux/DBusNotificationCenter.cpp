#include "DBusNotificationCenter.h"

#include "Log.h"
#include "PropertyList.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QThread>

namespace zelk {

DBusNotificationCenter::DBusNotificationCenter()
{
    // Signals reach a QObject on its own thread; observers are promised the
    // Qt main thread, whichever thread made the platform.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

DBusNotificationCenter::~DBusNotificationCenter() = default;

bool DBusNotificationCenter::post(const QString& name, const QVariantMap& userInfo)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        zlog("DBusNotificationCenter", "post") << "no session bus; not posted:" << name
                                               << bus.lastError().message();
        return false;
    }
    QString error;
    const QByteArray xml = plist::writeXml(userInfo, &error);
    if (xml.isEmpty()) {
        zlog("DBusNotificationCenter", "post") << "userInfo of" << name << "cannot be written:" << error;
        return false;
    }
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
    signal << name << QString::fromUtf8(xml);
    if (!bus.send(signal)) {
        zlog("DBusNotificationCenter", "post") << "sending" << name << "failed:" << bus.lastError().message();
        return false;
    }
    return true;
}

ObserverHandle DBusNotificationCenter::addObserver(const QString& name, Observer observer)
{
    subscribe();
    return m_observers.addObserver(name, nullptr, [observer = std::move(observer)](const Notification& n) {
        observer(n.name, n.userInfo);
    });
}

ObserverHandle DBusNotificationCenter::addObserverWithSender(const QString& name, SenderObserver observer)
{
    subscribe();
    {
        std::lock_guard lock(m_mutex);
        m_senderNames.insert(name);
    }
    // The post carries its sender as the notification's sender object.
    return m_observers.addObserver(name, nullptr, [observer = std::move(observer)](const Notification& n) {
        static const NotificationSender unknown;
        const auto* sender = static_cast<const NotificationSender*>(n.sender);
        observer(n.name, n.userInfo, sender ? *sender : unknown);
    });
}

NotificationSender DBusNotificationCenter::senderOf(const QString& busName)
{
    NotificationSender sender;
    QDBusConnectionInterface* bus = connection().interface();
    if (!bus || busName.isEmpty())
        return sender;
    const QDBusReply<uint> pid = bus->servicePid(busName);
    if (!pid.isValid()) {
        zlog("DBusNotificationCenter", "received") << "cannot tell the process of" << busName << ":" << pid.error().message();
        return sender;
    }
    sender.pid = qint64(pid.value());
    sender.executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(sender.pid)).canonicalFilePath();
    return sender;
}

bool DBusNotificationCenter::subscribe()
{
    std::lock_guard lock(m_mutex);
    if (m_subscribed)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // One match for every name and sender; received() hands each post to the
    // observers of its name.
    m_subscribed = bus.isConnected()
        && bus.connect(QString(), kPath, kInterface, kSignal, "ss", this, SLOT(received(QString, QString)));
    if (!m_subscribed)
        zlog("DBusNotificationCenter", "addObserver") << "cannot listen on the session bus:"
                                                      << bus.lastError().message();
    return m_subscribed;
}

void DBusNotificationCenter::received(const QString& name, const QString& userInfo)
{
    // Anyone on the bus may send this signal: check before delivering.
    QString error;
    const std::optional<QVariant> value = plist::read(userInfo.toUtf8(), &error);
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        zlog("DBusNotificationCenter", "received") << "dropped" << name << "with a userInfo that is not a dictionary"
                                                   << error;
        return;
    }
    if (name.isEmpty()) {
        zlog("DBusNotificationCenter", "received") << "dropped a notification without a name";
        return;
    }
    bool wantsSender = false;
    {
        std::lock_guard lock(m_mutex);
        wantsSender = m_senderNames.contains(name);
    }
    const NotificationSender sender = wantsSender && calledFromDBus() ? senderOf(message().service()) : NotificationSender();
    m_observers.post(name, &sender, value->toMap());
}

} // namespace zelk
