#pragma once
// The key action type, running side (KeyShortcutCommon.h): posts one key
// with its modifier keys as a full stroke, a key-down alone or a key-up
// alone.
//
// The key is decided when the action runs, from the stored character: a
// keypad or function key, a control character, space, a digit or one of
// * + , - . / keeps its recorded key; letters, ! " # $ % & ' ( ) and every
// character above 57 are looked for on the keyboard layout in use at that
// moment (keeping the recorded key when the layout has none for it). The
// recorded modifiers are kept as they are.
//
// Each model posts inside the exclusive-source bracket; a full stroke is
// one bracket, so its key goes down and up while its modifiers are held.
#include "ActionRunner.h"
#include "KeyShortcut/KeyShortcutCommon.h"

namespace zelk::engine {

class KeyShortcut : public KeyShortcutCommon<Side> {
    ZELK_ACTION_CLASS(KeyShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    // The word to post for a stored word and character, on the layout now.
    static quint32 keycodeOnCurrentLayout(quint32 keycode, quint8 asciiCode);
    // A word of modifiers alone: no character, key code 0, some flag.
    static bool isOnlyModifiers(quint32 keycode, quint8 asciiCode);

    // One operation per model; each answers success.
    static QString typeKeycode(quint32 keycode, bool onlyModifiers, QVActionController& fromObject);
    static QString pressKeycode(quint32 keycode, bool onlyModifiers, QVActionController& fromObject);
    static QString releaseKeycode(quint32 keycode, bool onlyModifiers, QVActionController& fromObject);

private:
    quint32 CUTKeycode = 0;
    quint8 CUTAsciiCode = 0;
    bool CUTOnlyModifiers = false;
};

} // namespace zelk::engine
