#pragma once
// Keysyms and the characters they type, without Xlib's locale machinery:
// Latin-1 keysyms are their code points, 0x01000000 + c stands for any
// character c, the older named keysyms (Latin-2..4, Cyrillic, Greek...)
// come from a table, and the function keys that type a control character
// (Return, Tab, BackSpace, Escape, Delete, the keypad) from another.
#include <cstdint>

namespace zelk::keysyms {

// The character a keysym types; 0 for none (modifiers, dead keys...).
char32_t toUnicode(unsigned long keysym);
// The keysym that types c (a Unicode keysym when no older one exists); 0
// for characters no key can type (surrogates, control characters other
// than the named ones).
unsigned long fromUnicode(char32_t c);

// Dead keys: the combining mark a dead key puts on the next character, and
// the accent it shows alone; 0 when the keysym is no dead key.
char32_t deadKeyMark(unsigned long keysym);
char32_t deadKeyAccent(unsigned long keysym);
// The dead keysym that adds the combining mark; 0 for none.
unsigned long deadKeyFor(char32_t mark);

} // namespace zelk::keysyms
