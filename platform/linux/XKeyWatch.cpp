#include "XKeyWatch.h"

#include "Log.h"
#include "X11Support.h"
#include "XSession.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace zelk {

XKeyWatch::XKeyWatch()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        m_context->moveToThread(app->thread());
}

XKeyWatch::~XKeyWatch()
{
    close();
    m_context.reset();
}

ObserverHandle XKeyWatch::observe(std::function<void(uint16_t, bool)> observer)
{
    return m_observers.add(std::move(observer));
}

void XKeyWatch::observersChanged()
{
    if (!m_context)
        return;
    XSession::onMainThread(m_context.get(), [this] {
        if (m_observers.any() && !m_display)
            open();
        else if (!m_observers.any())
            close();
    });
}

bool XKeyWatch::open()
{
    x11::initThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        zlog("XKeyWatch", "open") << "no X display to watch the keys of";
        return false;
    }
    int event = 0, error = 0, major = 2, minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &m_opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success) {
        zlog("XKeyWatch", "open") << "the X server has no X Input 2";
        XCloseDisplay(display);
        return false;
    }
    // Raw events reach every client that asks, grabs and focus or not.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    int opcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &m_xkbEventBase, &xkbError, &xkbMajor, &xkbMinor)) {
        const unsigned int changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(display, XkbUseCoreKbd, changes, changes);
    }
    x11::trapErrors(display);
    XSync(display, False);
    m_display = display;
    m_keymapDirty = true;
    m_notifier = new QSocketNotifier(qintptr(ConnectionNumber(display)), QSocketNotifier::Read, m_context.get());
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_context.get(), [this] { drain(); });
    return true;
}

void XKeyWatch::close()
{
    // Maybe from inside its own signal (an observer went while told).
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_display) {
        x11::stopTrapping(m_display);
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

void XKeyWatch::drain()
{
    if (!m_display)
        return;
    QList<std::pair<uint16_t, bool>> keys;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == MappingNotify || (m_xkbEventBase && event.type == m_xkbEventBase)) {
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            m_keymapDirty = true;
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (event.type != GenericEvent || cookie->extension != m_opcode || !XGetEventData(m_display, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            if (m_keymapDirty)
                m_keymapDirty = !m_keys.load(m_display);
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            const int code = m_keys.macKeyCode(uint8_t(raw->detail));
            if (code >= 0)
                keys.append({uint16_t(code), cookie->evtype == XI_RawKeyPress});
        }
        XFreeEventData(m_display, cookie);
    }
    // Told after reading: an observer may stop the watch.
    for (const auto& [code, down] : std::as_const(keys))
        m_observers.notify(code, down);
}

} // namespace zelk
