#include "XSession.h"

#include "Log.h"
#include "X11Support.h"

#include <QCoreApplication>
#include <QMap>
#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QThread>
#include <atomic>
#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace zelk {

struct XSession::Private {
    std::recursive_mutex mutex;
    Display* display = nullptr;
    bool tried = false;
    Window root = 0;
    int xkbEventBase = -1;
    long rootMask = 0;
    QSet<unsigned> ownKeycodes;

    std::mutex listenerMutex;
    QMap<int, Listener> listeners;
    int nextListener = 1;

    // Lives on the main thread: the socket notifier and queued drains.
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
    std::atomic<bool> drainQueued{false};
};

XSession::XSession() : d(std::make_unique<Private>())
{
    if (QCoreApplication* app = QCoreApplication::instance())
        d->context->moveToThread(app->thread());
}

XSession::~XSession()
{
    d->context.reset();
    if (d->display) {
        x11::stopTrapping(d->display);
        XCloseDisplay(d->display);
    }
}

bool XSession::isMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void XSession::onMainThread(QObject* context, std::function<void()> fn)
{
    if (isMainThread())
        fn();
    else
        QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

XSession::Lock::Lock(XSession& session, bool open) : m_session(session), m_lock(session.d->mutex)
{
    if (open ? session.open() : session.d->display != nullptr)
        m_display = session.d->display;
}

XSession::Lock::~Lock()
{
    // Round trips of any thread may have read events into Xlib's queue,
    // where the socket notifier does not see them.
    if (m_display && XEventsQueued(m_display, QueuedAlready) > 0)
        m_session.scheduleDrain();
}

bool XSession::open()
{
    if (d->display || d->tried)
        return d->display != nullptr;
    d->tried = true;
    x11::initThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        zlog("XSession", "open") << QString("cannot open the X display \"%1\"; hot keys, applications and the "
                                            "keyboard layout are not available")
                                        .arg(qEnvironmentVariable("DISPLAY"));
        return false;
    }
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &d->xkbEventBase, &error, &major, &minor)) {
        zlog("XSession", "open") << "the X server has no XKB extension; hot keys and the keyboard layout are off";
        d->xkbEventBase = -1;
    } else {
        const unsigned keymap = XkbNewKeyboardNotifyMask | XkbMapNotifyMask | XkbNamesNotifyMask;
        XkbSelectEvents(display, XkbUseCoreKbd, keymap, keymap);
        // The layout group the user switches to is the layout in use.
        XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbGroupLockMask, XkbGroupLockMask);
    }
    x11::trapErrors(display);
    x11::quitWhenLost(display);
    d->display = display;
    d->root = DefaultRootWindow(display);
    // Changes made from now on must reach us.
    XSync(display, False);

    const int fd = ConnectionNumber(display);
    QObject* context = d->context.get();
    if (!QCoreApplication::instance()) {
        zlog("XSession", "open") << "no Qt application: X events are not read";
        return true;
    }
    onMainThread(context, [this, context, fd] {
        auto* notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, context);
        QObject::connect(notifier, &QSocketNotifier::activated, context, [this] { drain(); });
        scheduleDrain();
    });
    return true;
}

unsigned long XSession::root() const { return d->root; }

int XSession::xkbEventBase() const { return d->xkbEventBase; }

int XSession::sync()
{
    XSync(d->display, False);
    return x11::takeError(d->display);
}

void XSession::clearErrors()
{
    // Errors of earlier requests may still be on their way.
    XSync(d->display, False);
    x11::takeError(d->display);
}

void XSession::selectRootEvents(long mask)
{
    if ((d->rootMask | mask) == d->rootMask)
        return;
    d->rootMask |= mask;
    XSelectInput(d->display, d->root, d->rootMask);
}

void XSession::noteOwnKeymapChange(unsigned keycode)
{
    d->ownKeycodes.insert(keycode);
}

bool XSession::isOwnKeycode(unsigned keycode) const
{
    std::lock_guard lock(d->mutex);
    return d->ownKeycodes.contains(keycode);
}

bool XSession::isOwnKeymapChange(const _XEvent& event) const
{
    if (d->xkbEventBase < 0 || event.type != d->xkbEventBase)
        return false;
    const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
    if (xkb.any.xkb_type != XkbMapNotify)
        return false;
    const XkbMapNotifyEvent& map = xkb.map;
    constexpr unsigned perKey = XkbKeySymsMask | XkbKeyActionsMask | XkbKeyBehaviorsMask | XkbExplicitComponentsMask
        | XkbModifierMapMask | XkbVirtualModMapMask;
    if (map.changed & ~perKey)
        return false;
    std::lock_guard lock(d->mutex);
    const std::pair<int, int> ranges[] = {
        {map.first_key_sym, map.num_key_syms},         {map.first_key_act, map.num_key_acts},
        {map.first_key_behavior, map.num_key_behaviors}, {map.first_key_explicit, map.num_key_explicit},
        {map.first_modmap_key, map.num_modmap_keys},   {map.first_vmodmap_key, map.num_vmodmap_keys},
    };
    bool any = false;
    for (auto [first, count] : ranges) {
        for (int kc = first; kc < first + count; ++kc) {
            if (!d->ownKeycodes.contains(unsigned(kc)))
                return false;
            any = true;
        }
    }
    return any;
}

int XSession::addListener(Listener listener)
{
    std::lock_guard lock(d->listenerMutex);
    const int id = d->nextListener++;
    d->listeners.insert(id, std::move(listener));
    return id;
}

void XSession::removeListener(int id)
{
    std::lock_guard lock(d->listenerMutex);
    d->listeners.remove(id);
}

void XSession::scheduleDrain()
{
    if (!QCoreApplication::instance() || d->drainQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(d->context.get(), [this] { drain(); }, Qt::QueuedConnection);
}

void XSession::drain()
{
    d->drainQueued = false;
    std::vector<XEvent> events;
    {
        Lock lock(*this);
        Display* display = lock.display();
        if (!display)
            return;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            events.push_back(event);
        }
    }
    for (const XEvent& event : events) {
        QList<Listener> listeners;
        {
            std::lock_guard lock(d->listenerMutex);
            listeners = d->listeners.values();
        }
        for (const Listener& listener : listeners)
            listener(event);
    }
}

} // namespace zelk
