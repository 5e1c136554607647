#pragma once
// Sleep, wake and power-off from logind (org.freedesktop.login1 on the
// system bus). While anyone observes, a delay inhibitor is held, so the
// system waits for the observers before it sleeps or powers off: on
// PrepareForSleep(true) / PrepareForShutdown(true) observers hear WillSleep
// / WillPowerOff, and the inhibitor is let go once every one of them called
// done(), or after kReplyBoundMilliseconds. On wake (PrepareForSleep(false))
// they hear DidWake and a new inhibitor is taken.
//
// Requests: restart, power-off and sleep go to logind; log-out to the
// desktop's session manager (GNOME's, then Xfce's), else logind ends the
// session ($XDG_SESSION_ID). The screen saver is org.freedesktop.ScreenSaver
// on the session bus, falling back to `loginctl lock-session`; its idle
// delay is the X server's screen-saver timeout. A wake time goes to the
// real-time clock's wake alarm, which only a privileged user may set.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class LinuxPower : public PowerService {
public:
    static constexpr int kReplyBoundMilliseconds = 5000;

    LinuxPower();
    ~LinuxPower() override;
    [[nodiscard]] ObserverHandle observe(std::function<void(Event, std::function<void()> done)> observer) override;
    bool request(Request request) override;
    bool setWakeTime(const QDateTime& when) override;
    bool startScreenSaver() override;
    std::optional<bool> screenSaverActive() override;
    bool stopScreenSaver() override;
    int screenSaverIdleSeconds() override;
    // Where the wake alarm is written (tests point it elsewhere).
    static QString wakeAlarmPath();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
