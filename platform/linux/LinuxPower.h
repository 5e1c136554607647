#pragma once
// Sleep, wake and power-off from logind (org.freedesktop.login1 on the
// system bus). While anyone observes, a delay inhibitor is held, so the
// system waits for the observers before it sleeps or powers off: on
// PrepareForSleep(true) / PrepareForShutdown(true) observers hear WillSleep
// / WillPowerOff, and the inhibitor is let go once every one of them called
// done(), or after kReplyBoundMilliseconds. On wake (PrepareForSleep(false))
// they hear DidWake and a new inhibitor is taken.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class LinuxPower : public PowerService {
public:
    static constexpr int kReplyBoundMilliseconds = 5000;

    LinuxPower();
    ~LinuxPower() override;
    [[nodiscard]] ObserverHandle observe(std::function<void(Event, std::function<void()> done)> observer) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
