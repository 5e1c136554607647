// Simulated keyboard, mouse and scroll-wheel events: the one place where the
// engine side posts synthetic input, through the platform's EventPoster.
#include "QVAction.h"

#include "Log.h"
#include "ModifierFlags.h"
#include "Platform.h"

#include <atomic>
#include <mutex>

namespace zelk {

namespace {

EventPoster& poster() { return Platform::instance().events(); }

std::atomic<quint32> g_modifierState{0};
std::atomic<bool> g_onlyModifiers{true};

// Exclusive mode is one switch for the whole desktop: count the brackets so
// that one action ending its burst does not end another's.
std::mutex g_exclusiveMutex;
int g_exclusiveCount = 0;

int logged(int err, const char* method, const char* what)
{
    if (err != 0)
        zlog("QVAction", method) << QString("Posting %1 event: err=%2").arg(QLatin1String(what)).arg(err);
    return err;
}

} // namespace

void PostVirtualKeyEvent(uint16_t keyCode, bool down)
{
    const int err = poster().postKey(keyCode, down);
    if (err != 0)
        zlog("QVAction", "PostVirtualKeyEvent")
            << QString("Posting virtual key %1 event: %2; err=%3").arg(down ? "down" : "up").arg(keyCode).arg(err);
}

void QVAction::postVirtualKeyEvent(uint16_t keyCode, bool keyDown) { PostVirtualKeyEvent(keyCode, keyDown); }

void QVAction::simulateKeyPressForKeycode(quint32 keycode, bool onlyModifiers)
{
    // The numeric-pad and function flags have no key of their own.
    for (const ModifierKey& m : kModifierKeys) {
        if (keycode & m.hotKeyFlag)
            PostVirtualKeyEvent(m.keyCode, true);
    }
    if (!onlyModifiers)
        PostVirtualKeyEvent(uint16_t(keycode & HotKey::KeyCodeMask), true);
}

void QVAction::simulateKeyReleaseForKeycode(quint32 keycode, bool onlyModifiers)
{
    if (!onlyModifiers)
        PostVirtualKeyEvent(uint16_t(keycode & HotKey::KeyCodeMask), false);
    for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m) {
        if (keycode & m->hotKeyFlag)
            PostVirtualKeyEvent(m->keyCode, false);
    }
}

void QVAction::releaseAllNormalKeys()
{
    const EventPoster::KeyMap held = poster().heldKeys();
    for (size_t byte = 0; byte < held.size(); ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if (!(held[byte] & (1u << bit)))
                continue;
            const uint16_t k = uint16_t(byte * 8 + bit);
            // Right-hand modifiers (60 and up) are released like any key.
            if (!isModifierKeyCode(k))
                PostVirtualKeyEvent(k, false);
        }
    }
}

void QVAction::releaseHeldKeys() { poster().releaseOwnKeys(); }

int QVAction::simulatePrimaryMouseButtonEventAt(const QPointF& point, bool buttonDown)
{
    return logged(poster().postMouseButton(EventPoster::Button::Primary, point, buttonDown),
                  "simulatePrimaryMouseButtonEventAt", "mouse primary button");
}

int QVAction::simulateSecondaryMouseButtonEventAt(const QPointF& point, bool buttonDown)
{
    return logged(poster().postMouseButton(EventPoster::Button::Secondary, point, buttonDown),
                  "simulateSecondaryMouseButtonEventAt", "mouse secondary button");
}

int QVAction::simulateMouseMoveEventAt(const QPointF& point)
{
    return logged(poster().postMouseMove(point, false), "simulateMouseMoveEventAt", "mouse move");
}

int QVAction::simulateMouseDragEventAt(const QPointF& point)
{
    return logged(poster().postMouseMove(point, true), "simulateMouseDragEventAt", "mouse drag");
}

int QVAction::simulateMouseEndDragEventAt(const QPointF& point)
{
    return simulatePrimaryMouseButtonEventAt(point, false);
}

void QVAction::simulateNormalScrollWheel(int32_t amount)
{
    logged(poster().postScroll(1, amount, 0), "simulateNormalScrollWheel", "mouse normal scroll wheel");
}

void QVAction::simulateAlternateScrollWheel(int32_t amount)
{
    logged(poster().postScroll(2, 0, amount), "simulateAlternateScrollWheel", "mouse alternate scroll wheel");
}

void QVAction::startBeingExclusiveSourceOfEvents()
{
    // The platform is called under the lock so that its begins and ends
    // reach it in the order of the count.
    std::lock_guard lock(g_exclusiveMutex);
    if (g_exclusiveCount++ == 0)
        poster().beginExclusive();
}

void QVAction::stopBeingExclusiveSourceOfEvents()
{
    std::lock_guard lock(g_exclusiveMutex);
    if (g_exclusiveCount == 0) {
        zlog("QVAction", "stopBeingExclusiveSourceOfEvents") << "not the exclusive source: stop ignored";
        return;
    }
    if (--g_exclusiveCount == 0)
        poster().endExclusive();
}

void QVAction::saveModifierState(quint32 keycode, bool onlyModifiers)
{
    g_modifierState.store(keycode);
    g_onlyModifiers.store(onlyModifiers);
}

void QVAction::restoreModifierState()
{
    simulateKeyPressForKeycode(g_modifierState.load(), g_onlyModifiers.load());
}

void QVAction::resetModifierState()
{
    simulateKeyReleaseForKeycode(g_modifierState.load(), g_onlyModifiers.load());
}

} // namespace zelk
