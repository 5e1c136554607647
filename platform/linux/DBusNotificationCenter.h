#pragma once
// Distributed notifications on the session bus: the signal
// Post(name, userInfo) of org.zelk.DistributedNotifications at
// /org/zelk/DistributedNotifications, userInfo as XML property-list text so
// every property-list type survives the trip. Any process of the session may
// send it; the sender receives its own posts too when it observes the name.
// The sender of a post is the bus's word for it: its connection's process
// (from the bus daemon) and that process's executable.
#include "NotificationCenter.h"
#include "Platform.h"

#include <QDBusContext>
#include <QObject>
#include <QSet>
#include <mutex>

namespace zelk {

class DBusNotificationCenter : public QObject, public DistributedNotificationCenter, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr const char* kPath = "/org/zelk/DistributedNotifications";
    static constexpr const char* kInterface = "org.zelk.DistributedNotifications";
    static constexpr const char* kSignal = "Post";

    DBusNotificationCenter();
    ~DBusNotificationCenter() override;

    bool post(const QString& name, const QVariantMap& userInfo) override;
    [[nodiscard]] ObserverHandle addObserver(const QString& name, Observer observer) override;
    [[nodiscard]] ObserverHandle addObserverWithSender(const QString& name, SenderObserver observer) override;

private slots:
    void received(const QString& name, const QString& userInfo);

private:
    bool subscribe();
    NotificationSender senderOf(const QString& busName);

    std::mutex m_mutex;
    bool m_subscribed = false;
    QSet<QString> m_senderNames; // names an observer wants the sender of
    NotificationCenter m_observers;
};

} // namespace zelk
