#pragma once
// Accessibility on the real desktop: AT-SPI2 spoken over its own D-Bus
// (the accessibility bus that at-spi2-core's bus launcher announces on the
// session bus as org.a11y.Bus, or $AT_SPI_BUS_ADDRESS), with QtDBus, so no
// second event loop is needed.
//
// AT-SPI's tree is mapped onto the system's vocabulary:
// - roles by AT-SPI's role names ("push button" -> AXButton, "text" and
//   "entry" -> AXTextField, "frame"/"window"/"dialog" -> AXWindow...);
// - a menu bar item or menu item that holds its own items (GTK's "menu")
//   shows them through one child of role AXMenu, as a menu's owner does;
// - a slider gets one AXValueIndicator child placed where its value lies;
// - check boxes and radio buttons answer their checked state as 0 or 1,
//   text fields their text, sliders their value above their minimum;
// - AXPress and AXPick run the element's press (or first) action; AXCancel
//   closes an open menu with the Escape key, since menus offer no action
//   for it.
// Only applications that expose accessibility have elements: Qt programs
// with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 or while it is switched on, GTK
// programs while it is switched on.
#include "Accessibility.h"
#include "ObserverList.h"

#include <QDBusConnection>
#include <QHash>
#include <memory>
#include <mutex>

namespace zelk {

class EventPoster;

class LinuxAccessibility : public AccessibilityService {
public:
    explicit LinuxAccessibility(EventPoster& events);
    ~LinuxAccessibility() override;

    bool isEnabled() override;
    AXElement applicationElement(qint64 pid) override;
    AXElement menuBar(const AXElement& application) override;
    AXElement focusedWindow(const AXElement& application) override;
    AXElement elementAtPosition(const AXElement& application, const QPointF& point) override;
    [[nodiscard]] ObserverHandle observeMenus(const AXElement& application, MenuObserver observer) override;

    struct Bus;

private:
    std::shared_ptr<Bus> bus();
    std::mutex m_mutex;
    std::shared_ptr<Bus> m_bus;
    bool m_tried = false;
    EventPoster& m_events;
};

} // namespace zelk
