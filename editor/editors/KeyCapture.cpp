#include "KeyCapture.h"

#include "EditorWidgets.h"
#include "HotKeyCode.h"
#include "KeyShortcut/KeyCodeTable.h"
#include "ModifierFlags.h"
#include "Platform.h"

#include <QKeyEvent>

namespace editor {

KeyPress keyPressOfEvent(const QKeyEvent* event)
{
    KeyPress key;
    if (!event)
        return key;
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    key.keyCode = zelk::KeyCodeTable::storedKeyCode(event->key(), event->nativeScanCode(), keypad);
    if (key.keyCode < 0)
        return key;
    key.flags = zelk::hotKeyModifiersOfKeyEvent(event->modifiers(), uint16_t(key.keyCode),
                                                zelk::Platform::instance().keyboardLayout());
    key.character = zelk::KeyCodeTable::functionKeyCharacter(key.keyCode);
    if (key.character == 0) {
        const QString text = event->text();
        if (!text.isEmpty())
            key.character = text.toLower().at(0).unicode();
    }
    return key;
}

FirstKeyCapture captureFirstKey(const KeyPress& key, quint32 keptMask)
{
    FirstKeyCapture capture;
    if (key.keyCode < 0) {
        capture.answer = FirstKeyCapture::PassedOn; // a modifier going down
        return capture;
    }
    if (key.flags & HotKeyCode::AcceptedFlagsMask) {
        capture.answer = FirstKeyCapture::Captured;
        capture.code = HotKeyCode::fromKeyEvent(quint32(key.keyCode), key.flags, keptMask);
        return capture;
    }
    switch (key.character) {
    case 3:
    case 9:
    case 13:
    case 27:
        capture.answer = FirstKeyCapture::PassedOn;
        break;
    default:
        capture.answer = FirstKeyCapture::Refused;
    }
    return capture;
}

void refusedKeyAlert()
{
    editorAlert(QStringLiteral("RaccourciImpossible"), QStringLiteral("PasToucheModificatrice"));
}

} // namespace editor
