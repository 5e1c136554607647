#pragma once
// The X connection of the services that listen to the X server (hot keys,
// workspace, keyboard layout). It opens at first use from $DISPLAY and is
// used from any thread under its lock; its events are read on the Qt main
// thread and handed, without the lock, to the services' listeners there.
//
// XKB keymap, names and layout-group changes are selected for everyone.
// Changes the services make to the keymap themselves (the keyboard layout
// lends spare keys to characters) are noted here, so that listeners can
// tell them from the user's.
#include <functional>
#include <memory>
#include <mutex>

struct _XDisplay;
union _XEvent;
class QObject;

namespace zelk {

class XSession {
public:
    using Listener = std::function<void(const _XEvent&)>;

    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Holds the connection; display() is null when no X server answers
    // (or, with open false, when it was never opened).
    class Lock {
    public:
        explicit Lock(XSession& session, bool open = true);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        _XDisplay* display() const { return m_display; }

    private:
        XSession& m_session;
        std::unique_lock<std::recursive_mutex> m_lock;
        _XDisplay* m_display = nullptr;
    };

    // With the lock held:
    unsigned long root() const;
    int xkbEventBase() const;
    // XSync, then the first X error since the last call (0 for none).
    int sync();
    void clearErrors();
    // Adds bits to this connection's event mask on the root window.
    void selectRootEvents(long mask);
    void noteOwnKeymapChange(unsigned keycode);

    bool isOwnKeycode(unsigned keycode) const;
    // True for an XKB keymap event that only the services' own changes caused.
    bool isOwnKeymapChange(const _XEvent& event) const;

    // Listeners are called on the main thread; the id removes one.
    int addListener(Listener listener);
    void removeListener(int id);

    static bool isMainThread();
    // Runs fn on the main thread: at once when called there, else at the
    // next turn of its event loop (never after the context is gone).
    static void onMainThread(QObject* context, std::function<void()> fn);

private:
    bool open();
    void drain();
    void scheduleDrain();
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
