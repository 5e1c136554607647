#pragma once
// The real desktop: an X11 session with a D-Bus session bus.
#include "Platform.h"

#include <memory>

namespace zelk {

class XEventPoster;
class DBusNotificationCenter;

class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    QString name() const override { return "linux"; }
    EventPoster& events() override;
    DistributedNotificationCenter& distributedNotifications() override;

private:
    std::unique_ptr<XEventPoster> m_events;
    std::unique_ptr<DBusNotificationCenter> m_notifications;
};

} // namespace zelk
