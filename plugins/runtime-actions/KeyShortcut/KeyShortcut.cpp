#include "KeyShortcut.h"

#include "Log.h"
#include "ModifierFlags.h"
#include "QVUtilityClass.h"

#include <chrono>
#include <thread>

namespace zelk::engine {

namespace K = KeyShortcutKeys;

namespace {

constexpr auto kSettle = std::chrono::milliseconds(20);

// Control characters, space, the digits and * + , - . / stay on their
// recorded key, as keypad and function keys do.
bool keepsRecordedKey(quint32 keycode, quint8 asciiCode)
{
    if (keycode & (HotKey::NumericPad | HotKey::Function))
        return true;
    return asciiCode <= 57 && !(asciiCode >= 33 && asciiCode <= 41);
}

} // namespace

bool KeyShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    if (categoryOfAction(CUTAction) == 1) {
        const QVariantMap data = parametersOf(record);
        CUTKeycode = quint32(data.value(K::Keycode).toLongLong());
        CUTAsciiCode = quint8(data.value(K::AsciiCode).toInt() & 0xFF);
        CUTOnlyModifiers = isOnlyModifiers(CUTKeycode, CUTAsciiCode);
    }
    return true;
}

QString KeyShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    using Operation = QString (*)(quint32, bool, QVActionController&);
    static constexpr Operation operations[] = {&typeKeycode, &pressKeycode, &releaseKeycode};
    if (!controller || CUTAction < 1 || CUTAction > int(std::size(operations)))
        return {};
    // Asked at each run: the layout may have changed since the action was
    // read, and a key the layout lends for a character is good only briefly.
    return operations[CUTAction - 1](keycodeOnCurrentLayout(CUTKeycode, CUTAsciiCode), CUTOnlyModifiers, *controller);
}

quint32 KeyShortcut::keycodeOnCurrentLayout(quint32 keycode, quint8 asciiCode)
{
    if (keepsRecordedKey(keycode, asciiCode) || !QVUtilityClass::host())
        return keycode;
    const quint16 first = quint16(asciiKeycodesForAsciiChar(char(asciiCode)) & 0xFFFF);
    // No key on this layout types the character: the recorded key is the
    // best guess left (the low half's -1 is no key code).
    if (first == Keystroke::None)
        return keycode;
    return (keycode & ~HotKey::KeyCodeMask) | (first & HotKey::KeyCodeMask);
}

bool KeyShortcut::isOnlyModifiers(quint32 keycode, quint8 asciiCode)
{
    return asciiCode == 0 && (keycode & HotKey::KeyCodeMask) == 0 && (keycode & HotKey::RecordedMask) != 0;
}

QString KeyShortcut::pressKeycode(quint32 keycode, bool onlyModifiers, QVActionController& /*fromObject*/)
{
    startBeingExclusiveSourceOfEvents();
    simulateKeyPressForKeycode(keycode, onlyModifiers);
    stopBeingExclusiveSourceOfEvents();
    // Held engine-wide: the mouse action presses them again around its clicks.
    saveModifierState(keycode, onlyModifiers);
    std::this_thread::sleep_for(kSettle);
    return {};
}

QString KeyShortcut::releaseKeycode(quint32 keycode, bool onlyModifiers, QVActionController& /*fromObject*/)
{
    startBeingExclusiveSourceOfEvents();
    simulateKeyReleaseForKeycode(keycode, onlyModifiers);
    stopBeingExclusiveSourceOfEvents();
    saveModifierState(0, true);
    std::this_thread::sleep_for(kSettle);
    return {};
}

QString KeyShortcut::typeKeycode(quint32 keycode, bool onlyModifiers, QVActionController& /*fromObject*/)
{
    if (tracing())
        zlog("KeyShortcut", "typeKeycode")
            << QStringLiteral("keyShortcut: keycode: %1 onlyModifiers: %2").arg(keycode, 0, 16).arg(onlyModifiers ? 1 : 0);
    // One bracket for the whole stroke: opening a bracket lets go of the
    // modifiers then down, our own included, and the key must come up
    // inside them.
    startBeingExclusiveSourceOfEvents();
    simulateKeyPressForKeycode(keycode, onlyModifiers);
    saveModifierState(keycode, onlyModifiers);
    std::this_thread::sleep_for(kSettle);
    simulateKeyReleaseForKeycode(keycode, onlyModifiers);
    saveModifierState(0, true);
    stopBeingExclusiveSourceOfEvents();
    std::this_thread::sleep_for(kSettle);
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(KeyShortcut)

} // namespace zelk::engine
