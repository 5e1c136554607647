#pragma once
// The keyboard layout of the X server (XKB), in the stored key codes.
//
// keystrokesForCharacter answers, for the Caps Lock state of the moment
// (with it on, a capital letter is the plain key and a small one shifted),
// in this order of preference:
// - one key of the layout's current group, plain or with shift (0x200);
// - a dead key and then the base character (both plain or shifted), for a
//   character the layout composes that way;
// - otherwise a spare stored code of the character's own
//   (KeyTable::spareCodes()), without touching the keymap; when that code
//   is posted, an empty X key is lent to the character. Loans end
//   kLendMilliseconds after the last one, at a keymap change of the user's,
//   and with this object; the character keeps its code, and is lent a key
//   again when next posted. So a table of answers stays good until more
//   characters than there are spare codes (138) were asked for.
// Option (0x800) is never answered: the stored option key is posted as Alt,
// which selects no third level on X; characters of the third level and up
// are typed through lent keys. characterForKey does read option as the
// third level (AltGr), shift or caps lock as the second.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class XSession;

class LinuxKeyboardLayout : public KeyboardLayout {
public:
    static constexpr int kLendMilliseconds = 2000;

    explicit LinuxKeyboardLayout(std::shared_ptr<XSession> session);
    ~LinuxKeyboardLayout() override;

    // "us", "de", "us(intl)": the current group's layout (and variant).
    QString layoutName() override;
    QList<quint16> keystrokesForCharacter(char32_t c) override;
    QString characterForKey(quint16 keyCode, quint16 modifiers) override;
    // Caps Lock as the XKB state has it.
    bool capsLockOn() override;
    // By the key's plain symbol in the current group: F keys, cursor and
    // editing keys (X's function, cursor and misc-function symbols, Delete).
    bool isFunctionKey(quint16 keyCode) override;
    // Called on the main thread when the user's keymap or layout group
    // changes (never for the keys lent here).
    [[nodiscard]] ObserverHandle observeLayoutChanges(std::function<void()> observer) override;

private:
    struct Private;
    std::shared_ptr<Private> d;
};

} // namespace zelk
