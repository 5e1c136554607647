#pragma once
// The key-combination word of key launchers and context rules (HotKeyCode):
// the stored key code in bits 0-15 (below 128 in practice), the modifier
// flags caps lock 0x10000, shift 0x20000, control 0x40000, option 0x80000,
// command 0x100000 and numeric pad 0x200000, and the function key 0x800000,
// kept only when no other flag is held. Flag values: ModifierFlags.h.
#include "ModifierFlags.h"

#include <QtGlobal>

namespace editor::HotKeyCode {

// The word for a key with code k pressed with the event's flags: a
// numeric-pad or function key with no other modifier keeps its flags;
// otherwise the flags of the kept mask, the function flag dropped. A
// launcher keeps the numeric-pad flag (LauncherCaptureMask), a context
// rule does not (RuleCaptureMask).
constexpr quint32 fromKeyEvent(quint32 keyCode, quint32 flags, quint32 keptMask = zelk::HotKey::LauncherCaptureMask)
{
    const quint32 high = flags & 0xFFFF0000u;
    if (high == zelk::HotKey::NumericPad || high == (zelk::HotKey::NumericPad | zelk::HotKey::Function)
        || high == zelk::HotKey::Function)
        return high | keyCode;
    return keyCode | (flags & keptMask);
}

// A combination needs shift, control, option, command, numeric pad or
// function; caps lock alone does not count.
constexpr quint32 AcceptedFlagsMask = zelk::HotKey::Shift | zelk::HotKey::Control | zelk::HotKey::Option
                                      | zelk::HotKey::Command | zelk::HotKey::NumericPad | zelk::HotKey::Function;
static_assert(AcceptedFlagsMask == 0xBE0000);
constexpr bool isAcceptedCombination(quint32 code)
{
    return (code & AcceptedFlagsMask) != 0;
}

// Two words name one combination when they agree on bits 0-20.
constexpr bool sameCombination(quint32 a, quint32 b)
{
    return ((a ^ b) & zelk::HotKey::CombinationMask) == 0;
}

// The word without its key code.
constexpr quint32 modifierPart(quint32 code)
{
    return code & ~zelk::HotKey::KeyCodeMask;
}

// The full word of a double key's second key: its code with the first
// key's modifiers.
constexpr quint32 secondKeyCode(quint32 firstCode, quint32 secondKey)
{
    return secondKey + modifierPart(firstCode);
}

// What the check against the desktop's own hot keys compares.
constexpr quint32 systemCheckPart(quint32 code)
{
    return code & zelk::HotKey::SystemHotKeyCheckMask;
}

} // namespace editor::HotKeyCode
