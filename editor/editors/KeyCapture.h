#pragma once
// Key capture of the launcher editor and the rule panel: a Qt key event
// read as the stored key code, its HotKeyCode flags and the character it
// stands for, and the first-key rule that turns it into a combination.
#include <QtGlobal>

class QKeyEvent;

namespace editor {

struct KeyPress {
    int keyCode = -1;      // stored key code; -1 for a modifier key alone
    quint32 flags = 0;     // HotKeyCode flags
    char32_t character = 0; // first character ignoring modifiers
};

// Reads the event through the desktop's keyboard layout (caps lock and
// the function flag, which Qt's events do not carry).
KeyPress keyPressOfEvent(const QKeyEvent* event);

struct FirstKeyCapture {
    enum Answer { Captured, PassedOn, Refused };
    Answer answer = Refused;
    quint32 code = 0; // the HotKeyCode when Captured
};

// The first key: a combination when a modifier other than caps lock is
// held (flags outside the kept mask dropped, as HotKeyCode::fromKeyEvent);
// Enter, Tab, Return and Escape alone keep their meaning in the window;
// any other key alone is refused.
FirstKeyCapture captureFirstKey(const KeyPress& key, quint32 keptMask);

// The alert of a refused first key.
void refusedKeyAlert();

} // namespace editor
