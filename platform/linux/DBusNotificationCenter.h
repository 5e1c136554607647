#pragma once
// Distributed notifications on the session bus: the signal
// Post(name, userInfo) of org.zelk.DistributedNotifications at
// /org/zelk/DistributedNotifications, userInfo as XML property-list text so
// every property-list type survives the trip. Any process of the session may
// send it; the sender receives its own posts too when it observes the name.
#include "NotificationCenter.h"
#include "Platform.h"

#include <QObject>
#include <mutex>

namespace zelk {

class DBusNotificationCenter : public QObject, public DistributedNotificationCenter {
    Q_OBJECT
public:
    static constexpr const char* kPath = "/org/zelk/DistributedNotifications";
    static constexpr const char* kInterface = "org.zelk.DistributedNotifications";
    static constexpr const char* kSignal = "Post";

    DBusNotificationCenter();
    ~DBusNotificationCenter() override;

    bool post(const QString& name, const QVariantMap& userInfo) override;
    [[nodiscard]] ObserverHandle addObserver(const QString& name, Observer observer) override;

private slots:
    void received(const QString& name, const QString& userInfo);

private:
    bool subscribe();

    std::mutex m_mutex;
    bool m_subscribed = false;
    NotificationCenter m_observers;
};

} // namespace zelk
