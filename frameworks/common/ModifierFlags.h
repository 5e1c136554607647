#pragma once
// The three ways modifier keys are written, and the one place that converts
// between them.
//
// - HotKeyCode words (the "Keycode" of records, hot keys): the stored key
//   code in bits 0-6 and the flags below from bit 16 up.
// - Keystroke words (the keys of the character table, and the modifier word
//   read while recording): the key code in the low byte and command 0x100,
//   shift 0x200, caps lock 0x400, option 0x800, control 0x1000 above it.
// - Qt's modifiers, by the project's convention: Control is command, Meta
//   (Super) is control, Alt is option; the keypad flag marks a keypad key.
//
// The five modifier keys have the stored key codes 55 (command) to 59
// (control); they go down in the order of kModifierKeys and up in reverse.
#include "DesktopServices.h"

#include <QtCore/qnamespace.h>
#include <QtGlobal>
#include <cstdint>

namespace zelk {

namespace HotKey {
inline constexpr quint32 CapsLock = 0x010000;
inline constexpr quint32 Shift = 0x020000;
inline constexpr quint32 Control = 0x040000;
inline constexpr quint32 Option = 0x080000;
inline constexpr quint32 Command = 0x100000;
inline constexpr quint32 NumericPad = 0x200000;
inline constexpr quint32 Help = 0x400000;
inline constexpr quint32 Function = 0x800000;
// The key code of a word: stored codes are below 128.
inline constexpr quint32 KeyCodeMask = 0x7F;
// The flags of the five modifier keys.
inline constexpr quint32 ModifierKeysMask = CapsLock | Shift | Control | Option | Command;
// What a recorded word keeps of the event's flags: everything but Help.
inline constexpr quint32 RecordedMask = ModifierKeysMask | NumericPad | Function;
// What names a combination: the key and the modifier flags; compare two
// words with HotKeyService::sameCombination().
inline constexpr quint32 CombinationMask = HotKeyService::CombinationMask;
// The flags a launcher's key capture keeps: shift-arrow carries the
// numeric-pad flag, and the launcher keeps what its capture saw.
inline constexpr quint32 LauncherCaptureMask = ModifierKeysMask | NumericPad;
// The flags a context rule's key capture keeps: the modifier keys alone.
inline constexpr quint32 RuleCaptureMask = ModifierKeysMask;
// What the check against the system's own hot keys compares: the key and
// the modifiers but caps lock.
inline constexpr quint32 SystemHotKeyCheckMask = KeyCodeMask | Shift | Control | Option | Command;
static_assert(CombinationMask == 0x1FFFFF && LauncherCaptureMask == 0x3F0000 && RuleCaptureMask == 0x1F0000
              && SystemHotKeyCheckMask == 0x1E007F);
} // namespace HotKey

namespace Keystroke {
inline constexpr quint16 Command = 0x0100;
inline constexpr quint16 Shift = 0x0200;
inline constexpr quint16 CapsLock = 0x0400;
inline constexpr quint16 Option = 0x0800;
inline constexpr quint16 Control = 0x1000;
inline constexpr quint16 KeyCodeMask = 0x00FF;
// A half of a character-table entry that holds no keystroke (-1 as 16 bits).
inline constexpr quint16 None = 0xFFFF;
} // namespace Keystroke

struct ModifierKey {
    quint32 hotKeyFlag;
    quint16 keystrokeFlag;
    uint16_t keyCode;
    Qt::KeyboardModifier qtModifier;  // Qt::NoModifier: Qt reports no such modifier
};

// Pressed in this order, released in reverse.
inline constexpr ModifierKey kModifierKeys[] = {
    {HotKey::Command, Keystroke::Command, 55, Qt::ControlModifier},
    {HotKey::Shift, Keystroke::Shift, 56, Qt::ShiftModifier},
    {HotKey::CapsLock, Keystroke::CapsLock, 57, Qt::NoModifier},
    {HotKey::Option, Keystroke::Option, 58, Qt::AltModifier},
    {HotKey::Control, Keystroke::Control, 59, Qt::MetaModifier},
};

inline constexpr bool isModifierKeyCode(uint16_t keyCode)
{
    return keyCode >= 55 && keyCode <= 59;
}

// The keystroke modifier bits of a HotKeyCode word's flags.
inline constexpr quint16 keystrokeModifiersOfHotKey(quint32 word)
{
    quint16 bits = 0;
    for (const ModifierKey& m : kModifierKeys)
        if (word & m.hotKeyFlag)
            bits |= m.keystrokeFlag;
    return bits;
}

// The HotKeyCode flags of a keystroke word's modifier bits.
inline constexpr quint32 hotKeyModifiersOfKeystroke(quint16 keystroke)
{
    quint32 flags = 0;
    for (const ModifierKey& m : kModifierKeys)
        if (keystroke & m.keystrokeFlag)
            flags |= m.hotKeyFlag;
    return flags;
}

// The HotKeyCode flags of Qt's modifiers (the keypad flag included).
inline quint32 hotKeyModifiersOfQt(Qt::KeyboardModifiers modifiers)
{
    quint32 flags = modifiers.testFlag(Qt::KeypadModifier) ? HotKey::NumericPad : 0;
    for (const ModifierKey& m : kModifierKeys)
        if (m.qtModifier != Qt::NoModifier && modifiers.testFlag(m.qtModifier))
            flags |= m.hotKeyFlag;
    return flags;
}

// The HotKeyCode flags of a key event as the desktop reports them: Qt's
// modifiers, and what Qt's events leave out, read from the keyboard layout:
// Caps Lock's state and the function flag of a function key.
inline quint32 hotKeyModifiersOfKeyEvent(Qt::KeyboardModifiers modifiers, uint16_t keyCode, KeyboardLayout& layout)
{
    quint32 flags = hotKeyModifiersOfQt(modifiers);
    if (layout.capsLockOn())
        flags |= HotKey::CapsLock;
    if (layout.isFunctionKey(keyCode))
        flags |= HotKey::Function;
    return flags;
}

} // namespace zelk
