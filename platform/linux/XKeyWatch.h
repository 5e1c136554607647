#pragma once
// Every key pressed or released on an X display, whichever window has the
// focus, through the raw events of the X Input extension (version 2) on a
// connection of its own. It listens only while someone observes; observers
// are called on the main thread with the stored key codes. Keys that name no
// stored code are left out.
#include "MacKeyTable.h"
#include "NotificationCenter.h"
#include "ObserverList.h"

#include <QObject>
#include <functional>
#include <memory>

struct _XDisplay;
class QSocketNotifier;

namespace zelk {

class XKeyWatch {
public:
    XKeyWatch();
    ~XKeyWatch();
    [[nodiscard]] ObserverHandle observe(std::function<void(uint16_t keyCode, bool down)> observer);
    // Whether it listens now (tests).
    bool isListening() const { return m_display != nullptr; }

private:
    void observersChanged();
    bool open();
    void close();
    void drain();

    ObserverList<uint16_t, bool> m_observers{[this] { observersChanged(); }};
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
    _XDisplay* m_display = nullptr; // main thread only
    QSocketNotifier* m_notifier = nullptr;
    int m_opcode = 0;
    int m_xkbEventBase = 0;
    bool m_keymapDirty = true;
    KeyTable m_keys;
};

} // namespace zelk
