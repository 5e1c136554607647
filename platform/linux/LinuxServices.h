#pragma once
// The X11 desktop's services other than input posting and distributed
// notifications. Until each is wired to the desktop it answers "not
// available": no hot keys register, no application or power event arrives.
#include "DesktopServices.h"
#include "LinuxHotKeys.h"
#include "LinuxKeyboardLayout.h"
#include "LinuxWorkspace.h"

#include <QMap>
#include <mutex>

namespace zelk {

class LinuxPower : public PowerService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(Event, std::function<void()>)>) override { return {}; }
};

class LinuxNetwork : public NetworkService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(const QString&, bool)>) override { return {}; }
};

// Linux has no common calendar store.
class LinuxCalendar : public CalendarService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(int, const QString&)>) override { return {}; }
};

// XDG autostart: ~/.config/autostart/<identifier>.desktop
class LinuxLoginItems : public LoginItems {
public:
    bool setEnabled(const QString& identifier, const QString& path, bool enabled) override;
    bool isEnabled(const QString& identifier) override;
    static QString entryPath(const QString& identifier);
};

} // namespace zelk
