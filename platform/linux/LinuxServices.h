#pragma once
// The X11 desktop's services other than input posting and distributed
// notifications. Until each is wired to the desktop it answers "not
// available": no hot keys register, no application or power event arrives.
#include "DesktopServices.h"
#include "LinuxHotKeys.h"
#include "LinuxKeyboardLayout.h"

#include <QMap>
#include <mutex>

namespace zelk {

class LinuxWorkspace : public Workspace {
public:
    std::optional<RunningApplication> frontApplication() override { return std::nullopt; }
    QList<RunningApplication> runningApplications() override { return {}; }
    qint64 ownPid() const override;
    bool launchApplication(const QString& path, const QStringList& documents, qint64* pid) override;
    bool openPath(const QString& pathOrUrl) override;
    bool activate(qint64) override { return false; }
    bool hide(qint64) override { return false; }
    bool unhide(qint64) override { return false; }
    bool quit(qint64 pid) override { return terminate(pid, false); }
    bool terminate(qint64 pid, bool force) override;
    [[nodiscard]] ObserverHandle observeApplications(std::function<void(const RunningApplication&, bool)>) override { return {}; }
    [[nodiscard]] ObserverHandle observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)>) override { return {}; }
};

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
