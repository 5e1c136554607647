#pragma once
// The real desktop: an X11 session with a D-Bus session bus, and logind and
// NetworkManager on the system bus.
#include "LinuxAccessibility.h"
#include "LinuxInputDevices.h"
#include "LinuxDocuments.h"
#include "LinuxPrinting.h"
#include "LinuxServices.h"
#include "LinuxSystem.h"
#include "LinuxWindows.h"
#include "Platform.h"
#include "QtClipboard.h"
#include "SystemClock.h"

#include <memory>
#include <mutex>

namespace zelk {

class XEventPoster;
class DBusNotificationCenter;
class DBusCommandService;
class XSession;

class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    QString name() const override { return "linux"; }
    EventPoster& events() override;
    DistributedNotificationCenter& distributedNotifications() override;
    HotKeyService& hotKeys() override { return m_hotKeys; }
    Workspace& workspace() override { return m_workspace; }
    PowerService& power() override { return m_power; }
    NetworkService& network() override { return m_network; }
    CalendarService& calendar() override { return m_calendar; }
    KeyboardLayout& keyboardLayout() override { return m_layout; }
    Clock& clock() override { return m_clock; }
    LoginItems& loginItems() override { return m_loginItems; }
    CommandService& commands() override;
    InputDeviceService& inputDevices() override { return m_inputDevices; }
    ClipboardService& clipboard() override { return m_clipboard; }
    ProcessService& processes() override { return m_processes; }
    DocumentServices& documents() override { return m_documents; }
    PrintService& printing() override { return m_printing; }
    AccessibilityService& accessibility() override;
    SettingsPanels& settingsPanels() override { return m_settingsPanels; }
    SoundService& sound() override { return m_sound; }
    VolumeService& volumes() override { return m_volumes; }
    SecretStore& secrets() override { return m_secrets; }
    WindowService& windows() override { return m_windows; }

private:
    std::shared_ptr<XSession> m_session; // the X connection of hot keys, workspace and layout
    std::unique_ptr<XEventPoster> m_events;
    std::unique_ptr<DBusNotificationCenter> m_notifications;
    std::once_flag m_commandsMade;
    std::unique_ptr<DBusCommandService> m_commands; // made on first use: only the engine serves commands
    LinuxHotKeys m_hotKeys;
    LinuxWorkspace m_workspace;
    LinuxPower m_power;
    LinuxNetwork m_network;
    LinuxCalendar m_calendar;
    LinuxKeyboardLayout m_layout;
    SystemClock m_clock;
    LinuxLoginItems m_loginItems;
    LinuxInputDevices m_inputDevices;
    QtClipboard m_clipboard;
    LinuxProcesses m_processes;
    LinuxDocumentServices m_documents{m_workspace};
    LinuxPrintService m_printing;
    std::once_flag m_accessibilityMade;
    std::unique_ptr<LinuxAccessibility> m_accessibility; // made on first use: its own bus connection
    LinuxSettingsPanels m_settingsPanels{m_workspace};
    LinuxSound m_sound;
    LinuxVolumes m_volumes;
    LinuxSecretStore m_secrets;
    LinuxWindows m_windows{m_session, m_workspace};
};

} // namespace zelk
