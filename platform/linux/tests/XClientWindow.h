#pragma once
// A small X client of the test's own: one focused window on a test X server
// that records the key and button events it receives. Keeps Xlib out of the
// tests' headers.
#include <QList>
#include <QProcess>
#include <QString>
#include <memory>

struct _XDisplay;

namespace zelk::test {

// One X server for the whole test program, started at first use, its
// display put in $DISPLAY for the backend. Empty when none could start.
QString sharedXDisplay(QString* whyNot);

// openbox on the connection's X server, once it manages windows (it shows
// itself before it takes them, and may drop a map request made meanwhile);
// nullptr, with the reason, when it is missing or never became ready. The
// process goes with the test program.
std::unique_ptr<QProcess> startOpenbox(_XDisplay* display, QString* whyNot);

class XClientWindow {
public:
    struct Event {
        enum Kind { KeyDown, KeyUp, ButtonDown, ButtonUp } kind;
        unsigned int code;   // X keycode or button
        unsigned int state;  // modifier and button mask before the event
        int rootX = 0, rootY = 0;
        unsigned long keysym = 0; // a key's first-level symbol, from the keymap when the event was read
    };

    explicit XClientWindow(const QString& display);
    ~XClientWindow();
    bool isOpen() const { return m_window != 0; }
    _XDisplay* display() const { return m_display; }

    // Events received so far (everything the server sent before this call).
    QList<Event> takeEvents();
    unsigned int keycodeOf(unsigned long keysym) const;
    // The modifiers XKB currently reports locked (caps lock: LockMask).
    unsigned int lockedModifiers() const;
    // The modifiers of the core keyboard in effect now.
    unsigned int modifierState() const;
    void pointer(int* x, int* y) const;
    // Lets go of every key and button held through XTest, so one test's
    // failure does not leak into the next.
    void releaseEverything();
    void setCapsLock(bool on);

private:
    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
};

} // namespace zelk::test
