#include "LinuxPlatform.h"

#include "DBusCommandService.h"
#include "DBusNotificationCenter.h"
#include "XEventPoster.h"
#include "XSession.h"

namespace zelk {

LinuxPlatform::LinuxPlatform()
    : m_session(std::make_shared<XSession>())
    , m_events(std::make_unique<XEventPoster>())
    , m_notifications(std::make_unique<DBusNotificationCenter>())
    , m_hotKeys(m_session)
    , m_workspace(m_session)
    , m_layout(m_session)
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

CommandService& LinuxPlatform::commands()
{
    std::call_once(m_commandsMade, [this] { m_commands = std::make_unique<DBusCommandService>(QDBusConnection::sessionBus()); });
    return *m_commands;
}

AccessibilityService& LinuxPlatform::accessibility()
{
    std::call_once(m_accessibilityMade, [this] { m_accessibility = std::make_unique<LinuxAccessibility>(*m_events); });
    return *m_accessibility;
}

std::unique_ptr<Platform> makeLinuxPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

} // namespace zelk
