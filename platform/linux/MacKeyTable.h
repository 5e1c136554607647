#pragma once
// Stored key codes (the virtual key codes kept in the records) to the keys of
// an X keyboard and back.
//
// Each stored code names a physical key by its XKB key name ("AC01" is the
// key where US layouts have A); the display's current keymap then gives that
// key's X keycode. Modifiers follow the project's convention: stored command
// is Control, control is Super, option is Alt.
//
// Spare stored codes name no key: the keyboard layout hands them out for
// characters its keys cannot type, one code per character, and an empty X
// key is lent to the character only when its code is posted (see
// LinuxKeyboardLayout). The codes are the few that no key of the US table
// uses, then 128-255, which no stored key reaches; a keystroke word carries
// them in its low byte like any key.
#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>
#include <functional>

struct _XDisplay;

namespace zelk {

class KeyTable {
public:
    // The XKB name of the stored code's key; empty when it has none (Fn).
    static QByteArray keyName(uint16_t macKeyCode);
    // Every stored code that names a key, ascending.
    static QList<uint16_t> mappedCodes();
    // The spare stored codes, in the order they are handed out.
    static QList<uint16_t> spareCodes();
    static bool isSpareCode(uint16_t macKeyCode);
    // Points a spare code at the X keycode lent to its character (0: none),
    // for every table of the process.
    static void bindSpareCode(uint16_t macKeyCode, uint8_t keycode);
    // Lends an X key to a spare code's character and answers its keycode
    // (0 when it cannot). Set by the keyboard layout; empty for none.
    using Lender = std::function<uint8_t(uint16_t spareCode)>;
    static void setLender(Lender lender);

    // Reads the display's current keymap. On failure answers false and
    // leaves the table empty.
    bool load(_XDisplay* display);

    // The X keycode of a stored code (a spare one: the key lent to it now);
    // 0 when this keymap has no such key.
    uint8_t keycode(uint16_t macKeyCode) const;
    // The same, for posting: a spare code is lent a key if it has none.
    uint8_t keycodeForPosting(uint16_t macKeyCode) const;
    // The stored code of an X keycode; -1 when it stands for none.
    int macKeyCode(uint8_t keycode) const;

private:
    std::array<uint8_t, 128> m_toX{};
    std::array<int16_t, 256> m_toMac = emptyReverse();
    static std::array<int16_t, 256> emptyReverse();
};

} // namespace zelk
