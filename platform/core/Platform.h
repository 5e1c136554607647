#pragma once
// The desktop services the system needs, one small interface each, and the
// backend that provides them. The backend is chosen once per process from
// ZELK_PLATFORM=virtual|linux (default linux); tests may install their own.
// Code outside platform/ reaches the desktop only through these interfaces.
//
// Key codes here are the stored virtual key codes of the records (0 = A,
// 55 = command, ...); each backend maps them to its own keys.
#include "Accessibility.h"
#include "DesktopServices.h"
#include "InputDevices.h"
#include "NotificationCenter.h"
#include "SystemServices.h"

#include <QPointF>
#include <QString>
#include <QVariantMap>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zelk {

// Synthetic input. Every post answers 0 on success or a backend error code.
class EventPoster {
public:
    enum class Button { Primary, Secondary };
    // The keyboard as a map of 128 bits, key code k at byte k / 8,
    // bit k % 8 from the least significant bit.
    using KeyMap = std::array<uint8_t, 16>;

    virtual ~EventPoster() = default;
    virtual int postKey(uint16_t keyCode, bool down) = 0;
    // Button down or up at a point (the pointer is taken there first where
    // the backend cannot click elsewhere).
    virtual int postMouseButton(Button button, const QPointF& at, bool down) = 0;
    // Moves the pointer; dragging means the primary button is held.
    virtual int postMouseMove(const QPointF& to, bool dragging) = 0;
    // wheelCount 1: vertical only; 2: vertical then horizontal amounts.
    virtual int postScroll(int wheelCount, int32_t vertical, int32_t horizontal) = 0;
    virtual KeyMap heldKeys() = 0;
    // Where the pointer is now, in global coordinates; none without a desktop.
    virtual std::optional<QPointF> pointerLocation() = 0;
    // Presses and releases of keys anywhere on the desktop, whichever window
    // has the focus (posted ones too), by their stored codes, on the main
    // thread while the handle lives. Nothing without a desktop.
    [[nodiscard]] virtual ObserverHandle observeKeys(std::function<void(uint16_t keyCode, bool down)> observer) = 0;
    // While held, the user's own keyboard and modifier state must not mix
    // into posted events. Callers keep a count; the backend sees only the
    // outermost begin and end.
    virtual void beginExclusive() = 0;
    virtual void endExclusive() = 0;
    // A key that this process holds down does not auto-repeat (the X
    // server repeats a key held through XTest): the backend switches the
    // repeat of such a key off while it is held and back on when it is let
    // go. This lets go of every key the process still holds (a stop, the
    // quit), so each gets its repeat back.
    virtual void releaseOwnKeys() = 0;
};

// The process that posted a distributed notification, as the desktop
// vouches for it (not as the notification says); pid 0 and an empty
// executable when it cannot tell.
struct NotificationSender {
    qint64 pid = 0;
    QString executable; // the program the process runs, its canonical path
};

// Notifications between processes of the same user session
// ("QVEditorNotification", "QVLauncherNotification"). Any program of the
// session may post: an observer that acts on what a notification carries
// asks who sent it.
class DistributedNotificationCenter {
public:
    using Observer = std::function<void(const QString& name, const QVariantMap& userInfo)>;
    using SenderObserver = std::function<void(const QString& name, const QVariantMap& userInfo, const NotificationSender& sender)>;
    virtual ~DistributedNotificationCenter() = default;
    // Delivered at once to every observer of the name in any process.
    virtual bool post(const QString& name, const QVariantMap& userInfo) = 0;
    // Observers are called on the thread that runs the Qt event loop.
    [[nodiscard]] virtual ObserverHandle addObserver(const QString& name, Observer observer) = 0;
    [[nodiscard]] virtual ObserverHandle addObserverWithSender(const QString& name, SenderObserver observer) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual QString name() const = 0;  // "virtual" or "linux"
    virtual EventPoster& events() = 0;
    virtual DistributedNotificationCenter& distributedNotifications() = 0;
    virtual HotKeyService& hotKeys() = 0;
    virtual Workspace& workspace() = 0;
    virtual PowerService& power() = 0;
    virtual NetworkService& network() = 0;
    virtual CalendarService& calendar() = 0;
    virtual KeyboardLayout& keyboardLayout() = 0;
    virtual Clock& clock() = 0;
    virtual LoginItems& loginItems() = 0;
    virtual CommandService& commands() = 0;
    virtual InputDeviceService& inputDevices() = 0;
    virtual ClipboardService& clipboard() = 0;
    virtual ProcessService& processes() = 0;
    virtual DocumentServices& documents() = 0;
    virtual PrintService& printing() = 0;
    virtual AccessibilityService& accessibility() = 0;
    virtual SettingsPanels& settingsPanels() = 0;
    virtual SoundService& sound() = 0;
    virtual VolumeService& volumes() = 0;
    virtual SecretStore& secrets() = 0;
    virtual WindowService& windows() = 0;

    // The process's backend, made on first use from ZELK_PLATFORM.
    static Platform& instance();
    // Replaces the backend (tests). Answers the previous one.
    static std::unique_ptr<Platform> install(std::unique_ptr<Platform> platform);
};

// Implemented by each backend folder.
std::unique_ptr<Platform> makeVirtualPlatform();
std::unique_ptr<Platform> makeLinuxPlatform();

} // namespace zelk
