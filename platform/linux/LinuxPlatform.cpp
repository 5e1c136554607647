#include "LinuxPlatform.h"

#include "DBusNotificationCenter.h"
#include "XEventPoster.h"

namespace zelk {

LinuxPlatform::LinuxPlatform()
    : m_events(std::make_unique<XEventPoster>())
    , m_notifications(std::make_unique<DBusNotificationCenter>())
{
}

LinuxPlatform::~LinuxPlatform() = default;

EventPoster& LinuxPlatform::events()
{
    return *m_events;
}

DistributedNotificationCenter& LinuxPlatform::distributedNotifications()
{
    return *m_notifications;
}

std::unique_ptr<Platform> makeLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

} // namespace zelk
