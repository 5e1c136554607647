#pragma once
// Stored key codes (the virtual key codes kept in the records) to the keys of
// an X keyboard and back.
//
// Each stored code names a physical key by its XKB key name ("AC01" is the
// key where US layouts have A); the display's current keymap then gives that
// key's X keycode. Modifiers follow the project's convention: stored command
// is Control, control is Super, option is Alt.
//
// A few stored codes that no key of the US table uses are spare: the
// keyboard layout binds them, for the whole process, to X keycodes it has
// lent a character the layout cannot type (see LinuxKeyboardLayout).
#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>

struct _XDisplay;

namespace zelk {

class KeyTable {
public:
    // The XKB name of the stored code's key; empty when it has none (Fn).
    static QByteArray keyName(uint16_t macKeyCode);
    // Every stored code that names a key, ascending.
    static QList<uint16_t> mappedCodes();
    // The spare stored codes.
    static QList<uint16_t> spareCodes();
    // Points a spare code at an X keycode (0: at none) for every table.
    static void bindSpareCode(uint16_t macKeyCode, uint8_t keycode);

    // Reads the display's current keymap. On failure answers false and
    // leaves the table empty.
    bool load(_XDisplay* display);

    // The X keycode of a stored code (a spare one: where it is bound); 0
    // when this keymap has no such key.
    uint8_t keycode(uint16_t macKeyCode) const;
    // The stored code of an X keycode; -1 when it stands for none.
    int macKeyCode(uint8_t keycode) const;

private:
    std::array<uint8_t, 128> m_toX{};
    std::array<int16_t, 256> m_toMac = emptyReverse();
    static std::array<int16_t, 256> emptyReverse();
};

} // namespace zelk
