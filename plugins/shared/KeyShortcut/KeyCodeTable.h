#pragma once
// Keys of Qt's key events as the stored key codes of records (the key of a
// US keyboard at the same place: 0 is A, 36 Return, 123 the left arrow).
//
// A key event names its key twice: by its native scan code, which on the X
// desktop is the server's evdev key code (the kernel's input code + 8) and
// names the physical key whatever the layout, and by its Qt key, which
// depends on the layout. The scan code is asked first; the Qt key, placed
// as on a US keyboard, stands in when the scan code is 0 or unknown.
#include <QtGlobal>

namespace zelk::KeyCodeTable {

// The stored key code of a key; -1 when it has none (modifier keys among
// them: they are recorded as flags, never as keys).
int storedKeyCode(int qtKey, quint32 nativeScanCode, bool keypad);

// The character code a key shows when it types no text of its own: 13
// Return, 3 Enter, 9 Tab, 27 Escape, 32 Space, 127 Delete, and the
// function-key codes from 0xF700 for arrows, function keys, Home, End,
// Page Up/Down, Help and forward delete. 0 for a key that types text.
char32_t functionKeyCharacter(int storedKeyCode);

// Shift, Control, Alt, Meta, Caps Lock and their kin.
bool isModifierKey(int qtKey);

} // namespace zelk::KeyCodeTable
